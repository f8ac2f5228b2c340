// The desktop's saved state: it goes on exactly as the run it was taken from, keeps what is the
// player's rather than the game's (high scores, presentation, overlays), carries the LCD's
// fades, and refuses states of another front end or damaged desktop parts, changing nothing.
#include "shell/core/desktop_state.h"

#include "board/render_ops.h"
#include "display/skin_loader.h"
#include "host/setting_names.h"
#include "shell/core/device_state.h"
#include "shell/core/rig.h"

#include "../support/scoped_env.h"

#include <gtest/gtest.h>

namespace q50 {
namespace {

const std::filesystem::path kDeskData = std::filesystem::path(Q50_SOURCE_DIR) / "data";

struct DeskQuiet : MessageSink {
    void error(const std::string&) override {}
    void notice(const std::string&) override {}
};

struct Desk {
    Rig rig;
    LcdLook look;
    std::vector<Picture> own;
    explicit Desk(std::uint32_t seed) : rig(seed) {
        rig.start([&] {
            SkinEnvironment env;
            env.executable_dir = env.current_dir = kDeskData;
            WindowModel window;
            DeskQuiet quiet;
            Load_Skin(rig.dev.board, window, env, quiet);
        });
        own = own_pictures(rig.dev.board);
        look.set_fade(120);
    }
    DesktopStateParts parts() { return {rig.dev, rig.random, own, look}; }
    std::vector<std::uint8_t> save(std::int64_t ms_of_day = 0) {
        return save_desktop_state(parts(), ms_of_day);
    }
    // Open, Game A, and a move or a bomb every 700 ms, the look following the board.
    void play(std::int64_t from, std::int64_t to) {
        Device& d = rig.dev;
        for (std::int64_t t = from; t < to; t += 350) {
            d.advance_to(t);
            look.update(d.board, t);
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
        look.update(d.board, to);
    }
    std::vector<std::string> sounds_from(std::size_t first) const {
        std::vector<std::string> out;
        for (std::size_t i = first; i < rig.sound.calls.size(); ++i)
            out.push_back(std::to_string(rig.sound.calls[i].time) + rig.sound.calls[i].what);
        return out;
    }
};

TEST(DesktopState, GoesOnAsTheRunItWasTakenFromWithTheLcdFadesAndNoVoices) {
    Desk a(5);
    a.play(0, 20000);
    ASSERT_TRUE(game_under_way(a.rig.dev));
    const auto state = a.save(10 * 3600 * 1000);
    EXPECT_EQ(state.size(), kDeviceStateBytes);
    EXPECT_EQ(a.save(10 * 3600 * 1000), state) << "the same state gives the same bytes";

    Desk b(77);
    b.play(0, 4000);
    std::string why;
    auto parts = b.parts();
    ASSERT_TRUE(load_desktop_state(state, parts, why)) << why;
    EXPECT_EQ(b.rig.dev.now(), 20000);
    EXPECT_EQ(b.save(10 * 3600 * 1000), state);
    ASSERT_FALSE(a.look.fades().empty());
    for (std::size_t i = 0; i < a.look.fades().size(); ++i) {
        EXPECT_EQ(a.look.fades()[i].start, b.look.fades()[i].start) << i;
        EXPECT_EQ(a.look.fades()[i].target, b.look.fades()[i].target) << i;
    }

    const std::size_t a_first = a.rig.sound.calls.size(), b_first = b.rig.sound.calls.size();
    a.play(20000, 60000);
    b.play(20000, 60000);
    EXPECT_EQ(a.sounds_from(a_first), b.sounds_from(b_first));
    EXPECT_GT(a.sounds_from(a_first).size(), 10u);
    EXPECT_EQ(a.save(), b.save());

    // The time of day is kept as it was at device time 0; the desktop sounds through its own
    // output, so the mixer's part holds no voice.
    SettableClock clock;
    SoftwareMixer mixer;
    const std::vector<Picture> own;
    Rig c(1);
    c.start();
    DeviceParts raw{c.dev, c.random, clock, mixer, own};
    std::vector<std::uint8_t> front;
    ASSERT_TRUE(load_device_state(state, raw, front, why)) << why;
    EXPECT_EQ(clock.ms_at_zero(), 10 * 3600 * 1000 - 20000);
    EXPECT_TRUE(mixer.voices().empty());
    EXPECT_EQ(std::string(front.begin(), front.begin() + 4), "QDSK");
}

TEST(DesktopState, KeepsThePlayersHighScoresPresentationAndOverlays) {
    Desk a(5);
    a.play(0, 12000);
    const auto state = a.save();
    Desk b(6);
    b.play(0, 2000);
    // Since the save: a new record stored, the overlays switched off, the backdrop shown.
    b.rig.store.write_int(setting::HiScore1, 812);
    b.rig.store.write_int(setting::HiScore2, 40);
    Board& board = b.rig.dev.board;
    Vid_Display_Ctrl_Overlay(board, false);
    board.show(board.get("im_backdrop"));
    std::string why;
    auto parts = b.parts();
    ASSERT_TRUE(load_desktop_state(state, parts, why)) << why;
    EXPECT_EQ(b.rig.dev.Hi_Score_A, 812) << "an older state must not bring an older record";
    EXPECT_EQ(b.rig.dev.Hi_Score_B, 40);
    EXPECT_FALSE(board.get("btn_ctrlr_overlay_left").shown);
    EXPECT_FALSE(board.get("btn_ctrlr_overlay_right").shown);
    EXPECT_TRUE(board.get("im_backdrop").shown);
    EXPECT_EQ(b.rig.dev.Game_State, a.rig.dev.Game_State);
    EXPECT_EQ(b.rig.dev.Score, a.rig.dev.Score);
}

TEST(DesktopState, StatesOfAnotherFrontEndAndDamagedDesktopPartsAreRefusedChangingNothing) {
    Desk a(5);
    a.play(0, 12000);
    Desk b(8);
    b.play(0, 3000);
    const auto before = b.save();
    // The device's own state with a front part that is not the desktop's.
    SettableClock clock;
    SoftwareMixer mixer;
    auto with_front = [&](std::vector<std::uint8_t> front) {
        DeviceParts dp{a.rig.dev, a.rig.random, clock, mixer, a.own};
        return save_device_state(dp, front);
    };
    std::vector<std::uint8_t> fades_wrong = {'Q', 'D', 'S', 'K', 3, 0, 0, 0};
    std::vector<std::uint8_t> late_fade = {'Q', 'D', 'S', 'K'};
    const std::size_t n = a.rig.dev.board.segments().size();
    for (int i = 0; i < 4; ++i) late_fade.push_back(std::uint8_t(n >> (8 * i)));
    for (std::size_t i = 0; i < n; ++i) {
        late_fade.push_back(0);
        for (int k = 0; k < 8; ++k) late_fade.push_back(0); // from 0.0
        // Begun after the state's own time: no run gets there.
        const std::uint64_t start = i == 3 ? 999999 : 0;
        for (int k = 0; k < 8; ++k) late_fade.push_back(std::uint8_t(start >> (8 * k)));
    }
    struct Case {
        std::vector<std::uint8_t> bytes;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {with_front(std::vector<std::uint8_t>(40, 1)), "another front end"},
        {with_front({}), "another front end"},
        {with_front(fades_wrong), "LCD part is damaged"},
        {with_front(late_fade), "LCD part is damaged"},
        {std::vector<std::uint8_t>(kDeviceStateBytes, 0), "not a saved state"},
    };
    for (const Case& c : cases) {
        std::string why;
        auto parts = b.parts();
        EXPECT_FALSE(load_desktop_state(c.bytes, parts, why)) << c.reason;
        EXPECT_NE(why.find(c.reason), std::string::npos) << "reason given: " << why;
        EXPECT_EQ(b.save(), before) << "refused, yet changed: " << c.reason;
    }
}

TEST(DesktopState, AGameIsUnderWayFromItsHeldStartToItsEndAndWaitsApartFromTheSlot) {
    Rig r(1);
    r.start();
    Device& d = r.dev;
    for (int mode = 0; mode <= 9; ++mode) {
        d.Game_State = mode;
        EXPECT_EQ(game_under_way(d), mode >= 5 && mode <= 8) << mode;
    }
    test::ScopedEnv home("HOME", "/home/u"), data_home("XDG_DATA_HOME", "/x/data");
    EXPECT_EQ(resume_file_path(), std::filesystem::path("/x/data/quendrix50/resume.q50s"));
}

} // namespace
} // namespace q50
