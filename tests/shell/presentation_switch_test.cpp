// The presentation switch with the real skin loader behind the menu.
#include "display/skin_loader.h"
#include "shell/game_menu.h"
#include "shell/popup_menu.h"
#include "side_windows_support.h"
#include "tests/game/device_harness.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>

namespace q50 {
namespace {

namespace fs = std::filesystem;

struct NoMessages : MessageSink {
    std::vector<std::string> texts;
    void error(const std::string& t) override { texts.push_back(t); }
};

// A one-pixel 24-bit bitmap.
void write_pixel_bmp(const fs::path& p) {
    const unsigned char bmp[58] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0,   0, 0,  40,
                                   0,   0,   0,  1, 0, 0, 0, 1, 0, 0, 0,  1,   0, 24, 0,
                                   0,   0,   0,  0, 4, 0, 0, 0, 0, 0, 0,  0,   0, 0,  0,
                                   0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  255, 0};
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bmp), sizeof bmp);
}

class PresentationSwitchTest : public ::testing::Test, testing::WithQtApp {
  protected:
    PresentationSwitchTest() {
        dir = fs::path(tmp.path().toStdString());
        fs::create_directories(dir / "Backdrop");
        write_pixel_bmp(dir / "Backdrop" / "back.bmp");
        std::ofstream(dir / "Config.ini")
            << "[Common]\nSkinDir=Skin\\\nGameWidth=498\nGameHeight=770\n"
            << "[Fullscreen]\nBackdropDir=Backdrop\\\nBackdropFile=back.bmp\n"
            << "BgColor=$00000000\nGameOffsetX=Center\nGameOffsetY=Center\n"
            << "[VideoMode]\nTranspColor=$00ff00ff\n"
            << "[Image7]\nFilename=nil\nLeft=10\nTop=20\nWidth=30\nHeight=40\n";
        h.start();
        host.on_load_skin = [this] { load(); };
        menu = std::make_unique<PopupMenu>(&main_window, h.dev, h.presentation, h.store, host);
        load(); // start-up in the stored mode (fullscreen by default)
    }
    void load() {
        SkinEnvironment env;
        env.executable_dir = env.current_dir = dir;
        env.Fullscreen_Mode = h.presentation.Fullscreen_Mode;
        Load_Skin(h.dev.board, window, env, messages);
    }
    Rect rect(const char* name) { return h.dev.board.named(name).rect; }

    QTemporaryDir tmp;
    fs::path dir;
    testing::DeviceHarness h;
    testing::RecordingMenuHost host;
    NoMessages messages;
    WindowModel window;
    QWidget main_window;
    std::unique_ptr<PopupMenu> menu;
};

TEST_F(PresentationSwitchTest, FullscreenToWindowedAndBack) {
    ASSERT_TRUE(messages.texts.empty()) << messages.texts[0];
    ASSERT_TRUE(h.presentation.Fullscreen_Mode);
    EXPECT_EQ(window.client_width, 1024);
    EXPECT_EQ(window.client_height, 768);
    EXPECT_FALSE(window.key_on);
    EXPECT_EQ(rect("btn_game_a_top"), (Rect{10 + 263, 20 - 1, 30, 40}));
    EXPECT_TRUE(h.lit("im_backdrop"));
    EXPECT_TRUE(h.lit("btn_game_menu_top"));
    EXPECT_TRUE(h.lit("btn_game_menu_background"));

    menu->game_menu().btn_game_menu_topClick(); // the in-game menu is open at the switch
    ASSERT_EQ(rect("btn_game_menu_background"), (Rect{0, 0, 256, 480}));
    ASSERT_TRUE(menu->handle_shortcut(Qt::Key_F12));
    EXPECT_FALSE(h.presentation.Fullscreen_Mode);
    EXPECT_EQ(h.store.read_int("FullscreenMode", -1), 0);
    EXPECT_EQ(window.client_width, 498);
    EXPECT_EQ(window.client_height, 770);
    EXPECT_TRUE(window.key_on);
    EXPECT_EQ(rect("btn_game_a_top"), (Rect{10, 20, 30, 40}));
    EXPECT_FALSE(h.lit("im_backdrop"));
    EXPECT_FALSE(h.lit("btn_game_menu_top"));
    EXPECT_FALSE(h.lit("btn_game_menu_background"));
    EXPECT_EQ(rect("btn_game_menu_background"), (Rect{0, 0, 36, 32}));
    EXPECT_FALSE(menu->game_menu().Game_Menu_Open);
    testing::flush_deferred_deletes();
    EXPECT_TRUE(main_window.findChildren<GameMenuLabel*>().isEmpty());

    menu->run(10);
    EXPECT_TRUE(h.presentation.Fullscreen_Mode);
    EXPECT_EQ(h.store.read_int("FullscreenMode", -1), 1);
    EXPECT_EQ(window.client_width, 1024);
    EXPECT_EQ(rect("btn_game_a_top"), (Rect{273, 19, 30, 40}));
    EXPECT_TRUE(h.lit("im_backdrop"));
    EXPECT_TRUE(h.lit("btn_game_menu_top"));
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(PresentationSwitchTest, TheGameRunsOnAcrossTheSwitch) {
    h.dev.Inp_open_down();
    h.dev.Inp_acl_up();
    h.dev.Inp_game_a_down();
    h.dev.Inp_game_a_up();
    h.dev.advance_to(h.dev.now() + 3000);
    ASSERT_EQ(h.dev.Game_State, 6);
    // The game's picture: every shown segment except the decoration the switch changes.
    auto game_picture = [this] {
        std::vector<std::string> out;
        for (const Segment& s : h.dev.board.segments())
            if (s.shown && s.name.rfind("btn_game_menu", 0) != 0 &&
                s.name.rfind("im_backdrop", 0) != 0)
                out.push_back(s.name);
        return out;
    };
    auto all_due = [this] {
        std::vector<std::optional<std::int64_t>> out;
        for (int i = 0; i < kTimerCount; ++i) out.push_back(h.dev.timers.due(TimerId(i)));
        return out;
    };
    const auto picture = game_picture();
    const auto due = all_due();
    ASSERT_TRUE(h.dev.next_due().has_value());

    menu->run(10);
    EXPECT_EQ(game_picture(), picture);
    EXPECT_EQ(all_due(), due);
    h.dev.advance_to(h.dev.now() + 2000);
    EXPECT_EQ(h.dev.Game_State, 6);
}

} // namespace
} // namespace q50
