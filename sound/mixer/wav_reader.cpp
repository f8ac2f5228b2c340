#include "sound/mixer/wav_reader.h"

#include <fstream>

namespace q50 {

namespace {

std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
}
std::uint16_t le16(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint16_t(b[at] | b[at + 1] << 8);
}

struct Format {
    int channels = 0;
    int rate = 0;
    int bits = 0;
};

// One channel's sample at `frame` of the decoded data, as 16-bit signed.
std::int16_t sample_at(std::span<const std::uint8_t> data, const Format& f, std::size_t frame,
                       int channel) {
    const std::size_t bytes = std::size_t(f.bits / 8);
    const std::size_t at = (frame * std::size_t(f.channels) + std::size_t(channel)) * bytes;
    if (f.bits == 8) return std::int16_t((int(data[at]) - 128) * 256);
    return std::int16_t(le16(data, at));
}

} // namespace

std::optional<WavSound> read_wav(std::span<const std::uint8_t> bytes, int rate, std::string& why) {
    if (bytes.size() < 12 || le32(bytes, 0) != 0x46464952 /* RIFF */ ||
        le32(bytes, 8) != 0x45564157 /* WAVE */) {
        why = "not a WAV file";
        return std::nullopt;
    }
    std::optional<Format> format;
    std::span<const std::uint8_t> data;
    bool have_data = false;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::uint32_t id = le32(bytes, at);
        const std::uint64_t size = le32(bytes, at + 4);
        if (size > bytes.size() - at - 8) {
            why = "a chunk runs past the end of the file";
            return std::nullopt;
        }
        const auto body = bytes.subspan(at + 8, std::size_t(size));
        if (id == 0x20746d66 /* "fmt " */) {
            if (size < 16) {
                why = "the format chunk is too short";
                return std::nullopt;
            }
            if (le16(body, 0) != 1) {
                why = "not plain PCM (format " + std::to_string(le16(body, 0)) + ")";
                return std::nullopt;
            }
            format = Format{le16(body, 2), int(le32(body, 4)), le16(body, 14)};
        } else if (id == 0x61746164 /* data */) {
            data = body;
            have_data = true;
        }
        at += 8 + std::size_t(size) + (size & 1); // chunks are padded to even sizes
    }
    if (!format) {
        why = "no format chunk";
        return std::nullopt;
    }
    if (!have_data) {
        why = "no data chunk";
        return std::nullopt;
    }
    const Format f = *format;
    if (f.channels != 1 && f.channels != 2) {
        why = std::to_string(f.channels) + " channels (1 or 2 are played)";
        return std::nullopt;
    }
    if (f.bits != 8 && f.bits != 16) {
        why = std::to_string(f.bits) + "-bit samples (8 or 16 are played)";
        return std::nullopt;
    }
    if (f.rate < 1000 || f.rate > 192000 || rate < 1000 || rate > 192000) {
        why = "a sample rate of " + std::to_string(f.rate) + " Hz";
        return std::nullopt;
    }
    const std::size_t frame_bytes = std::size_t(f.channels * f.bits / 8);
    if (data.size() % frame_bytes != 0) {
        why = "the data ends inside a sample";
        return std::nullopt;
    }
    const std::size_t in_frames = data.size() / frame_bytes;
    // Each output frame takes the input frame that holds its start (nearest below): the
    // delivered samples are at the mixer's rate already, and this keeps them bit for bit.
    const std::size_t out_frames =
        std::size_t((std::uint64_t(in_frames) * std::uint64_t(rate)) / std::uint64_t(f.rate));
    WavSound sound;
    sound.frames.resize(out_frames * 2);
    for (std::size_t i = 0; i < out_frames; ++i) {
        const std::size_t src =
            std::size_t(std::uint64_t(i) * std::uint64_t(f.rate) / std::uint64_t(rate));
        const std::int16_t left = sample_at(data, f, src, 0);
        sound.frames[2 * i] = left;
        sound.frames[2 * i + 1] = f.channels == 2 ? sample_at(data, f, src, 1) : left;
    }
    return sound;
}

std::optional<WavSound> read_wav_file(const std::filesystem::path& file, int rate,
                                      std::string& why) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec) {
        why = "cannot be read (" + ec.message() + ")";
        return std::nullopt;
    }
    if (size > kMaxWavBytes) {
        why = "is larger than " + std::to_string(kMaxWavBytes >> 20) + " MiB";
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!in || !in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()))) {
        why = "cannot be read";
        return std::nullopt;
    }
    return read_wav(bytes, rate, why);
}

} // namespace q50
