#include "sound/mixer/software_mixer.h"

#include "tests/sound/sound_folder.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace q50;

namespace {

// A sample whose frame i is (base + i) on the left and -(base + i) on the right, so that a
// rendered value tells which sample and which of its frames it came from.
std::shared_ptr<const WavSound> ramp(int frames, int base) {
    auto s = std::make_shared<WavSound>();
    for (int i = 0; i < frames; ++i) {
        s->frames.push_back(std::int16_t(base + i));
        s->frames.push_back(std::int16_t(-(base + i)));
    }
    return s;
}

std::vector<std::int16_t> render(SoftwareMixer& m, std::size_t frames) {
    std::vector<std::int16_t> out(frames * 2, 1234);
    m.render(out.data(), frames);
    return out;
}

struct Messages : MessageSink {
    void error(const std::string& text) override { seen.push_back(text); }
    void notice(const std::string& text) override { seen.push_back(text); }
    std::vector<std::string> seen;
};

} // namespace

TEST(SoftwareMixer, ASoundStartsAtTheFrameOfItsMillisecondWhateverTheRendersLength) {
    EXPECT_EQ(SoftwareMixer::frame_at(0), 0);
    EXPECT_EQ(SoftwareMixer::frame_at(1), 22);
    EXPECT_EQ(SoftwareMixer::frame_at(20), 441);
    EXPECT_EQ(SoftwareMixer::frame_at(4340), 95697);

    for (std::size_t chunk : {1u, 7u, 367u, 1000u}) {
        SoftwareMixer m;
        m.load(Sample::Move, ramp(50, 100));
        m.play(Sample::Move, SoftwareMixer::frame_at(20)); // frame 441
        std::vector<std::int16_t> all;
        while (all.size() < 1000 * 2) {
            auto part = render(m, chunk);
            all.insert(all.end(), part.begin(), part.end());
        }
        for (int f = 0; f < 441; ++f) ASSERT_EQ(all[2 * f], 0) << "frame " << f;
        EXPECT_EQ(all[2 * 441], 100) << "chunk " << chunk;
        EXPECT_EQ(all[2 * 441 + 1], -100);
        EXPECT_EQ(all[2 * 490], 149);
        EXPECT_EQ(all[2 * 491], 0) << "the sound ends after its last frame";
    }
}

TEST(SoftwareMixer, SoundsOverlapOnFreeChannelsUntilAllSixtyFourAreBusy) {
    SoftwareMixer m;
    m.load(Sample::Move, ramp(10, 1));
    m.load(Sample::Start, ramp(10, 1000));
    m.play(Sample::Move, 0);
    m.play(Sample::Move, 2);
    m.play(Sample::Start, 2);
    auto out = render(m, 12);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[2 * 2], 3 + 1 + 1000);
    EXPECT_EQ(out[2 * 11], 10 + 1009); // the second Move's and Start's last frames

    SoftwareMixer full;
    full.load(Sample::Move, ramp(100, 1));
    for (int i = 0; i < SoftwareMixer::kChannels + 5; ++i) full.play(Sample::Move, 0);
    EXPECT_EQ(full.voices().size(), std::size_t(SoftwareMixer::kChannels));
    // Once one has ended its channel is free again.
    full.load(Sample::Start, ramp(10, 1));
    full.play(Sample::Start, 100);
    EXPECT_EQ(full.voices().size(), std::size_t(SoftwareMixer::kChannels + 1));
}

TEST(SoftwareMixer, SilenceHaltsEveryChannelAtItsFrameAndLaterSoundsStillPlay) {
    SoftwareMixer m;
    m.load(Sample::Move, ramp(100, 1));
    m.play(Sample::Move, 0);
    m.play(Sample::Move, 5);
    m.silence(10);
    m.play(Sample::Move, 10); // after the silence at the same frame: it plays
    auto out = render(m, 30);
    EXPECT_EQ(out[2 * 9], 10 + 5);
    EXPECT_EQ(out[2 * 10], 1);
    EXPECT_EQ(out[2 * 29], 20);

    SoftwareMixer n;
    n.load(Sample::Move, ramp(100, 1));
    n.play(Sample::Move, 10);
    n.silence(10); // before it sounded: nothing at all
    EXPECT_TRUE(n.voices().empty());
    auto quiet = render(n, 30);
    EXPECT_EQ(std::accumulate(quiet.begin(), quiet.end(), 0), 0);
}

TEST(SoftwareMixer, VolumeScalesTheMixAndLoudSumsAreClipped) {
    SoftwareMixer m;
    auto loud = std::make_shared<WavSound>();
    loud->frames = {30000, -30000};
    m.load(Sample::Bonus0, loud);
    m.play(Sample::Bonus0, 0);
    m.play(Sample::Bonus0, 0);
    auto out = render(m, 1);
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[1], -32768);

    m.set_volume(25);
    m.play(Sample::Bonus0, 1);
    out = render(m, 1);
    EXPECT_EQ(out[0], 7500);
    m.set_volume(250);
    EXPECT_EQ(m.volume(), 100);
}

TEST(SoftwareMixer, AStartInThePastIsPlayedFromTheNextFrameAndUnloadedSamplesAreSilent) {
    SoftwareMixer m;
    m.load(Sample::Move, ramp(5, 1));
    render(m, 10);
    m.play(Sample::Move, 3);
    m.play(Sample::Enemy, 10); // not loaded
    auto out = render(m, 2);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[2], 2);
    EXPECT_EQ(m.voices().size(), 1u);
}

TEST(SoftwareMixer, RestoreTakesBackWhatItGaveAndRefusesVoicesItCouldNotBePlaying) {
    SoftwareMixer a;
    a.load(Sample::Move, ramp(100, 1));
    a.play(Sample::Move, 3);
    render(a, 10);
    SoftwareMixer b;
    b.load(Sample::Move, ramp(100, 1));
    ASSERT_TRUE(b.restore(a.position(), a.voices()));
    EXPECT_EQ(render(a, 200), render(b, 200));

    SoftwareMixer c;
    c.load(Sample::Move, ramp(100, 1));
    using V = SoftwareMixer::Voice;
    EXPECT_FALSE(c.restore(-1, {}));
    EXPECT_FALSE(c.restore(10, {V{Sample(99), 0, 20}}));
    EXPECT_FALSE(c.restore(10, {V{Sample::Move, 0, 200}})) << "longer than its sample";
    EXPECT_FALSE(c.restore(10, {V{Sample::Move, 11, 20}})) << "starts after the position";
    EXPECT_FALSE(c.restore(10, {V{Sample::Move, 0, 10}})) << "already over";
    EXPECT_FALSE(c.restore(10, std::vector<V>(65, V{Sample::Move, 0, 20})));
    EXPECT_EQ(c.position(), 0) << "a refused restore changes nothing";
}

TEST(SoftwareMixer, TheDeliveredSamplesAllLoadAndBadOnesAreToldAndLeftSilent) {
    Messages messages;
    SoftwareMixer m;
    EXPECT_EQ(m.load_folder(std::filesystem::path(Q50_SOURCE_DIR) / "data", messages),
              kSampleCount);
    EXPECT_TRUE(messages.seen.empty());

    const auto dir = std::filesystem::temp_directory_path() / "q50-mixer-folder";
    std::filesystem::remove_all(dir);
    q50::test::make_sound_folder(dir, 0.05, {Sample::Chance});
    std::ofstream(dir / "Sound" / "Enemy.wav", std::ios::binary) << "RIFF junk";
    SoftwareMixer n;
    EXPECT_EQ(n.load_folder(dir, messages), kSampleCount - 2);
    ASSERT_EQ(messages.seen.size(), 2u);
    EXPECT_NE(messages.seen[0].find("Sound/Chance.wav: cannot be read"), std::string::npos)
        << messages.seen[0];
    EXPECT_NE(messages.seen[1].find("Sound/Enemy.wav: not a WAV file"), std::string::npos)
        << messages.seen[1];
    EXPECT_FALSE(n.loaded(Sample::Enemy));
    EXPECT_TRUE(n.loaded(Sample::Start));
    std::filesystem::remove_all(dir);
}

TEST(SoftwareMixer, TheSinkPlacesEachCallAtTheDevicesMillisecond) {
    SoftwareMixer m;
    m.load(Sample::Move, ramp(10, 7));
    std::int64_t now = 1;
    MixerSink sink(m, [&] { return now; });
    sink.play(Sample::Move);
    now = 2;
    sink.silence();
    ASSERT_EQ(m.voices().size(), 1u);
    EXPECT_EQ(m.voices()[0].start, 22);
    EXPECT_EQ(m.voices()[0].end, 32); // frame_at(2) = 44 is after its natural end
}
