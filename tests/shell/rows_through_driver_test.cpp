// The menu rows that change a setting, the skin or the board run as a key does: the device is
// caught up to now before the change, and the picture is refreshed by the driver's route.
#include "shell/program.h"

#include "../sound/sound_folder.h"
#include "../support/temp_dir.h"
#include "program_rig.h"
#include "qt_events.h"
#include "shell/comfort_rows.h"
#include "shell/core/memory_store.h"
#include "shell/game_menu.h"
#include "shell/side_windows.h"

#include <gtest/gtest.h>

#include <QMenu>

#include <filesystem>

namespace q50 {
namespace {

namespace fs = std::filesystem;

struct RowsThroughDriver : ::testing::Test {
    test::TempDir dir;
    // The samples are read from the working folder's Sound folder.
    test::InDirectory cwd{dir.path()};
    std::int64_t wall = 0;
    MemoryStore* store = nullptr;
    std::unique_ptr<Program> program;
    // Times the driver told the window to look at the board since the device fell behind.
    int told = 0;

    void start() {
        // A skin folder of its own (--skin), so that the skin rows have a choice and a file to
        // reload; a skin without pictures keeps the loads quick (one segment with a size: a skin
        // that would show nothing is not reloaded).
        const fs::path skin = dir.path() / "skin";
        fs::create_directories(skin);
        test::write_file(skin / "Config.ini", std::string(testing::kBareSkin) +
                                                  "[Image7]\nFilename=nil\nWidth=30\nHeight=40\n");
        test::make_sound_folder(dir.path(), 0.2);
        auto s = std::make_unique<MemoryStore>();
        for (auto [n, v] : {std::pair{"SplashScreen", "0"},
                            {"FullscreenMode", "0"},
                            {"SoundMode", "2"},
                            {"AutoPause", "0"}})
            s->preset(n, v);
        store = s.get();
        ProgramOptions o;
        // The delivered skin and sounds beside the executable.
        o.executable_dir = fs::path(Q50_SOURCE_DIR) / "data";
        o.current_dir = o.executable_dir;
        o.store = std::move(s);
        o.presenter = [](QWidget*, const QString& text) { ADD_FAILURE() << text.toStdString(); };
        o.clock_ms = [this] { return wall; };
        o.local_ms_of_day = [this] { return 10 * 3600 * 1000 + wall; };
        o.recordings_dir = dir.path() / "recordings";
        o.skin_dir = skin;
        program = std::make_unique<Program>(std::move(o));
        program->start();
        ASSERT_TRUE(program->main_window().on_screen());
        QObject::connect(&program->driver(), &RealtimeDriver::stepped, [this] { ++told; });
        // The clock, which ticks: its steps fall due while a row waits to be chosen.
        TForm1& w = program->main_window();
        testing::press_key(&w, Qt::Key_5);
        testing::release_key(&w, Qt::Key_5);
        testing::press_key(&w, Qt::Key_3);
        testing::release_key(&w, Qt::Key_3);
        ASSERT_EQ(program->device().Game_State, 4);
    }
    // Time passes without the driver's timer firing, as when a row is chosen between two wakes.
    void fall_behind() {
        wall += 2500;
        ASSERT_LT(program->device().now(), program->driver().clock_ms());
        told = 0;
    }
    void expect_caught_up(const char* row) {
        EXPECT_EQ(program->device().now(), program->driver().clock_ms()) << row;
        EXPECT_GE(told, 1) << row << ": the picture was not refreshed by the driver";
    }
    PopupMenu& menu() { return program->side_windows()->menu(); }
    ComfortRows& rows() { return program->side_windows()->comfort(); }
};

TEST_F(RowsThroughDriver, EveryRowThatChangesASettingTheSkinOrTheBoardCatchesTheDeviceUpFirst) {
    start();
    fall_behind();
    program->reload_skin(); // the skin's file changed on disk
    expect_caught_up("reload of the skin's file");

    fall_behind();
    rows().output(0)->trigger();
    expect_caught_up("sound output");
    EXPECT_EQ(testing::stored_text(*store, "SoundMode"), "0");

    fall_behind();
    menu().run(11);
    expect_caught_up("Display splash screen at startup");
    EXPECT_EQ(testing::stored_text(*store, "SplashScreen"), "1");

    fall_behind();
    rows().auto_pause()->trigger();
    expect_caught_up("Pause when the window loses focus");
    EXPECT_EQ(testing::stored_text(*store, "AutoPause"), "1");

    KeysDialog& keys = program->side_windows()->keys_dialog();
    keys.open();
    keys.Key_Combo[7]->setCurrentIndex(0); // bomb on '0'
    fall_behind();
    keys.btn_acceptClick();
    expect_caught_up("the key dialog's Accept");
    EXPECT_EQ(testing::stored_text(*store, "Key7"), "1");
    EXPECT_NE(program->device().board.get("btn_bomb_top").hint.find("'0'"), std::string::npos);

    // The skin submenu's first row: the delivered skin instead of the one given with --skin.
    QMenu& skins = program->side_windows()->skin_menu().submenu();
    ASSERT_FALSE(skins.actions().isEmpty());
    fall_behind();
    skins.actions().front()->trigger();
    expect_caught_up("Skin");
    EXPECT_TRUE(program->skin_dir().empty());
    EXPECT_TRUE(program->main_window().on_screen());
}

// The recorded commands and the rows about the picture and the sound take the same route: a
// row that changed its setting beside the driver would paint a device that is behind.
TEST_F(RowsThroughDriver, CommandsAndPictureAndSoundRowsCatchTheDeviceUpFirst) {
    start();
    fall_behind();
    menu().run(8);
    expect_caught_up("Reset Hiscores");
    EXPECT_EQ(testing::stored_text(*store, "HiScore1"), "0");

    fall_behind();
    menu().run(12);
    expect_caught_up("Display controller overlays");
    EXPECT_EQ(testing::stored_text(*store, "CtrlrOverlay"), "0");
    EXPECT_FALSE(program->presentation().Ctrlr_Overlay);

    fall_behind();
    // Fit: on the test's small screen no fixed zoom fits the device.
    program->side_windows()->zoom().row(0)->trigger();
    expect_caught_up("Zoom: fit");
    EXPECT_EQ(testing::stored_text(*store, "Zoom"), "0");

    LcdMenu& lcd = program->side_windows()->lcd_menu();
    fall_behind();
    lcd.choose_shadow(25);
    expect_caught_up("LCD shadow");
    EXPECT_EQ(testing::stored_text(*store, "LcdShadow"), "25");
    fall_behind();
    lcd.choose_fade(40);
    expect_caught_up("LCD response");
    EXPECT_EQ(testing::stored_text(*store, "LcdFade"), "40");

    fall_behind();
    rows().volume_step(3)->trigger();
    expect_caught_up("Volume 30 %");
    EXPECT_EQ(testing::stored_text(*store, "Volume"), "30");
    fall_behind();
    rows().mute()->trigger();
    expect_caught_up("Mute");
    EXPECT_EQ(testing::stored_text(*store, "Muted"), "1");

    fall_behind();
    menu().run(10);
    expect_caught_up("Fullscreen");
    ASSERT_TRUE(program->presentation().Fullscreen_Mode);
    fall_behind();
    program->side_windows()->zoom().row(6)->trigger(); // fullscreen at 100 %
    expect_caught_up("Fullscreen: 100 %");
    EXPECT_EQ(testing::stored_text(*store, "FullscreenZoom"), "100");
}

TEST_F(RowsThroughDriver, TheInGameMenuOpensAndClosesOnTheDeviceCaughtUpToNow) {
    start();
    menu().run(10); // fullscreen, where the in-game menu is
    ASSERT_TRUE(program->presentation().Fullscreen_Mode);
    GameMenu& gm = program->side_windows()->game_menu();
    const Segment& backing = program->device().board.get("btn_game_menu_background");

    fall_behind();
    gm.btn_game_menu_topClick();
    ASSERT_TRUE(gm.Game_Menu_Open);
    expect_caught_up("opening the in-game menu");
    EXPECT_EQ(backing.rect.width, GameMenu::kRowWidth);

    fall_behind();
    gm.la_menu_itemMouseUp(); // a row was chosen
    EXPECT_FALSE(gm.Game_Menu_Open);
    expect_caught_up("closing the in-game menu");
    EXPECT_EQ(backing.rect.width, 36);

    gm.btn_game_menu_topClick();
    fall_behind();
    menu().pm_0_menuPopup(); // the context menu opening closes it
    EXPECT_FALSE(gm.Game_Menu_Open);
    expect_caught_up("the context menu closing the in-game menu");
}

// "Display splash screen at startup" is the player's preference, no part of a recorded run: a
// playback, whose device runs on a store of its own, neither hides nor swallows it.
TEST_F(RowsThroughDriver, TheSplashRowDuringAPlaybackIsKeptInThePlayersStore) {
    start();
    test::write_file(dir.path() / "run.script",
                     "seed 3\ntime 10:00\nstore SplashScreen 1\nat 100 press open\nat 900 end\n");
    rows().choose_recording = [&] {
        return QString::fromStdString((dir.path() / "run.script").string());
    };
    rows().play()->trigger();
    ASSERT_TRUE(program->playing());
    menu().pm_0_menuPopup();
    EXPECT_FALSE(menu().item(11).checked) << "the check shows the recording's store";
    menu().run(11);
    EXPECT_EQ(testing::stored_text(*store, "SplashScreen"), "1");
    rows().play()->trigger(); // stop playing
    ASSERT_FALSE(program->playing());
    EXPECT_EQ(testing::stored_text(*store, "SplashScreen"), "1") << "lost with the playback";
    menu().pm_0_menuPopup();
    EXPECT_TRUE(menu().item(11).checked);
}

} // namespace
} // namespace q50
