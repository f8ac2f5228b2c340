// The program does not link the mixer: it is opened when a sound output is chosen. This test
// program does not link it either, so it can see whether the mixer is in the process.
#include "shell/core/memory_store.h"
#include "sound/mixer_library.h"
#include "sound/sound_output.h"
#include "tests/sound/sound_folder.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace q50 {
namespace {

namespace fs = std::filesystem;

struct Messages : MessageSink {
    std::vector<std::string> texts;
    void error(const std::string& text) override { texts.push_back(text); }
};

TEST(SoundLibrary, MixerIsOpenedOnlyWhenASoundOutputIsChosen) {
    // Each test runs in its own process under CTest; run together, an earlier one may have
    // chosen sound already.
    if (mixer_library_loaded()) GTEST_SKIP() << "the mixer was opened by an earlier test";
    test::TempDir tmp;
    test::make_sound_folder(tmp.path(), 0.05);
    const fs::path old_cwd = fs::current_path();
    fs::current_path(tmp.path());
    {
        MemoryStore store;
        Messages messages;
        SoundOutput out(store, messages);
        EXPECT_TRUE(out.Snd_Init(kSoundModeNone));
        out.Snd_Play(Sample::Move);
        out.Snd_Close();
        EXPECT_FALSE(mixer_library_loaded());

        EXPECT_TRUE(out.Snd_Init(1));
        EXPECT_TRUE(mixer_library_loaded());
        ASSERT_NE(mixer_library(), nullptr);
        EXPECT_TRUE(out.device_open());
        for (int i = 0; i < kSampleCount; ++i) EXPECT_TRUE(out.loaded(Sample(i))) << i;
        out.Snd_Play(Sample::Move);
        out.Snd_Silence();
        EXPECT_TRUE(messages.texts.empty());
    }
    fs::current_path(old_cwd);
}

} // namespace
} // namespace q50
