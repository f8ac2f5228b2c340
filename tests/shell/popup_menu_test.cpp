#include "shell/popup_menu.h"

#include "board/render_ops.h"
#include "shell/game_menu.h"
#include "side_windows_support.h"
#include "tests/game/device_harness.h"

#include <gtest/gtest.h>

namespace q50 {
namespace {

class PopupMenuTest : public ::testing::Test, testing::WithQtApp {
  protected:
    PopupMenuTest() {
        h.start();
        h.store.on_write = [this](const std::string& n, const std::string& v) {
            host.calls.push_back("store " + n + "=" + v);
        };
        menu = std::make_unique<PopupMenu>(&main_window, h.dev, h.presentation, h.store, host);
    }
    std::string stored(const std::string& name) const {
        auto it = h.store.values().find(name);
        return it == h.store.values().end() ? "" : it->second;
    }

    testing::DeviceHarness h;
    testing::RecordingMenuHost host;
    QWidget main_window;
    std::unique_ptr<PopupMenu> menu;
};

TEST_F(PopupMenuTest, FourteenItemsInOrderWithShortcutsAndTheDefaultItem) {
    const char* captions[15] = {"",
                                "About...",
                                "View 'Readme.txt'",
                                "View 'Whatsnew.txt'",
                                "View manual",
                                "-",
                                "Edit configuration file",
                                "Key settings",
                                "Reset Hiscores",
                                "-",
                                "Display in fullscreen mode",
                                "Display splash screen at startup",
                                "Display controller overlays",
                                "-",
                                "Exit"};
    const QList<QAction*> actions = menu->pm_0_menu().actions();
    ASSERT_EQ(actions.size(), 14);
    for (int i = 1; i <= 14; ++i) {
        const MenuItem& it = menu->item(i);
        EXPECT_EQ(it.caption, captions[i]) << i;
        EXPECT_EQ(actions[i - 1], it.action) << i;
        EXPECT_EQ(it.action->isSeparator(), it.separator()) << i;
        EXPECT_TRUE(it.action->isEnabled()) << i;
    }
    EXPECT_EQ(menu->item(1).action->text(), "About...\tF1");
    EXPECT_EQ(menu->item(4).action->text(), "View manual\tF4");
    EXPECT_EQ(menu->item(10).action->text(), "Display in fullscreen mode\tF12");
    EXPECT_EQ(menu->item(14).action->text(), "Exit\tEsc");
    EXPECT_EQ(menu->item(7).action->text(), "Key settings");
    EXPECT_EQ(menu->pm_0_menu().defaultAction(), menu->item(1).action);
    // Start-up read FullscreenMode and CtrlrOverlay, both true by default.
    EXPECT_TRUE(menu->item(10).checked);
    EXPECT_TRUE(menu->item(12).checked);
}

TEST_F(PopupMenuTest, ShortcutKeysRunTheirItemsAndNothingElseIsTaken) {
    struct {
        int key;
        std::string call;
    } const cases[] = {{Qt::Key_F1, "show_about"},
                       {Qt::Key_F2, "open Readme.txt"},
                       {Qt::Key_F3, "open Whatsnew.txt"},
                       {Qt::Key_F4, "show_manual"},
                       {Qt::Key_Escape, "quit"}};
    for (const auto& c : cases) {
        host.calls.clear();
        EXPECT_TRUE(menu->handle_shortcut(c.key));
        EXPECT_EQ(host.calls, std::vector<std::string>{c.call});
    }
    host.calls.clear();
    for (int key : {int(Qt::Key_F5), int(Qt::Key_F11), int(Qt::Key_1), int(Qt::Key_Control),
                    int(Qt::Key_Left), int(Qt::Key_Return)})
        EXPECT_FALSE(menu->handle_shortcut(key)) << key;
    // With Ctrl held (the default bomb key) Esc is not the Exit shortcut.
    EXPECT_FALSE(menu->handle_shortcut(Qt::Key_Escape, Qt::ControlModifier));
    EXPECT_FALSE(menu->handle_shortcut(Qt::Key_F1, Qt::ShiftModifier));
    EXPECT_TRUE(host.calls.empty());
    EXPECT_TRUE(menu->handle_shortcut(Qt::Key_F12, Qt::KeypadModifier));
    EXPECT_FALSE(h.presentation.Fullscreen_Mode);
}

TEST_F(PopupMenuTest, ExtraRowsFormOneBlockAboveTheExitSeparatorWithTheirOwnShortcuts) {
    int zoomed = 0, paused = 0;
    QMenu* zoom = new QMenu(QStringLiteral("Zoom"), &menu->pm_0_menu());
    menu->add_extra_menu(zoom);
    QAction* pause = new QAction(QStringLiteral("Pause"));
    QObject::connect(pause, &QAction::triggered, [&] { ++paused; });
    menu->add_extra_row(pause, Qt::Key_F5);
    QAction* plus = zoom->addAction(QStringLiteral("Bigger"));
    QObject::connect(plus, &QAction::triggered, [&] { ++zoomed; });
    menu->add_extra_shortcut(Qt::Key_Plus, plus);

    const QList<QAction*> actions = menu->pm_0_menu().actions();
    ASSERT_EQ(actions.size(), 17);
    EXPECT_EQ(actions[11], menu->item(12).action);
    EXPECT_TRUE(actions[12]->isSeparator());
    EXPECT_EQ(actions[13], zoom->menuAction());
    EXPECT_EQ(actions[14], pause);
    EXPECT_EQ(actions[15], menu->item(13).action);
    EXPECT_EQ(actions[16], menu->item(14).action);
    EXPECT_EQ(pause->text(), "Pause\tF5");

    EXPECT_TRUE(menu->handle_shortcut(Qt::Key_F5));
    EXPECT_TRUE(menu->handle_shortcut(Qt::Key_Plus, Qt::KeypadModifier));
    EXPECT_FALSE(menu->handle_shortcut(Qt::Key_Plus, Qt::ControlModifier));
    pause->setEnabled(false);
    EXPECT_FALSE(menu->handle_shortcut(Qt::Key_F5));
    EXPECT_EQ(paused, 1);
    EXPECT_EQ(zoomed, 1);
    // The fourteen keep their places and their own keys.
    EXPECT_TRUE(menu->handle_shortcut(Qt::Key_F1));
    EXPECT_EQ(host.calls, std::vector<std::string>{"show_about"});
}

TEST_F(PopupMenuTest, ItemsWithoutShortcutCallTheirActions) {
    menu->run(6);
    menu->run(7);
    menu->run(5); // a separator does nothing
    EXPECT_EQ(host.calls, (std::vector<std::string>{"open Config.ini", "show_key_dialog"}));
}

TEST_F(PopupMenuTest, ResetHiscoresStoresZeroAndBeepsWithoutRedrawingThePanel) {
    h.dev.Hi_Score_A = 512;
    h.dev.Hi_Score_B = 77;
    h.store.write_int("HiScore1", 512);
    h.store.write_int("HiScore2", 77);
    Vid_Show_Panel_Score(h.dev.board, 512, true); // Game A held: the high score on show
    const std::string panel = h.panel();
    const std::uint64_t revision = h.dev.board.revision();
    host.calls.clear();

    menu->run(8);
    EXPECT_EQ(h.dev.Hi_Score_A, 0);
    EXPECT_EQ(h.dev.Hi_Score_B, 0);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"store HiScore1=0", "store HiScore2=0", "beep",
                                                    "notify High scores reset"}));
    EXPECT_EQ(h.panel(), panel);
    EXPECT_EQ(h.dev.board.revision(), revision);
}

TEST_F(PopupMenuTest, PresentationSwitchRunsItsStepsInOrderBothWays) {
    host.calls.clear();
    bool fullscreen_at_load = true;
    host.on_load_skin = [&] { fullscreen_at_load = h.presentation.Fullscreen_Mode; };
    EXPECT_TRUE(menu->handle_shortcut(Qt::Key_F12));
    EXPECT_FALSE(h.presentation.Fullscreen_Mode);
    EXPECT_FALSE(fullscreen_at_load);
    EXPECT_FALSE(menu->item(10).checked);
    EXPECT_FALSE(menu->item(10).action->isChecked());
    const std::vector<std::string> to_windowed = {"store FullscreenMode=0", "move_off_screen",
                                                  "load_skin", "centre_on_screen"};
    EXPECT_EQ(host.calls, to_windowed);

    host.calls.clear();
    menu->item(10).action->trigger(); // chosen from the context menu
    EXPECT_TRUE(h.presentation.Fullscreen_Mode);
    EXPECT_TRUE(fullscreen_at_load);
    EXPECT_TRUE(menu->item(10).checked);
    EXPECT_TRUE(menu->item(10).action->isChecked());
    EXPECT_EQ(host.calls, (std::vector<std::string>{"store FullscreenMode=1", "move_off_screen",
                                                    "load_skin", "centre_on_screen"}));
}

TEST_F(PopupMenuTest, PreferenceTogglesInvertOnceWhetherChosenFromTheMenuOrRunDirectly) {
    menu->set_splash_check(true);
    host.calls.clear();
    menu->item(11).action->trigger(); // Qt flips a checkable action by itself
    EXPECT_FALSE(menu->item(11).checked);
    EXPECT_FALSE(menu->item(11).action->isChecked());
    menu->run(11);
    EXPECT_TRUE(menu->item(11).checked);
    EXPECT_EQ(host.calls,
              (std::vector<std::string>{"store SplashScreen=0", "store SplashScreen=1"}));

    host.calls.clear();
    ASSERT_TRUE(h.lit("btn_ctrlr_overlay_left"));
    menu->item(12).action->trigger();
    EXPECT_FALSE(h.presentation.Ctrlr_Overlay);
    EXPECT_FALSE(menu->item(12).action->isChecked());
    EXPECT_FALSE(h.lit("btn_ctrlr_overlay_left"));
    EXPECT_FALSE(h.lit("btn_ctrlr_overlay_right"));
    menu->run(12);
    EXPECT_TRUE(h.presentation.Ctrlr_Overlay);
    EXPECT_TRUE(h.lit("btn_ctrlr_overlay_right"));
    EXPECT_EQ(host.calls,
              (std::vector<std::string>{"store CtrlrOverlay=0", "store CtrlrOverlay=1"}));
}

TEST_F(PopupMenuTest, OpeningTheMenuRefreshesItsCheckMarks) {
    // Nothing stored: the splash window's check box decides.
    host.splash_box = false;
    menu->set_splash_check(true);
    h.presentation.Ctrlr_Overlay = false;
    menu->pm_0_menuPopup();
    EXPECT_FALSE(menu->item(11).checked);
    EXPECT_FALSE(menu->item(12).checked);

    h.store.preset("SplashScreen", "1");
    h.presentation.Ctrlr_Overlay = true;
    menu->popup_at({10, 10}); // the menu's about-to-show runs pm_0_menuPopup
    EXPECT_TRUE(menu->item(11).checked);
    EXPECT_TRUE(menu->item(12).action->isChecked());
    menu->pm_0_menu().hide();
}

TEST_F(PopupMenuTest, OpeningTheContextMenuInFullscreenClosesTheInGameMenu) {
    ASSERT_TRUE(h.presentation.Fullscreen_Mode);
    GameMenu& gm = menu->game_menu();
    gm.btn_game_menu_topClick();
    ASSERT_TRUE(gm.Game_Menu_Open);
    menu->popup_at({10, 10});
    EXPECT_FALSE(gm.Game_Menu_Open);
    EXPECT_EQ(h.dev.board.get("btn_game_menu_background").rect, (Rect{0, 0, 36, 32}));
    menu->pm_0_menu().hide();
    testing::flush_deferred_deletes();
    EXPECT_TRUE(main_window.findChildren<GameMenuLabel*>().isEmpty());
}

} // namespace
} // namespace q50
