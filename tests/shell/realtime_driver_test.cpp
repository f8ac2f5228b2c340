#include "shell/realtime_driver.h"

#include "shell/core/rig.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <optional>
#include <string>
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

// A menu command that loads the skin takes a while and makes runs of its own (and a box's loop
// would wake the timer): all of it happens at the time the command is recorded at.
TEST_F(Driver, AnActionAndWhatItRunsInTurnStayAtTheTimeItBegan) {
    driver.run([&] { dev.timers.start(TimerId::Clock, 3); });
    wall = 100;
    std::vector<std::int64_t> seen;
    driver.run([&] {
        seen.push_back(dev.now());
        wall = 105; // the load took five milliseconds
        driver.poll();
        driver.run([&] { seen.push_back(dev.now()); });
        seen.push_back(dev.now());
    });
    EXPECT_EQ(seen, (std::vector<std::int64_t>{100, 100, 100}));
    // Once it is done the device catches up as usual.
    driver.poll();
    EXPECT_EQ(dev.now(), 105);
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
// Inputs given ahead (a recording played back) run at their own times among the timer's steps,
// however late the driver wakes: an input after the steps due at or before its time, before the
// later ones; and what an input runs through the driver in turn stays at its time.
TEST_F(Driver, ScheduledInputsRunInTimeOrderWithTheStepsOnALateWake) {
    std::vector<std::string> order;
    dev.on_step = [&](TimerId) { order.push_back("step " + std::to_string(dev.now())); };
    std::vector<std::int64_t> inputs{100, 104, 104, 1099, 1100};
    std::size_t next = 0;
    driver.set_schedule(
        [&]() -> std::optional<ReplayDue> {
            if (next >= inputs.size()) return std::nullopt;
            return ReplayDue{inputs[next], inputs[next]};
        },
        [&] {
            const std::int64_t at = inputs[next++];
            order.push_back("input " + std::to_string(dev.now()) + " for " + std::to_string(at));
            // A menu command it runs, through the driver again.
            driver.run([&] { order.push_back("nested " + std::to_string(dev.now())); });
        });
    wall = 50;
    // The clock's steps: at 100, then a second apart.
    driver.run([&] { dev.timers.start(TimerId::Clock, 50); });
    ASSERT_TRUE(driver.armed());
    EXPECT_EQ(driver.armed_delay_ms(), 50) << "armed for the step and the input at 100";
    wall = 99;
    driver.poll();
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(driver.armed_delay_ms(), 1);
    wall = 160; // woke 60 ms late
    driver.poll();
    EXPECT_EQ(order, (std::vector<std::string>{"step 100", "input 100 for 100", "nested 100",
                                               "input 104 for 104", "nested 104",
                                               "input 104 for 104", "nested 104"}));
    EXPECT_EQ(dev.now(), 160);
    EXPECT_EQ(driver.armed_delay_ms(), 1099 - 160) << "armed for the next input";
    order.clear();
    wall = 1105;
    driver.poll();
    EXPECT_EQ(order, (std::vector<std::string>{"input 1099 for 1099", "nested 1099", "step 1100",
                                               "input 1100 for 1100", "nested 1100"}));
    EXPECT_EQ(driver.armed_delay_ms(), 2100 - 1105) << "the schedule is done: the next step";

    // Paused, nothing of the schedule runs; it takes up again at the resume.
    inputs.push_back(1170);
    order.clear();
    driver.pause();
    wall = 1500;
    driver.poll();
    EXPECT_TRUE(order.empty());
    driver.resume();
    EXPECT_TRUE(order.empty()) << "device time is still 1105";
    wall = 1566;
    driver.poll();
    EXPECT_EQ(order, (std::vector<std::string>{"input 1170 for 1170", "nested 1170"}));
    driver.set_schedule({}, {});
}

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
