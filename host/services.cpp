#include "host/services.h"

#include <cstdio>

namespace q50 {

namespace {
constexpr std::string_view kSampleNames[kSampleCount] = {
    "Bombfall", "Bonus0", "Bonus1",   "Bonus2", "Bonus3", "Bonus4", "Bonus5", "Bonus6",   "Bonus7",
    "Chance",   "Enemy",  "Gameover", "Miss1",  "Miss2",  "Miss3",  "Move",   "Movebomb", "Start",
};
}

std::string_view sample_name(Sample s) {
    return kSampleNames[int(s)];
}

std::string sample_file(Sample s) {
    return "Sound/" + std::string(sample_name(s)) + ".wav";
}

void write_notice(const std::string& text) {
    // One write, so that lines of two running copies do not interleave.
    const std::string line = "Quendrix50: " + text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

void MessageSink::notice(const std::string& text) {
    write_notice(text);
}

void MessageSink::detailed_error(const std::string& text, const std::string& detail) {
    write_notice(detail);
    error(text);
}

} // namespace q50
