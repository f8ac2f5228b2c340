// Whole games through the device buttons: a miss that restarts the stage, a game that ends
// and falls back to the clock, and the buttons that cut the game-over display short.
#include "device_harness.h"
#include "in_play.h"

#include <gtest/gtest.h>

namespace q50::testing {
namespace {

// Runs until the next time Game_State changes, or until `limit`; the time it changed.
std::int64_t until_state_changes(Device& d, std::int64_t limit) {
    const std::int32_t from = d.Game_State;
    while (auto due = d.next_due()) {
        if (*due > limit) break;
        d.advance_to(*due);
        if (d.Game_State != from) return d.now();
    }
    return -1;
}

TEST(WholeGame, MissRestartsTheStageAndPlayResumesAtPosition1) {
    DeviceHarness h;
    start_play(h, 'A');
    Device& d = h.dev;
    ASSERT_TRUE(d.Play_Active);
    d.Misses = 1;
    Vid_Show_Panel_Miss(d.board, 1);
    d.board.show("im_enemy_2_bomb");
    d.Bombs_Delivered = 1;
    place_hero(h, 4, 2);
    d.board.show("im_flame_4");
    d.Inp_bomb_down(); // nothing: raising is safe
    d.Inp_bomb_up();
    d.Inp_bomb_down(); // lowered onto the floor flame
    d.Inp_bomb_up();
    ASSERT_FALSE(d.Play_Active);
    const std::int64_t first_step = d.now() + 1;
    const std::int64_t restart = first_step + 5510 + 1000;
    d.advance_to(restart + 899);
    EXPECT_EQ(d.Misses, 2);
    EXPECT_FALSE(d.Play_Active);
    d.advance_to(restart + 900);
    EXPECT_TRUE(d.Play_Active);
    EXPECT_EQ(d.Pelko_Pos, 1);
    EXPECT_EQ(d.Pelko_Hold, 2);
    EXPECT_EQ(d.Bombs_Delivered, 0);
    EXPECT_FALSE(h.lit("im_enemy_2_bomb"));
    EXPECT_TRUE(h.lit("im_panel_miss_0"));
    EXPECT_TRUE(h.lit("im_panel_miss_2"));
    EXPECT_FALSE(h.lit("im_panel_miss_3"));
    EXPECT_TRUE(d.timers.enabled(TimerId::Game));
}

struct GameOverDisplay {
    DeviceHarness h;
    std::int64_t display_start = 0;
    GameOverDisplay() {
        start_play(h, 'A');
        Device& d = h.dev;
        d.Misses = 2;
        d.Score = 321;
        place_hero(h, 1, 2);
        d.board.show("im_flame_1");
        d.Inp_bomb_down(); // raised: safe
        d.Inp_bomb_up();
        d.board.show("im_enemy_1_flame_4");
        d.Inp_bomb_down(); // lowered onto the floor flame
        d.Inp_bomb_up();
        display_start = d.now() + 1 + 3710 + 1;
        d.advance_to(display_start + 4300);
    }
};

TEST(WholeGame, GameOverDisplayFallsBackToTheRunningClock) {
    GameOverDisplay g;
    Device& d = g.h.dev;
    g.h.clock.set({15, 20});
    ASSERT_EQ(d.Game_State, 9);
    EXPECT_EQ(d.Hi_Score_A, 321);
    EXPECT_EQ(until_state_changes(d, g.display_start + 4300 + 240000),
              g.display_start + 4300 + 240000);
    EXPECT_EQ(d.Game_State, 4);
    d.advance_to(d.now() + 1);
    EXPECT_TRUE(d.timers.enabled(TimerId::Clock));
    EXPECT_FALSE(d.timers.enabled(TimerId::Game_Over));
    const int minute = 20 + int(d.now() / 60000); // the test clock runs with device time
    EXPECT_EQ(g.h.panel(), "_3" + std::to_string(minute));
    EXPECT_TRUE(g.h.lit("im_panel_time_pm"));
    EXPECT_TRUE(g.h.lit("im_panel_time_colon"));
    EXPECT_FALSE(g.h.lit("im_panel_miss_1"));
}

TEST(WholeGame, GameAPressedDuringTheGameOverDisplayShowsTheHighScoreThenStartsAGame) {
    GameOverDisplay g;
    Device& d = g.h.dev;
    d.advance_to(d.now() + 2500);
    d.Inp_game_a_down();
    EXPECT_EQ(d.Game_State, 5);
    EXPECT_FALSE(d.timers.enabled(TimerId::Game_Over));
    EXPECT_EQ(g.h.panel(), "_321");
    EXPECT_FALSE(g.h.lit("im_pelko_0_body"));
    d.advance_to(d.now() + 60000);
    EXPECT_EQ(d.Game_State, 5);
    d.Inp_game_a_up();
    EXPECT_EQ(d.Game_State, 6);
    EXPECT_EQ(d.Misses, 0);
    EXPECT_EQ(d.Score, 0);
    EXPECT_EQ(d.Next_Chance_Score, 300);
    EXPECT_TRUE(d.timers.enabled(TimerId::Game_Start));
}

TEST(WholeGame, TimePressedDuringTheGameOverDisplayShowsTheAlarmThenTheClock) {
    GameOverDisplay g;
    Device& d = g.h.dev;
    g.h.clock.set({0, 7});
    d.Inp_time_down();
    EXPECT_EQ(d.Game_State, 3);
    EXPECT_FALSE(d.timers.enabled(TimerId::Game_Over));
    EXPECT_EQ(g.h.panel(), "1200");
    EXPECT_TRUE(g.h.lit("im_panel_time_pm"));
    EXPECT_FALSE(g.h.lit("im_panel_time_am"));
    EXPECT_TRUE(g.h.lit("im_panel_alarm_1"));
    d.advance_to(d.now() + 5000);
    EXPECT_EQ(g.h.panel(), "1200");
    d.Inp_time_up();
    d.advance_to(d.now() + 1);
    EXPECT_EQ(d.Game_State, 4);
    EXPECT_EQ(g.h.panel(), "1207");
    EXPECT_TRUE(g.h.lit("im_panel_time_am"));
    EXPECT_FALSE(g.h.lit("im_panel_alarm_1"));
}

TEST(WholeGame, HoldingTimeInClockModeShowsTheAlarmAndReleasingShowsTheTimeAtOnce) {
    DeviceHarness h;
    h.start();
    h.clock.set({9, 41});
    Device& d = h.dev;
    d.Inp_open_down();
    d.Inp_time_down();
    d.Inp_time_up();
    d.advance_to(1);
    ASSERT_EQ(h.panel(), "_941");
    d.advance_to(30000);
    d.Inp_time_down();
    EXPECT_EQ(h.panel(), "1200");
    EXPECT_FALSE(d.timers.enabled(TimerId::Clock));
    d.advance_to(90000);
    d.Inp_time_up();
    EXPECT_EQ(h.panel(), "____"); // the entry empties the digits, the first tick 1 ms later
    d.advance_to(90001);
    EXPECT_EQ(h.panel(), "_942");
    EXPECT_EQ(d.timers.due(TimerId::Clock), 91001);
}

} // namespace
} // namespace q50::testing
