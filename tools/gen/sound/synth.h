#pragma once
// A tiny piezo-style synthesiser: square and pulse tones with short edges, glides and a
// pseudo-random rattle, mixed into 22050 Hz mono samples.
#include <cstdint>
#include <string>
#include <vector>

namespace q50gen {

constexpr int kRate = 22050;

class Track {
  public:
    // A square tone (duty 0..1) from `start_ms` for `length_ms` at `volume` 0..1.
    void tone(double start_ms, double length_ms, double hz, double volume = 0.5, double duty = 0.5);
    // A tone whose pitch moves from `from_hz` to `to_hz` (exponentially) over its length.
    void glide(double start_ms, double length_ms, double from_hz, double to_hz, double volume = 0.5,
               double duty = 0.5);
    // A tone whose volume falls linearly to zero, for plucked and struck notes.
    void fading_tone(double start_ms, double length_ms, double hz, double volume = 0.5,
                     double duty = 0.5);
    // A rattle: a square wave jumping to a new random pitch in lo..hi every `grain_ms`,
    // fading out over its length (the nearest a piezo comes to noise).
    void rattle(double start_ms, double length_ms, double lo_hz, double hi_hz, double grain_ms,
                double volume, std::uint32_t seed);

    double length_ms() const { return 1000.0 * double(mix_.size()) / kRate; }
    // 16-bit samples, clipped.
    std::vector<std::int16_t> samples() const;

  private:
    void add(double start_ms, double length_ms, double volume, double duty,
             double (*pitch)(double t, const void* ctx), const void* ctx, bool fade);
    std::vector<double> mix_;
};

// A canonical 44-byte-header PCM WAV file: mono, 16 bit, kRate Hz.
std::vector<std::uint8_t> wav_bytes(const std::vector<std::int16_t>& samples);
bool write_file(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Equal-tempered pitch of a note name like "C5", "F#4", "Bb3".
double note(const char* name);

} // namespace q50gen
