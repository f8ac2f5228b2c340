// The miss sequence: its three phases to the millisecond, both kinds of hit at both ends of
// the walkway, and the count that restarts the stage.
#include "device_harness.h"

#include <gtest/gtest.h>

namespace q50::testing {
namespace {

constexpr std::int64_t kHitAt = 1000; // when the collision is found

struct MissRun {
    DeviceHarness h;
    std::int64_t first_step = 0; // phase 1 step 1

    MissRun(int pos, int hold, int misses = 0) {
        h.start();
        h.dev.Misses = misses;
        h.set_up_play(pos, hold);
        h.dev.advance_to(kHitAt);
        h.dev.Gam_Execute_Miss_Phase_1();
        first_step = kHitAt + 1;
    }
    void at(std::int64_t since_first_step) { h.dev.advance_to(first_step + since_first_step); }
};

TEST(Miss, LastsExactly5510msFromPositions2To5) {
    for (int pos = 2; pos <= 5; ++pos) {
        for (int hold : {2, 3}) {
            SCOPED_TRACE("position " + std::to_string(pos) + " hold " + std::to_string(hold));
            MissRun r(pos, hold);
            EXPECT_FALSE(r.h.dev.Play_Active);
            r.at(5509);
            EXPECT_EQ(r.h.dev.Misses, 0);
            r.at(5510);
            EXPECT_EQ(r.h.dev.Misses, 1);
            EXPECT_EQ(r.h.sounds(), (std::vector<std::string>{"silence", "Miss1", "Miss1", "Miss1",
                                                              "Miss2", "Miss3"}));
            EXPECT_EQ(r.h.sound_time("Miss1"), r.first_step);
            EXPECT_EQ(r.h.sound.calls[2].time, r.first_step + 660);
            EXPECT_EQ(r.h.sound.calls[3].time, r.first_step + 1320);
            EXPECT_EQ(r.h.sound_time("Miss2"), r.first_step + 1650 + 300);
            EXPECT_EQ(r.h.sound_time("Miss3"), r.first_step + 1650 + 1800 + 500);
        }
    }
}

TEST(Miss, AtPosition1SkipsTheWalkAndLasts3710ms) {
    for (int hold : {2, 3}) {
        MissRun r(1, hold);
        r.at(1650);
        EXPECT_EQ(r.h.dev.Pelko_Pos, 1);
        EXPECT_TRUE(r.h.lit("im_pelko_0_body"));
        EXPECT_FALSE(r.h.lit("im_pelko_1_body"));
        r.at(1650 + 249);
        EXPECT_FALSE(r.h.lit("im_pelko_0_boom_1"));
        r.at(1650 + 250);
        EXPECT_TRUE(r.h.lit("im_pelko_0_boom_1"));
        r.at(3709);
        EXPECT_EQ(r.h.dev.Misses, 0);
        r.at(3710);
        EXPECT_EQ(r.h.dev.Misses, 1);
        EXPECT_EQ(r.h.sound_count("Miss2"), 0);
        EXPECT_EQ(r.h.sound_time("Miss3"), r.first_step + 1650 + 500);
    }
}

TEST(Miss, RepeatedCallBeforeTheFirstStepRunsTheSequenceOnce) {
    MissRun r(3, 2);
    r.h.dev.Gam_Execute_Miss_Phase_1();
    r.at(10000);
    EXPECT_EQ(r.h.dev.Misses, 1);
    EXPECT_EQ(r.h.sound_count("Miss1"), 3);
    EXPECT_EQ(r.h.sound_count("Miss3"), 1);
}

struct HitCase {
    int pos;
    int hold;
    const char* hit;
};

class MissAtAnEnd : public ::testing::TestWithParam<HitCase> {};

TEST_P(MissAtAnEnd, HitFlameBlinksThreeTimesThenTheHeroReachesTheFort) {
    const HitCase c = GetParam();
    MissRun r(c.pos, c.hold);
    r.h.dev.board.show(r.h.dev.board.named(c.hit)); // the collision saw it lit
    const bool tip_burns_on = c.hold == 3 && c.pos >= 2;
    const bool expected[6] = {false, true, false, true, false, tip_burns_on};
    for (int step = 1; step <= 6; ++step) {
        r.at((step - 1) * 330);
        EXPECT_EQ(r.h.lit(c.hit), expected[step - 1]) << "after phase 1 step " << step;
    }
    // Walking back takes one step per position left to go, plus the first step.
    const std::int64_t at_fort = c.pos == 1 ? 1650 : 1650 + 300 * (c.pos - 1 + 1);
    r.at(at_fort - 1);
    EXPECT_NE(r.h.dev.Pelko_Pos, 0);
    r.at(at_fort);
    EXPECT_EQ(r.h.dev.Pelko_Pos, c.pos == 1 ? 1 : 0);
    EXPECT_TRUE(r.h.lit("im_pelko_0_body"));
    EXPECT_TRUE(r.h.lit("im_pelko_0_head"));
    EXPECT_TRUE(r.h.lit("im_pelko_0_up"));
    for (int p = 1; p <= 5; ++p)
        EXPECT_FALSE(r.h.dev.board.Seg_Pelko(p, 1).shown) << "hero still at " << p;
    EXPECT_FALSE(r.h.lit("im_pelko_5_bomb"));
}

INSTANTIATE_TEST_SUITE_P(Ends, MissAtAnEnd,
                         ::testing::Values(HitCase{1, 2, "im_flame_1"},
                                           HitCase{1, 3, "im_enemy_1_flame_4"},
                                           HitCase{5, 2, "im_flame_5"},
                                           HitCase{5, 3, "im_enemy_5_flame_4"}),
                         [](const auto& info) {
                             return "Position" + std::to_string(info.param.pos) +
                                    (info.param.hold == 2 ? "Low" : "High");
                         });

TEST(Miss, FloorFlameAtPosition5SendsTheBurningBombDownOnePlaceEvery300ms) {
    MissRun r(5, 2);
    r.h.dev.board.show("im_flame_5");
    r.at(1650);
    EXPECT_FALSE(r.h.lit("im_flame_5"));
    for (int step = 1; step <= 4; ++step) {
        r.at(1650 + 300 * step);
        const int p = 5 - step;
        SCOPED_TRACE("phase 2 step " + std::to_string(step));
        EXPECT_EQ(r.h.dev.Pelko_Pos, p);
        EXPECT_EQ(r.h.dev.Pelko_Hold, 3);
        EXPECT_TRUE(r.h.dev.board.Seg_Pelko(p, 1).shown);
        EXPECT_TRUE(r.h.dev.board.Seg_Pelko(p, 3).shown);
        EXPECT_FALSE(r.h.dev.board.Seg_Pelko(p, 2).shown);
        EXPECT_FALSE(r.h.dev.board.Seg_Pelko(p + 1, 1).shown);
        for (int n = 1; n <= 5; ++n)
            EXPECT_EQ(r.h.dev.board.Seg_Enemy(n, 6).shown, n == p) << "flame tip " << n;
        EXPECT_FALSE(r.h.lit("im_flame_5"));
    }
    r.at(1650 + 1500);
    EXPECT_EQ(r.h.dev.Pelko_Pos, 0);
    EXPECT_FALSE(r.h.dev.board.Seg_Enemy(1, 6).shown);
    EXPECT_FALSE(r.h.lit("im_pelko_0_boom_1"));
    r.at(1650 + 1800);
    EXPECT_TRUE(r.h.lit("im_pelko_0_boom_1"));
    for (int n = 1; n <= 5; ++n) {
        EXPECT_TRUE(r.h.dev.board.Seg_Enemy(n, 1).shown);
        EXPECT_FALSE(r.h.dev.board.Seg_Enemy(n, 2).shown);
    }
}

TEST(Miss, PhaseThreeWrecksTheFortAndLeavesTheRestOfPlayFrozen) {
    MissRun r(2, 3);
    Board& b = r.h.dev.board;
    b.show("im_flame_4");
    b.show("im_partner_right_2");
    b.show("im_enemy_1_bomb");
    r.h.dev.Score = 123;
    const auto before = r.h.shown_flags();
    const std::int64_t p3 = 1650 + 1800; // phase 3 is armed
    r.at(p3 + 250);
    EXPECT_TRUE(r.h.lit("im_pelko_0_boom_1"));
    r.at(p3 + 500);
    EXPECT_FALSE(r.h.lit("im_pelko_0_head"));
    EXPECT_FALSE(r.h.lit("im_pelko_0_up"));
    EXPECT_TRUE(r.h.lit("im_pelko_0_boom_2"));
    r.at(p3 + 1059);
    EXPECT_TRUE(r.h.lit("im_partner_left_fort"));
    r.at(p3 + 1060);
    EXPECT_FALSE(r.h.lit("im_partner_left_1"));
    EXPECT_FALSE(r.h.lit("im_partner_left_fort"));
    EXPECT_TRUE(r.h.lit("im_partner_left_boom"));
    for (const std::string& name : r.h.changed_since(before)) {
        const bool part_of_the_miss =
            name.rfind("im_pelko_", 0) == 0 || name.rfind("im_partner_left_", 0) == 0 ||
            (name.rfind("im_enemy_", 0) == 0 && name.find("bomb") == std::string::npos);
        EXPECT_TRUE(part_of_the_miss) << name << " changed during the miss";
    }
    EXPECT_TRUE(r.h.lit("im_flame_4"));
    EXPECT_TRUE(r.h.lit("im_partner_right_2"));
    EXPECT_TRUE(r.h.lit("im_enemy_1_bomb"));
}

TEST(Miss, StartDrawsTheScoreShownEvenWhenTheBlinkLeftItBlank) {
    DeviceHarness h;
    h.start();
    h.dev.Score = 456;
    h.set_up_play(3, 2);
    Vid_Show_Panel_Score(h.dev.board, h.dev.Score, false);
    ASSERT_EQ(h.panel(), "____");
    h.dev.Gam_Execute_Miss_Phase_1();
    EXPECT_EQ(h.panel(), "_456");
}

TEST(Miss, FirstAndSecondMissRestartTheStageAfter1000msWithTheirMarks) {
    for (int before : {0, 1}) {
        SCOPED_TRACE("misses before " + std::to_string(before));
        MissRun r(4, 2, before);
        r.h.dev.Score_Step = 2;
        r.h.dev.Double_Points = true;
        r.at(5510);
        const Board& b = r.h.dev.board;
        EXPECT_EQ(r.h.dev.Misses, before + 1);
        EXPECT_TRUE(b.Seg_Miss[0].shown);
        EXPECT_TRUE(b.Seg_Miss[1].shown);
        EXPECT_EQ(b.Seg_Miss[2].shown, before == 1);
        EXPECT_FALSE(b.Seg_Miss[3].shown);
        for (int c = 1; c <= 5; ++c) EXPECT_FALSE(b.Seg_Pelko(0, c).shown);
        EXPECT_FALSE(r.h.lit("im_partner_left_boom"));
        for (int n = 1; n <= 5; ++n) EXPECT_FALSE(b.Seg_Enemy(n, 1).shown);
        EXPECT_EQ(r.h.dev.Score_Step, 1);
        EXPECT_FALSE(r.h.dev.Double_Points);
        EXPECT_EQ(r.h.dev.Stage_Init_Phase, 1);
        EXPECT_EQ(r.h.dev.timers.due(TimerId::Stage_Init), r.first_step + 5510 + 1000);
        EXPECT_FALSE(r.h.dev.timers.enabled(TimerId::Miss_Phase_3));
        EXPECT_FALSE(r.h.dev.timers.enabled(TimerId::Game_Over));
    }
}

} // namespace
} // namespace q50::testing
