#include "in_play.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace q50::testing {
namespace {

// In play, between the stage start and the first main tick (no hazard moves before it).
struct HeroMoves : ::testing::Test {
    DeviceHarness h;
    Device& d = h.dev;
    void SetUp() override { start_play(h); }
    std::size_t mark() const { return h.sound.calls.size(); }
    std::string pad() const { return std::string(d.board.get("btn_move_top").source_name()); }
    // How often `what` was played since `from`.
    long played(const std::string& what, std::size_t from) const {
        const std::vector<std::string> s = h.sounds(from);
        return std::count(s.begin(), s.end(), what);
    }
    bool hero_drawn(int pos, int hold) const {
        const Board& b = d.board;
        return b.Seg_Pelko(pos, 1).shown && b.Seg_Pelko(pos, hold).shown &&
               !b.Seg_Pelko(pos, 5 - hold).shown;
    }
};

TEST_F(HeroMoves, RightStepMovesScoresAndLocksForThreeHundredMs) {
    const std::size_t m = mark();
    d.Chance_Resume = 2;
    d.Inp_right_down();
    EXPECT_EQ(pad(), "btn_move_down_right");
    EXPECT_EQ(d.Pelko_Pos, 2);
    EXPECT_TRUE(hero_drawn(2, 2));
    EXPECT_FALSE(h.lit("im_pelko_1_body"));
    EXPECT_EQ(h.sounds(m), std::vector<std::string>{"Move"});
    EXPECT_EQ(d.Score, 1);
    EXPECT_EQ(h.panel(), "_001");
    EXPECT_EQ(d.Chance_Resume, 0);
    EXPECT_TRUE(d.Move_Lock);
    EXPECT_EQ(d.timers.due(TimerId::Pelko_Move), kPlayStarts + 300);
    // Auto-repeats inside the lock are ignored; the first after it is taken.
    d.advance_to(kPlayStarts + 299);
    d.Inp_right_down();
    EXPECT_EQ(d.Pelko_Pos, 2);
    d.advance_to(kPlayStarts + 300);
    EXPECT_FALSE(d.Move_Lock);
    EXPECT_FALSE(d.timers.enabled(TimerId::Pelko_Move));
    d.Inp_right_down();
    EXPECT_EQ(d.Pelko_Pos, 3);
    EXPECT_EQ(d.Score, 2);
    d.Inp_right_up();
    EXPECT_EQ(pad(), "");
    EXPECT_FALSE(d.Move_Lock);
}

TEST_F(HeroMoves, LeftStepScoresNothing) {
    place_hero(h, 4, 3);
    d.Inp_left_down();
    EXPECT_EQ(pad(), "btn_move_down_left");
    EXPECT_EQ(d.Pelko_Pos, 3);
    EXPECT_TRUE(hero_drawn(3, 3));
    EXPECT_FALSE(h.lit("im_pelko_4_body"));
    EXPECT_EQ(d.Score, 0);
    EXPECT_TRUE(d.timers.enabled(TimerId::Pelko_Move));
}

TEST_F(HeroMoves, WalkwayEndsOnlySetTheLockUntilRelease) {
    const std::size_t m = mark();
    d.Inp_left_down(); // at 1
    EXPECT_EQ(d.Pelko_Pos, 1);
    EXPECT_TRUE(d.Move_Lock);
    EXPECT_FALSE(d.timers.enabled(TimerId::Pelko_Move));
    d.Inp_bomb_down(); // refused: the lock is shared
    EXPECT_EQ(d.Pelko_Hold, 2);
    d.Inp_left_up();
    EXPECT_FALSE(d.Move_Lock);
    place_hero(h, 5, 2);
    d.Inp_right_down();
    EXPECT_EQ(d.Pelko_Pos, 5);
    EXPECT_EQ(d.Score, 0);
    EXPECT_TRUE(d.Move_Lock);
    d.advance_to(kPlayStarts + 400);
    EXPECT_TRUE(d.Move_Lock); // no timer releases it
    EXPECT_TRUE(h.sounds(m).empty());
    EXPECT_EQ(h.panel(), "_000");
}

TEST_F(HeroMoves, HeldBombBlocksStepsUntilAStepButtonIsReleased) {
    const std::size_t m = mark();
    d.Inp_bomb_down();
    EXPECT_TRUE(h.lit("btn_bomb_down"));
    EXPECT_EQ(d.Pelko_Hold, 3);
    EXPECT_TRUE(hero_drawn(1, 3));
    EXPECT_EQ(h.sounds(m), std::vector<std::string>{"Movebomb"});
    d.Inp_right_down();
    EXPECT_EQ(d.Pelko_Pos, 1);
    d.Inp_right_up(); // clears the shared lock while the bomb button stays down
    d.Inp_right_down();
    EXPECT_EQ(d.Pelko_Pos, 2);
    d.Inp_bomb_up();
    EXPECT_FALSE(h.lit("btn_bomb_down"));
    EXPECT_FALSE(d.Move_Lock);
    // The bomb button starts no timer: its lock lasts until release.
    d.Inp_bomb_down();
    EXPECT_EQ(d.Pelko_Hold, 2);
    EXPECT_TRUE(d.timers.enabled(TimerId::Pelko_Move)); // still from the step
    d.advance_to(kPlayStarts + 300);
    EXPECT_FALSE(d.Move_Lock); // the step's timer ends whatever lock is set
}

TEST_F(HeroMoves, LockTimerKeepsTheEarlierPeriod) {
    d.Inp_right_down(); // at kPlayStarts, lock ends at +300
    d.advance_to(kPlayStarts + 100);
    d.Inp_right_up();
    d.advance_to(kPlayStarts + 200);
    d.Inp_right_down();
    EXPECT_EQ(d.Pelko_Pos, 3);
    EXPECT_EQ(d.timers.due(TimerId::Pelko_Move), kPlayStarts + 300);
    d.advance_to(kPlayStarts + 300);
    EXPECT_FALSE(d.Move_Lock);
    d.Inp_right_down();
    EXPECT_EQ(d.Pelko_Pos, 4);
    EXPECT_EQ(d.timers.due(TimerId::Pelko_Move), kPlayStarts + 600);
}

TEST_F(HeroMoves, ScoreStepIsAddedPerRightStep) {
    d.Score_Step = 2;
    d.Score = 998;
    d.Next_Chance_Score = 1300;
    d.Inp_right_down();
    EXPECT_EQ(d.Score, 1000);
    EXPECT_EQ(h.panel(), "_000");
}

TEST_F(HeroMoves, OutsidePlayOnlyThePicturesFollow) {
    for (bool active : {false, true}) {
        for (int mode : {2, 4, 5, 7, 9}) {
            d.Game_State = active ? mode : 6;
            d.Play_Active = active;
            if (!active && mode != 2) continue;
            const std::size_t m = mark();
            d.Inp_right_down();
            EXPECT_EQ(pad(), "btn_move_down_right");
            d.Inp_right_up();
            d.Inp_left_down();
            EXPECT_EQ(pad(), "btn_move_down_left");
            d.Inp_left_up();
            d.Inp_bomb_down();
            EXPECT_TRUE(h.lit("btn_bomb_down"));
            d.Inp_bomb_up();
            EXPECT_EQ(d.Pelko_Pos, 1);
            EXPECT_EQ(d.Pelko_Hold, 2);
            EXPECT_FALSE(d.Move_Lock);
            EXPECT_TRUE(h.sounds(m).empty());
        }
    }
    d.Game_State = 8; // Game B obeys too
    d.Play_Active = true;
    d.Inp_right_down();
    EXPECT_EQ(d.Pelko_Pos, 2);
}

TEST_F(HeroMoves, IntroductionIgnoresTheHero) {
    DeviceHarness g;
    g.start();
    g.dev.Inp_open_down();
    g.dev.Inp_game_a_down();
    g.dev.Inp_game_a_up();
    g.dev.advance_to(2000); // the introduction has walked him to 2
    g.dev.Inp_right_down();
    g.dev.Inp_bomb_down();
    EXPECT_EQ(g.dev.Pelko_Pos, 2);
    EXPECT_EQ(g.dev.Pelko_Hold, 2);
    EXPECT_EQ(g.dev.Score, 0);
    EXPECT_FALSE(g.dev.Move_Lock);
}

// Misses: the hero's own moves test at once. A miss leaves the step's rest undone: no score,
// no lock timer, no bomb sound.
TEST_F(HeroMoves, RightWithLowBombOverFlameMissesWithoutMoving) {
    d.board.show("im_flame_1");
    const std::size_t m = mark();
    d.Inp_right_down();
    EXPECT_EQ(d.Pelko_Pos, 1);
    EXPECT_TRUE(hero_drawn(1, 2));
    EXPECT_EQ(d.Score, 0);
    EXPECT_FALSE(d.timers.enabled(TimerId::Pelko_Move));
    EXPECT_EQ(played("Move", m), 0);
}

TEST_F(HeroMoves, LeftWithLowBombOverFlameMovesThenTests) {
    place_hero(h, 3, 2);
    d.board.show("im_flame_3"); // under him now: left leaves it
    d.Inp_left_down();
    EXPECT_EQ(d.Pelko_Pos, 2);
    EXPECT_TRUE(d.timers.enabled(TimerId::Pelko_Move));
    d.Inp_left_up();
    d.advance_to(kPlayStarts + 300);
    d.board.show("im_flame_1"); // the new position burns
    d.Inp_left_down();
    EXPECT_EQ(d.Pelko_Pos, 1);
    EXPECT_FALSE(d.timers.enabled(TimerId::Pelko_Move));
}

TEST_F(HeroMoves, StepsOntoHazardsOfTheOtherHoldAreSafe) {
    d.board.show("im_enemy_2_flame_4");
    d.Inp_right_down(); // low under the enemy flame
    EXPECT_EQ(d.Pelko_Pos, 2);
    EXPECT_EQ(d.Score, 1);
    d.Inp_right_up();
    d.advance_to(kPlayStarts + 300);
    place_hero(h, 2, 3);
    d.board.show("im_flame_3");
    d.Inp_right_down(); // high over the floor flame
    EXPECT_EQ(d.Pelko_Pos, 3);
    EXPECT_EQ(d.Score, 2);
    EXPECT_TRUE(d.timers.enabled(TimerId::Pelko_Move));
}

TEST_F(HeroMoves, RightIntoTheEnemyFlameWithHighBombMisses) {
    place_hero(h, 3, 3);
    d.board.show("im_enemy_4_flame_4");
    d.Inp_right_down();
    EXPECT_EQ(d.Pelko_Pos, 4); // he moved, then was caught
    EXPECT_EQ(d.Score, 0);
    EXPECT_EQ(h.panel(), "_000");
    EXPECT_FALSE(d.timers.enabled(TimerId::Pelko_Move));
}

TEST_F(HeroMoves, RaisingIntoTheEnemyFlameMisses) {
    d.board.show("im_enemy_1_flame_4");
    const std::size_t m = mark();
    d.Inp_bomb_down();
    EXPECT_EQ(d.Pelko_Hold, 3);
    EXPECT_TRUE(hero_drawn(1, 3));
    EXPECT_EQ(played("Movebomb", m), 0);
}

TEST_F(HeroMoves, LoweringOntoTheFloorFlameMisses) {
    place_hero(h, 1, 3);
    d.board.show("im_flame_1");
    const std::size_t m = mark();
    d.Inp_bomb_down();
    EXPECT_EQ(d.Pelko_Hold, 2);
    EXPECT_TRUE(hero_drawn(1, 2));
    EXPECT_EQ(played("Movebomb", m), 0);
}

TEST_F(HeroMoves, RaisingAtFiveWhileTheHandIsOutDeliversWithoutScore) {
    place_hero(h, 5, 2);
    d.board.hide("im_partner_right_3");
    d.board.show("im_partner_right_2");
    const std::size_t m = mark();
    d.Inp_bomb_down();
    EXPECT_TRUE(h.lit("im_pelko_5_bomb"));
    EXPECT_EQ(d.Score, 0);
    EXPECT_EQ(played("Movebomb", m), 0);
}

TEST_F(HeroMoves, StepToFiveWithTheHandOutScoresThenDelivers) {
    place_hero(h, 4, 3);
    d.board.hide("im_partner_right_3");
    d.board.show("im_partner_right_2");
    d.Inp_right_down();
    EXPECT_EQ(d.Pelko_Pos, 5);
    EXPECT_TRUE(h.lit("im_pelko_5_bomb"));
    EXPECT_EQ(d.Score, 1);
    EXPECT_EQ(h.panel(), "_001");
}

TEST_F(HeroMoves, StepThatReachesTheChanceScoreKeepsItsLockTimer) {
    d.Score = 299;
    d.Inp_right_down();
    EXPECT_EQ(d.Score, 300);
    EXPECT_EQ(d.Chance_Resume, 0);
    // Started after the chance test, so it runs on through the chance time.
    EXPECT_TRUE(d.timers.enabled(TimerId::Pelko_Move));
    d.advance_to(kPlayStarts + 300);
    EXPECT_FALSE(d.Move_Lock);
}

} // namespace
} // namespace q50::testing
