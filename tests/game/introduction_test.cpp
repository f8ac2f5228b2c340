#include "in_play.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace q50::testing {
namespace {

// Runs the device step by step from a game start at `start` and names each step of the three
// opening sequences with its time after start step 1.
std::vector<std::string> opening_steps(DeviceHarness& h, std::int64_t start, std::int64_t until) {
    std::vector<std::string> out;
    const std::int64_t origin = start + 1;
    while (auto due = h.dev.next_due()) {
        if (*due > until) break;
        auto fires = [&](TimerId id) { return h.dev.timers.due(id) == due; };
        const bool start_step = fires(TimerId::Game_Start);
        const bool enemy_step = fires(TimerId::Game_Start_Enemy);
        const bool stage_step = fires(TimerId::Stage_Init);
        const bool tick = fires(TimerId::Game);
        const int s = h.dev.Game_Start_Phase, e = h.dev.Game_Start_Enemy_Phase,
                  i = h.dev.Stage_Init_Phase;
        h.dev.advance_to(*due);
        const std::string at = " at " + std::to_string(*due - origin);
        if (start_step) out.push_back("start " + std::to_string(s) + at);
        if (enemy_step) out.push_back("enemy " + std::to_string(e) + at);
        if (stage_step) out.push_back("stage " + std::to_string(i) + at);
        if (tick) out.push_back("tick" + at);
    }
    return out;
}

TEST(Introduction, MergedOrderToTheMillisecond) {
    DeviceHarness h;
    h.start();
    h.dev.Inp_open_down();
    h.dev.advance_to(5000);
    h.dev.Inp_game_a_down();
    h.dev.advance_to(5400);
    h.dev.Inp_game_a_up();
    const std::vector<std::string> expected = {
        "start 1 at 0",     "start 2 at 320",   "start 3 at 640",   "start 4 at 1090",
        "start 5 at 1740",  "enemy 1 at 2040",  "enemy 2 at 2340",  "start 6 at 2390",
        "enemy 3 at 2640",  "enemy 4 at 2940",  "start 7 at 3040",  "enemy 5 at 3240",
        "enemy 6 at 3540",  "start 8 at 3690",  "enemy 7 at 3840",  "enemy 8 at 4140",
        "start 9 at 4340",  "enemy 9 at 4555",  "enemy 10 at 4970", "enemy 11 at 5385",
        "enemy 12 at 5800", "enemy 13 at 6100", "enemy 14 at 6400", "enemy 15 at 6700",
        "enemy 16 at 7000", "enemy 17 at 7300", "enemy 18 at 7450", "enemy 19 at 7600",
        "enemy 20 at 8180", "enemy 21 at 8980", "enemy 22 at 9480", "stage 1 at 9630",
        "stage 2 at 9930",  "stage 3 at 10230", "stage 4 at 10530", "tick at 10965",
    };
    EXPECT_EQ(opening_steps(h, 5400, 5401 + 10965), expected);
    EXPECT_FALSE(h.dev.timers.enabled(TimerId::Game_Start));
    EXPECT_FALSE(h.dev.timers.enabled(TimerId::Game_Start_Enemy));
    EXPECT_FALSE(h.dev.timers.enabled(TimerId::Stage_Init));
    EXPECT_TRUE(h.dev.timers.enabled(TimerId::Game));
}

TEST(Introduction, SoundsComeAtTheirSteps) {
    DeviceHarness h;
    start_play(h);
    const std::vector<std::string> expected = {"Start", "Miss2", "Miss3", "Bombfall"};
    EXPECT_EQ(h.sounds(), expected);
    EXPECT_EQ(h.sound_time("Start"), 1);
    EXPECT_EQ(h.sound_time("Miss2"), 1 + 5800);
    EXPECT_EQ(h.sound_time("Miss3"), 1 + 7600);
    EXPECT_EQ(h.sound_time("Bombfall"), 1 + 9930);
}

TEST(Introduction, HeroWalksRightAndTheFlamesFollowHimBack) {
    DeviceHarness h;
    h.start();
    h.dev.Inp_open_down();
    h.dev.Inp_game_a_down();
    h.dev.Inp_game_a_up();
    h.dev.advance_to(1 + 3040); // start 7: the bomb goes up, the hold stays low
    EXPECT_TRUE(h.lit("im_pelko_3_up"));
    EXPECT_FALSE(h.lit("im_pelko_3_down"));
    EXPECT_EQ(h.dev.Pelko_Hold, 2);
    h.dev.advance_to(1 + 3690); // start 8 clears both arms at 3
    EXPECT_FALSE(h.lit("im_pelko_3_up"));
    EXPECT_FALSE(h.lit("im_pelko_3_body"));
    EXPECT_TRUE(h.lit("im_pelko_4_up"));
    h.dev.advance_to(1 + 4340);
    for (auto n : {"im_pelko_5_body", "im_pelko_5_up", "im_pelko_5_bomb"})
        EXPECT_TRUE(h.lit(n)) << n;
    h.dev.advance_to(1 + 5800); // enemy 12 erases him at 5 and puts him at 4
    for (auto n : {"im_pelko_5_body", "im_pelko_5_up", "im_pelko_5_bomb", "im_enemy_5_flame_3"})
        EXPECT_FALSE(h.lit(n)) << n;
    EXPECT_TRUE(h.lit("im_pelko_4_up"));
    EXPECT_TRUE(h.lit("im_enemy_4_flame_4"));
    h.dev.advance_to(1 + 6700);
    EXPECT_TRUE(h.lit("im_enemy_1_flame_4"));
    EXPECT_TRUE(h.lit("im_pelko_1_up"));
    EXPECT_TRUE(h.lit("im_enemy_5_down"));
    EXPECT_FALSE(h.lit("im_enemy_5_up"));
    h.dev.advance_to(1 + 7600);
    for (auto n : {"im_pelko_0_body", "im_pelko_0_boom_1", "im_pelko_0_boom_2"})
        EXPECT_TRUE(h.lit(n)) << n;
    EXPECT_FALSE(h.lit("im_pelko_0_head"));
    EXPECT_FALSE(h.lit("im_pelko_1_body"));
    EXPECT_EQ(h.dev.Pelko_Pos, 1);
}

TEST(StageStart, HandsTheBombOverAndDealsTheFlames) {
    DeviceHarness h;
    start_play(h, 'A', {2, 5, 3, 1});
    EXPECT_EQ(counters(h), (std::array<int, 5>{2, 5, 3, 1, 5}));
    EXPECT_EQ(h.random.scripted_left(), 0u);
    EXPECT_EQ(h.dev.Pelko_Pos, 1);
    EXPECT_EQ(h.dev.Pelko_Hold, 2);
    EXPECT_TRUE(h.dev.Play_Active);
    EXPECT_EQ(h.dev.Tick_Phase, 1);
    EXPECT_EQ(h.dev.Stage_Ticks, 1);
    EXPECT_EQ(h.dev.Partner_Count, 1);
    EXPECT_EQ(h.dev.Bombs_Delivered, 0);
    EXPECT_EQ(h.dev.timers.due(TimerId::Game), kFirstTick);
    // Every LCD segment lit at this point, and nothing else of the display.
    std::vector<std::string> lit;
    for (const Segment& s : h.dev.board.segments())
        if (s.shown && (is_lcd_segment(s.name) || s.name == "im_game_background"))
            lit.push_back(s.name);
    std::sort(lit.begin(), lit.end());
    const std::vector<std::string> expected = {
        "im_enemy_1_up",      "im_enemy_2_up",     "im_enemy_3_up",        "im_enemy_4_up",
        "im_enemy_5_up",      "im_flame_10",       "im_flame_9",           "im_game_background",
        "im_panel_digit_1",   "im_panel_digit_2",  "im_panel_digit_3",     "im_panel_digit_4",
        "im_panel_game_a",    "im_partner_left_1", "im_partner_left_fort", "im_partner_right_1",
        "im_partner_right_3", "im_pelko_1_body",   "im_pelko_1_down",
    };
    EXPECT_EQ(lit, expected);
    EXPECT_EQ(h.panel(), "_000");
}

TEST(StageStart, RestartAfterAMissDarkensTheFirstFlamesAndTheBombs) {
    DeviceHarness h;
    start_play(h);
    // As a restart finds the board: bombs above enemies, flames under positions 1 and 2.
    h.dev.Gam_Stop_All_Timers();
    h.dev.Play_Active = false;
    h.dev.board.show(
        {"im_enemy_2_bomb", "im_enemy_4_bomb", "im_flame_1", "im_flame_2", "im_flame_3"});
    h.dev.Stage_Init_Phase = 1;
    h.dev.timers.start(TimerId::Stage_Init, 1000);
    const std::int64_t t0 = h.dev.now();
    h.dev.advance_to(t0 + 999);
    EXPECT_TRUE(h.lit("im_flame_1"));
    h.dev.advance_to(t0 + 1000);
    for (auto n : {"im_enemy_2_bomb", "im_enemy_4_bomb", "im_flame_1", "im_flame_2"})
        EXPECT_FALSE(h.lit(n)) << n;
    EXPECT_TRUE(h.lit("im_flame_3"));
    EXPECT_FALSE(h.dev.Play_Active);
    h.random.script(4);
    h.random.script(4);
    h.random.script(4);
    h.random.script(4);
    h.dev.advance_to(t0 + 1000 + 900);
    EXPECT_TRUE(h.dev.Play_Active);
    EXPECT_EQ(counters(h), (std::array<int, 5>{4, 4, 4, 4, 5}));
}

} // namespace
} // namespace q50::testing
