#include "game/device_services.h"

#include "game/uniform_draw.h"

#include <chrono>
#include <ctime>
#include <locale>
#include <sstream>

namespace q50 {

void DeviceRandom::seed_from_clock() {
    const auto t = std::chrono::system_clock::now().time_since_epoch().count();
    seed(std::uint32_t(t ^ (t >> 32)));
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
    return uniform_draw(gen_, lo, hi);
}

std::string DeviceRandom::state() const {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << gen_;
    return out.str();
}

bool DeviceRandom::set_state(const std::string& text) {
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    std::mt19937 read;
    if (!(in >> read)) return false;
    in >> std::ws;
    if (!in.eof()) return false; // more than one state
    gen_ = read;
    return true;
}

std::int64_t SystemClock::ms_of_day() const {
    if (source) return ((source() % kMsPerDay) + kMsPerDay) % kMsPerDay;
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    return ((local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec) * 1000 + ms;
}

TimeOfDay SystemClock::now(std::int64_t) {
    const std::int64_t minutes = ms_of_day() / 60000;
    return {int(minutes / 60), int(minutes % 60)};
}

TimeOfDay SettableClock::now(std::int64_t device_ms) {
    const std::int64_t of_day = (((at_zero_ms_ + device_ms) % kMsPerDay) + kMsPerDay) % kMsPerDay;
    const std::int64_t minutes = of_day / 60000;
    return {int(minutes / 60), int(minutes % 60)};
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
