#include "sound/sound_output.h"

#include "sound/mixer_library.h"

#include <SDL.h>

namespace q50 {

namespace {
// About 23 ms at 22050 Hz: short enough that a sound starts with the event that plays it.
constexpr int kBufferFrames = 512;
} // namespace

SoundOutput::SoundOutput(SettingsStore& store, MessageSink& messages)
    : store_(store), messages_(messages) {}

SoundOutput::~SoundOutput() {
    Snd_Close();
}

bool SoundOutput::Snd_Init(int mode) {
    if (mode == kSoundModeNone) {
        sound_on_ = false;
        store_.write_int("SoundMode", kSoundModeNone);
        return true;
    }
    if (mode != 0 && mode != 1) return true; // no entry chosen: nothing to start

    sound_on_ = true;
    store_.write_int("SoundMode", mode);
    Snd_Close(); // a second start begins afresh instead of leaking the first

    // SDL must leave SIGINT and SIGTERM to the program.
    SDL_SetHintWithPriority(SDL_HINT_NO_SIGNAL_HANDLERS, "1", SDL_HINT_OVERRIDE);
    mixer_ = mixer_library();
    audio_started_ = mixer_ && SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    // The device may open at another rate; SDL converts, and that is fine.
    mixer_open_ =
        audio_started_ && mixer_->OpenAudio(kMixRate, MIX_DEFAULT_FORMAT, 2, kBufferFrames) == 0;
    if (mixer_open_) mixer_->AllocateChannels(kChannels);
    for (int i = 0; i < kSampleCount; ++i)
        handles_[std::size_t(i)] =
            mixer_open_
                ? mixer_->LoadWAV_RW(SDL_RWFromFile(sample_file(Sample(i)).c_str(), "rb"), 1)
                : nullptr;

    // A device that did not start shows here too: nothing could be loaded.
    if (!handles_[std::size_t(Sample::Bombfall)]) {
        // Stored before the message waits for its OK, so that the next start asks again even
        // if this one is killed meanwhile.
        store_.write_int("SoundMode", kSoundModeNotChosen);
        store_.write_bool("SplashScreen", true);
        messages_.error(std::string(kSoundFolderMessage));
        return false;
    }
    return true;
}

void SoundOutput::Snd_Play(Sample s) {
    if (!sound_on_ || !mixer_open_) return;
    if (Mix_Chunk* chunk = handles_[std::size_t(s)]) mixer_->PlayChannelTimed(-1, chunk, 0, -1);
}

void SoundOutput::Snd_Silence() {
    if (!sound_on_ || !mixer_open_) return;
    mixer_->HaltChannel(-1);
}

void SoundOutput::Snd_Close() {
    for (auto& handle : handles_) {
        if (handle) mixer_->FreeChunk(handle);
        handle = nullptr;
    }
    if (mixer_open_) mixer_->CloseAudio();
    mixer_open_ = false;
    if (audio_started_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    audio_started_ = false;
}

} // namespace q50
