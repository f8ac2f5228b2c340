#pragma once
// A WAV file read into the form the software mixer plays: interleaved stereo 16-bit frames at
// the mixer's rate. Only plain PCM is taken (8-bit unsigned or 16-bit signed, one or two
// channels, any rate from 1000 to 192000 Hz); anything else, and any file whose chunks do not
// add up, is refused with the reason, never half read.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace q50 {

struct WavSound {
    std::vector<std::int16_t> frames; // left, right, left, right, ...
    std::size_t frame_count() const { return frames.size() / 2; }
};

// A file larger than this is refused before it is read: the eighteen samples last a second
// or two each.
inline constexpr std::uintmax_t kMaxWavBytes = 16u << 20;

// The sound in `bytes`, converted to `rate` Hz; nothing (and `why` says why) when refused.
std::optional<WavSound> read_wav(std::span<const std::uint8_t> bytes, int rate, std::string& why);
std::optional<WavSound> read_wav_file(const std::filesystem::path& file, int rate,
                                      std::string& why);

} // namespace q50
