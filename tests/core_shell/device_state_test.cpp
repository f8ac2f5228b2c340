// The device's saved state: a state put into another device makes it go on exactly as the
// first, and bytes that are damaged or of another version are refused without changing it.
#include "shell/core/device_state.h"

#include "display/skin_loader.h"
#include "shell/core/rig.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace q50 {
namespace {

const std::filesystem::path kData = std::filesystem::path(Q50_SOURCE_DIR) / "data";

struct Quiet : MessageSink {
    void error(const std::string&) override {}
    void notice(const std::string&) override {}
};

// A device with the delivered skin, the mixer a front end would have beside it, and the
// pictures as loaded.
struct Saved {
    Rig rig;
    SoftwareMixer mixer;
    std::vector<Picture> own;
    explicit Saved(std::uint32_t seed) : rig(seed) {
        rig.start([&] {
            SkinEnvironment env;
            env.executable_dir = env.current_dir = kData;
            WindowModel window;
            Quiet quiet;
            Load_Skin(rig.dev.board, window, env, quiet);
        });
        own = own_pictures(rig.dev.board);
        Quiet quiet;
        mixer.load_folder(kData, quiet);
    }
    DeviceParts parts() { return {rig.dev, rig.random, rig.clock, mixer, own}; }
    std::vector<std::uint8_t> save(std::span<const std::uint8_t> front = {}) {
        return save_device_state(parts(), front);
    }
    // Open, Game A, and a move or a bomb every 700 ms, from `from` to `to`.
    void play(std::int64_t from, std::int64_t to) {
        Device& d = rig.dev;
        for (std::int64_t t = from; t < to; t += 350) {
            d.advance_to(t);
            if (t == 350) d.press(Button::Open);
            if (t == 1050) d.press(Button::Game_A);
            if (t == 1400) d.release(Button::Game_A);
            if (t > 2000 && t % 700 == 0) d.press(t % 2100 == 0 ? Button::Bomb : Button::Right);
            if (t > 2000 && t % 700 == 350) {
                d.release(Button::Bomb);
                d.release(Button::Right);
            }
        }
        d.advance_to(to);
    }
};

// The payload's offsets, from its layout (device_state.h).
struct Layout {
    std::size_t variables = 16 + 8 + 4;
    std::size_t count = std::size(kDeviceVariableNames);
    std::size_t segments = variables + 4 * count + 4 * (6 + 20) + 4;
    std::size_t timers = segments + 3 * Board::kSegmentCount;
    std::size_t random = timers + 21 * kTimerCount;
};

// Bytes whose checksum fits again after a change, so that the deeper checks are reached.
std::vector<std::uint8_t> resealed(std::vector<std::uint8_t> b) {
    const std::uint32_t length = b[8] | b[9] << 8 | b[10] << 16 | std::uint32_t(b[11]) << 24;
    const std::uint32_t crc = std::uint32_t(::crc32(0, b.data() + 16, length));
    for (int i = 0; i < 4; ++i) b[12 + std::size_t(i)] = std::uint8_t(crc >> (8 * i));
    return b;
}

TEST(DeviceState, AStateInAnotherDeviceGoesOnExactlyAsTheFirstAndSavesToTheSameBytes) {
    Saved a(5);
    a.play(0, 30000);
    // A sound started where the mixer has rendered up to, as between two frames.
    const std::int64_t at = SoftwareMixer::frame_at(29990);
    std::vector<std::int16_t> rendered(std::size_t(at) * 2);
    a.mixer.render(rendered.data(), std::size_t(at));
    a.mixer.play(Sample::Move, at);
    const std::vector<std::uint8_t> front = {1, 2, 3};
    const auto state = a.save(front);
    EXPECT_EQ(state.size(), kDeviceStateBytes);
    EXPECT_EQ(a.save(front), state);

    Saved b(99); // another seed, another time: the state brings both
    b.rig.clock.set_ms_of_day(3 * 3600 * 1000);
    b.play(0, 5000);
    std::vector<std::uint8_t> got;
    std::string why;
    auto parts = b.parts();
    ASSERT_TRUE(load_device_state(state, parts, got, why)) << why;
    EXPECT_EQ(got, front);
    EXPECT_EQ(b.save(front), state);
    EXPECT_EQ(b.mixer.voices(), a.mixer.voices());

    const std::size_t a_calls = a.rig.sound.calls.size(), b_calls = b.rig.sound.calls.size();
    a.play(30000, 90000);
    b.play(30000, 90000);
    EXPECT_EQ(a.save(front), b.save(front));
    std::vector<std::string> a_after, b_after;
    for (std::size_t i = a_calls; i < a.rig.sound.calls.size(); ++i)
        a_after.push_back(std::to_string(a.rig.sound.calls[i].time) + a.rig.sound.calls[i].what);
    for (std::size_t i = b_calls; i < b.rig.sound.calls.size(); ++i)
        b_after.push_back(std::to_string(b.rig.sound.calls[i].time) + b.rig.sound.calls[i].what);
    EXPECT_EQ(a_after, b_after);
    EXPECT_GT(a_after.size(), 10u);
    for (std::size_t i = 0; i < Board::kSegmentCount; ++i) {
        const Segment& sa = a.rig.dev.board.segments()[i];
        const Segment& sb = b.rig.dev.board.segments()[i];
        EXPECT_EQ(sa.shown, sb.shown) << sa.name;
        // Each board has pictures of its own load: the same kind of picture, from the same place.
        EXPECT_EQ(sa.picture_source, sb.picture_source) << sa.name;
        EXPECT_EQ(sa.picture == a.own[i], sb.picture == b.own[i]) << sa.name;
        EXPECT_EQ(sa.picture == nullptr, sb.picture == nullptr) << sa.name;
    }
}

TEST(DeviceState, DamagedStatesAreRefusedWithTheirReasonAndChangeNothing) {
    Saved a(5);
    a.play(0, 20000);
    const auto good = a.save();
    Saved b(8);
    b.play(0, 3000);
    const auto before = b.save();
    const Layout at;
    struct Case {
        std::vector<std::uint8_t> bytes;
        std::string reason;
    };
    std::vector<Case> cases;
    auto with = [&](std::size_t offset, std::uint8_t value, bool reseal = true) {
        auto b = good;
        b[offset] = value;
        return reseal ? resealed(b) : b;
    };
    cases.push_back({with(200, good[200] ^ 1, false), "checksum"});
    cases.push_back({with(4, 9, false), "version 9"});
    cases.push_back({with(0, 'q', false), "not a saved state"});
    cases.push_back({with(10, 0x7f, false), "cut short"});
    cases.push_back({with(at.variables - 4, 3), "game variables"});
    const std::size_t play_active = at.variables + 4 * 15; // Play_Active, a flag
    ASSERT_EQ(kDeviceVariableNames[15].name, "Play_Active");
    cases.push_back({with(play_active, 2), "Play_Active is neither"});
    cases.push_back({with(at.segments - 4, 7), "segments"});
    cases.push_back({with(at.segments + 1, 3), "is damaged"});   // picture kind
    cases.push_back({with(at.segments + 2, 250), "is damaged"}); // copy source
    auto no_interval = good;                                     // the first timer's interval 0
    for (std::size_t i = 1; i <= 4; ++i) no_interval[at.timers + i] = 0;
    cases.push_back({resealed(no_interval), "a timer is damaged"});
    cases.push_back({with(at.random + 4, '!'), "random generator"});
    auto longer = good;
    longer[8] = std::uint8_t(longer[8] + 1); // one byte more than the parts hold
    cases.push_back({resealed(longer), "do not add up"});
    for (const Case& c : cases) {
        std::vector<std::uint8_t> front;
        std::string why;
        auto parts = b.parts();
        EXPECT_FALSE(load_device_state(c.bytes, parts, front, why)) << c.reason;
        EXPECT_NE(why.find(c.reason), std::string::npos) << "reason given: " << why;
        EXPECT_EQ(b.save(), before) << "refused, yet changed: " << c.reason;
    }
    // The front end's own check is the last word.
    std::vector<std::uint8_t> front;
    std::string why;
    auto parts = b.parts();
    EXPECT_FALSE(load_device_state(good, parts, front, why,
                                   [](std::span<const std::uint8_t>, std::int64_t) { return false; }));
    EXPECT_EQ(b.save(), before);
}

} // namespace
} // namespace q50
