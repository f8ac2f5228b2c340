// Chance time: the jingle by the misses on the panel, double points and the score blink, and
// the resumption of exactly what the chance time interrupted.
#include "device_harness.h"

#include <gtest/gtest.h>

namespace q50::testing {
namespace {

constexpr std::int64_t kTest = 3000;

// A step right that has just brought the score to the chance mark.
struct RightStepChance {
    DeviceHarness h;
    explicit RightStepChance(int misses, int score = 300) {
        h.start();
        h.dev.Misses = misses;
        h.dev.Score = score;
        h.set_up_play(3, 2);
        h.dev.advance_to(kTest);
        h.dev.timers.start(TimerId::Game, 435);
        h.dev.Chance_Resume = 0;
        h.dev.Gam_Check_Chance_Time();
    }
};

TEST(ChanceTime, JinglesTakeTheMissesAwayOneByOneAndPlayResumes) {
    const std::int64_t lengths[] = {2300, 4100, 5900};
    for (int misses = 0; misses <= 2; ++misses) {
        SCOPED_TRACE("misses " + std::to_string(misses));
        RightStepChance c(misses);
        Device& d = c.h.dev;
        EXPECT_FALSE(d.Play_Active);
        EXPECT_FALSE(d.timers.enabled(TimerId::Game));
        EXPECT_EQ(d.Next_Chance_Score, 1300);
        EXPECT_EQ(c.h.sounds(), std::vector<std::string>{"silence"}); // nothing ran before
        const int jingles = misses + 1;
        for (int j = 0; j < jingles; ++j) {
            const std::int64_t at = kTest + 500 + 1800 * j;
            d.advance_to(at - 1);
            EXPECT_EQ(d.Misses, misses - j);
            d.advance_to(at);
            EXPECT_EQ(c.h.sound_count("Chance"), j + 1);
            EXPECT_EQ(d.Misses, std::max(0, misses - j - 1));
            EXPECT_EQ(d.board.Seg_Miss[0].shown, d.Misses > 0);
            for (int i = 1; i <= 3; ++i) EXPECT_EQ(d.board.Seg_Miss[i].shown, i <= d.Misses);
        }
        const std::int64_t end = kTest + lengths[misses];
        d.advance_to(end - 1);
        EXPECT_FALSE(d.Play_Active);
        d.advance_to(end);
        EXPECT_TRUE(d.Play_Active);
        EXPECT_TRUE(d.timers.enabled(TimerId::Game));
        EXPECT_FALSE(d.timers.enabled(TimerId::Chance));
        EXPECT_EQ(d.Double_Points, misses == 0);
        EXPECT_EQ(d.Score_Step, misses == 0 ? 2 : 1);
        EXPECT_EQ(d.timers.enabled(TimerId::Score_Blink), misses == 0);
        EXPECT_EQ(c.h.sound_count("Chance"), jingles);
    }
}

TEST(ChanceTime, DoublePointsBlinkTheScoreStartingWithABlankHalf) {
    RightStepChance c(0);
    const std::int64_t end = kTest + 2300;
    c.h.dev.advance_to(end + 699);
    EXPECT_EQ(c.h.panel(), "_300");
    c.h.dev.advance_to(end + 700);
    EXPECT_EQ(c.h.panel(), "____");
    c.h.dev.advance_to(end + 1400);
    EXPECT_EQ(c.h.panel(), "_300");
    c.h.dev.advance_to(end + 2100);
    EXPECT_EQ(c.h.panel(), "____");
}

TEST(ChanceTime, TestDoesNothingOutsidePlayOrBelowTheMark) {
    struct Case {
        int game_state, score;
    };
    for (Case k : {Case{6, 299}, Case{8, 0}, Case{4, 300}, Case{9, 5000}, Case{5, 300}}) {
        DeviceHarness h;
        h.start();
        h.set_up_play(2, 2, 6);
        h.dev.Game_State = k.game_state;
        h.dev.Score = k.score;
        h.dev.timers.start(TimerId::Game, 300);
        h.dev.Gam_Check_Chance_Time();
        EXPECT_TRUE(h.dev.Play_Active);
        EXPECT_TRUE(h.dev.timers.enabled(TimerId::Game));
        EXPECT_FALSE(h.dev.timers.enabled(TimerId::Chance));
        EXPECT_EQ(h.dev.Next_Chance_Score, 300);
        EXPECT_TRUE(h.sound.calls.empty());
    }
}

TEST(ChanceTime, ComparesTheFullScoreWhileThePanelWrapsAt1000) {
    DeviceHarness h;
    h.start();
    h.dev.Misses = 1;
    h.set_up_play(3, 2);
    Device& d = h.dev;
    d.Next_Chance_Score = 1300;
    d.Score = 1000;
    Vid_Show_Panel_Score(d.board, d.Score, true);
    d.Gam_Check_Chance_Time();
    EXPECT_EQ(h.panel(), "_000");
    EXPECT_FALSE(d.timers.enabled(TimerId::Chance));
    d.Score = 1300;
    d.Gam_Check_Chance_Time();
    EXPECT_TRUE(d.timers.enabled(TimerId::Chance));
    EXPECT_EQ(d.Next_Chance_Score, 2300);
    EXPECT_EQ(d.Chance_Step, 2);
}

// A hand-over at kTest with the hero at 5 holding high and the partner reaching.
struct HandOver {
    DeviceHarness h;
    HandOver(int score, int misses, int bombs_delivered = 0) {
        h.start();
        h.dev.Misses = misses;
        h.dev.Score = score;
        h.dev.Bombs_Delivered = bombs_delivered;
        h.set_up_play(5, 3);
        h.dev.board.hide("im_partner_right_3");
        h.dev.board.show("im_partner_right_2");
        h.dev.advance_to(kTest);
        h.dev.Gam_Execute_Bonus();
    }
    // Every change of the score until `until` (since the hand-over), with its time.
    std::vector<std::pair<std::int64_t, int>> scores_until(std::int64_t until) {
        std::vector<std::pair<std::int64_t, int>> out;
        int last = h.dev.Score;
        while (auto due = h.dev.next_due()) {
            if (*due > kTest + until) break;
            h.dev.advance_to(*due);
            if (h.dev.Score != last) out.emplace_back(*due - kTest, last = h.dev.Score);
        }
        h.dev.advance_to(kTest + until);
        return out;
    }
};

using Scores = std::vector<std::pair<std::int64_t, int>>;

TEST(ChanceTime, Score298HandedOverPausesPhaseOneAndDoublesItsLastThreeSteps) {
    HandOver c(298, 0);
    Device& d = c.h.dev;
    EXPECT_EQ(c.scores_until(471), (Scores{{386, 299}, {471, 300}}));
    EXPECT_EQ(d.Next_Chance_Score, 1300);
    EXPECT_FALSE(d.timers.enabled(TimerId::Bonus_Phase_1));
    EXPECT_EQ(d.Bonus_Phase_1_Step, 5);
    EXPECT_EQ(d.Chance_Resume, 1);
    EXPECT_EQ(c.h.sound_time("Chance"), -1);
    EXPECT_EQ(c.scores_until(3111), (Scores{{2856, 302}, {2941, 304}, {3026, 306}}));
    EXPECT_EQ(c.h.sound_time("Chance"), kTest + 971);
    EXPECT_EQ(c.h.sound_count("Chance"), 1);
    EXPECT_EQ(d.Score_Step, 2);
    EXPECT_EQ(d.timers.due(TimerId::Bonus_Phase_2), kTest + 3112);
    EXPECT_FALSE(d.timers.enabled(TimerId::Bonus_Phase_1));
}

class ChanceInTheBlast : public ::testing::TestWithParam<int> {};

TEST_P(ChanceInTheBlast, FiresBetweenTwoPointStepsAndThePhaseGoesOn55msAfterIt) {
    const int k = GetParam(); // the point-step that reaches 300
    HandOver c(295 - k, 0, 4);
    Device& d = c.h.dev;
    const std::int64_t first_point = 1158 + 2891;
    c.scores_until(first_point - 1); // the hand-over's own five points
    Scores expected;
    int score = 300 - k;
    for (int i = 1; i <= 10; ++i) {
        const std::int64_t at = first_point + 55 * (i - 1) + (i > k ? 2300 : 0);
        score += i > k ? 2 : 1;
        expected.emplace_back(at, score);
    }
    EXPECT_EQ(c.scores_until(first_point + 55 * 9 + 2300), expected);
    EXPECT_EQ(c.h.sound_count("Chance"), 1);
    EXPECT_EQ(c.h.sound_time("Chance"), kTest + first_point + 55 * (k - 1) + 500);
    const std::int64_t last_step = first_point + 55 * 10 + 650 + 3300 + 2300;
    c.scores_until(last_step);
    EXPECT_EQ(d.timers.due(TimerId::Stage_Init), kTest + last_step + 400);
    EXPECT_TRUE(d.timers.enabled(TimerId::Score_Blink));
    EXPECT_EQ(d.Score, 300 + 2 * (10 - k));
}

INSTANTIATE_TEST_SUITE_P(PointSteps, ChanceInTheBlast, ::testing::Range(1, 11));

TEST(ChanceTime, AgainUnderDoublePointsRestartsTheBlinkWithABlankHalf) {
    RightStepChance c(0, 1290);
    Device& d = c.h.dev;
    d.advance_to(kTest + 2300 + 700);
    ASSERT_EQ(c.h.panel(), "____");
    ASSERT_EQ(d.Score_Blink_Step, 2);
    d.Score = 1300;
    d.Gam_Check_Chance_Time();
    EXPECT_FALSE(d.timers.enabled(TimerId::Score_Blink));
    const std::int64_t end = d.now() + 2300;
    d.advance_to(end);
    EXPECT_EQ(d.Score_Step, 2);
    EXPECT_EQ(d.Score_Blink_Step, 1);
    d.advance_to(end + 700);
    EXPECT_EQ(c.h.panel(), "____");
    d.advance_to(end + 1400);
    EXPECT_EQ(c.h.panel(), "_300");
}

TEST(ChanceTime, AMissUnderDoublePointsEndsTheBlinkAndTheDoubling) {
    RightStepChance c(0);
    Device& d = c.h.dev;
    d.advance_to(kTest + 2300 + 700);
    ASSERT_EQ(c.h.panel(), "____");
    d.Gam_Execute_Miss_Phase_1();
    EXPECT_EQ(c.h.panel(), "_300");
    EXPECT_FALSE(d.timers.enabled(TimerId::Score_Blink));
    for (int s = 1; s <= 12; ++s) {
        d.advance_to(d.now() + 350);
        EXPECT_EQ(c.h.panel(), "_300") << s * 350 << " ms into the miss";
    }
    d.advance_to(d.now() + 2000);
    EXPECT_EQ(d.Misses, 1);
    EXPECT_EQ(d.Score_Step, 1);
    EXPECT_FALSE(d.Double_Points);
}

// Steps through every timer event up to `until` and tells whether the score ever blinked
// while points were not doubled.
bool blinked_with_single_points(Device& d, std::int64_t until, bool* blinked = nullptr) {
    bool wrong = false;
    while (auto due = d.next_due()) {
        if (*due > until) break;
        d.advance_to(*due);
        if (!d.timers.enabled(TimerId::Score_Blink)) continue;
        if (blinked) *blinked = true;
        wrong |= d.Score_Step != 2;
    }
    d.advance_to(until);
    return wrong;
}

// The step right that completes a hand-over and reaches the chance mark at the same time.
struct StepOntoTheMark {
    DeviceHarness h;
    explicit StepOntoTheMark(int misses) {
        h.start();
        h.dev.Misses = misses;
        h.dev.Score = 299;
        h.set_up_play(4, 3);
        h.dev.board.hide("im_partner_right_3");
        h.dev.board.show("im_partner_right_2");
        h.dev.advance_to(kTest);
        h.dev.Inp_right_down();
        h.dev.Inp_right_up();
    }
};

// One step right that reaches the chance mark and completes a hand-over: the whole chance
// time runs first, then the hand-over, which scores at the step the chance time has set.
TEST(ChanceTime, StepThatAlsoHandsOverRunsTheChanceTimeThenTheHandOver) {
    for (int misses : {0, 1}) {
        SCOPED_TRACE("misses " + std::to_string(misses));
        StepOntoTheMark c(misses);
        Device& d = c.h.dev;
        EXPECT_EQ(d.Pelko_Pos, 5);
        EXPECT_EQ(d.Score, 300);
        EXPECT_EQ(d.Next_Chance_Score, 1300);
        EXPECT_TRUE(d.timers.enabled(TimerId::Chance));
        EXPECT_FALSE(d.timers.enabled(TimerId::Bonus_Phase_1));
        EXPECT_EQ(c.h.sound_count("Bonus0"), 0);
        const std::int64_t end = kTest + (misses == 0 ? 2300 : 4100);
        EXPECT_FALSE(blinked_with_single_points(d, end - 1));
        EXPECT_EQ(c.h.sound_count("Chance"), misses + 1);
        EXPECT_EQ(d.Misses, 0);
        EXPECT_TRUE(c.h.lit("im_pelko_5_bomb"));
        d.advance_to(end);
        EXPECT_EQ(c.h.sound_time("Bonus0"), end);
        EXPECT_FALSE(d.timers.enabled(TimerId::Chance));
        EXPECT_FALSE(d.Play_Active);
        const int step = misses == 0 ? 2 : 1;
        EXPECT_EQ(d.Score_Step, step);
        d.advance_to(end + 1 + 300 + 85 * 5);
        EXPECT_EQ(d.Score, 300 + 5 * step);
        EXPECT_FALSE(c.h.lit("im_pelko_5_bomb"));
        bool blinked = false;
        EXPECT_FALSE(blinked_with_single_points(d, end + 8000, &blinked));
        EXPECT_EQ(blinked, misses == 0);
        EXPECT_EQ(d.Bombs_Delivered, 1);
        EXPECT_TRUE(d.Play_Active);
        EXPECT_EQ(d.Next_Chance_Score, 1300);
        EXPECT_EQ(c.h.sound_count("Chance"), misses + 1);
        EXPECT_EQ(c.h.sound_count("Bonus0"), 1);
    }
}

} // namespace
} // namespace q50::testing
