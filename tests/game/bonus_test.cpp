// The bonus chain after a hand-over: its phases to the millisecond, the stop rule that sets
// the n-th bomb of a stage above enemy n, play resuming, and the enemy blast.
#include "device_harness.h"

#include <gtest/gtest.h>

namespace q50::testing {
namespace {

constexpr std::int64_t kHandOver = 2000;

struct BonusRun {
    DeviceHarness h;

    explicit BonusRun(int bombs_delivered, int score = 10, int misses = 0) {
        h.start();
        h.dev.Score = score;
        h.dev.Misses = misses;
        h.dev.Bombs_Delivered = bombs_delivered;
        h.set_up_play(5, 3);
        Board& b = h.dev.board;
        b.hide("im_partner_right_3");
        b.show("im_partner_right_2");
        for (int n = 1; n <= bombs_delivered; ++n) b.show(b.Seg_Enemy(n, 0));
        h.dev.advance_to(kHandOver);
        h.dev.Gam_Execute_Bonus();
    }
    void at(std::int64_t since_hand_over) { h.dev.advance_to(kHandOver + since_hand_over); }
    std::vector<int> placed() const {
        std::vector<int> out;
        for (int n = 1; n <= 5; ++n)
            if (h.dev.board.Seg_Enemy(n, 0).shown) out.push_back(n);
        return out;
    }
    // Scores after each point-step, with the device time they came at.
    std::vector<std::pair<std::int64_t, int>> scores_until(std::int64_t since_hand_over) {
        std::vector<std::pair<std::int64_t, int>> out;
        int last = h.dev.Score;
        while (auto due = h.dev.next_due()) {
            if (*due > kHandOver + since_hand_over) break;
            h.dev.advance_to(*due);
            if (h.dev.Score != last) out.emplace_back(*due - kHandOver, last = h.dev.Score);
        }
        at(since_hand_over);
        return out;
    }
};

using Scores = std::vector<std::pair<std::int64_t, int>>;

TEST(Bonus, HandOverTakesTheBombForFivePointStepsEvery85ms) {
    BonusRun r(0);
    EXPECT_FALSE(r.h.dev.Play_Active);
    EXPECT_EQ(r.h.sounds(), (std::vector<std::string>{"silence", "Bonus0"}));
    EXPECT_EQ(r.h.sound_time("Bonus0"), kHandOver);
    r.at(300);
    EXPECT_TRUE(r.h.lit("im_pelko_5_bomb"));
    r.at(301);
    EXPECT_FALSE(r.h.lit("im_pelko_5_bomb"));
    EXPECT_FALSE(r.h.lit("im_partner_right_2"));
    EXPECT_TRUE(r.h.lit("im_partner_right_3"));
    EXPECT_TRUE(r.h.lit("im_partner_right_4"));
    EXPECT_TRUE(r.h.lit("im_pelko_5_body"));
    EXPECT_TRUE(r.h.lit("im_pelko_5_up"));
    EXPECT_EQ(r.scores_until(811), (Scores{{386, 11}, {471, 12}, {556, 13}, {641, 14}, {726, 15}}));
    EXPECT_EQ(r.h.panel(), "_015");
    EXPECT_FALSE(r.h.dev.timers.enabled(TimerId::Bonus_Phase_1));
    EXPECT_EQ(r.h.dev.timers.due(TimerId::Bonus_Phase_2), kHandOver + 812);
}

struct StopCase {
    int delivered_before;
    int stop_enemy;
    std::int64_t stop_time;        // since the hand-over
    std::vector<std::string> tune; // the sounds of phase 2
};

class BonusStopRule : public ::testing::TestWithParam<StopCase> {};

TEST_P(BonusStopRule, TheNthBombOfAStageStopsAboveEnemyN) {
    const StopCase c = GetParam();
    BonusRun r(c.delivered_before);
    const std::size_t phase_2 = r.h.sound.calls.size();
    r.at(c.stop_time);
    std::vector<int> expected;
    for (int n = 1; n <= c.delivered_before; ++n) expected.push_back(n);
    expected.push_back(c.stop_enemy);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(r.placed(), expected);
    EXPECT_EQ(r.h.dev.Bombs_Delivered, c.delivered_before + 1);
    EXPECT_FALSE(r.h.dev.timers.enabled(TimerId::Bonus_Phase_2));
    const TimerId next = c.delivered_before < 4 ? TimerId::Bonus_Phase_3 : TimerId::Bonus_Phase_4;
    EXPECT_EQ(r.h.dev.timers.due(next), kHandOver + c.stop_time + 1);
    EXPECT_EQ(r.h.sounds(phase_2), c.tune);
    // The steps after the stop never happen: the bomb stays, no further carrying sound.
    r.at(c.stop_time + 300);
    EXPECT_EQ(r.placed(), expected);
    EXPECT_EQ(r.h.sounds(phase_2), c.tune);
}

INSTANTIATE_TEST_SUITE_P(
    Bombs, BonusStopRule,
    ::testing::Values(StopCase{0, 1, 2727, {"Bonus1", "Bonus2", "Bonus3", "Bonus4", "Bonus5"}},
                      StopCase{1, 2, 2327, {"Bonus1", "Bonus2", "Bonus3", "Bonus4"}},
                      StopCase{2, 3, 1927, {"Bonus1", "Bonus2", "Bonus3"}},
                      StopCase{3, 4, 1527, {"Bonus1", "Bonus2"}}, StopCase{4, 5, 1157, {"Bonus1"}}),
    [](const auto& info) { return "Bomb" + std::to_string(info.param.delivered_before + 1); });

TEST(Bonus, NewBombDropsToTheHeroAndPlayResumesInOrder) {
    for (bool doubling : {false, true}) {
        SCOPED_TRACE(doubling ? "double points" : "single points");
        BonusRun r(0);
        Device& d = r.h.dev;
        d.Double_Points = doubling;
        d.Score_Step = doubling ? 2 : 1;
        d.Score_Blink_Step = 2;
        d.board.show("im_flame_1");
        d.board.show("im_flame_3");
        const std::int64_t p3 = 2728; // phase 3 step 1
        r.at(p3 + 1450);
        EXPECT_FALSE(r.h.lit("im_pelko_5_body"));
        EXPECT_FALSE(r.h.lit("im_pelko_5_up"));
        EXPECT_TRUE(r.h.lit("im_pelko_1_body"));
        EXPECT_TRUE(r.h.lit("im_pelko_1_left"));
        EXPECT_TRUE(r.h.lit("im_partner_left_2"));
        EXPECT_FALSE(r.h.lit("im_flame_1"));
        EXPECT_TRUE(r.h.lit("im_flame_3"));
        r.at(p3 + 1750);
        EXPECT_EQ(r.h.sound_time("Bombfall"), kHandOver + p3 + 1750);
        EXPECT_TRUE(r.h.lit("im_partner_left_4"));
        r.at(p3 + 2050);
        EXPECT_FALSE(d.Play_Active);
        EXPECT_TRUE(r.h.lit("im_partner_left_5"));
        d.Partner_Count = 4;
        d.Tick_Phase = 3;
        d.Stage_Ticks = 99;
        r.at(p3 + 2350);
        EXPECT_TRUE(d.Play_Active);
        EXPECT_EQ(d.Pelko_Pos, 1);
        EXPECT_EQ(d.Pelko_Hold, 2);
        EXPECT_TRUE(r.h.lit("im_pelko_1_down"));
        EXPECT_FALSE(r.h.lit("im_pelko_1_left"));
        EXPECT_FALSE(r.h.lit("im_partner_left_3"));
        EXPECT_FALSE(r.h.lit("im_partner_left_5"));
        EXPECT_EQ(d.Partner_Period, 5);
        EXPECT_EQ(d.Partner_Count, 1);
        EXPECT_EQ(d.Tick_Phase, 1);
        EXPECT_EQ(d.Stage_Ticks, 1);
        EXPECT_TRUE(d.timers.enabled(TimerId::Game));
        EXPECT_FALSE(d.timers.enabled(TimerId::Bonus_Phase_3));
        EXPECT_EQ(d.timers.enabled(TimerId::Score_Blink), doubling);
        // The blink goes on from where it stood.
        EXPECT_EQ(d.Score_Blink_Step, 2);
    }
}

TEST(Bonus, EnemyBlastAfterTheFifthBombTimesItsTenPointStepsAndStartsAStage) {
    for (int step : {1, 2}) {
        SCOPED_TRACE("score step " + std::to_string(step));
        BonusRun r(4, 500);
        Device& d = r.h.dev;
        d.Next_Chance_Score = 1300;
        d.Score_Step = step;
        d.Double_Points = step == 2;
        const std::int64_t p4 = 1158; // phase 4 step 1
        r.at(p4);
        const std::size_t phase_4 = r.h.sound.calls.size();
        r.at(p4 + 320);
        EXPECT_TRUE(r.placed().empty());
        r.at(p4 + 520);
        EXPECT_EQ(r.placed(), (std::vector<int>{1, 2, 3, 4, 5}));
        EXPECT_FALSE(r.h.lit("im_partner_right_5"));
        r.at(p4 + 900);
        EXPECT_TRUE(r.placed().empty());
        r.at(p4 + 1100);
        EXPECT_EQ(r.placed().size(), 5u);
        r.at(p4 + 2120);
        EXPECT_EQ(r.h.sound_time("Bonus6", phase_4), kHandOver + p4 + 2120);
        r.at(p4 + 2419);
        EXPECT_TRUE(d.board.Seg_Enemy(3, 2).shown);
        r.at(p4 + 2420);
        EXPECT_TRUE(r.h.lit("im_enemy_boom_1"));
        for (int n = 1; n <= 5; ++n) EXPECT_FALSE(d.board.Seg_Enemy(n, 2).shown);
        r.at(p4 + 2890);
        EXPECT_FALSE(r.h.lit("im_enemy_boom_1"));
        EXPECT_TRUE(r.h.lit("im_enemy_boom_2"));
        EXPECT_TRUE(r.placed().empty());
        const std::int64_t first_point = p4 + 2891;
        Scores expected;
        const int after_hand_over = 500 + 5 * step;
        for (int k = 1; k <= 10; ++k)
            expected.emplace_back(first_point + 55 * (k - 1), after_hand_over + step * k);
        EXPECT_EQ(r.scores_until(first_point + 55 * 9 + 54), expected);
        const std::int64_t last = first_point + 55 * 9 + 55 + 650 + 3300;
        r.at(last - 1);
        EXPECT_TRUE(r.h.lit("im_enemy_boom_2"));
        EXPECT_FALSE(d.timers.enabled(TimerId::Stage_Init));
        r.at(last);
        EXPECT_FALSE(r.h.lit("im_enemy_boom_2"));
        EXPECT_FALSE(r.h.lit("im_pelko_5_body"));
        EXPECT_FALSE(r.h.lit("im_pelko_5_bomb"));
        EXPECT_TRUE(r.h.lit("im_partner_left_2"));
        EXPECT_TRUE(r.h.lit("im_pelko_1_body"));
        EXPECT_TRUE(r.h.lit("im_pelko_1_left"));
        for (int n = 1; n <= 5; ++n) EXPECT_TRUE(d.board.Seg_Enemy(n, 2).shown);
        EXPECT_EQ(d.Stage_Init_Phase, 1);
        EXPECT_EQ(d.timers.due(TimerId::Stage_Init), kHandOver + last + 400);
        EXPECT_FALSE(d.timers.enabled(TimerId::Bonus_Phase_4));
        EXPECT_EQ(d.timers.enabled(TimerId::Score_Blink), step == 2);
        EXPECT_EQ(r.h.sounds(phase_4),
                  (std::vector<std::string>{"Bonus2", "Bonus3", "Bonus6", "Bonus7"}));
        EXPECT_EQ(r.h.sound_time("Bonus7", phase_4), kHandOver + last - 3300);
    }
}

} // namespace
} // namespace q50::testing
