#include "sound/mixer/software_mixer.h"

#include <algorithm>

namespace q50 {

int SoftwareMixer::load_folder(const std::filesystem::path& folder, MessageSink& messages) {
    int loaded = 0;
    for (int i = 0; i < kSampleCount; ++i) {
        const std::string file = sample_file(Sample(i));
        std::string why;
        auto sound = read_wav_file(folder / file, kRate, why);
        if (!sound) {
            messages.notice(file + ": " + why + "; it stays silent");
            sounds_[std::size_t(i)].reset();
            continue;
        }
        sounds_[std::size_t(i)] = std::make_shared<const WavSound>(std::move(*sound));
        ++loaded;
    }
    return loaded;
}

void SoftwareMixer::play(Sample s, std::int64_t at) {
    const auto& sound = sounds_[std::size_t(s)];
    if (!sound || sound->frame_count() == 0) return;
    at = std::max(at, position_);
    const auto busy = std::count_if(voices_.begin(), voices_.end(),
                                    [at](const Voice& v) { return v.start <= at && at < v.end; });
    if (busy >= kChannels) return;
    voices_.push_back({s, at, at + std::int64_t(sound->frame_count())});
}

void SoftwareMixer::silence(std::int64_t at) {
    at = std::max(at, position_);
    for (Voice& v : voices_) v.end = std::min(v.end, at);
    std::erase_if(voices_, [](const Voice& v) { return v.end <= v.start; });
}

void SoftwareMixer::render(std::int16_t* out, std::size_t count) {
    const std::int64_t from = position_;
    const std::int64_t to = from + std::int64_t(count);
    std::vector<std::int32_t> mix(count * 2, 0);
    for (const Voice& v : voices_) {
        const std::int64_t a = std::max(from, v.start);
        const std::int64_t b = std::min(to, v.end);
        const WavSound& sound = *sounds_[std::size_t(v.sample)];
        for (std::int64_t f = a; f < b; ++f) {
            const std::size_t src = std::size_t(f - v.start) * 2;
            const std::size_t dst = std::size_t(f - from) * 2;
            mix[dst] += sound.frames[src];
            mix[dst + 1] += sound.frames[src + 1];
        }
    }
    for (std::size_t i = 0; i < mix.size(); ++i) {
        const std::int32_t v = mix[i] * volume_ / 100;
        out[i] = std::int16_t(std::clamp(v, std::int32_t(-32768), std::int32_t(32767)));
    }
    position_ = to;
    std::erase_if(voices_, [to](const Voice& v) { return v.end <= to; });
}

bool SoftwareMixer::can_restore(std::int64_t position, const std::vector<Voice>& voices) const {
    if (position < 0 || voices.size() > std::size_t(kChannels)) return false;
    for (const Voice& v : voices) {
        // Between renders every channel kept is sounding at the position, or starts there.
        if (v.start > position || v.end <= position) return false;
        const int s = int(v.sample);
        if (s < 0 || s >= kSampleCount || v.start < 0 || v.end <= v.start) return false;
        // A voice never runs longer than its sample; a sample not loaded here plays nothing.
        const auto& sound = sounds_[std::size_t(s)];
        if (sound && v.end - v.start > std::int64_t(sound->frame_count())) return false;
    }
    return true;
}

bool SoftwareMixer::restore(std::int64_t position, const std::vector<Voice>& voices) {
    if (!can_restore(position, voices)) return false;
    position_ = position;
    voices_.clear();
    for (const Voice& v : voices)
        if (sounds_[std::size_t(v.sample)]) voices_.push_back(v);
    return true;
}

} // namespace q50
