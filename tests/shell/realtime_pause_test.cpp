// Pausing the real-time driver: device time stands still, every timer keeps what it had left,
// and the sequence that was running goes on to the millisecond of device time.
#include "../game/device_harness.h"
#include "shell/realtime_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace q50 {
namespace {

// A bonus sequence after a hand-over at 2000 ms, driven in real time on a settable clock that
// moves one millisecond at a time; every timer step and sound is logged with its device time.
struct BonusInRealTime {
    testing::DeviceHarness h;
    std::int64_t wall = 0;
    RealtimeDriver driver{h.dev, [this] { return wall; }};
    std::vector<std::string> log;

    BonusInRealTime() {
        h.start();
        h.dev.Score = 10;
        h.set_up_play(5, 3);
        h.dev.board.hide("im_partner_right_3");
        h.dev.board.show("im_partner_right_2");
        h.dev.on_step = [this](TimerId id) {
            log.push_back(std::to_string(h.dev.now()) + " " + std::string(timer_name(id)));
        };
        h.sound.on_call = [this](const RecordingSound::Call& c) {
            log.push_back(std::to_string(c.time) + " " + c.what);
        };
        wall = 2000;
        driver.run([this] { h.dev.Gam_Execute_Bonus(); });
    }
    // Lets wall-clock time pass up to `until`, waking the driver every millisecond.
    void run_until(std::int64_t until) {
        while (wall < until) {
            ++wall;
            driver.poll();
        }
    }
};

TEST(RealtimePause, TenSecondsOfPauseInsideABonusKeepTheTimingTable) {
    BonusInRealTime plain;
    plain.run_until(9000);

    BonusInRealTime paused;
    paused.run_until(2400); // inside the point-steps of the hand-over
    const auto before = paused.log.size();
    ASSERT_GT(before, 2u);
    const std::int64_t device_at_pause = paused.driver.clock_ms();
    const auto due_at_pause = paused.h.dev.next_due();
    ASSERT_TRUE(due_at_pause);
    paused.driver.pause();
    EXPECT_FALSE(paused.driver.armed());
    paused.run_until(12400); // ten seconds of wall time
    EXPECT_EQ(paused.log.size(), before) << "no step ran while paused";
    EXPECT_EQ(paused.driver.clock_ms(), device_at_pause);
    EXPECT_EQ(paused.h.dev.now(), device_at_pause);
    paused.driver.resume();
    EXPECT_EQ(paused.h.dev.next_due(), due_at_pause) << "the timer kept the time it had left";
    ASSERT_TRUE(paused.driver.armed());
    EXPECT_EQ(paused.driver.armed_delay_ms(), *due_at_pause - device_at_pause);
    paused.run_until(19000);

    ASSERT_GT(plain.log.size(), before + 10) << "the bonus went on well past the pause";
    EXPECT_EQ(paused.log, plain.log);
    EXPECT_EQ(paused.h.dev.Score, plain.h.dev.Score);
    EXPECT_EQ(paused.driver.clock_ms(), plain.driver.clock_ms());
}

TEST(RealtimePause, PauseAndResumeTwiceOrWhenStoppedChangeNothingMore) {
    BonusInRealTime r;
    r.run_until(2100);
    r.driver.pause();
    r.run_until(2200);
    r.driver.pause(); // already paused: the pause still began at 2100
    r.run_until(2300);
    r.driver.resume();
    EXPECT_EQ(r.driver.clock_ms(), 2100);
    r.driver.resume();
    r.run_until(2400);
    EXPECT_EQ(r.driver.clock_ms(), 2200);
    r.driver.stop();
    r.driver.pause();
    EXPECT_FALSE(r.driver.paused()) << "a stopped driver does not pause";
}

} // namespace
} // namespace q50
