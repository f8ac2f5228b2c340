#include "input/run_log.h"

#include <gtest/gtest.h>

namespace q50 {
namespace {

TEST(RunLog, WritesATraceScriptOfTheRun) {
    RunLog log;
    log.add(5, pressed(Button::Left)); // before begin: dropped by it
    RunStart start;
    start.store = {{"HiScore1", "120"}, {"Key6", "44"}};
    start.seed = 4000000000u;
    start.ms_of_day = 23 * 3600000 + 59 * 60000 + 59999;
    log.begin(start);
    log.add(0, pressed(Button::Open));
    log.add(120, released(Button::Acl));
    log.add(10700, pressed(Button::Right));
    ASSERT_EQ(log.entries().size(), 3u);
    std::string text = log.header();
    for (const auto& e : log.entries()) text += RunLog::line(e);
    EXPECT_EQ(text, "store HiScore1 120\n"
                    "store Key6 44\n"
                    "seed 4000000000\n"
                    "time 23:59:59.999\n"
                    "at 0 press open\n"
                    "at 120 release acl\n"
                    "at 10700 press right\n");
}

TEST(RunLog, CommandsOfTheProgramSitBetweenTheActionsInTheirOrder) {
    RunLog log;
    RunStart start;
    start.fullscreen = true;
    start.skin = "/opt/skins/Blue";
    log.begin(start);
    log.add(0, pressed(Button::Open));
    log.add_command(40, "overlays 0");
    log.add(40, pressed(Button::Time));
    log.add_command(900, "pause");
    log.add(900, released(Button::Time)); // a release still arrives in a pause
    log.add_command(900, "resume 5000");
    std::string text = log.header();
    for (const auto& e : log.entries()) text += RunLog::line(e);
    EXPECT_EQ(text, "skin /opt/skins/Blue\n"
                    "seed 1\n"
                    "time 00:00:00.000\n"
                    "fullscreen\n"
                    "at 0 press open\n"
                    "at 40 overlays 0\n"
                    "at 40 press time\n"
                    "at 900 pause\n"
                    "at 900 release time\n"
                    "at 900 resume 5000\n");
}

TEST(RunLog, EveryActionHasItsScriptCommand) {
    const std::pair<ButtonAction, const char*> cases[] = {
        {pressed(Button::Open), "press open"},        {pressed(Button::Game_A), "press game_a"},
        {released(Button::Game_A), "release game_a"}, {released(Button::Game_B), "release game_b"},
        {pressed(Button::Time), "press time"},        {pressed(Button::Acl), "press acl"},
        {released(Button::Left), "release left"},     {released(Button::Right), "release right"},
        {pressed(Button::Bomb), "press bomb"},        {released(Button::Bomb), "release bomb"},
    };
    for (auto [a, text] : cases) EXPECT_EQ(script_command(a), text);
    EXPECT_EQ(time_of_day_text(0), "00:00:00.000");
    EXPECT_EQ(time_of_day_text(-1), "23:59:59.999");
    EXPECT_EQ(time_of_day_text(12 * 3600000 + 5 * 60000 + 7 * 1000 + 42), "12:05:07.042");
}

struct Target : ButtonTarget {
    std::vector<ButtonAction> done;
    std::int32_t game_state() const override { return 3; }
    bool fullscreen_mode() const override { return true; }
    void perform(ButtonAction a) override { done.push_back(a); }
};

TEST(RunLog, TheLoggingTargetTellsThenPerforms) {
    Target inner;
    LoggingTarget logged(inner);
    std::vector<std::size_t> seen_before;
    logged.on_action = [&](ButtonAction) { seen_before.push_back(inner.done.size()); };
    logged.perform(pressed(Button::Time));
    logged.perform(released(Button::Time));
    EXPECT_EQ(inner.done,
              (std::vector<ButtonAction>{pressed(Button::Time), released(Button::Time)}));
    EXPECT_EQ(seen_before, (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(logged.game_state(), 3);
    EXPECT_TRUE(logged.fullscreen_mode());
}

} // namespace
} // namespace q50
