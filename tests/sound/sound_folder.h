#pragma once
// Test sound folders: every sample a tone of our own, written as 16-bit mono PCM WAV files.
#include "host/services.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace q50::test {

inline void write_tone_wav(const std::filesystem::path& file, double seconds, double hz) {
    constexpr std::uint32_t rate = 22050;
    const auto frames = std::uint32_t(seconds * rate);
    std::vector<std::int16_t> pcm(frames);
    for (std::uint32_t i = 0; i < frames; ++i)
        pcm[i] = std::int16_t(9000 * std::sin(2 * M_PI * hz * i / rate));
    const std::uint32_t data_bytes = frames * 2;

    std::ofstream out(file, std::ios::binary);
    auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + data_bytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1); // PCM
    u16(1); // mono
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    out.write("data", 4);
    u32(data_bytes);
    out.write(reinterpret_cast<const char*>(pcm.data()), std::streamsize(data_bytes));
}

// Writes "Sound/<name>.wav" for every sample under `root`, except the ones in `missing`.
inline void make_sound_folder(const std::filesystem::path& root, double seconds,
                              const std::vector<Sample>& missing = {}) {
    std::filesystem::create_directories(root / "Sound");
    for (int i = 0; i < kSampleCount; ++i) {
        bool skip = false;
        for (Sample m : missing) skip = skip || m == Sample(i);
        if (!skip) write_tone_wav(root / sample_file(Sample(i)), seconds, 300 + 40 * i);
    }
}

} // namespace q50::test
