// Which device each sound-on entry opens, and what happens when none opens. These tests set
// SDL_AUDIODRIVER themselves (the test build sets it to "dummy" for every other test).
#include "sound/sound_output.h"

#include "sound/sdl_library.h"

#include "../support/scoped_env.h"
#include "sound_fixture.h"
#include "sound_folder.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace q50 {
namespace {

namespace fs = std::filesystem;

class SoundDeviceTest : public test::SoundInTempFolder {
  protected:
    void SetUp() override {
        SoundInTempFolder::SetUp();
        test::make_sound_folder(tmp_.path(), 0.1);
        store_.preset("SplashScreen", "0");
    }

    // Starts `mode`; either the device opened with one of `drivers` or the start failed
    // truthfully, naming those drivers, without the sound-folder message.
    void expect_driver_or_truthful_failure(int mode, std::initializer_list<std::string> drivers) {
        SoundOutput out(store_, messages_);
        if (out.Snd_Init(mode)) {
            const std::string used = SDL_GetCurrentAudioDriver();
            EXPECT_NE(std::find(drivers.begin(), drivers.end(), used), drivers.end()) << used;
            EXPECT_TRUE(out.device_error().empty());
            EXPECT_EQ(store_.read_int("SoundMode", -5), mode);
        } else {
            std::printf("no device here: %s\n", out.device_error().c_str());
            for (const std::string& d : drivers)
                EXPECT_NE(out.device_error().find(d), std::string::npos) << out.device_error();
            EXPECT_TRUE(messages_.texts.empty()) << messages_.texts[0];
            EXPECT_EQ(store_.read_int("SoundMode", -5), kSoundModeNotChosen);
            EXPECT_TRUE(store_.read_bool("SplashScreen", false));
            EXPECT_FALSE(out.device_open());
            EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
        }
    }
};

TEST_F(SoundDeviceTest, EntriesNameWhatTheyOpen) {
    EXPECT_EQ(kSoundOutputEntries[0], "Desktop sound server");
    EXPECT_EQ(kSoundOutputEntries[1], "Sound card directly (ALSA)");
    EXPECT_EQ(kSoundOutputEntries[2], "(no sound)");
    EXPECT_EQ(sdl_audio_drivers(kSoundModeNone), "");
    EXPECT_EQ(sdl_audio_drivers(kSoundModeNotChosen), "");
}

TEST_F(SoundDeviceTest, DesktopSoundServerIsPipeWireOrPulseAudio) {
    test::ScopedEnv driver("SDL_AUDIODRIVER", std::nullopt);
    expect_driver_or_truthful_failure(0, {"pipewire", "pulseaudio"});
}

TEST_F(SoundDeviceTest, SoundCardDirectlyIsAlsa) {
    test::ScopedEnv driver("SDL_AUDIODRIVER", std::nullopt);
    expect_driver_or_truthful_failure(1, {"alsa"});
}

TEST_F(SoundDeviceTest, TheUsersDriverWinsOverTheEntry) {
    test::ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    test::ScopedEnv file("SDL_DISKAUDIOFILE", (tmp_.path() / "out.raw").string());
    for (int mode : {0, 1}) {
        SoundOutput out(store_, messages_);
        ASSERT_TRUE(out.Snd_Init(mode)) << out.device_error();
        EXPECT_STREQ(SDL_GetCurrentAudioDriver(), "disk");
        EXPECT_TRUE(out.loaded(Sample::Bombfall));
    }
    EXPECT_TRUE(messages_.texts.empty());
}

TEST_F(SoundDeviceTest, NoDeviceIsNotAnInstallationFault) {
    test::ScopedEnv driver("SDL_AUDIODRIVER", "nosuchdriver");
    std::vector<std::string> writes;
    store_.on_write = [&](const std::string& name, const std::string& text) {
        writes.push_back(name + "=" + text);
    };
    SoundOutput out(store_, messages_);
    EXPECT_FALSE(out.Snd_Init(0));
    // The folder is intact: no word of reinstalling; the reason names the driver and SDL's
    // own explanation.
    EXPECT_TRUE(messages_.texts.empty());
    const std::string& why = out.device_error();
    std::printf("%s\n", why.c_str());
    EXPECT_NE(why.find("nosuchdriver"), std::string::npos) << why;
    EXPECT_GT(why.size(), std::string("SDL audio driver nosuchdriver: ").size()) << why;
    // The next start asks again, as after the folder failure.
    EXPECT_EQ(writes, (std::vector<std::string>{"SoundMode=0", "SoundMode=-1", "SplashScreen=1"}));
    EXPECT_FALSE(out.loaded(Sample::Bombfall));
    out.Snd_Play(Sample::Move); // harmless
    out.Snd_Silence();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);

    // Going on without sound afterwards is a plain "(no sound)".
    EXPECT_TRUE(out.Snd_Init(kSoundModeNone));
    EXPECT_TRUE(out.device_error().empty());
    EXPECT_EQ(store_.read_int("SoundMode", -5), kSoundModeNone);
}

TEST_F(SoundDeviceTest, AMissingFolderWithAWorkingDeviceKeepsTheFolderMessage) {
    test::ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    fs::remove(tmp_.path() / "Sound" / "Bombfall.wav");
    SoundOutput out(store_, messages_);
    EXPECT_FALSE(out.Snd_Init(1));
    EXPECT_TRUE(out.device_error().empty());
    EXPECT_EQ(messages_.texts, (std::vector<std::string>{std::string(kSoundFolderMessage)}));
}

// SDL opened at run time is the very library the rest of the process uses (the tests link it):
// a hint set through it is SDL's hint, a subsystem started through it is started.
TEST(SdlLibrary, IsTheProcesssOwnSdlWithEveryFunction) {
    const SdlLibrary* sdl = sdl_library();
    ASSERT_NE(sdl, nullptr) << sdl_library_error();
    EXPECT_EQ(sdl_library(), sdl); // opened once
    EXPECT_TRUE(sdl_library_error().empty());
    ASSERT_TRUE(sdl->SetHint("Q50_TEST_HINT", "through the table"));
    EXPECT_STREQ(SDL_GetHint("Q50_TEST_HINT"), "through the table");
    SDL_SetHint("Q50_TEST_HINT", "directly");
    EXPECT_STREQ(sdl->GetHint("Q50_TEST_HINT"), "directly");
    ASSERT_EQ(sdl->InitSubSystem(SDL_INIT_EVENTS), 0) << sdl->GetError();
    EXPECT_NE(SDL_WasInit(SDL_INIT_EVENTS), 0u);
    sdl->QuitSubSystem(SDL_INIT_EVENTS);
}

} // namespace
} // namespace q50
