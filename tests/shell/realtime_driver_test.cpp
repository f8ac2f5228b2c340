#include "shell/realtime_driver.h"

#include "game/device_services.h"
#include "shell/core/memory_store.h"

#include <gtest/gtest.h>

namespace q50 {
namespace {

struct Driver : ::testing::Test {
    MemoryStore store;
    RecordingSound sound;
    DeviceRandom random{1};
    SettableClock clock;
    Device dev{Services{sound, store, random, clock}};
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

    // The timer woke 2 ms late: the step at 1435 ran, the next is due at 1500.
    wall = 1437;
    driver.poll();
    EXPECT_EQ(dev.now(), 1437);
    EXPECT_EQ(*dev.timers.due(TimerId::Game), 1870);
    EXPECT_EQ(driver.armed_delay_ms(), 63);

    // An input at 1450 is handled after every step due by then.
    wall = 1450;
    driver.run([&] { dev.timers.disable(TimerId::Clock); });
    EXPECT_EQ(driver.armed_delay_ms(), 420);
    driver.run([&] { dev.timers.disable(TimerId::Game); });
    EXPECT_FALSE(driver.armed());
    EXPECT_EQ(stepped, 4);
}

TEST_F(Driver, AStepAlreadyDueArmsAtOnce) {
    driver.run([&] { dev.timers.start(TimerId::Clock, 10); });
    wall = 5;
    driver.poll();
    EXPECT_EQ(driver.armed_delay_ms(), 5);
    // The clock reads slightly behind the due time: never a negative delay.
    dev.advance_to(10);
    wall = 9;
    driver.poll();
    EXPECT_EQ(driver.armed_delay_ms(), 11);
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
