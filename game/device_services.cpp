#include "game/device_services.h"

#include <chrono>
#include <ctime>

namespace q50 {

void DeviceRandom::seed_from_clock() {
    const auto t = std::chrono::system_clock::now().time_since_epoch().count();
    gen_.seed(std::uint32_t(t ^ (t >> 32)));
}

std::int32_t DeviceRandom::uniform(std::int32_t lo, std::int32_t hi) {
    if (!scripted_.empty()) {
        const std::int32_t v = scripted_.front();
        scripted_.pop_front();
        if (v < lo || v > hi)
            throw OutOfRange("scripted draw " + std::to_string(v) + " is outside " +
                             std::to_string(lo) + ".." + std::to_string(hi));
        return v;
    }
    return std::uniform_int_distribution<std::int32_t>(lo, hi)(gen_);
}

TimeOfDay SystemClock::now(std::int64_t) {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return {local.tm_hour, local.tm_min};
}

TimeOfDay SettableClock::now(std::int64_t device_ms) {
    const std::int64_t minutes = at_zero_.hour * 60 + at_zero_.minute + device_ms / 60000;
    const std::int64_t of_day = ((minutes % 1440) + 1440) % 1440;
    return {int(of_day / 60), int(of_day % 60)};
}

void RecordingSound::play(Sample s) {
    calls.push_back({clock ? clock() : 0, std::string(sample_name(s))});
    if (on_call) on_call(calls.back());
}

void RecordingSound::silence() {
    calls.push_back({clock ? clock() : 0, "silence"});
    if (on_call) on_call(calls.back());
}

} // namespace q50
