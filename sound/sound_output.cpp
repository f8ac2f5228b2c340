#include "sound/sound_output.h"

#include "host/setting_names.h"
#include "sound/mixer_library.h"
#include "sound/sample_file.h"
#include "sound/sdl_library.h"

#include <SDL.h>

namespace q50 {

SoundOutput::SoundOutput(SettingsStore& store, MessageSink& messages)
    : store_(store), messages_(messages) {}

SoundOutput::~SoundOutput() {
    Snd_Close();
}

bool SoundOutput::Snd_Init(int mode) {
    device_error_.clear();
    if (mode == kSoundModeNone) {
        sound_on_ = false;
        store_.write_int(setting::SoundMode, kSoundModeNone);
        return true;
    }
    if (mode != 0 && mode != 1) return true; // no entry chosen: nothing to start

    sound_on_ = true;
    store_.write_int(setting::SoundMode, mode);
    Snd_Close(); // a second start begins afresh instead of leaking the first

    const bool opened = open_device(mode);
    if (opened) load_samples();
    if (opened && handles_[std::size_t(Sample::Bombfall)]) return true;

    // Stored before any message waits for its answer, so that the next start asks again even
    // if this one is killed meanwhile.
    store_.write_int(setting::SoundMode, kSoundModeNotChosen);
    store_.write_bool(setting::SplashScreen, true);
    // No device is no reason to reinstall: the caller tells the user what really happened.
    if (opened)
        messages_.detailed_error(std::string(kSoundFolderMessage),
                                 sample_file(Sample::Bombfall) + " " +
                                     load_errors_[std::size_t(Sample::Bombfall)] + ".");
    return false;
}

std::string_view sdl_audio_drivers(int mode) {
    switch (mode) {
    case 0:
        return "pipewire,pulseaudio"; // whichever server the desktop runs
    case 1:
        return "alsa";
    default:
        return {};
    }
}

bool SoundOutput::open_device(int mode) {
    const SdlLibrary* sdl = sdl_library();
    if (!sdl) {
        device_error_ = sdl_library_error();
        return false;
    }
    // SDL must leave SIGINT and SIGTERM to the program.
    sdl->SetHintWithPriority(SDL_HINT_NO_SIGNAL_HANDLERS, "1", SDL_HINT_OVERRIDE);
    // At normal priority: the user's SDL_AUDIODRIVER still wins over the entry.
    const std::string drivers(sdl_audio_drivers(mode));
    sdl->SetHint(SDL_HINT_AUDIODRIVER, drivers.c_str());
    // The mixer and its chain of libraries are loaded now, not with the program.
    mixer_ = mixer_library();
    if (!mixer_) {
        device_error_ = mixer_library_error();
        return false;
    }
    audio_started_ = sdl->InitSubSystem(SDL_INIT_AUDIO) == 0;
    // The device may open at another rate; SDL converts, and that is fine.
    mixer_open_ =
        audio_started_ && mixer_->OpenAudio(kMixRate, MIX_DEFAULT_FORMAT, 2, kBufferFrames) == 0;
    if (mixer_open_) {
        mixer_->AllocateChannels(kChannels);
        apply_volume();
        if (paused_) mixer_->Pause(-1);
        return true;
    }
    const char* tried = sdl->GetHint(SDL_HINT_AUDIODRIVER);
    const char* reason = sdl->GetError();
    device_error_ = std::string("SDL audio driver ") + (tried && *tried ? tried : "(default)") +
                    ": " + (reason && *reason ? reason : "no reason given");
    if (audio_started_) sdl->QuitSubSystem(SDL_INIT_AUDIO);
    audio_started_ = false;
    return false;
}

void SoundOutput::load_samples() {
    const SdlLibrary& sdl = *sdl_library();
    for (int i = 0; i < kSampleCount; ++i) {
        std::string& error = load_errors_[std::size_t(i)];
        const SampleBytes file = read_sample_file(sample_file(Sample(i)));
        error = file.error;
        if (!error.empty()) continue;
        // The mixer decodes the whole sample into a buffer of its own: the bytes may go after.
        SDL_RWops* from = sdl.RWFromConstMem(file.bytes.data(), int(file.bytes.size()));
        handles_[std::size_t(i)] = from ? mixer_->LoadWAV_RW(from, 1) : nullptr;
        if (handles_[std::size_t(i)]) continue;
        const char* why = sdl.GetError();
        error = std::string("cannot be decoded: ") + (why && *why ? why : "no reason given");
    }
    // Bombfall's own failure ends the start with its message; any other is only not heard.
    for (int i = 0; i < kSampleCount; ++i)
        if (Sample(i) != Sample::Bombfall && !load_errors_[std::size_t(i)].empty())
            messages_.notice("the sample " + sample_file(Sample(i)) + " " +
                             load_errors_[std::size_t(i)] + "; it is not heard");
}

std::vector<Sample> SoundOutput::unloaded_samples() const {
    std::vector<Sample> out;
    if (!mixer_open_) return out;
    for (int i = 0; i < kSampleCount; ++i)
        if (!handles_[std::size_t(i)]) out.push_back(Sample(i));
    return out;
}

void SoundOutput::Snd_Play(Sample s) {
    if (!sound_on_ || !mixer_open_) return;
    if (Mix_Chunk* chunk = handles_[std::size_t(s)]) mixer_->PlayChannelTimed(-1, chunk, 0, -1);
}

void SoundOutput::Snd_Silence() {
    if (!sound_on_ || !mixer_open_) return;
    mixer_->HaltChannel(-1);
}

void SoundOutput::pause(bool on) {
    paused_ = on;
    if (!mixer_open_) return;
    if (on)
        mixer_->Pause(-1);
    else
        mixer_->Resume(-1);
}

void SoundOutput::set_volume(int percent, bool muted) {
    volume_ = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    muted_ = muted;
    apply_volume();
}

int SoundOutput::mixer_volume() const {
    return muted_ ? 0 : (volume_ * MIX_MAX_VOLUME + 50) / 100;
}

void SoundOutput::apply_volume() {
    // The channels' volume, so that the samples themselves stay as they are.
    if (mixer_open_) mixer_->Volume(-1, mixer_volume());
}

void SoundOutput::Snd_Close() {
    for (std::string& error : load_errors_) error.clear();
    for (auto& handle : handles_) {
        if (handle) mixer_->FreeChunk(handle);
        handle = nullptr;
    }
    if (mixer_open_) mixer_->CloseAudio();
    mixer_open_ = false;
    if (audio_started_) sdl_library()->QuitSubSystem(SDL_INIT_AUDIO);
    audio_started_ = false;
}

} // namespace q50
