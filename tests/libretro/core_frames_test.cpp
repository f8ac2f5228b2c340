// The core's pictures and sounds against the trace tool's, for the same input at the same
// device times.
#include "libretro/handheld.h"
#include "sound/mixer/software_mixer.h"
#include "tests/libretro/core_session.h"

#include <gtest/gtest.h>

using namespace q50;
using namespace q50::test;

namespace {

constexpr int kFrames = 1500;
const std::vector<int> kSnapshotFrames = {0, 2, 5, 20, 41, 50, 119, 240, 500, 777, 1000, 1499};

struct Recorded {
    std::map<int, CoreFrame> frames;
    std::vector<std::int16_t> sound;
};

Recorded run_core(const std::map<std::string, std::string>& options = {}) {
    fix_core_clock();
    CoreFrontend f(core_system_dir());
    for (const auto& [k, v] : options) f.set_option(k, v);
    EXPECT_TRUE(f.load());
    Recorded r;
    const auto edges = scripted_game(kFrames);
    play(f, edges, 0, kFrames, [&](int n) {
        if (std::find(kSnapshotFrames.begin(), kSnapshotFrames.end(), n) != kSnapshotFrames.end())
            r.frames[n] = f.frame();
    });
    r.sound = f.sound;
    return r;
}

const TraceRun& trace() {
    static const TraceRun run = trace_snapshots(scripted_game(kFrames), kSnapshotFrames, kFrames);
    return run;
}

// Where the LCD lies in the delivered skin, at 1x.
constexpr Rect kLcd{68, 104, 360, 196};

} // namespace

TEST(CoreFrames, EveryFrameEqualsTheTraceSnapshotOfItsDeviceTime) {
    const Recorded core = run_core();
    for (int n : kSnapshotFrames) {
        const CoreFrame expected = as_core_frame(trace().snapshots.at(n));
        ASSERT_EQ(core.frames.at(n).width, expected.width);
        ASSERT_EQ(core.frames.at(n).height, expected.height);
        EXPECT_TRUE(core.frames.at(n) == expected) << "frame " << n;
    }
    // The run really played: the pictures change over the game.
    EXPECT_FALSE(core.frames.at(0) == core.frames.at(500));
    EXPECT_FALSE(core.frames.at(500) == core.frames.at(1000));
}

TEST(CoreFrames, TheLcdViewAndWholeScalesShowTheSamePixels) {
    const Recorded lcd = run_core({{"quendrix50_view", "LCD only"}});
    const Recorded triple = run_core({{"quendrix50_scale", "3x"}});
    const Recorded lcd_triple =
        run_core({{"quendrix50_view", "LCD only"}, {"quendrix50_scale", "3x"}});
    for (int n : {41, 500, 1499}) {
        const Image& snap = trace().snapshots.at(n);
        EXPECT_TRUE(lcd.frames.at(n) == as_core_frame(snap, 1, kLcd)) << "frame " << n;
        // No drawing at 3x in the skin: every design pixel becomes a 3x3 block.
        EXPECT_TRUE(triple.frames.at(n) == as_core_frame(snap, 3)) << "frame " << n;
        const Rect lcd3{kLcd.left * 3, kLcd.top * 3, kLcd.width * 3, kLcd.height * 3};
        EXPECT_TRUE(lcd_triple.frames.at(n) == as_core_frame(snap, 3, lcd3)) << "frame " << n;
    }
}

TEST(CoreFrames, TheSkinsLargerDrawingsAreUsedAtTwiceTheSize) {
    const Recorded twice = run_core({{"quendrix50_scale", "2x"}});
    const CoreFrame& f = twice.frames.at(500);
    const CoreFrame blocks = as_core_frame(trace().snapshots.at(500), 2);
    ASSERT_EQ(f.width, blocks.width);
    ASSERT_EQ(f.height, blocks.height);
    // Drawn at 2x rather than every pixel doubled: the two differ, but not by much.
    std::size_t differ = 0;
    for (std::size_t i = 0; i < f.pixels.size(); ++i) differ += f.pixels[i] != blocks.pixels[i];
    EXPECT_GT(differ, 0u);
    EXPECT_LT(differ, f.pixels.size() / 2);
}

TEST(CoreFrames, EachSoundStartsAtItsTraceTimeToTheSample) {
    const Recorded core = run_core();
    const auto& sounds = trace().sounds;
    ASSERT_GT(sounds.size(), 5u);
    // Each sample as the mixer plays it, to find where it begins in the core's output.
    std::map<std::string, WavSound> samples;
    for (int i = 0; i < kSampleCount; ++i) {
        std::string why;
        auto s = read_wav_file(std::filesystem::path(Q50_RUN_DIR) / sample_file(Sample(i)),
                               SoftwareMixer::kRate, why);
        ASSERT_TRUE(s) << why;
        samples[std::string(sample_name(Sample(i)))] = *s;
    }
    // A sound that starts while no other sounds: the output from its frame on is the sample
    // itself, and the frame before it is silent.
    int checked = 0;
    std::int64_t busy_until = 0;
    for (std::size_t i = 0; i < sounds.size(); ++i) {
        const auto& [t, name] = sounds[i];
        if (name == "silence") {
            busy_until = std::min(busy_until, SoftwareMixer::frame_at(t));
            continue;
        }
        const WavSound& w = samples.at(name);
        const std::int64_t at = SoftwareMixer::frame_at(t);
        const bool alone = at >= busy_until;
        const bool silent_before = at > busy_until;
        busy_until = std::max<std::int64_t>(busy_until, at + std::int64_t(w.frame_count()));
        if (!alone || at == 0) continue;
        // Alone until the next sound or silence, which may come at the same millisecond.
        std::int64_t until = at + std::int64_t(w.frame_count());
        if (i + 1 < sounds.size())
            until = std::min(until, SoftwareMixer::frame_at(sounds[i + 1].first));
        ASSERT_LE(std::size_t(until) * 2, core.sound.size());
        if (silent_before) {
            EXPECT_EQ(core.sound[std::size_t(at - 1) * 2], 0) << name << " at " << t;
        }
        for (std::int64_t k = at; k < until; ++k)
            ASSERT_EQ(core.sound[std::size_t(k) * 2], w.frames[std::size_t(k - at) * 2])
                << name << " at " << t << ", frame " << k - at << " of it";
        if (until > at) ++checked;
    }
    EXPECT_GE(checked, 3);
    // As many samples as the device's time holds.
    EXPECT_EQ(core.sound.size(), std::size_t(SoftwareMixer::frame_at(frame_time(kFrames))) * 2);
}

TEST(CoreFrames, TheLcdShadowAndResponseOptionsPaintAsTheTraceToolDoes) {
    const Recorded core =
        run_core({{"quendrix50_lcd_shadow", "30"}, {"quendrix50_lcd_response", "50"}});
    const TraceRun looked = trace_snapshots(scripted_game(kFrames), kSnapshotFrames, kFrames,
                                            "--lcd-shadow 30 --lcd-fade 50");
    for (int n : kSnapshotFrames)
        EXPECT_TRUE(core.frames.at(n) == as_core_frame(looked.snapshots.at(n))) << "frame " << n;
    // The look is really on: the plain snapshot of a game differs.
    EXPECT_FALSE(core.frames.at(500) == as_core_frame(trace().snapshots.at(500)));
}

TEST(CoreFrames, VolumeScalesTheSoundAndTouchesOnPicturedButtonsPressThem) {
    const Recorded full = run_core();
    const Recorded half = run_core({{"quendrix50_volume", "50"}});
    ASSERT_EQ(full.sound.size(), half.sound.size());
    std::size_t loud = 0;
    for (std::size_t i = 0; i < full.sound.size(); ++i) {
        ASSERT_EQ(half.sound[i], full.sound[i] * 50 / 100) << "sample " << i;
        loud += full.sound[i] != 0;
    }
    EXPECT_GT(loud, 1000u);

    // The open button pressed with the pointer at its middle, or with the pad's left button;
    // then, in the game, the movement pad's left half and the bomb touched at once, or the
    // pad's left and bottom buttons held together.
    fix_core_clock();
    CoreFrontend by_touch(core_system_dir()), by_pad(core_system_dir()),
        one_touch(core_system_dir());
    for (auto* f : {&by_touch, &by_pad, &one_touch}) ASSERT_TRUE(f->load());
    const retro_system_av_info info = by_touch.av_info();
    auto at = [&](int x, int y) {
        return std::pair(int(x * 0xfffe / int(info.geometry.base_width)) - 0x7fff,
                         int(y * 0xfffe / int(info.geometry.base_height)) - 0x7fff);
    };
    const auto open = at(196 + 52, 368 + 28), left = at(59 + 20, 524 + 26),
               bomb = at(352 + 30, 520 + 31);
    std::vector<CoreFrame> touched, padded, single;
    for (int n = 0; n < 200; ++n) {
        const bool opening = n >= 3 && n < 6, both = n >= 150 && n < 158;
        by_touch.pointers.clear();
        one_touch.pointers.clear();
        if (opening) by_touch.pointers = one_touch.pointers = {open};
        if (both) {
            by_touch.pointers = {left, bomb};
            one_touch.pointers = {left};
        }
        by_pad.pads[0] =
            opening             ? 1u << RETRO_DEVICE_ID_JOYPAD_Y
            : n >= 40 && n < 45 ? 1u << RETRO_DEVICE_ID_JOYPAD_START
            : both ? (1u << RETRO_DEVICE_ID_JOYPAD_LEFT) | (1u << RETRO_DEVICE_ID_JOYPAD_B)
                   : 0;
        // Game A by the pad for all three: the touch runs start it too.
        for (auto* f : {&by_touch, &one_touch})
            f->pads[0] = n >= 40 && n < 45 ? 1u << RETRO_DEVICE_ID_JOYPAD_START : 0;
        for (auto* f : {&by_touch, &by_pad, &one_touch}) f->run();
        touched.push_back(by_touch.frame());
        padded.push_back(by_pad.frame());
        single.push_back(one_touch.frame());
    }
    EXPECT_TRUE(touched == padded);
    EXPECT_FALSE(touched[20] == touched[2]) << "the lid opened";
    EXPECT_FALSE(touched[155] == single[155]) << "the second touch pressed the bomb";
    EXPECT_EQ(by_touch.sound, by_pad.sound);
}

// RetroArch can show the last frame again: a frame whose pixels did not change is told as
// that, and the frontend's picture is the one a frontend without that leave is handed.
TEST(CoreFrames, AFrameThatDidNotChangeIsToldAsTheLastOneAgain) {
    fix_core_clock();
    CoreFrontend every(core_system_dir());
    every.can_dupe = false;
    ASSERT_TRUE(every.load());
    CoreFrontend dupes(core_system_dir());
    ASSERT_TRUE(dupes.load());
    const auto edges = scripted_game(600);
    std::map<int, CoreFrame> shown;
    play(every, edges, 0, 600, [&](int n) {
        if (n % 50 == 0) shown[n] = every.frame();
    });
    play(dupes, edges, 0, 600, [&](int n) {
        if (n % 50 == 0) EXPECT_TRUE(dupes.frame() == shown.at(n)) << "frame " << n;
    });
    EXPECT_EQ(every.handed, 600);
    EXPECT_EQ(every.dupes, 0);
    EXPECT_EQ(dupes.handed + dupes.dupes, 600);
    // The game moves a few times a second; most frames are the one before.
    EXPECT_GT(dupes.dupes, 300);
    EXPECT_GT(dupes.handed, 10);
    EXPECT_TRUE(dupes.frame() == every.frame());
    // After a state is loaded the next frame is handed over whole.
    const auto state = dupes.save_state();
    const int handed = dupes.handed;
    ASSERT_TRUE(dupes.load_state(state));
    dupes.run();
    EXPECT_EQ(dupes.handed, handed + 1);
}
