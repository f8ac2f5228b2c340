#pragma once
// The eighteen samples mixed in software, for front ends without SDL: as the desktop's
// output, every start takes any free one of 64 channels (so sounds overlap, the same sample
// too; with all busy the start is dropped), and "silence" halts every channel.
//
// The mixer counts time in output frames since device time 0. A sound started at device
// millisecond t begins exactly at frame floor(t * kRate / 1000), whenever the front end
// happens to render that stretch, so the sound lines up with the device to the sample.
#include "host/services.h"
#include "sound/mixer/wav_reader.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace q50 {

class SoftwareMixer {
  public:
    inline static constexpr int kRate = 22050; // the desktop's rate and the samples' own
    inline static constexpr int kChannels = 64;

    // The first output frame of device millisecond `ms`.
    static std::int64_t frame_at(std::int64_t ms) { return ms * kRate / 1000; }

    void load(Sample s, std::shared_ptr<const WavSound> sound) { sounds_[std::size_t(s)] = sound; }
    bool loaded(Sample s) const { return sounds_[std::size_t(s)] != nullptr; }
    // Reads the eighteen from `folder` (its Sound/*.wav); a file refused is left silent and
    // its reason goes to `messages`. Returns how many loaded.
    int load_folder(const std::filesystem::path& folder, MessageSink& messages);

    // Starts `s` at output frame `at` (a frame already rendered counts as the next one).
    void play(Sample s, std::int64_t at);
    // Halts every channel at output frame `at`.
    void silence(std::int64_t at);

    // Mixes the next `count` stereo frames into `out` (2 * count values) and moves on.
    void render(std::int16_t* out, std::size_t count);
    // The next frame render() writes.
    std::int64_t position() const { return position_; }

    // 0..100 % of the samples' own loudness, applied to the mix.
    void set_volume(int percent) { volume_ = percent < 0 ? 0 : percent > 100 ? 100 : percent; }
    int volume() const { return volume_; }

    // What a saved state keeps: the position and each sounding channel.
    struct Voice {
        Sample sample = Sample::Bombfall;
        std::int64_t start = 0; // output frame of its first sample
        std::int64_t end = 0;   // output frame after its last one (earlier when halted)
        bool operator==(const Voice&) const = default;
    };
    const std::vector<Voice>& voices() const { return voices_; }
    // False (nothing changed) when a voice is not one this mixer could be playing.
    bool can_restore(std::int64_t position, const std::vector<Voice>& voices) const;
    bool restore(std::int64_t position, const std::vector<Voice>& voices);

  private:
    std::array<std::shared_ptr<const WavSound>, kSampleCount> sounds_{};
    std::vector<Voice> voices_; // in the order they started
    std::int64_t position_ = 0;
    int volume_ = 100;
};

// The device's sound sink over the mixer: each call lands at the device's time of the call.
class MixerSink : public SoundSink {
  public:
    MixerSink(SoftwareMixer& mixer, std::function<std::int64_t()> device_ms)
        : mixer_(mixer), device_ms_(std::move(device_ms)) {}
    void play(Sample s) override { mixer_.play(s, SoftwareMixer::frame_at(device_ms_())); }
    void silence() override { mixer_.silence(SoftwareMixer::frame_at(device_ms_())); }

  private:
    SoftwareMixer& mixer_;
    std::function<std::int64_t()> device_ms_;
};

} // namespace q50
