#pragma once
// WAV files made in memory, sample by sample, so that a test knows every value it plays.
#include <cstdint>
#include <string>
#include <vector>

namespace q50::test {

struct WavSpec {
    std::uint16_t format = 1; // PCM
    std::uint16_t channels = 1;
    std::uint32_t rate = 22050;
    std::uint16_t bits = 16;
};

inline std::vector<std::uint8_t> wav_bytes(const WavSpec& spec,
                                           const std::vector<std::uint8_t>& data,
                                           const std::vector<std::uint8_t>& extra_chunk = {}) {
    std::vector<std::uint8_t> b;
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
    };
    auto u16 = [&](std::uint16_t v) {
        b.push_back(std::uint8_t(v));
        b.push_back(std::uint8_t(v >> 8));
    };
    auto tag = [&](const char* t) { b.insert(b.end(), t, t + 4); };
    tag("RIFF");
    u32(0); // patched below
    tag("WAVE");
    if (!extra_chunk.empty()) {
        tag("LIST");
        u32(std::uint32_t(extra_chunk.size()));
        b.insert(b.end(), extra_chunk.begin(), extra_chunk.end());
        if (extra_chunk.size() & 1) b.push_back(0);
    }
    tag("fmt ");
    u32(16);
    u16(spec.format);
    u16(spec.channels);
    u32(spec.rate);
    u32(spec.rate * spec.channels * spec.bits / 8);
    u16(std::uint16_t(spec.channels * spec.bits / 8));
    u16(spec.bits);
    tag("data");
    u32(std::uint32_t(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    const std::uint32_t riff = std::uint32_t(b.size() - 8);
    for (int i = 0; i < 4; ++i) b[4 + i] = std::uint8_t(riff >> (8 * i));
    return b;
}

// 16-bit samples as little-endian bytes.
inline std::vector<std::uint8_t> pcm16(const std::vector<std::int16_t>& samples) {
    std::vector<std::uint8_t> b;
    for (std::int16_t s : samples) {
        b.push_back(std::uint8_t(s & 0xff));
        b.push_back(std::uint8_t((std::uint16_t(s) >> 8) & 0xff));
    }
    return b;
}

} // namespace q50::test
