// The catch-up every front end drives the device with: live, a stall is told (for the
// recording) only when a step fired late by more than the limit; a replay of the recorded stall
// runs the very steps the live device ran; a playback holds device time where a recorded stall
// began until its line, runs exact time meanwhile (its own stalls burst through), and is live
// again once its lines are done.
#include "shell/core/catch_up.h"

#include "shell/core/rig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace q50 {
namespace {

struct Steps {
    std::vector<std::string> log;
    void watch(Device& d) {
        d.on_step = [this, &d](TimerId id) {
            log.push_back(std::to_string(d.now()) + " " + std::string(timer_name(id)));
        };
    }
};

// A game under way on a device of the offline rig.
void start_game(Rig& r) {
    r.start();
    r.dev.Game_State = 2;
    r.dev.press(Button::Game_A);
    r.dev.release(Button::Game_A);
}

TEST(CatchUp, AStallIsToldOnlyWhenAStepFiredLateAndItsReplayRunsTheSameSteps) {
    Rig live;
    Steps live_steps;
    start_game(live);
    live_steps.watch(live.dev);
    CatchUp driver(live.dev);
    std::vector<Stall> told;
    driver.on_stall = [&](const Stall& s) { told.push_back(s); };
    // Wakes a little late now and then: exact, nothing to tell.
    std::int64_t last = 0;
    for (std::int64_t t = 20; t <= 12000; t += 37) driver.to(last = t);
    EXPECT_TRUE(told.empty());
    driver.to(last + 1500); // stopped for 1.5 s
    for (std::int64_t t = last + 1520; t <= 16000; t += 41) driver.to(t);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0], (Stall{last + 1500, 1500}));
    EXPECT_EQ(told[0].from(), last);

    // The replay: exact device time, with the stall where it was recorded.
    Rig replay;
    Steps replay_steps;
    start_game(replay);
    replay_steps.watch(replay.dev);
    replay_stall(replay.dev, told[0]);
    replay.dev.advance_to(live.dev.now());
    EXPECT_EQ(replay_steps.log, live_steps.log);

    // Without the line, exact time runs the backlog: the steps part.
    Rig exact;
    Steps exact_steps;
    start_game(exact);
    exact_steps.watch(exact.dev);
    exact.dev.advance_to(live.dev.now());
    EXPECT_NE(exact_steps.log, live_steps.log);
}

TEST(CatchUp, APlaybackWaitsAtAStallsStartForItsLineAndIsExactUntilItsLinesAreDone) {
    // The live run the playback follows.
    Rig live;
    Steps live_steps;
    start_game(live);
    live_steps.watch(live.dev);
    CatchUp live_driver(live.dev);
    std::optional<Stall> stall;
    live_driver.on_stall = [&](const Stall& s) { stall = s; };
    for (std::int64_t t = 10; t <= 11000; t += 10) live_driver.to(t);
    live_driver.to(14000);
    ASSERT_TRUE(stall);
    EXPECT_EQ(*stall, (Stall{14000, 3000}));
    for (std::int64_t t = 14010; t <= 20000; t += 10) live_driver.to(t);

    Rig played;
    Steps played_steps;
    start_game(played);
    played_steps.watch(played.dev);
    CatchUp driver(played.dev);
    std::vector<Stall> told;
    driver.on_stall = [&](const Stall& s) { told.push_back(s); };
    bool line_left = true;
    driver.set_schedule(
        [&]() -> std::optional<ReplayDue> {
            if (!line_left) return std::nullopt;
            return ReplayDue{stall->at, stall->from()};
        },
        [&] {
            line_left = false;
            replay_stall(played.dev, *stall);
        });
    driver.to(12500);
    EXPECT_EQ(played.dev.now(), stall->from()) << "held where the recorded device stood";
    EXPECT_EQ(driver.next_due(), stall->at) << "no step of the gap wakes the front end";
    driver.to(stall->at);
    EXPECT_FALSE(line_left);
    for (std::int64_t t = 14010; t <= 20000; t += 10) driver.to(t);
    EXPECT_EQ(played_steps.log, live_steps.log);
    EXPECT_TRUE(told.empty()) << "the recorded stall is the line's, not the playback's own";

    // Lines done: live again, and a stall of its own is told.
    driver.to(30000);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].at, 30000);
}

TEST(CatchUp, APlaybacksOwnStallRunsEveryStepOfItsGapAndLinesInTimeOrder) {
    Rig r;
    Steps steps;
    start_game(r);
    steps.watch(r.dev);
    CatchUp driver(r.dev);
    std::vector<std::int64_t> lines{5000, 18000};
    std::size_t next = 0;
    std::vector<std::string> ran;
    driver.set_schedule(
        [&]() -> std::optional<ReplayDue> {
            if (next >= lines.size()) return std::nullopt;
            return ReplayDue{lines[next], lines[next]};
        },
        [&] {
            ran.push_back("line " + std::to_string(r.dev.now()));
            ++next;
        });
    bool told = false;
    driver.on_stall = [&](const Stall&) { told = true; };
    driver.to(16000); // the front end was stopped for 16 s
    EXPECT_EQ(ran, (std::vector<std::string>{"line 5000"}));
    EXPECT_FALSE(told);

    Rig exact;
    Steps exact_steps;
    start_game(exact);
    exact_steps.watch(exact.dev);
    exact.dev.advance_to(16000);
    EXPECT_EQ(steps.log, exact_steps.log) << "exact device time, the backlog run through";

    // A halt (a line paused the device) keeps the later lines for later.
    driver.to(20000, [] { return true; });
    EXPECT_EQ(ran.size(), 1u);
    EXPECT_EQ(r.dev.now(), 18000) << "up to the next line's time, not past it";
}

} // namespace
} // namespace q50
