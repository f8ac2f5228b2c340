#include "sound/sound_output.h"

#include "sound_fixture.h"
#include "sound_folder.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>
#include <csignal>
#include <unistd.h>

namespace q50 {
namespace {

namespace fs = std::filesystem;

using SoundOutputTest = test::SoundInTempFolder;

TEST_F(SoundOutputTest, NoSoundNeverOpensTheDevice) {
    test::make_sound_folder(tmp_.path(), 0.1);
    SoundOutput out(store_, messages_);
    EXPECT_TRUE(out.Snd_Init(kSoundModeNone));
    EXPECT_FALSE(out.Sound_On());
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    EXPECT_EQ(store_.values().at("SoundMode"), "2");
    out.Snd_Play(Sample::Move);
    out.Snd_Silence();
    out.Snd_Close();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    EXPECT_FALSE(out.loaded(Sample::Bombfall));
    EXPECT_TRUE(messages_.texts.empty());
}

TEST_F(SoundOutputTest, NoEntryChosenChangesNothing) {
    SoundOutput out(store_, messages_);
    for (int mode : {kSoundModeNotChosen, 3, 1000}) EXPECT_TRUE(out.Snd_Init(mode));
    EXPECT_FALSE(out.Sound_On());
    EXPECT_TRUE(store_.values().empty());
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    EXPECT_TRUE(messages_.texts.empty());
}

TEST_F(SoundOutputTest, BothOutputsTurnSoundOnAndLoadEverySample) {
    test::make_sound_folder(tmp_.path(), 0.1);
    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        {
            SoundOutput out(store_, messages_);
            ASSERT_TRUE(out.Snd_Init(mode));
            EXPECT_TRUE(out.Sound_On());
            EXPECT_TRUE(out.device_open());
            EXPECT_EQ(store_.values().at("SoundMode"), std::to_string(mode));
            EXPECT_NE(SDL_WasInit(SDL_INIT_AUDIO), 0u);
            EXPECT_STREQ(SDL_GetHint(SDL_HINT_NO_SIGNAL_HANDLERS), "1");
            int rate = 0;
            ASSERT_NE(Mix_QuerySpec(&rate, nullptr, nullptr), 0);
            EXPECT_EQ(rate, SoundOutput::kMixRate); // the dummy device takes any rate
            EXPECT_EQ(Mix_AllocateChannels(-1), SoundOutput::kChannels);
            for (int i = 0; i < kSampleCount; ++i) EXPECT_TRUE(out.loaded(Sample(i))) << i;
        }
        // Going out of scope closes everything, as the main window's closing does.
        EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    }
    EXPECT_TRUE(messages_.texts.empty());
    EXPECT_EQ(store_.values().count("SplashScreen"), 0u);
}

TEST_F(SoundOutputTest, StartingAudioLeavesTheSignalsToTheProgram) {
    test::make_sound_folder(tmp_.path(), 0.1);
    struct sigaction before_int {
    }, before_term{}, after_int{}, after_term{};
    sigaction(SIGINT, nullptr, &before_int);
    sigaction(SIGTERM, nullptr, &before_term);
    SoundOutput out(store_, messages_);
    ASSERT_TRUE(out.Snd_Init(0));
    sigaction(SIGINT, nullptr, &after_int);
    sigaction(SIGTERM, nullptr, &after_term);
    EXPECT_EQ(after_int.sa_handler, before_int.sa_handler);
    EXPECT_EQ(after_term.sa_handler, before_term.sa_handler);
}

TEST_F(SoundOutputTest, SamplesOverlapOnFreeChannelsUntilSilenced) {
    test::make_sound_folder(tmp_.path(), 3.0);
    SoundOutput out(store_, messages_);
    ASSERT_TRUE(out.Snd_Init(1));
    out.Snd_Play(Sample::Move);
    out.Snd_Play(Sample::Move);
    EXPECT_EQ(Mix_Playing(-1), 2);
    out.Snd_Play(Sample::Bombfall);
    out.Snd_Play(Sample::Start);
    EXPECT_EQ(Mix_Playing(-1), 4);
    out.Snd_Silence();
    EXPECT_EQ(Mix_Playing(-1), 0);

    // With every channel busy, one more start is simply not heard.
    for (int i = 0; i < SoundOutput::kChannels + 6; ++i) out.Snd_Play(Sample(i % kSampleCount));
    EXPECT_EQ(Mix_Playing(-1), SoundOutput::kChannels);
    out.Snd_Silence();
    EXPECT_EQ(Mix_Playing(-1), 0);
    out.Snd_Play(Sample::Chance);
    EXPECT_EQ(Mix_Playing(-1), 1);
}

TEST_F(SoundOutputTest, AnotherMissingSampleIsSimplyNotHeard) {
    test::make_sound_folder(tmp_.path(), 3.0, {Sample::Enemy});
    SoundOutput out(store_, messages_);
    ASSERT_TRUE(out.Snd_Init(0));
    EXPECT_TRUE(messages_.texts.empty());
    EXPECT_FALSE(out.loaded(Sample::Enemy));
    EXPECT_TRUE(out.loaded(Sample::Gameover));
    out.Snd_Play(Sample::Enemy);
    EXPECT_EQ(Mix_Playing(-1), 0);
    out.Snd_Play(Sample::Gameover);
    EXPECT_EQ(Mix_Playing(-1), 1);
    EXPECT_EQ(store_.values().at("SoundMode"), "0");
}

TEST_F(SoundOutputTest, MissingBombfallFailsTheStartAndAsksAgainNextTime) {
    test::make_sound_folder(tmp_.path(), 0.1, {Sample::Bombfall});
    store_.preset("SplashScreen", "0");
    std::vector<std::string> writes;
    store_.on_write = [&](const std::string& name, const std::string& text) {
        writes.push_back(name + "=" + text);
    };
    SoundOutput out(store_, messages_);
    EXPECT_FALSE(out.Snd_Init(0));
    ASSERT_EQ(messages_.texts.size(), 1u);
    EXPECT_EQ(messages_.texts[0], "Sound folder unproperly installed. Please reinstall the game.");
    EXPECT_EQ(writes, (std::vector<std::string>{"SoundMode=0", "SoundMode=-1", "SplashScreen=1"}));
    out.Snd_Play(Sample::Move); // harmless while the program winds down
    out.Snd_Close();
    out.Snd_Close();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

TEST_F(SoundOutputTest, NoSoundFolderAtAllFailsTheSameWay) {
    SoundOutput out(store_, messages_);
    EXPECT_FALSE(out.Snd_Init(1));
    ASSERT_EQ(messages_.texts.size(), 1u);
    EXPECT_EQ(messages_.texts[0], std::string(kSoundFolderMessage));
    EXPECT_EQ(store_.read_int("SoundMode", 0), -1);
    EXPECT_TRUE(store_.read_bool("SplashScreen", false));
}

TEST_F(SoundOutputTest, CloseIsHarmlessWhenNeverStartedOrRepeated) {
    {
        SoundOutput out(store_, messages_);
        out.Snd_Close();
        out.Snd_Close();
        out.Snd_Play(Sample::Bombfall);
        out.Snd_Silence();
    }
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);

    test::make_sound_folder(tmp_.path(), 0.1);
    SoundOutput out(store_, messages_);
    ASSERT_TRUE(out.Snd_Init(0));
    ASSERT_TRUE(out.Snd_Init(0)); // a second start must not leak or double-open the first
    out.Snd_Close();
    EXPECT_FALSE(out.device_open());
    EXPECT_FALSE(out.loaded(Sample::Start));
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    out.Snd_Play(Sample::Start); // after closing, nothing reaches the mixer
    out.Snd_Silence();
    out.Snd_Close();
}

} // namespace
} // namespace q50

namespace q50 {
namespace {

class SoundComfortTest : public SoundOutputTest {};

TEST_F(SoundComfortTest, VolumeAndMuteSetEveryChannelAndOutliveARestart) {
    test::make_sound_folder(tmp_.path(), 0.5);
    SoundOutput out(store_, messages_);
    out.set_volume(50, false); // before the output starts: kept for it
    ASSERT_TRUE(out.Snd_Init(0));
    for (int ch : {0, 31, SoundOutput::kChannels - 1}) EXPECT_EQ(Mix_Volume(ch, -1), 64) << ch;
    out.set_volume(100, true);
    EXPECT_EQ(Mix_Volume(7, -1), 0);
    out.set_volume(250, false); // out of range: the whole of it
    EXPECT_EQ(Mix_Volume(7, -1), MIX_MAX_VOLUME);
    out.set_volume(-3, false);
    EXPECT_EQ(out.mixer_volume(), 0);
    out.set_volume(10, false);
    // The output changed while the program runs: the new one gets the same volume.
    out.Snd_Close();
    ASSERT_TRUE(out.Snd_Init(1));
    EXPECT_EQ(Mix_Volume(12, -1), 13);
}

TEST_F(SoundComfortTest, PauseHoldsPlayingSoundsWhereTheyAre) {
    test::make_sound_folder(tmp_.path(), 2.0);
    SoundOutput out(store_, messages_);
    ASSERT_TRUE(out.Snd_Init(0));
    out.Snd_Play(Sample::Move);
    out.Snd_Play(Sample::Enemy);
    ASSERT_EQ(Mix_Playing(-1), 2);
    out.pause(true);
    EXPECT_EQ(Mix_Paused(-1), 2);
    EXPECT_EQ(Mix_Playing(-1), 2) << "paused, not stopped";
    out.pause(false);
    EXPECT_EQ(Mix_Paused(-1), 0);
    EXPECT_EQ(Mix_Playing(-1), 2);
    // Without sound, pausing is harmless.
    SoundOutput silent(store_, messages_);
    silent.pause(true);
    silent.pause(false);
    EXPECT_FALSE(silent.paused());
}

} // namespace
} // namespace q50
