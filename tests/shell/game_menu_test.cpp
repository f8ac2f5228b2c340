#include "shell/game_menu.h"

#include "shell/popup_menu.h"
#include "side_windows_support.h"
#include "tests/game/device_harness.h"

#include <gtest/gtest.h>

#include <QEnterEvent>

namespace q50 {
namespace {

using testing::click;
using testing::flush_deferred_deletes;
using testing::send_mouse;

// The main window stand-in remembers the clicks that reach it.
struct RecordingWindow : QWidget {
    int presses = 0;
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};

class GameMenuTest : public ::testing::Test, testing::WithQtApp {
  protected:
    GameMenuTest() {
        h.start();
        main_window.resize(1024, 768);
        menu = std::make_unique<PopupMenu>(&main_window, h.dev, h.presentation, h.store, host);
        menu->set_splash_check(false);
    }
    GameMenu& gm() { return menu->game_menu(); }
    GameMenuLabel* row(int i) { return gm().Menu_Label_Table[std::size_t(i)]; }
    int labels_alive() {
        flush_deferred_deletes();
        return int(main_window.findChildren<GameMenuLabel*>().size());
    }
    Rect backing() { return h.dev.board.get("btn_game_menu_background").rect; }
    void enter(QWidget* w) {
        QEnterEvent e(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QCoreApplication::sendEvent(w, &e);
    }
    void leave(QWidget* w) {
        QEvent e(QEvent::Leave);
        QCoreApplication::sendEvent(w, &e);
    }

    testing::DeviceHarness h;
    testing::RecordingMenuHost host;
    RecordingWindow main_window;
    std::unique_ptr<PopupMenu> menu;
};

TEST_F(GameMenuTest, OpenMenuShowsFourteenRowsWithCaptionsAndCheckMarks) {
    ASSERT_TRUE(h.presentation.Fullscreen_Mode);
    ASSERT_TRUE(h.presentation.Ctrlr_Overlay);
    gm().btn_game_menu_topClick();
    ASSERT_TRUE(gm().Game_Menu_Open);
    const char* texts[15] = {"",
                             "   About...",
                             "   View 'Readme.txt'",
                             "   View 'Whatsnew.txt'",
                             "   View manual",
                             "",
                             "   Edit configuration file",
                             "   Key settings",
                             "   Reset Hiscores",
                             "",
                             "   Display in fullscreen mode [V]",
                             "   Display splash screen at startup",
                             "   Display controller overlays [V]",
                             "",
                             "   Exit"};
    for (int i = 1; i <= 14; ++i) {
        ASSERT_NE(row(i), nullptr) << i;
        EXPECT_EQ(row(i)->text(), texts[i]) << i;
        EXPECT_EQ(row(i)->geometry(), QRect(0, 32 * i, 256, 32)) << i;
        EXPECT_TRUE(row(i)->isVisibleTo(&main_window)) << i;
        EXPECT_EQ(row(i)->active(), i != 5 && i != 9 && i != 13) << i;
    }
    EXPECT_EQ(row(1)->font().family(), "Arial");
    EXPECT_EQ(row(1)->font().pixelSize(), 12);
    EXPECT_EQ(row(1)->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(backing(), (Rect{0, 0, 256, 480}));
    EXPECT_TRUE(h.dev.board.get("btn_game_menu_background").revision > 0);

    gm().btn_game_menu_topClick();
    EXPECT_FALSE(gm().Game_Menu_Open);
    EXPECT_EQ(backing(), (Rect{0, 0, 36, 32}));
    EXPECT_EQ(labels_alive(), 0);
}

TEST_F(GameMenuTest, HoverHighlightsItemsButNotSeparators) {
    gm().btn_game_menu_topClick();
    EXPECT_FALSE(row(2)->highlighted());
    enter(row(2));
    EXPECT_TRUE(row(2)->highlighted());
    EXPECT_EQ(row(2)->palette().color(QPalette::Window), QColor(Qt::black));
    leave(row(2));
    EXPECT_FALSE(row(2)->highlighted());
    enter(row(9));
    EXPECT_FALSE(row(9)->highlighted());
}

TEST_F(GameMenuTest, ClickRunsTheActionThenClosesTheMenu) {
    gm().btn_game_menu_topClick();
    GameMenuLabel* about = row(1);
    click(about);
    EXPECT_EQ(host.calls, std::vector<std::string>{"show_about"});
    EXPECT_FALSE(gm().Game_Menu_Open);
    EXPECT_FALSE(about->isVisibleTo(&main_window));
    EXPECT_EQ(backing(), (Rect{0, 0, 36, 32}));
    EXPECT_EQ(labels_alive(), 0);
}

TEST_F(GameMenuTest, PressReleasedOutsideRunsNothingButClosesAndOtherButtonsDoNothing) {
    gm().btn_game_menu_topClick();
    click(row(8), {2, 2}, Qt::MiddleButton);
    EXPECT_TRUE(gm().Game_Menu_Open);
    send_mouse(row(8), QEvent::MouseButtonPress, {2, 2});
    send_mouse(row(8), QEvent::MouseButtonRelease, {300, 2});
    EXPECT_TRUE(host.calls.empty());
    EXPECT_FALSE(gm().Game_Menu_Open);
    EXPECT_EQ(labels_alive(), 0);
}

TEST_F(GameMenuTest, SeparatorRowsAreInertAndKeepClicksFromTheDevice) {
    gm().btn_game_menu_topClick();
    click(row(5));
    click(row(13));
    EXPECT_TRUE(gm().Game_Menu_Open);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(main_window.presses, 0);
}

TEST_F(GameMenuTest, ChoosingFullscreenFromTheMenuSwitchesToWindowedAndLeavesNoRow) {
    gm().btn_game_menu_topClick();
    // The row's own click destroys the menu: that must wait until its event is over (the
    // address sanitizer reports the use after free otherwise).
    click(row(10));
    EXPECT_FALSE(h.presentation.Fullscreen_Mode);
    EXPECT_FALSE(gm().Game_Menu_Open);
    EXPECT_EQ(host.calls,
              (std::vector<std::string>{"move_off_screen", "load_skin", "centre_on_screen"}));
    EXPECT_EQ(labels_alive(), 0);
    for (auto& l : gm().Menu_Label_Table) EXPECT_EQ(l, nullptr);
}

TEST_F(GameMenuTest, F12WhileOpenSwitchesTheModeAndRemovesTheMenu) {
    gm().btn_game_menu_topClick();
    EXPECT_TRUE(menu->handle_shortcut(Qt::Key_F12));
    EXPECT_FALSE(h.presentation.Fullscreen_Mode);
    EXPECT_FALSE(gm().Game_Menu_Open);
    EXPECT_EQ(backing(), (Rect{0, 0, 36, 32}));
    EXPECT_EQ(labels_alive(), 0);
}

TEST_F(GameMenuTest, RightClickWhileOpenClosesItAndOpensTheContextMenu) {
    gm().btn_game_menu_topClick();
    // What the main window does on a right click (a row passes it on to the window).
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(5, 5), row(3)->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(row(3), &e);
    EXPECT_FALSE(e.isAccepted());
    menu->popup_at(e.globalPos());
    EXPECT_TRUE(menu->pm_0_menu().isVisible());
    EXPECT_FALSE(gm().Game_Menu_Open);
    EXPECT_EQ(labels_alive(), 0);
    menu->pm_0_menu().hide();
}

TEST_F(GameMenuTest, EscEndsTheProgramWhileTheMenuIsOpen) {
    gm().btn_game_menu_topClick();
    EXPECT_TRUE(menu->handle_shortcut(Qt::Key_Escape));
    EXPECT_EQ(host.calls, std::vector<std::string>{"quit"});
}

TEST_F(GameMenuTest, CheckMarksAreReadAtEachOpening) {
    gm().btn_game_menu_topClick();
    EXPECT_EQ(row(12)->text(), "   Display controller overlays [V]");
    click(row(12)); // turns the overlays off and closes
    EXPECT_FALSE(h.presentation.Ctrlr_Overlay);
    gm().btn_game_menu_topClick();
    EXPECT_EQ(row(12)->text(), "   Display controller overlays");
    EXPECT_EQ(labels_alive(), 14);
}

} // namespace
} // namespace q50
