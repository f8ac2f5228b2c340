#pragma once
// The eighteen samples, played through SDL2_mixer: 22050 Hz, 64 mixing channels, each start on
// any free channel so that sounds overlap (the same sample too). Both sound-on entries of the
// splash window load the mixer and open the default SDL audio device; "(no sound)" never
// loads or opens either.
#include "game/services.h"
#include "shell/core/settings_store.h"

#include <array>
#include <string_view>

struct Mix_Chunk;

namespace q50 {

struct MixerLibrary;

// The entries of the splash window's output list; an entry's position is its stored SoundMode.
inline constexpr std::array<std::string_view, 3> kSoundOutputEntries = {
    "Microsoft DirectSound", "Windows MultiMedia", "(no sound)"};
inline constexpr int kSoundModeNotChosen = -1;
inline constexpr int kSoundModeNone = 2;
inline constexpr std::string_view kSoundFolderMessage =
    "Sound folder unproperly installed. Please reinstall the game.";

class SoundOutput : public SoundSink {
  public:
    inline static constexpr int kMixRate = 22050;
    inline static constexpr int kChannels = 64;

    SoundOutput(SettingsStore& store, MessageSink& messages);
    ~SoundOutput() override; // runs Snd_Close
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;

    // Starts the chosen output (an entry of kSoundOutputEntries) and loads the samples from
    // "Sound/" in the current directory. False when Bombfall could not be loaded: the message
    // has then gone to the message sink and the store asks for the splash window next time;
    // the caller ends the program.
    bool Snd_Init(int mode);
    // Nothing happens without sound, for a sample that did not load, or with every channel busy.
    void Snd_Play(Sample s);
    void Snd_Silence();
    // Releases the samples in table order, then closes the device. Harmless at any time.
    void Snd_Close();

    void play(Sample s) override { Snd_Play(s); }
    void silence() override { Snd_Silence(); }

    // True once a sound-on entry was chosen; nothing sets it back.
    bool Sound_On() const { return sound_on_; }
    bool loaded(Sample s) const { return handles_[std::size_t(s)] != nullptr; }
    bool device_open() const { return mixer_open_; }

  private:
    SettingsStore& store_;
    MessageSink& messages_;
    // Opened with the first sound-on choice; a handle is never set without it.
    const MixerLibrary* mixer_ = nullptr;
    bool sound_on_ = false;
    bool audio_started_ = false;
    bool mixer_open_ = false;
    std::array<Mix_Chunk*, kSampleCount> handles_{};
};

} // namespace q50
