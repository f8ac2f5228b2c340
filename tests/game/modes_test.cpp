#include "board/render_ops.h"
#include "device_harness.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

namespace q50::testing {
namespace {

enum Action {
    GameAPress,
    GameARelease,
    GameBPress,
    GameBRelease,
    TimePress,
    TimeRelease,
    AclPress,
    AclRelease,
    kActions
};

void act(Device& d, int a) {
    switch (a) {
    case GameAPress:
        d.Inp_game_a_down();
        break;
    case GameARelease:
        d.Inp_game_a_up();
        break;
    case GameBPress:
        d.Inp_game_b_down();
        break;
    case GameBRelease:
        d.Inp_game_b_up();
        break;
    case TimePress:
        d.Inp_time_down();
        break;
    case TimeRelease:
        d.Inp_time_up();
        break;
    case AclPress:
        d.Inp_acl_down();
        break;
    case AclRelease:
        d.Inp_acl_up();
        break;
    }
}

// The mode after each action from each mode; -1 where the mode does not change.
constexpr std::array<std::array<int, kActions>, 10> kTransitions = {{
    {-1, -1, -1, -1, -1, -1, -1, -1}, // 0
    {-1, -1, -1, -1, -1, -1, 1, 2},   // 1
    {5, -1, 7, -1, 3, -1, 1, -1},     // 2
    {-1, -1, -1, -1, -1, 4, 1, -1},   // 3
    {5, -1, 7, -1, 3, -1, 1, -1},     // 4
    {-1, 6, -1, -1, -1, -1, 1, -1},   // 5
    {-1, -1, -1, -1, -1, -1, 1, -1},  // 6
    {-1, -1, -1, 8, -1, -1, 1, -1},   // 7
    {-1, -1, -1, -1, -1, -1, 1, -1},  // 8
    {5, -1, 7, -1, 3, -1, 1, -1},     // 9
}};

TEST(ModeTransitions, EveryCellOfTheTable) {
    for (int mode = 0; mode <= 9; ++mode) {
        for (int a = 0; a < kActions; ++a) {
            DeviceHarness h;
            h.start();
            h.dev.Game_State = mode;
            std::vector<int> entered;
            h.dev.on_set_mode = [&](int m) { entered.push_back(m); };
            act(h.dev, a);
            const int expected = kTransitions[std::size_t(mode)][std::size_t(a)];
            SCOPED_TRACE("mode " + std::to_string(mode) + " action " + std::to_string(a));
            if (expected < 0) {
                EXPECT_EQ(h.dev.Game_State, mode);
                EXPECT_TRUE(entered.empty());
            } else {
                EXPECT_EQ(h.dev.Game_State, expected);
                EXPECT_EQ(entered, std::vector<int>{expected});
            }
        }
    }
}

TEST(ModeTransitions, PressedPicturesFollowTheButtonsInEveryMode) {
    struct Button {
        std::function<void(Device&)> down, up;
        const char* picture;
    };
    const std::array<Button, 4> buttons = {{
        {&Device::Inp_game_a_down, &Device::Inp_game_a_up, "btn_game_a_down"},
        {&Device::Inp_game_b_down, &Device::Inp_game_b_up, "btn_game_b_down"},
        {&Device::Inp_time_down, &Device::Inp_time_up, "btn_time_down"},
        {&Device::Inp_acl_down, &Device::Inp_acl_up, "btn_acl_down"},
    }};
    for (int mode = 0; mode <= 9; ++mode) {
        for (const Button& b : buttons) {
            DeviceHarness h;
            h.start();
            h.dev.Game_State = mode;
            SCOPED_TRACE(std::string(b.picture) + " in mode " + std::to_string(mode));
            b.down(h.dev);
            EXPECT_TRUE(h.lit(b.picture));
            b.up(h.dev);
            EXPECT_FALSE(h.lit(b.picture));
        }
    }
}

TEST(ModeTransitions, OpeningLiftsTheLidAndLightsEverything) {
    DeviceHarness h;
    h.start();
    EXPECT_TRUE(h.lit("btn_open"));
    EXPECT_TRUE(h.lit("im_background_front"));
    EXPECT_FALSE(h.lit("im_enemy_1_up"));
    h.dev.Inp_open_down();
    EXPECT_EQ(h.dev.Game_State, 2);
    EXPECT_FALSE(h.lit("btn_open"));
    EXPECT_FALSE(h.lit("im_background_front"));
    EXPECT_TRUE(h.lit("im_background_back"));
    EXPECT_TRUE(h.lit("im_background_screen_top"));
    EXPECT_TRUE(h.lit("im_enemy_3_flame_4"));
    EXPECT_TRUE(h.lit("im_panel_alarm_3"));
    EXPECT_FALSE(h.lit("im_panel_time_pm"));
    EXPECT_FALSE(h.lit("im_panel_number_0"));
    EXPECT_EQ(h.panel(), "1200");
}

TEST(ModeTransitions, ClosedDeviceIgnoresAcl) {
    DeviceHarness h;
    h.start();
    h.dev.Inp_acl_down();
    EXPECT_EQ(h.dev.Game_State, 0);
    EXPECT_TRUE(h.lit("btn_acl_down"));
    EXPECT_TRUE(h.lit("im_background_front"));
}

// An open device with a game in its stage start, so that there are timers to stop.
void open_and_start_game_a(DeviceHarness& h) {
    h.start();
    h.dev.Inp_open_down();
    h.dev.Inp_game_a_down();
    h.dev.Inp_game_a_up();
}

TEST(ModeEntry, AlarmTimeShowsTwelvePmWithTheBell) {
    DeviceHarness h;
    h.start();
    h.dev.Inp_open_down();
    h.dev.Inp_time_down();
    EXPECT_EQ(h.dev.Game_State, 3);
    for (auto n : {"im_game_background", "im_partner_left_fort", "im_panel_alarm_1",
                   "im_panel_time_pm", "im_panel_time_colon"})
        EXPECT_TRUE(h.lit(n)) << n;
    for (auto n : {"im_panel_time_am", "im_panel_alarm_2", "im_enemy_1_up", "im_panel_game_a"})
        EXPECT_FALSE(h.lit(n)) << n;
    EXPECT_EQ(h.panel(), "1200");
    // Key repeats of the held button change nothing.
    h.dev.Inp_time_down();
    EXPECT_EQ(h.dev.Game_State, 3);
}

TEST(ModeEntry, ClockStartsItsTimerAtOnceAndDarkensTheBell) {
    DeviceHarness h;
    h.start();
    h.dev.Inp_open_down();
    h.dev.advance_to(1000);
    h.dev.Inp_time_down();
    h.dev.Inp_time_up();
    EXPECT_EQ(h.dev.Game_State, 4);
    EXPECT_TRUE(h.dev.timers.enabled(TimerId::Clock));
    EXPECT_EQ(h.dev.timers.interval(TimerId::Clock), 1);
    EXPECT_EQ(h.dev.timers.due(TimerId::Clock), 1001);
    EXPECT_FALSE(h.lit("im_panel_alarm_1"));
    EXPECT_FALSE(h.lit("im_panel_time_pm"));
    EXPECT_TRUE(h.lit("im_panel_time_colon"));
    EXPECT_TRUE(h.lit("im_partner_left_fort"));
    EXPECT_FALSE(h.dev.Play_Active);
}

TEST(ModeEntry, HeldGameButtonShowsThatGamesHighScore) {
    DeviceHarness h;
    h.store.preset("HiScore1", "47");
    h.store.preset("HiScore2", "1234");
    h.start();
    h.dev.Inp_open_down();
    h.dev.Inp_game_a_down();
    EXPECT_EQ(h.panel(), "_047");
    EXPECT_TRUE(h.lit("im_panel_game_a"));
    EXPECT_FALSE(h.lit("im_panel_game_b"));
    EXPECT_FALSE(h.lit("im_enemy_1_up"));
    // Game B while Game A is held is ignored.
    h.dev.Inp_game_b_down();
    EXPECT_EQ(h.dev.Game_State, 5);
    h.dev.Inp_game_b_up();
    h.dev.Inp_acl_down();
    h.dev.Inp_game_a_up(); // ACL took over: this release does nothing
    EXPECT_EQ(h.dev.Game_State, 1);
    h.dev.Inp_acl_up();
    h.dev.Inp_game_b_down();
    EXPECT_EQ(h.dev.Game_State, 7);
    EXPECT_EQ(h.panel(), "_234");
    EXPECT_TRUE(h.lit("im_panel_game_b"));
    EXPECT_FALSE(h.lit("im_panel_game_a"));
}

TEST(ModeEntry, GameStartResetsWhatThePreviousGameLeft) {
    DeviceHarness h;
    h.start();
    h.dev.Inp_open_down();
    h.dev.Inp_game_b_down();
    h.dev.Misses = 2;
    h.dev.Score = 777;
    h.dev.Score_Step = 2;
    h.dev.Next_Chance_Score = 1300;
    h.dev.Bombs_Delivered = 4;
    h.dev.Partner_Period = 5;
    h.dev.Double_Points = true;
    h.dev.Move_Lock = true;
    h.dev.Game_Start_Phase = 7;
    h.dev.advance_to(500);
    h.dev.Inp_game_b_up();
    EXPECT_EQ(h.dev.Game_State, 8);
    EXPECT_EQ(h.dev.Misses, 0);
    EXPECT_EQ(h.dev.Score, 0);
    EXPECT_EQ(h.dev.Score_Step, 1);
    EXPECT_EQ(h.dev.Next_Chance_Score, 300);
    EXPECT_EQ(h.dev.Bombs_Delivered, 0);
    EXPECT_EQ(h.dev.Partner_Period, 3);
    EXPECT_FALSE(h.dev.Double_Points);
    EXPECT_FALSE(h.dev.Move_Lock);
    EXPECT_FALSE(h.dev.Play_Active);
    EXPECT_EQ(h.dev.Game_Start_Phase, 1);
    EXPECT_EQ(h.dev.timers.due(TimerId::Game_Start), 501);
    EXPECT_EQ(h.panel(), "_000");
    // The caption lit while the button was held stays lit.
    EXPECT_TRUE(h.lit("im_panel_game_b"));
    EXPECT_TRUE(h.lit("im_game_background"));
    EXPECT_TRUE(h.lit("im_partner_left_fort"));
}

TEST(ModeEntry, AclDuringPlayFreezesEverythingAndReleaseLightsAll) {
    DeviceHarness h;
    open_and_start_game_a(h);
    h.dev.advance_to(12000); // the main tick runs
    ASSERT_TRUE(h.dev.Play_Active);
    h.dev.Double_Points = true;
    const auto lit_before = [&] {
        std::vector<std::string> out;
        for (const Segment& s : h.dev.board.segments())
            if (s.shown) out.push_back(s.name);
        return out;
    };
    const std::size_t calls = h.sound.calls.size();
    auto frozen = lit_before();
    frozen.push_back("btn_acl_down");
    std::sort(frozen.begin(), frozen.end());
    h.dev.Inp_acl_down();
    EXPECT_EQ(h.dev.Game_State, 1);
    EXPECT_FALSE(h.dev.next_due().has_value());
    EXPECT_FALSE(h.dev.Play_Active);
    EXPECT_FALSE(h.dev.Double_Points);
    EXPECT_EQ(h.sounds(calls), std::vector<std::string>{"silence"});
    auto now_lit = lit_before();
    std::sort(now_lit.begin(), now_lit.end());
    EXPECT_EQ(now_lit, frozen);
    const int score = h.dev.Score;
    h.dev.advance_to(60000);
    EXPECT_EQ(h.sounds(calls), std::vector<std::string>{"silence"});
    h.dev.Inp_acl_up();
    EXPECT_EQ(h.dev.Game_State, 2);
    EXPECT_TRUE(h.lit("im_enemy_5_flame_1"));
    EXPECT_EQ(h.panel(), "1200");
    EXPECT_EQ(h.dev.Score, score); // kept until the next game start
}

TEST(ModeEntry, AclDuringTheIntroductionStopsItAndTheNextGameBeginsAgain) {
    DeviceHarness h;
    open_and_start_game_a(h);
    h.dev.advance_to(3000); // between start steps 6 and 7
    h.dev.Inp_acl_down();
    h.dev.Inp_acl_up();
    h.dev.advance_to(20000);
    EXPECT_EQ(h.dev.Game_Start_Phase, 7);
    EXPECT_FALSE(h.dev.Play_Active);
    h.dev.Inp_game_a_down();
    h.dev.Inp_game_a_up();
    EXPECT_EQ(h.dev.Game_Start_Phase, 1);
    const std::size_t calls = h.sound.calls.size();
    h.dev.advance_to(20001);
    EXPECT_EQ(h.sounds(calls), std::vector<std::string>{"Start"});
    EXPECT_TRUE(h.lit("im_pelko_1_left"));
}

TEST(ModeEntry, StopAllTimersStopsEachAndKeepsIntervals) {
    DeviceHarness h;
    h.start();
    for (int i = 0; i < kTimerCount; ++i) h.dev.timers.start(TimerId(i), 100 + i);
    h.dev.Gam_Stop_All_Timers();
    for (int i = 0; i < kTimerCount; ++i) {
        EXPECT_FALSE(h.dev.timers.enabled(TimerId(i)));
        EXPECT_EQ(h.dev.timers.interval(TimerId(i)), 100 + i);
    }
}

TEST(ModeEntry, GameOverAndClosedModesChangeNothing) {
    for (int mode : {0, 9}) {
        DeviceHarness h;
        h.start();
        h.dev.Inp_open_down();
        h.dev.timers.start(TimerId::Game_Over, 50);
        const auto rev = h.dev.board.revision();
        h.dev.Game_State = mode;
        h.dev.Gam_Set_Mode();
        EXPECT_EQ(h.dev.board.revision(), rev);
        EXPECT_TRUE(h.dev.timers.enabled(TimerId::Game_Over));
    }
}

} // namespace
} // namespace q50::testing
