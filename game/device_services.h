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

    explicit DeviceRandom(std::uint32_t seed = 1) : gen_(seed) {}
    void seed(std::uint32_t s) { gen_.seed(s); }
    void seed_from_clock();
    void script(std::int32_t value) { scripted_.push_back(value); }
    std::size_t scripted_left() const { return scripted_.size(); }
    std::int32_t uniform(std::int32_t lo, std::int32_t hi) override;

  private:
    std::mt19937 gen_;
    std::deque<std::int32_t> scripted_;
};

// The computer's local time of day.
class SystemClock : public LocalClock {
  public:
    TimeOfDay now(std::int64_t device_ms) override;
};

// A time of day set for device time 0 that then advances with device time.
class SettableClock : public LocalClock {
  public:
    void set(TimeOfDay at_zero) { at_zero_ = at_zero; }
    TimeOfDay now(std::int64_t device_ms) override;

  private:
    TimeOfDay at_zero_{12, 0};
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
