#pragma once
// The eighteen samples, played through SDL2_mixer: 22050 Hz, 64 mixing channels, each start on
// any free channel so that sounds overlap (the same sample too). The two sound-on entries of
// the splash window are the two ways a Linux desktop plays sound: through its sound server, or
// straight to the sound card; "(no sound)" never opens a device, nor loads the mixer.
#include "host/services.h"
#include "host/settings_store.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

struct Mix_Chunk;

namespace q50 {

struct MixerLibrary;

// The entries of the splash window's output list; an entry's position is its stored SoundMode.
inline constexpr std::array<std::string_view, 3> kSoundOutputEntries = {
    "Desktop sound server", "Sound card directly (ALSA)", "(no sound)"};
// What the entries mean, for the list's hint.
inline constexpr std::string_view kSoundOutputHint =
    "Desktop sound server: PipeWire or PulseAudio, shared with the other programs.\n"
    "Sound card directly (ALSA): the sound card itself, without a sound server.\n"
    "(no sound): the game stays silent.\n"
    "SDL_AUDIODRIVER, when set, chooses the driver instead.";
inline constexpr int kSoundModeNotChosen = -1;
inline constexpr int kSoundModeNone = 2;
inline constexpr std::string_view kSoundFolderMessage =
    "Sound folder unproperly installed. Please reinstall the game.";

// The SDL audio drivers a sound-on entry stands for, in the order they are tried; empty for
// any other entry.
std::string_view sdl_audio_drivers(int mode);

class SoundOutput : public SoundSink {
  public:
    inline static constexpr int kMixRate = 22050;
    inline static constexpr int kChannels = 64;
    // 17.4 ms at 22050 Hz: a sound is heard about 26 ms after its key at the median on a
    // double-buffered card (512 frames gave 34 ms), while the mixer still keeps its rhythm
    // with the processor busy (256 frames did not). Figures: bench_audio_latency.
    inline static constexpr int kBufferFrames = 384;

    SoundOutput(SettingsStore& store, MessageSink& messages);
    ~SoundOutput() override; // runs Snd_Close
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;

    // Starts the chosen output (an entry of kSoundOutputEntries) and loads the samples from
    // "Sound/" in the current directory. False when it failed; the store then asks for the
    // splash window next time. Either no device could be opened (device_error() says why; no
    // message was sent, the caller asks the user) or the device opened and Bombfall could not
    // be loaded (the sound-folder message has gone to the message sink; the caller ends).
    bool Snd_Init(int mode);
    // Why the last Snd_Init could not open a device: the drivers tried and SDL's reason. Empty
    // when it opened or was never asked to.
    const std::string& device_error() const { return device_error_; }
    // Nothing happens without sound, for a sample that did not load, or with every channel busy.
    void Snd_Play(Sample s);
    void Snd_Silence();
    // Releases the samples in table order, then closes the device. Harmless at any time.
    void Snd_Close();

    // Pauses and resumes every channel where it is (the device's time stands still meanwhile).
    void pause(bool on);
    bool paused() const { return paused_; }
    // The loudness of every channel, 0..100 % of the samples' own; muted is silent whatever
    // the volume. Kept when the output is closed and started again.
    void set_volume(int percent, bool muted);
    int mixer_volume() const; // what the mixer is given, 0..128

    void play(Sample s) override { Snd_Play(s); }
    void silence() override { Snd_Silence(); }

    // True once a sound-on entry was chosen; nothing sets it back.
    bool Sound_On() const { return sound_on_; }
    bool loaded(Sample s) const { return handles_[std::size_t(s)] != nullptr; }
    // Why a sample of the last start did not load ("is missing", "cannot be decoded: ...");
    // empty when it loaded or no device opened. Each one also went to the message sink: a
    // notice, or Bombfall's detail.
    const std::string& load_error(Sample s) const { return load_errors_[std::size_t(s)]; }
    // The samples that will not be heard although the device is open.
    std::vector<Sample> unloaded_samples() const;
    bool device_open() const { return mixer_open_; }

  private:
    bool open_device(int mode);
    void load_samples();

    SettingsStore& store_;
    MessageSink& messages_;
    // Loaded with the first sound-on choice (the program does not link the mixer); a sample
    // handle is never set without it.
    const MixerLibrary* mixer_ = nullptr;
    bool sound_on_ = false;
    bool audio_started_ = false;
    bool mixer_open_ = false;
    bool paused_ = false;
    int volume_ = 100;
    bool muted_ = false;
    void apply_volume();
    std::array<Mix_Chunk*, kSampleCount> handles_{};
    std::array<std::string, kSampleCount> load_errors_{};
    std::string device_error_;
};

} // namespace q50
