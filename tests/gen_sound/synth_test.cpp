// The synthesiser behind the device sounds: pitch, timing, mixing and the WAV container.
#include "synth.h"
#include "tunes.h"

#include "host/services.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

using namespace q50gen;

std::uint32_t le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b.at(at + std::size_t(i));
    return v;
}

int sign_changes(const std::vector<std::int16_t>& s, std::size_t from, std::size_t to) {
    int n = 0;
    for (std::size_t i = from + 1; i < to; ++i)
        if ((s[i - 1] < 0) != (s[i] < 0)) ++n;
    return n;
}

TEST(Synth, NotesFollowEqualTemperament) {
    EXPECT_DOUBLE_EQ(note("A4"), 440.0);
    EXPECT_DOUBLE_EQ(note("A5"), 880.0);
    EXPECT_NEAR(note("C4"), 261.626, 0.001);
    EXPECT_NEAR(note("E6"), 1318.51, 0.01);
    EXPECT_DOUBLE_EQ(note("F#4"), note("Gb4"));
    EXPECT_DOUBLE_EQ(note("A#3"), note("Bb3"));
    EXPECT_THROW(note("H4"), std::invalid_argument);
}

TEST(Synth, ToneHasItsLengthPitchAndSoftEdges) {
    Track t;
    t.tone(0, 100, 1000, 0.5);
    const auto s = t.samples();
    ASSERT_EQ(s.size(), 2205u);                        // 100 ms at 22050 Hz
    EXPECT_NEAR(sign_changes(s, 0, s.size()), 200, 3); // 1000 Hz: two changes per period
    EXPECT_EQ(s.front(), 0) << "clicks at the start";
    EXPECT_EQ(s.back(), 0) << "clicks at the end";
    const int peak = std::abs(*std::max_element(
        s.begin(), s.end(), [](auto a, auto b) { return std::abs(int(a)) < std::abs(int(b)); }));
    EXPECT_NEAR(peak, 16384, 2);
}

TEST(Synth, LaterTonesAreSilentBeforeTheirStartAndMixedClippingNotWrapping) {
    Track t;
    t.tone(50, 20, 800, 0.8);
    t.tone(50, 20, 800, 0.8); // in phase: twice the level, beyond full scale
    const auto s = t.samples();
    ASSERT_EQ(s.size(), std::size_t(std::lround(70 * 22.05)));
    EXPECT_TRUE(std::all_of(s.begin(), s.begin() + 1100, [](auto v) { return v == 0; }));
    EXPECT_EQ(*std::max_element(s.begin(), s.end()), 32767);
    EXPECT_EQ(*std::min_element(s.begin(), s.end()), -32767);
    // A wrap-around would put samples of the wrong sign inside the plateaus.
    EXPECT_LE(sign_changes(s, 1110, s.size() - 10), 2 * 16 + 2);
}

TEST(Synth, GlideFallsAndRattleRepeatsExactly) {
    Track g;
    g.glide(0, 400, 2000, 500, 0.5);
    const auto s = g.samples();
    const std::size_t tenth = s.size() / 10;
    EXPECT_GT(sign_changes(s, 0, tenth), 3 * sign_changes(s, s.size() - tenth, s.size()));

    Track a, b, c;
    a.rattle(0, 200, 100, 400, 6, 0.5, 7);
    b.rattle(0, 200, 100, 400, 6, 0.5, 7);
    c.rattle(0, 200, 100, 400, 6, 0.5, 8);
    EXPECT_EQ(a.samples(), b.samples());
    EXPECT_NE(a.samples(), c.samples());
}

TEST(Synth, WavHeaderDescribesMonoSixteenBitSamples) {
    const auto b = wav_bytes({0, 1000, -2});
    ASSERT_EQ(b.size(), 44u + 6u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
    EXPECT_EQ(le(b, 4, 4), 36u + 6u);
    EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(le(b, 20, 2), 1u);     // PCM
    EXPECT_EQ(le(b, 22, 2), 1u);     // mono
    EXPECT_EQ(le(b, 24, 4), 22050u); // rate
    EXPECT_EQ(le(b, 28, 4), 44100u); // bytes per second
    EXPECT_EQ(le(b, 32, 2), 2u);
    EXPECT_EQ(le(b, 34, 2), 16u);
    EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
    EXPECT_EQ(le(b, 40, 4), 6u);
    EXPECT_EQ(le(b, 46, 2), 1000u);
    EXPECT_EQ(le(b, 48, 2), 0xfffeu); // -2, two's complement
}

TEST(DeviceSounds, OneSoundForEverySampleTheDeviceLoadsInItsOrder) {
    const auto sounds = device_sounds();
    ASSERT_EQ(int(sounds.size()), q50::kSampleCount);
    for (int i = 0; i < q50::kSampleCount; ++i)
        EXPECT_EQ(sounds[std::size_t(i)].stem, q50::sample_name(q50::Sample(i)));
}

} // namespace
