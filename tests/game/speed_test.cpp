#include "device_harness.h"

#include <gtest/gtest.h>

namespace q50::testing {
namespace {

struct SpeedCase {
    int score;
    int stage_ticks;
    int interval;
};

TEST(SpeedRule, TickPeriodFromScoreAndStageAge) {
    const SpeedCase cases[] = {
        {0, 1, 435},    {1, 1, 435},     {29, 1, 435},    {30, 1, 375},   {59, 1, 375},
        {60, 1, 355},   {89, 1, 355},    {90, 1, 335},    {99, 1, 335},   {100, 1, 435},
        {199, 1, 335},  {200, 1, 360},   {245, 1, 300},   {400, 1, 300},  {600, 1, 240},
        {799, 1, 140},  {800, 1, 180},   {1899, 1, 90},   {1999, 1, 90},  {1999, 0, 90},
        {2000, 1, 435}, {2000, 35, 435}, {2000, 36, 355}, {4245, 1, 300}, {0, 35, 435},
        {0, 36, 355},   {0, 72, 275},    {0, 179, 115},   {0, 180, 90},   {999, 180, 90},
        {810, 36, 100}, {810, 37, 100},  {830, 36, 90},
    };
    DeviceHarness h;
    h.start();
    for (const SpeedCase& c : cases) {
        h.dev.Score = c.score;
        h.dev.Stage_Ticks = c.stage_ticks;
        h.dev.Gam_Set_Difficulty();
        EXPECT_EQ(h.dev.timers.interval(TimerId::Game), c.interval)
            << "Score " << c.score << ", Stage_Ticks " << c.stage_ticks;
    }
}

TEST(SpeedRule, TableIsFilledAtCreation) {
    DeviceHarness h;
    h.start();
    const std::array<int, 20> expected = {435, 435, 360, 360, 300, 300, 240, 240, 180, 180,
                                          180, 180, 180, 180, 180, 180, 180, 180, 180, 180};
    for (int k = 0; k < 20; ++k) EXPECT_EQ(h.dev.Speed_Table[std::size_t(k)], expected[k]) << k;
}

TEST(SpeedRule, SettingTheSpeedDoesNotStartTheTick) {
    DeviceHarness h;
    h.start();
    h.dev.Score = 245;
    h.dev.Gam_Set_Difficulty();
    EXPECT_FALSE(h.dev.timers.enabled(TimerId::Game));
    EXPECT_FALSE(h.dev.next_due().has_value());
}

} // namespace
} // namespace q50::testing
