#pragma once
// How every front end brings the device up to its real-time clock, and how a replay does the
// same from a recording, so that one recording gives one event stream wherever it plays.
//
// Live, the device is caught up to the clock (Device::catch_up_to): after a stall (the process
// stopped, a busy machine, a debugger) each timer overdue by more than Device::kStallMs fires
// once and restarts its period from now. Exact device time would have run the whole backlog, so
// the front end writes the stall into its recording as `at T catchup GAP`: the device stood at
// T - GAP until T, and was caught up there. A replay runs device time exactly, and at that line
// does what the driver did.
#include "game/device.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace q50 {

// The device stood at device time `at - gap` until `at`, when it was caught up to `at`.
struct Stall {
    std::int64_t at = 0;
    std::int64_t gap = 0;
    std::int64_t from() const { return at - gap; }
    bool operator==(const Stall&) const = default;
};

// The word of a recording's line for a stall: `at T catchup GAP`.
inline constexpr std::string_view kCatchUpWord = "catchup";
// "catchup GAP", the line's command after `at T `.
std::string catch_up_command(const Stall& s);

// Live: catches the device up to `t`; the stall, when some step fired late by more than the
// limit, for the recording (nothing when device time stayed exact).
std::optional<Stall> catch_up_live(Device& d, std::int64_t t);

// A recorded stall replayed: exact device time up to where the device stood, then the catch-up
// the driver made. The trace tool runs this at a `catchup` line; a playback through CatchUp.
void replay_stall(Device& d, const Stall& s);

// A recorded line a playback runs at its time `at`; device time goes exactly up to `from`
// before it (the line's time, or where a recorded stall began) and no further.
struct ReplayDue {
    std::int64_t at = 0;
    std::int64_t from = 0;
};

// A front end's clock driving the device, with the lines of a playback in their places. The
// desktop's real-time driver, the browser's and the RetroArch core's frame loops all call it.
class CatchUp {
  public:
    explicit CatchUp(Device& d) : device_(d) {}

    // A playback: `next` gives the next recorded line (nothing once none is left), `run` runs it
    // (a `catchup` line by replay_stall). While a line is left, device time is exact, the
    // recording's stalls being its lines; once none is left, the device is caught up live again.
    void set_schedule(std::function<std::optional<ReplayDue>()> next, std::function<void()> run);

    // Brings the device up to `t`: every step and every line due by then, in the order of their
    // device times. No further line runs once `halt` says so (a line paused the device).
    void to(std::int64_t t, const std::function<bool()>& halt = {});

    // When the device next needs to run: its next step or the next line, whichever comes first.
    // A step beyond where a pending stall began waits for the stall's line.
    std::optional<std::int64_t> next_due() const;

    // Told of each stall of live driving, to be written into the recording.
    std::function<void(const Stall&)> on_stall;

  private:
    std::optional<ReplayDue> pending() const { return next_ && run_ ? next_() : std::nullopt; }

    Device& device_;
    std::function<std::optional<ReplayDue>()> next_;
    std::function<void()> run_;
};

} // namespace q50
