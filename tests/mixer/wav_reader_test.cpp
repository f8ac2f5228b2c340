#include "sound/mixer/wav_reader.h"
#include "tests/mixer/wav_bytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace q50;
using q50::test::pcm16;
using q50::test::wav_bytes;
using q50::test::WavSpec;

namespace {

std::optional<WavSound> read(const std::vector<std::uint8_t>& b, std::string& why,
                             int rate = 22050) {
    return read_wav(b, rate, why);
}

} // namespace

TEST(WavReader, MonoSixteenBitIsDoubledIntoStereoAsItIs) {
    std::string why;
    auto s = read(wav_bytes({}, pcm16({1, -2, 32767, -32768})), why);
    ASSERT_TRUE(s) << why;
    EXPECT_EQ(s->frames, (std::vector<std::int16_t>{1, 1, -2, -2, 32767, 32767, -32768, -32768}));
}

TEST(WavReader, StereoAndEightBitAndChunksBeforeTheFormat) {
    std::string why;
    WavSpec stereo;
    stereo.channels = 2;
    auto s = read(wav_bytes(stereo, pcm16({10, 20, 30, 40}), {'a', 'b', 'c'}), why);
    ASSERT_TRUE(s) << why;
    EXPECT_EQ(s->frames, (std::vector<std::int16_t>{10, 20, 30, 40}));

    WavSpec eight;
    eight.bits = 8;
    s = read(wav_bytes(eight, {128, 255, 0}), why);
    ASSERT_TRUE(s) << why;
    EXPECT_EQ(s->frames, (std::vector<std::int16_t>{0, 0, 127 * 256, 127 * 256, -32768, -32768}));
}

TEST(WavReader, OtherRatesAreBroughtToTheMixersRate) {
    std::string why;
    WavSpec half;
    half.rate = 11025;
    auto s = read(wav_bytes(half, pcm16({5, 6, 7})), why);
    ASSERT_TRUE(s) << why;
    EXPECT_EQ(s->frames, (std::vector<std::int16_t>{5, 5, 5, 5, 6, 6, 6, 6, 7, 7, 7, 7}));
    WavSpec twice;
    twice.rate = 44100;
    s = read(wav_bytes(twice, pcm16({1, 2, 3, 4})), why);
    ASSERT_TRUE(s) << why;
    EXPECT_EQ(s->frames, (std::vector<std::int16_t>{1, 1, 3, 3}));
}

TEST(WavReader, BadFilesAreRefusedWithTheirReason) {
    const auto good = wav_bytes({}, pcm16({1, 2, 3, 4}));
    struct Case {
        std::vector<std::uint8_t> bytes;
        std::string reason;
    };
    std::vector<Case> cases;
    cases.push_back({{}, "not a WAV file"});
    cases.push_back({{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '}, "not a WAV file"});
    auto truncated = good;
    truncated.resize(truncated.size() - 3); // the data chunk now claims more than there is
    cases.push_back({truncated, "past the end"});
    WavSpec adpcm;
    adpcm.format = 2;
    cases.push_back({wav_bytes(adpcm, pcm16({1})), "not plain PCM"});
    WavSpec six;
    six.channels = 6;
    cases.push_back({wav_bytes(six, pcm16({1, 2, 3, 4, 5, 6})), "6 channels"});
    WavSpec wide;
    wide.bits = 24;
    cases.push_back({wav_bytes(wide, {1, 2, 3}), "24-bit"});
    WavSpec slow;
    slow.rate = 0;
    cases.push_back({wav_bytes(slow, pcm16({1})), "sample rate of 0"});
    cases.push_back({wav_bytes({}, {1, 2, 3}), "ends inside a sample"});
    auto no_data = good;
    no_data[36] = 'x'; // the data chunk's name
    cases.push_back({no_data, "no data chunk"});
    auto no_format = good;
    no_format[12] = 'x';
    cases.push_back({no_format, "no format chunk"});
    for (const Case& c : cases) {
        std::string why;
        EXPECT_FALSE(read(c.bytes, why)) << c.reason;
        EXPECT_NE(why.find(c.reason), std::string::npos) << "reason given: " << why;
    }
}

TEST(WavReader, FilesThatCannotBeReadOrAreHugeAreRefused) {
    const auto dir = std::filesystem::temp_directory_path() / "q50-wav-reader";
    std::filesystem::create_directories(dir);
    std::string why;
    EXPECT_FALSE(read_wav_file(dir / "absent.wav", 22050, why));
    EXPECT_NE(why.find("cannot be read"), std::string::npos) << why;
    {
        std::ofstream big(dir / "big.wav", std::ios::binary);
        big.seekp(std::streamoff(kMaxWavBytes));
        big.put('x');
    }
    EXPECT_FALSE(read_wav_file(dir / "big.wav", 22050, why));
    EXPECT_NE(why.find("larger than"), std::string::npos) << why;
    std::filesystem::remove_all(dir);
}
