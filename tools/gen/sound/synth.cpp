#include "synth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace q50gen {
namespace {

constexpr double kEdgeMs = 2.0; // attack and release, against clicks

struct Glide {
    double from, to;
};

double steady(double, const void* ctx) {
    return *static_cast<const double*>(ctx);
}
double moving(double t, const void* ctx) {
    auto g = static_cast<const Glide*>(ctx);
    return g->from * std::pow(g->to / g->from, t);
}

void put_le(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
}

} // namespace

void Track::add(double start_ms, double length_ms, double volume, double duty,
                double (*pitch)(double t, const void* ctx), const void* ctx, bool fade) {
    const auto first = std::size_t(std::lround(start_ms * kRate / 1000.0));
    const auto count = std::size_t(std::lround(length_ms * kRate / 1000.0));
    if (mix_.size() < first + count) mix_.resize(first + count, 0.0);
    const double edge = kEdgeMs * kRate / 1000.0;
    double phase = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = count > 1 ? double(i) / double(count - 1) : 0.0;
        phase += pitch(t, ctx) / kRate;
        phase -= std::floor(phase);
        double env = std::min({1.0, double(i) / edge, double(count - 1 - i) / edge});
        if (fade) env *= 1.0 - t;
        mix_[first + i] += (phase < duty ? 1.0 : -1.0) * volume * env;
    }
}

void Track::tone(double start_ms, double length_ms, double hz, double volume, double duty) {
    add(start_ms, length_ms, volume, duty, steady, &hz, false);
}

void Track::fading_tone(double start_ms, double length_ms, double hz, double volume, double duty) {
    add(start_ms, length_ms, volume, duty, steady, &hz, true);
}

void Track::glide(double start_ms, double length_ms, double from_hz, double to_hz, double volume,
                  double duty) {
    const Glide g{from_hz, to_hz};
    add(start_ms, length_ms, volume, duty, moving, &g, false);
}

void Track::rattle(double start_ms, double length_ms, double lo_hz, double hi_hz, double grain_ms,
                   double volume, std::uint32_t seed) {
    std::uint32_t state = seed ? seed : 1;
    for (double t = 0; t < length_ms; t += grain_ms) {
        state = state * 1664525u + 1013904223u; // fixed LCG: the same bytes on every run
        const double u = double(state >> 8) / double(1u << 24);
        const double hz = lo_hz + (hi_hz - lo_hz) * u;
        const double left = 1.0 - t / length_ms;
        tone(start_ms + t, std::min(grain_ms, length_ms - t), hz, volume * left);
    }
}

std::vector<std::int16_t> Track::samples() const {
    std::vector<std::int16_t> out;
    out.reserve(mix_.size());
    for (double v : mix_) {
        const double c = std::clamp(v, -1.0, 1.0);
        out.push_back(std::int16_t(std::lround(c * 32767.0)));
    }
    return out;
}

std::vector<std::uint8_t> wav_bytes(const std::vector<std::int16_t>& samples) {
    const std::uint32_t data = std::uint32_t(samples.size() * 2);
    std::vector<std::uint8_t> out;
    out.reserve(44 + data);
    for (char c : std::string("RIFF")) out.push_back(std::uint8_t(c));
    put_le(out, 36 + data, 4);
    for (char c : std::string("WAVEfmt ")) out.push_back(std::uint8_t(c));
    put_le(out, 16, 4);        // fmt chunk size
    put_le(out, 1, 2);         // PCM
    put_le(out, 1, 2);         // mono
    put_le(out, kRate, 4);     // sample rate
    put_le(out, kRate * 2, 4); // byte rate
    put_le(out, 2, 2);         // block align
    put_le(out, 16, 2);        // bits per sample
    for (char c : std::string("data")) out.push_back(std::uint8_t(c));
    put_le(out, data, 4);
    for (std::int16_t s : samples) put_le(out, std::uint16_t(s), 2);
    return out;
}

bool write_file(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

double note(const char* name) {
    static const int offsets[7] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G from C
    const char letter = name[0];
    if (letter < 'A' || letter > 'G') throw std::invalid_argument(name);
    int semitone = offsets[letter - 'A'];
    int i = 1;
    if (name[i] == '#')
        ++semitone, ++i;
    else if (name[i] == 'b')
        --semitone, ++i;
    const int octave = name[i] - '0';
    const int midi = 12 * (octave + 1) + semitone;
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

} // namespace q50gen
