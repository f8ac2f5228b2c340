#pragma once
// What the device needs from the world around it. The desktop gives real implementations,
// tests and the trace tool give recorders and scripted values.
#include <cstdint>
#include <string>
#include <string_view>

namespace q50 {

// The eighteen samples in the order of their table (which is also the order they are loaded
// and released in).
enum class Sample : int {
    Bombfall,
    Bonus0,
    Bonus1,
    Bonus2,
    Bonus3,
    Bonus4,
    Bonus5,
    Bonus6,
    Bonus7,
    Chance,
    Enemy,
    Gameover,
    Miss1,
    Miss2,
    Miss3,
    Move,
    Movebomb,
    Start,
};
constexpr int kSampleCount = 18;
// "Bombfall", "Bonus0", ...
std::string_view sample_name(Sample s);
// "Sound/Bombfall.wav", ...
std::string sample_file(Sample s);

class SoundSink {
  public:
    virtual ~SoundSink() = default;
    virtual void play(Sample s) = 0; // Snd_Play
    virtual void silence() = 0;      // Snd_Silence
};

// Pseudo-random draws. The caller asks for a uniform integer in lo..hi (both included).
class RandomSource {
  public:
    virtual ~RandomSource() = default;
    virtual std::int32_t uniform(std::int32_t lo, std::int32_t hi) = 0;
};

struct TimeOfDay {
    int hour = 0;   // 0..23
    int minute = 0; // 0..59
};

// The local time of day. `device_ms` is the device's virtual time, for sources that advance
// with it; the real source ignores it and reads the system clock.
class LocalClock {
  public:
    virtual ~LocalClock() = default;
    virtual TimeOfDay now(std::int64_t device_ms) = 0;
};

// Messages that the desktop shows in a modal error box with an OK button.
class MessageSink {
  public:
    virtual ~MessageSink() = default;
    virtual void error(const std::string& text) = 0;
    // An error whose text stays as the user knows it, with what exactly failed (a file and
    // the reason) as its detail: shown with the box when the sink has one, and on standard
    // error in either case.
    virtual void detailed_error(const std::string& text, const std::string& detail);
    // What the user should know but that stops nothing (a picture not found, a value out of
    // range): written to standard error unless the sink takes it elsewhere.
    virtual void notice(const std::string& text);
};

// "Quendrix50: TEXT" on standard error.
void write_notice(const std::string& text);

} // namespace q50
