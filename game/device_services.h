#pragma once
// Implementations of the device's services that need no toolkit: the program's random
// source, the local time of day, and the scripted and recording variants used by the trace
// tool and the tests.
#include "host/services.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace q50 {

// One generator for the whole program. Values queued with `script` are handed out first, each
// as the final value the caller asked for; a queued value outside the caller's range is an
// error of the script, not of the device.
class DeviceRandom : public RandomSource {
  public:
    struct OutOfRange : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    explicit DeviceRandom(std::uint32_t seed = 1) : gen_(seed), seed_(seed) {}
    void seed(std::uint32_t s) {
        gen_.seed(s);
        seed_ = s;
    }
    void seed_from_clock();
    // The seed last given (a recording of the run names it, so that a replay draws the same).
    std::uint32_t last_seed() const { return seed_; }
    void script(std::int32_t value) { scripted_.push_back(value); }
    std::size_t scripted_left() const { return scripted_.size(); }
    std::int32_t uniform(std::int32_t lo, std::int32_t hi) override;
    // The generator's whole state as text (the standard's own form, the same on every
    // library), and back; false, with nothing changed, for text that is not such a state.
    std::string state() const;
    bool set_state(const std::string& text);

  private:
    std::mt19937 gen_;
    std::uint32_t seed_;
    std::deque<std::int32_t> scripted_;
};

constexpr std::int64_t kMsPerDay = 24 * 3600 * 1000;

// The computer's local time of day, or another source of milliseconds since local midnight.
class SystemClock : public LocalClock {
  public:
    TimeOfDay now(std::int64_t device_ms) override;
    // Milliseconds since local midnight.
    std::int64_t ms_of_day() const;
    std::function<std::int64_t()> source; // replaces the system's clock when set
};

// A time of day set for device time 0 that then advances with device time.
class SettableClock : public LocalClock {
  public:
    void set(TimeOfDay at_zero) { at_zero_ms_ = (at_zero.hour * 60 + at_zero.minute) * 60000; }
    void set_ms_of_day(std::int64_t ms) { at_zero_ms_ = ms; }
    // Moves the time of day on by `ms` against device time (as a pause of the device does).
    void shift(std::int64_t ms) { at_zero_ms_ += ms; }
    // The time of day at device time 0, in milliseconds (what a saved state keeps).
    std::int64_t ms_at_zero() const { return at_zero_ms_; }
    TimeOfDay now(std::int64_t device_ms) override;

  private:
    std::int64_t at_zero_ms_ = 12 * 3600 * 1000;
};

// Keeps every call, with the device time it came at.
class RecordingSound : public SoundSink {
  public:
    struct Call {
        std::int64_t time;
        std::string what; // a sample name, or "silence"
    };
    void play(Sample s) override;
    void silence() override;
    std::vector<Call> calls;
    // Where the recorder reads the device time from (0 until set).
    std::function<std::int64_t()> clock;
    // Told about every call as it happens.
    std::function<void(const Call&)> on_call;
};

} // namespace q50
