// On SDL's disk driver the mixed output lands in a file, in real time, so these tests can
// hear what was played. They wait for the file with short bounded polls.
#include "sound/sound_output.h"

#include "../support/scoped_env.h"
#include "../support/temp_dir.h"
#include "shell/core/memory_store.h"
#include "sound_folder.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace q50 {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct NoMessages : MessageSink {
    void error(const std::string& text) override { ADD_FAILURE() << text; }
};

std::uintmax_t size_of(const fs::path& p) {
    std::error_code ec;
    auto n = fs::file_size(p, ec);
    return ec ? 0 : n;
}

// Waits until `done` holds, for at most `limit`.
// Only an upper bound: a passing run waits a few buffers. Generous, because a loaded machine can
// keep SDL's disk-writing thread from running for a second or more.
constexpr std::chrono::milliseconds kAudioPatience{10000};

template <class F> bool wait_for(F done, std::chrono::milliseconds limit) {
    auto until = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

bool all_silent(const std::string& bytes, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to && i < bytes.size(); ++i)
        if (bytes[i] != 0) return false;
    return true;
}

TEST(DiskOutput, APlayedSampleIsHeardAndSilenceStopsIt) {
    test::TempDir tmp;
    test::make_sound_folder(tmp.path(), 2.0);
    const fs::path raw = tmp.path() / "out.raw";
    test::ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    test::ScopedEnv file("SDL_DISKAUDIOFILE", raw.string());
    const fs::path old_cwd = fs::current_path();
    fs::current_path(tmp.path());

    MemoryStore store;
    NoMessages messages;
    SoundOutput out(store, messages);
    ASSERT_TRUE(out.Snd_Init(0));
    fs::current_path(old_cwd);
    ASSERT_STREQ(SDL_GetCurrentAudioDriver(), "disk");

    int rate = 0, channels = 0;
    Uint16 format = 0;
    ASSERT_NE(Mix_QuerySpec(&rate, &format, &channels), 0);
    ASSERT_EQ(format, AUDIO_S16SYS); // silence is zero bytes
    const std::size_t buffer_bytes = std::size_t(SoundOutput::kBufferFrames * channels * 2);

    // The device runs before anything plays, and what it writes is silence.
    ASSERT_TRUE(wait_for([&] { return size_of(raw) >= 4 * buffer_bytes; }, kAudioPatience));
    const std::size_t before_play = size_of(raw);
    EXPECT_TRUE(all_silent(test::read_file(raw), 0, before_play));

    out.Snd_Play(Sample::Bombfall);
    ASSERT_TRUE(wait_for([&] { return !all_silent(test::read_file(raw), before_play, SIZE_MAX); },
                         kAudioPatience))
        << "the played sample never reached the output";

    out.Snd_Play(Sample::Move);
    out.Snd_Silence();
    const std::size_t at_silence = size_of(raw);
    // One buffer mixed before the halt may still be on its way to the file.
    const std::size_t quiet_from = at_silence + 2 * buffer_bytes;
    ASSERT_TRUE(
        wait_for([&] { return size_of(raw) >= quiet_from + 6 * buffer_bytes; }, kAudioPatience));
    const std::string after = test::read_file(raw);
    EXPECT_TRUE(all_silent(after, quiet_from, after.size()))
        << "sound continued after Snd_Silence (the tone lasts 2 s)";
    out.Snd_Close();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

} // namespace
} // namespace q50
