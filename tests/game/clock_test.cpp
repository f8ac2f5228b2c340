// The clock tick: 12-hour form, AM/PM, the blank first digit, two-digit minutes, one tick a
// second from the moment the clock started.
#include "device_harness.h"

#include <gtest/gtest.h>

namespace q50::testing {
namespace {

struct ClockRun {
    DeviceHarness h;
    explicit ClockRun(TimeOfDay at_zero) {
        h.start();
        h.clock.set(at_zero);
        h.dev.timers.start(TimerId::Clock, 1);
        h.dev.advance_to(1);
    }
    std::string mark() const {
        const bool am = h.lit("im_panel_time_am"), pm = h.lit("im_panel_time_pm");
        return am && !pm ? "AM" : pm && !am ? "PM" : "??";
    }
};

TEST(Clock, SampleReadings) {
    struct Reading {
        TimeOfDay at;
        const char* digits;
        const char* mark;
    };
    for (Reading r : {Reading{{0, 5}, "1205", "AM"}, Reading{{9, 41}, "_941", "AM"},
                      Reading{{11, 59}, "1159", "AM"}, Reading{{12, 0}, "1200", "PM"},
                      Reading{{13, 7}, "_107", "PM"}, Reading{{23, 59}, "1159", "PM"},
                      Reading{{0, 0}, "1200", "AM"}, Reading{{12, 30}, "1230", "PM"},
                      Reading{{1, 0}, "_100", "AM"}, Reading{{10, 10}, "1010", "AM"},
                      Reading{{21, 5}, "_905", "PM"}, Reading{{22, 0}, "1000", "PM"}}) {
        ClockRun c(r.at);
        SCOPED_TRACE(std::to_string(r.at.hour) + ":" + std::to_string(r.at.minute));
        EXPECT_EQ(c.h.panel(), r.digits);
        EXPECT_EQ(c.mark(), r.mark);
    }
}

TEST(Clock, TicksEverySecondAndShowsTheNewMinuteAtTheNextTick) {
    // 11:59 AM, 59.5 s into the minute at the first tick: noon shows one tick later.
    DeviceHarness h;
    h.start();
    h.clock.set({11, 59});
    h.dev.advance_to(500);
    h.dev.timers.start(TimerId::Clock, 1);
    h.dev.advance_to(501);
    EXPECT_EQ(h.panel(), "1159");
    EXPECT_EQ(h.dev.timers.interval(TimerId::Clock), 1000);
    EXPECT_EQ(h.dev.timers.due(TimerId::Clock), 1501);
    h.dev.advance_to(59999);
    EXPECT_EQ(h.panel(), "1159");
    EXPECT_TRUE(h.lit("im_panel_time_am"));
    h.dev.advance_to(60500);
    EXPECT_EQ(h.panel(), "1159"); // the minute turned at 60000, no tick since
    h.dev.advance_to(60501);
    EXPECT_EQ(h.panel(), "1200");
    EXPECT_TRUE(h.lit("im_panel_time_pm"));
    EXPECT_FALSE(h.lit("im_panel_time_am"));
}

TEST(Clock, ClockChangedMeanwhileShowsAtTheNextTick) {
    ClockRun c({8, 15});
    EXPECT_EQ(c.h.panel(), "_815");
    c.h.clock.set({23, 0});
    c.h.dev.advance_to(1000);
    EXPECT_EQ(c.h.panel(), "_815");
    c.h.dev.advance_to(1001);
    EXPECT_EQ(c.h.panel(), "1100");
    EXPECT_EQ(c.mark(), "PM");
}

TEST(Clock, TickChangesNoShownFlagOfTheDigits) {
    ClockRun c({3, 4});
    Board& b = c.h.dev.board;
    for (int k = 1; k <= 4; ++k) b.show(b.Seg_Digit[k]);
    const auto before = c.h.shown_flags();
    c.h.dev.advance_to(1001);
    for (const std::string& name : c.h.changed_since(before))
        EXPECT_TRUE(name == "im_panel_time_am" || name == "im_panel_time_pm") << name;
    EXPECT_EQ(c.h.panel(), "_304");
}

} // namespace
} // namespace q50::testing
