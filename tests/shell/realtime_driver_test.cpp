#include "shell/realtime_driver.h"

#include "shell/core/rig.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <vector>

namespace q50 {
namespace {

struct Driver : ::testing::Test, Rig {
    std::int64_t wall = 0;
    RealtimeDriver driver{dev, [this] { return wall; }};
    int stepped = 0;
    void SetUp() override {
        QObject::connect(&driver, &RealtimeDriver::stepped, [this] { ++stepped; });
    }
};

TEST_F(Driver, NothingArmedWhileNothingIsDue) {
    driver.poll();
    EXPECT_FALSE(driver.armed());
    EXPECT_EQ(stepped, 1);
}

TEST_F(Driver, InputRunsAtTheCurrentTimeAndArmsForTheNextStep) {
    wall = 1000;
    std::int64_t seen = -1;
    driver.run([&] {
        seen = dev.now();
        dev.timers.start(TimerId::Clock, 500);
        dev.timers.start(TimerId::Game, 435);
    });
    EXPECT_EQ(seen, 1000);
    ASSERT_TRUE(driver.armed());
    EXPECT_EQ(driver.armed_delay_ms(), 435);

    // An input at 1200 changes what is due: the timer follows.
    wall = 1200;
    driver.run([&] { dev.timers.disable(TimerId::Game); });
    EXPECT_EQ(driver.armed_delay_ms(), 300);
    driver.run([&] { dev.timers.disable(TimerId::Clock); });
    EXPECT_FALSE(driver.armed());
    EXPECT_EQ(stepped, 3);
}

TEST_F(Driver, AfterAStepTheTimerIsArmedForWhateverIsDueNext) {
    driver.run([&] { dev.timers.start(TimerId::Clock, 1); });
    // The timer woke 3 ms late: the due step ran at its own time, not at the wake-up.
    wall = 4;
    driver.poll();
    EXPECT_EQ(dev.now(), 4);
    ASSERT_TRUE(dev.next_due());
    EXPECT_GT(*dev.next_due(), 4);
    ASSERT_TRUE(driver.armed());
    EXPECT_EQ(driver.armed_delay_ms(), *dev.next_due() - wall);
}

TEST_F(Driver, EarlyWakeUpRunsNothingAndWaitsTheRest) {
    driver.run([&] { dev.timers.start(TimerId::Clock, 10); });
    wall = 9;
    driver.poll();
    EXPECT_EQ(*dev.timers.due(TimerId::Clock), 10);
    EXPECT_EQ(driver.armed_delay_ms(), 1);
}

TEST_F(Driver, StoppedDriverRunsNothing) {
    driver.run([&] { dev.timers.start(TimerId::Clock, 10); });
    driver.stop();
    EXPECT_FALSE(driver.armed());
    bool ran = false;
    wall = 50;
    driver.run([&] { ran = true; });
    EXPECT_FALSE(ran);
    EXPECT_EQ(dev.now(), 0);
}

// The real clock and the real timer: steps of two timers due at the same millisecond run in
// one wake, not before their millisecond has begun, and the step after them wakes again.
TEST_F(Driver, RealTimerWakesOnceAtTheStepsOwnMillisecond) {
    RealtimeDriver real(dev);
    struct Step {
        std::int64_t device_ms, clock_ns;
    };
    std::vector<Step> steps;
    dev.on_step = [&](TimerId) { steps.push_back({dev.now(), real.clock_ns()}); };
    real.run([&] {
        dev.timers.start(TimerId::Clock, 15);
        dev.timers.start(TimerId::Game, 15);
    });
    const std::int64_t due = *dev.next_due();
    ASSERT_TRUE(real.armed());
    QElapsedTimer limit;
    limit.start();
    while (steps.size() < 2 && limit.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    ASSERT_EQ(steps.size(), 2u);
    // However late a busy machine wakes it, the wake is one, and not early.
    EXPECT_EQ(real.wakes(), 1u);
    for (const Step& s : steps) {
        EXPECT_EQ(s.device_ms, due);
        EXPECT_GE(s.clock_ns, due * 1000000);
    }
    dev.on_step = nullptr;
    real.stop();
    EXPECT_FALSE(real.armed());
}

TEST_F(Driver, DefaultClockIsMonotonicMilliseconds) {
    RealtimeDriver real(dev);
    const std::int64_t a = real.clock_ms();
    const std::int64_t b = real.clock_ms();
    EXPECT_GE(a, 0);
    EXPECT_GE(b, a);
    EXPECT_LT(b, 10000);
}

} // namespace
} // namespace q50
