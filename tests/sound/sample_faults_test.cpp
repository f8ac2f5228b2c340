// Sample files that are not what their names say: each is refused with its file and reason,
// and none can hold the start.
#include "sound/sample_file.h"
#include "sound/sound_output.h"

#include "sound_fixture.h"
#include "sound_folder.h"

#include <gtest/gtest.h>

#include <SDL_mixer.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace q50 {
namespace {

namespace fs = std::filesystem;

void write_bytes(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

// A canonical PCM header that declares `channels`, followed by a little silence.
std::string wav_with_channels(std::uint16_t channels) {
    std::string out = "RIFF";
    auto u32 = [&](std::uint32_t v) { out.append(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { out.append(reinterpret_cast<const char*>(&v), 2); };
    const std::uint32_t data = 2u * channels * 100;
    u32(36 + data);
    out += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(channels);
    u32(22050);
    u32(22050u * 2 * channels);
    u16(std::uint16_t(2 * channels));
    u16(16);
    out += "data";
    u32(data);
    out.append(data, '\0');
    return out;
}

TEST(SampleFile, RefusesWhatIsNoRegularFileWithoutWaitingForIt) {
    test::TempDir dir;
    const fs::path fifo = dir.path() / "pipe.wav";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // An open that blocked would wait here for a writer that never comes.
    EXPECT_EQ(read_sample_file(fifo.string()).error, "is not a regular file");
    fs::create_directory(dir.path() / "folder.wav");
    EXPECT_EQ(read_sample_file((dir.path() / "folder.wav").string()).error,
              "is not a regular file");
    EXPECT_EQ(read_sample_file((dir.path() / "none.wav").string()).error, "is missing");
    write_bytes(dir.path() / "empty.wav", "");
    EXPECT_EQ(read_sample_file((dir.path() / "empty.wav").string()).error, "is empty");
    write_bytes(dir.path() / "some.wav", "RIFF1234");
    const SampleBytes some = read_sample_file((dir.path() / "some.wav").string());
    EXPECT_EQ(some.error, "");
    EXPECT_EQ(std::string(some.bytes.begin(), some.bytes.end()), "RIFF1234");
    if (::geteuid() != 0) { // root reads whatever the permissions say
        fs::permissions(dir.path() / "some.wav", fs::perms::none);
        EXPECT_EQ(read_sample_file((dir.path() / "some.wav").string()).error,
                  "cannot be opened (Permission denied)");
    }
}

using SampleFaultsTest = test::SoundInTempFolder;

TEST_F(SampleFaultsTest, ABadBombfallKeepsItsMessageAndNamesTheFileAndTheReason) {
    struct Case {
        const char* what;
        std::string bytes;
        const char* reason; // the start of the reason after the file's name
    };
    const std::vector<Case> cases = {
        {"empty", "", "is empty"},
        {"a PNG", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "cannot be decoded: "},
        {"255 channels", wav_with_channels(255), "cannot be decoded: "},
        {"cut in its header", wav_with_channels(1).substr(0, 30), "cannot be decoded: "},
        {"a named pipe", "", "is not a regular file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(tmp_.path() / "Sound");
        test::make_sound_folder(tmp_.path(), 0.1, {Sample::Bombfall});
        const fs::path bombfall = tmp_.path() / sample_file(Sample::Bombfall);
        if (std::string(c.what) == "a named pipe")
            ASSERT_EQ(::mkfifo(bombfall.c_str(), 0600), 0);
        else
            write_bytes(bombfall, c.bytes);
        messages_ = {};
        SoundOutput out(store_, messages_);
        EXPECT_FALSE(out.Snd_Init(0));
        ASSERT_EQ(messages_.texts, std::vector<std::string>{std::string(kSoundFolderMessage)});
        ASSERT_EQ(messages_.details.size(), 1u);
        const std::string expected = "Sound/Bombfall.wav " + std::string(c.reason);
        EXPECT_EQ(messages_.details[0].substr(0, expected.size()), expected)
            << messages_.details[0];
        // A decoder's failure says what the decoder found, not only that it failed.
        if (expected.back() == ' ')
            EXPECT_GT(messages_.details[0].size(), expected.size() + 1) << messages_.details[0];
        else
            EXPECT_EQ(messages_.details[0], expected + ".");
        EXPECT_EQ(out.load_error(Sample::Bombfall).substr(0, std::string(c.reason).size()),
                  c.reason);
    }
}

TEST_F(SampleFaultsTest, ADamagedOtherSampleIsNamedAndTheRestPlays) {
    test::make_sound_folder(tmp_.path(), 0.1);
    write_bytes(tmp_.path() / sample_file(Sample::Move), wav_with_channels(1).substr(0, 30));
    write_bytes(tmp_.path() / sample_file(Sample::Start), "");
    SoundOutput out(store_, messages_);
    ASSERT_TRUE(out.Snd_Init(0));
    EXPECT_TRUE(messages_.texts.empty());
    EXPECT_EQ(out.unloaded_samples(), (std::vector<Sample>{Sample::Move, Sample::Start}));
    ASSERT_EQ(messages_.notices.size(), 2u);
    EXPECT_EQ(messages_.notices[0].rfind("the sample Sound/Move.wav cannot be decoded: ", 0), 0u)
        << messages_.notices[0];
    EXPECT_EQ(messages_.notices[1], "the sample Sound/Start.wav is empty; it is not heard");
    out.Snd_Play(Sample::Move);
    EXPECT_EQ(Mix_Playing(-1), 0);
    out.Snd_Play(Sample::Bombfall);
    EXPECT_EQ(Mix_Playing(-1), 1);
    // A restart with the files repaired starts with no reasons left over.
    test::make_sound_folder(tmp_.path(), 0.1);
    messages_ = {};
    ASSERT_TRUE(out.Snd_Init(0));
    EXPECT_TRUE(out.unloaded_samples().empty());
    EXPECT_TRUE(messages_.notices.empty());
    EXPECT_EQ(out.load_error(Sample::Move), "");
}

} // namespace
} // namespace q50
