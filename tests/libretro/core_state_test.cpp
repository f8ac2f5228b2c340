// The core's save RAM, save states and determinism, through the frontend's own calls.
#include "libretro/handheld.h"
#include "shell/core/device_state.h"
#include "tests/libretro/core_session.h"

#include <gtest/gtest.h>

#include <fstream>
#include <zlib.h>

using namespace q50;
using namespace q50::test;

namespace {

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
}

// Lets go of everything and waits: the game runs on until it is lost.
void lose_a_game(CoreFrontend& f, int frames) {
    f.pads = {};
    f.run(frames);
}

} // namespace

TEST(CoreStart, ItDeclaresItsOptionsInputAndPictureAndStartsWithoutContent) {
    fix_core_clock();
    CoreFrontend f(core_system_dir());
    ASSERT_TRUE(f.load());
    EXPECT_EQ(f.declared_options.size(), 5u);
    EXPECT_EQ(f.descriptor_count, 14u);
    const retro_system_av_info info = f.av_info();
    EXPECT_EQ(info.geometry.base_width, 498u);
    EXPECT_EQ(info.geometry.base_height, 770u);
    EXPECT_EQ(info.geometry.max_width, 498u * 4);
    EXPECT_EQ(info.timing.fps, 60.0);
    EXPECT_EQ(info.timing.sample_rate, 22050.0);
    f.run();
    EXPECT_EQ(f.frame().width, 498u);

    f.set_option("quendrix50_view", "LCD only");
    f.set_option("quendrix50_scale", "2x");
    f.run();
    ASSERT_TRUE(f.last_geometry);
    EXPECT_EQ(f.last_geometry->base_width, 720u);
    EXPECT_EQ(f.last_geometry->base_height, 392u);
    EXPECT_EQ(f.frame().width, 720u);
    EXPECT_EQ(f.frame().height, 392u);
}

TEST(CoreStart, ASkinsConfigIniIsContentAndAnythingElseIsRefused) {
    fix_core_clock();
    {
        CoreFrontend f;
        EXPECT_TRUE(f.load(std::filesystem::path(Q50_RUN_DIR) / "Config.ini"));
        f.run();
        EXPECT_EQ(f.frame().height, 770u);
    }
    const auto dir = std::filesystem::temp_directory_path() / "q50-core-bad-content";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "empty");
    std::ofstream(dir / "empty" / "Config.ini") << "\x01\x02 not a skin\n";
    std::ofstream(dir / "skin.txt") << "[Main]\n";
    for (const auto& content :
         {dir / "absent" / "Config.ini", dir / "skin.txt", dir / "empty" / "Config.ini"}) {
        CoreFrontend f;
        EXPECT_FALSE(f.load(content)) << content;
        ASSERT_FALSE(f.log.empty()) << content;
    }
    std::filesystem::remove_all(dir);
}

TEST(CoreStart, AResetStartsTheDeviceAsJustLoadedWithTheOptionsKept) {
    fix_core_clock();
    CoreFrontend played(core_system_dir()), fresh(core_system_dir());
    for (auto* f : {&played, &fresh}) {
        f->set_option("quendrix50_scale", "2x");
        ASSERT_TRUE(f->load());
    }
    play(played, scripted_game(300), 0, 300, [](int) {});
    played.pads = {};
    played.reset();
    const auto edges = scripted_game(200, 3);
    std::vector<CoreFrame> after_reset;
    play(played, edges, 0, 200, [&](int) { after_reset.push_back(played.frame()); });
    std::size_t i = 0;
    play(fresh, edges, 0, 200,
         [&](int n) { ASSERT_TRUE(fresh.frame() == after_reset[i++]) << "frame " << n; });
    EXPECT_EQ(after_reset.back().width, 996u);
}

TEST(CoreSaveRam, TheHighScoreIsKeptInItsPlaceAndReadBackBeforeTheDeviceStarts) {
    fix_core_clock();
    std::vector<std::uint8_t> kept;
    {
        CoreFrontend f(core_system_dir());
        ASSERT_TRUE(f.load());
        EXPECT_EQ(f.save_ram(), std::vector<std::uint8_t>(8, 0));
        // A game of moves and bombs, then long enough for it to end by itself.
        play(f, scripted_game(6000), 0, 6000, [](int) {});
        lose_a_game(f, 9000);
        kept = f.save_ram();
    }
    ASSERT_EQ(kept.size(), kSaveRamBytes);
    EXPECT_GT(le32(kept, 0), 0u) << "Game A's high score";
    EXPECT_EQ(le32(kept, 4), 0u) << "Game B was not played";

    // Loaded again: the frontend writes the save RAM after the load, the device reads it when
    // it starts, and a later lower game leaves it as it is.
    CoreFrontend g(core_system_dir());
    ASSERT_TRUE(g.load());
    std::vector<std::uint8_t> higher = kept;
    higher[0] = 0x0f;
    higher[1] = 0x27; // 9999
    g.set_save_ram(higher);
    g.run();
    play(g, scripted_game(6000), 0, 6000, [](int) {});
    lose_a_game(g, 9000);
    EXPECT_EQ(le32(g.save_ram(), 0), 9999u);
}

TEST(CoreSaveRam, AStateWhoseHighScoreIsAboveTheSaveRamRaisesIt) {
    fix_core_clock();
    std::vector<std::uint8_t> state, kept;
    {
        CoreFrontend f(core_system_dir());
        ASSERT_TRUE(f.load());
        play(f, scripted_game(6000), 0, 6000, [](int) {});
        state = f.save_state();
        lose_a_game(f, 9000);
        kept = f.save_ram();
    }
    ASSERT_GT(le32(kept, 0), 0u);
    CoreFrontend g(core_system_dir());
    ASSERT_TRUE(g.load());
    g.run();
    ASSERT_TRUE(g.load_state(state));
    lose_a_game(g, 9000);
    EXPECT_EQ(g.save_ram(), kept);
}

// A state saved at frame k in one core and loaded into another that was somewhere else: the
// frames and the sound after it are those of the run that went on, in each view.
void state_goes_on(const std::map<std::string, std::string>& options) {
    fix_core_clock();
    constexpr int kAt = 700, kMore = 600;
    const auto edges = scripted_game(kAt + kMore);
    std::vector<std::uint8_t> state;
    std::vector<CoreFrame> went_on;
    std::vector<std::int16_t> went_on_sound;
    {
        CoreFrontend a(core_system_dir());
        for (const auto& [k, v] : options) a.set_option(k, v);
        ASSERT_TRUE(a.load());
        play(a, edges, 0, kAt, [](int) {});
        state = a.save_state();
        ASSERT_EQ(state.size(), kDeviceStateBytes);
        EXPECT_EQ(a.save_state(), state) << "the same state gives the same bytes";
        a.sound.clear();
        play(a, edges, kAt, kAt + kMore, [&](int) { went_on.push_back(a.frame()); });
        went_on_sound = a.sound;
    }
    CoreFrontend b(core_system_dir());
    for (const auto& [k, v] : options) b.set_option(k, v);
    ASSERT_TRUE(b.load());
    play(b, scripted_game(500, 5), 0, 300, [](int) {}); // somewhere else entirely first
    b.pads = {};
    ASSERT_TRUE(b.load_state(state));
    EXPECT_EQ(b.save_state(), state);
    // The buttons the state holds are held by the frontend too from here on.
    for (const PadEdge& e : edges) {
        if (e.frame >= kAt) break;
        const std::uint16_t bit = std::uint16_t(1u << e.button);
        b.pads[0] = e.down ? b.pads[0] | bit : b.pads[0] & ~bit;
    }
    b.sound.clear();
    std::size_t i = 0;
    play(b, edges, kAt, kAt + kMore, [&](int n) {
        ASSERT_TRUE(b.frame() == went_on[i]) << "frame " << n;
        ++i;
    });
    EXPECT_EQ(b.sound, went_on_sound);
    EXPECT_GT(std::count_if(went_on_sound.begin(), went_on_sound.end(),
                            [](std::int16_t v) { return v != 0; }),
              1000);
}

TEST(CoreStates, AStateLoadedIntoAnotherCoreGoesOnWithTheSameFramesAndSound) {
    state_goes_on({});
    state_goes_on({{"quendrix50_view", "LCD only"}, {"quendrix50_scale", "2x"}});
    // Segments still fading when the state was taken go on fading from where they were.
    state_goes_on({{"quendrix50_lcd_response", "150"}, {"quendrix50_lcd_shadow", "20"}});
}

TEST(CoreStates, DamagedStatesAndStatesOfAnotherVersionAreRefusedAndChangeNothing) {
    fix_core_clock();
    CoreFrontend f(core_system_dir());
    ASSERT_TRUE(f.load());
    play(f, scripted_game(400), 0, 400, [](int) {});
    const auto good = f.save_state();

    auto flipped = good;
    flipped[100] ^= 0x10;
    auto other_version = good;
    other_version[4] = 2;
    auto cut = good;
    cut.resize(40);
    auto not_a_state = good;
    not_a_state[0] = 'X';
    // Whole to its checksum, but its frame count is not the one of its device time.
    auto other_frame = good;
    {
        const std::uint32_t length =
            good[8] | good[9] << 8 | good[10] << 16 | std::uint32_t(good[11]) << 24;
        // The front end's part ends the payload: what is held (53 bytes), then the look's fades.
        const std::size_t front = 53 + 4 + 17 * Board::kSegmentCount;
        other_frame[16 + length - front] ^= 0x40;
        const std::uint32_t crc = std::uint32_t(::crc32(0, other_frame.data() + 16, length));
        for (int i = 0; i < 4; ++i) other_frame[12 + std::size_t(i)] = std::uint8_t(crc >> (8 * i));
    }
    const std::pair<std::vector<std::uint8_t>, std::string> bad[] = {
        {flipped, "checksum"},
        {other_version, "version 2"},
        {cut, "cut short"},
        {not_a_state, "not a saved state"},
        {{}, "not a saved state"}};
    for (const auto& [bytes, reason] : bad) {
        f.log.clear();
        EXPECT_FALSE(f.load_state(bytes)) << reason;
        ASSERT_EQ(f.log.size(), 1u) << reason;
        EXPECT_NE(f.log[0].find(reason), std::string::npos) << f.log[0];
        EXPECT_EQ(f.save_state(), good) << "a refused state changed the device: " << reason;
    }
}

TEST(CoreStates, TwoCoresFedTheSameInputStayIdenticalOverFifteenThousandFrames) {
    fix_core_clock();
    constexpr int kFrames = 15000;
    const auto edges = scripted_game(kFrames, 99);
    CoreFrontend a(core_system_dir()), b(core_system_dir());
    ASSERT_TRUE(a.load());
    ASSERT_TRUE(b.load());
    std::size_t ai = 0, bi = 0;
    for (int n = 0; n < kFrames; ++n) {
        for (auto* f : {&a, &b}) {
            std::size_t& i = f == &a ? ai : bi;
            for (; i < edges.size() && edges[i].frame == n; ++i) {
                const std::uint16_t bit = std::uint16_t(1u << edges[i].button);
                f->pads[0] = edges[i].down ? f->pads[0] | bit : f->pads[0] & ~bit;
            }
            f->run();
        }
        if (n % 500 == 0 || n == kFrames - 1) {
            ASSERT_TRUE(a.frame() == b.frame()) << "frame " << n;
            ASSERT_EQ(a.save_state(), b.save_state()) << "frame " << n;
        }
    }
    EXPECT_EQ(a.sound, b.sound);
    EXPECT_EQ(a.sound.size(), std::size_t(SoftwareMixer::frame_at(frame_time(kFrames))) * 2);
}
