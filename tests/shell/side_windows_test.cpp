// The menus and side windows in the whole program: the main window's keys and clicks reach
// them, and their commands reach the program.
#include "shell/side_windows.h"

#include "../support/temp_dir.h"
#include "program_rig.h"
#include "shell/core/memory_store.h"
#include "shell/game_menu.h"
#include "shell/program.h"
#include "side_windows_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>

#include <fstream>
#include <iterator>

namespace q50 {
namespace {

namespace fs = std::filesystem;

class SideWindowsTest : public ::testing::Test, testing::WithQtApp {
  protected:
    void start(bool fullscreen,
               std::initializer_list<std::pair<const char*, const char*>> more = {}) {
        test::write_file(dir.path() / "Config.ini",
                         std::string(testing::kBareSkin) +
                             "[Manual]\nManualWidth=320\nManualHeight=200\n");
        auto s = std::make_unique<MemoryStore>();
        s->preset("SoundMode", "2");
        s->preset("SplashScreen", "0");
        s->preset("FullscreenMode", fullscreen ? "1" : "0");
        for (auto& [n, v] : more) s->preset(n, v);
        store = s.get();
        ProgramOptions o;
        o.executable_dir = dir.path();
        o.current_dir = dir.path();
        o.store = std::move(s);
        o.presenter = [this](QWidget*, const QString& t) { messages.push_back(t.toStdString()); };
        program = std::make_unique<Program>(std::move(o));
        program->start();
        ASSERT_NE(program->side_windows(), nullptr);
        side().open_url = [this](const QUrl& u) { opened.push_back(u); };
    }
    SideWindows& side() { return *program->side_windows(); }
    TForm1& main() { return program->main_window(); }
    void press(int key, bool repeat = false) {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier, QString(), repeat);
        QCoreApplication::sendEvent(&main(), &e);
    }

    test::TempDir dir;
    test::InDirectory cwd{dir.path()};
    MemoryStore* store = nullptr;
    std::vector<std::string> messages;
    std::vector<QUrl> opened;
    std::unique_ptr<Program> program;
};

// Start-up makes the menus' rows but no menu: every key acts before the context menu was ever
// shown, and the check marks are right when it first is.
TEST_F(SideWindowsTest, MenusAreMadeAtTheirFirstPopupAndTheirKeysAndChecksWorkBefore) {
    auto menus = [] {
        int n = 0;
        for (QWidget* w : QApplication::allWidgets()) n += qobject_cast<QMenu*>(w) != nullptr;
        return n;
    };
    const int before = menus();
    start(false, {{"LcdShadow", "10"}, {"Volume", "40"}});
    PopupMenu& pm = side().menu();
    EXPECT_FALSE(pm.menu_made());
    EXPECT_EQ(menus(), before);

    press(Qt::Key_F5); // Pause
    EXPECT_TRUE(program->paused());
    press(Qt::Key_F6); // Mute
    EXPECT_TRUE(program->muted());
    EXPECT_EQ(testing::stored_text(*store, "Muted"), "1");
    press(Qt::Key_F12); // fullscreen
    EXPECT_TRUE(program->presentation().Fullscreen_Mode);
    EXPECT_TRUE(pm.item(10).checked);
    EXPECT_FALSE(pm.menu_made());
    EXPECT_EQ(menus(), before);

    pm.popup_at(QPoint(20, 20));
    ASSERT_TRUE(pm.menu_made());
    QMenu& m = pm.pm_0_menu();
    EXPECT_TRUE(m.isVisible());
    // The context menu and the zoom, LCD, sound, saved state and skin submenus.
    EXPECT_EQ(menus(), before + 6);
    EXPECT_TRUE(pm.item(10).action->isChecked());
    EXPECT_TRUE(pm.item(12).action->isChecked());  // overlays on by default
    EXPECT_FALSE(pm.item(11).action->isChecked()); // the splash was skipped, its box unticked
    EXPECT_TRUE(side().comfort().pause()->isChecked());
    EXPECT_TRUE(side().comfort().mute()->isChecked());
    EXPECT_TRUE(side().comfort().volume_step(4)->isChecked());
    EXPECT_FALSE(side().comfort().volume_step(10)->isChecked());
    EXPECT_TRUE(side().zoom().row(5)->isChecked()); // fullscreen: fit
    EXPECT_TRUE(side().lcd_menu().menu().findChild<QAction*>("lcd_shadow_10")->isChecked());
    const std::vector<QAction*> skins = side().skin_menu().rows();
    ASSERT_FALSE(skins.empty());
    EXPECT_TRUE(skins[0]->isChecked()); // the delivered skin
    // Every submenu is in the block above the Exit separator, each once.
    const QList<QAction*> rows = m.actions();
    for (QAction* sub :
         {side().zoom().submenu().menuAction(), side().lcd_menu().menu().menuAction(),
          side().comfort().sound_menu()->menuAction(), side().states().submenu()->menuAction(),
          side().skin_menu().submenu().menuAction()}) {
        EXPECT_EQ(rows.count(sub), 1);
        EXPECT_GT(rows.indexOf(sub), rows.indexOf(pm.item(12).action));
        EXPECT_LT(rows.indexOf(sub), rows.indexOf(pm.item(13).action));
    }
    m.hide();
    // A second popup makes nothing more.
    pm.popup_at(QPoint(20, 20));
    EXPECT_EQ(menus(), before + 6);
    m.hide();
}

TEST_F(SideWindowsTest, ShortcutKeysOnTheMainWindowComeBeforeTheGameKeys) {
    start(false);
    ASSERT_TRUE(messages.empty()) << messages[0];
    press(Qt::Key_F1);
    EXPECT_TRUE(side().about().isVisible());
    side().about().hide();
    press(Qt::Key_F4);
    EXPECT_TRUE(side().manual().isVisible());
    EXPECT_EQ(side().manual().size(), QSize(320, 200));
    side().manual().hide();
    press(Qt::Key_F2);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toLocalFile(),
              QString::fromStdString((dir.path() / "Readme.txt").string()));

    press(Qt::Key_F12);
    EXPECT_TRUE(program->presentation().Fullscreen_Mode);
    EXPECT_EQ(program->window_model().client_width, main().screen()->geometry().width());
    EXPECT_TRUE(main().on_screen());
    press(Qt::Key_F12, true); // a held key's repeat does not switch again
    EXPECT_TRUE(program->presentation().Fullscreen_Mode);
    press(Qt::Key_F12);
    EXPECT_FALSE(program->presentation().Fullscreen_Mode);
    EXPECT_EQ(program->window_model().client_width, 498);

    // The game key '5' still opens the device; Esc then ends the program.
    press(Qt::Key_5);
    EXPECT_EQ(program->device().Game_State, 2);
    EXPECT_FALSE(program->ending());
    press(Qt::Key_Escape);
    EXPECT_TRUE(program->ending());
}

TEST_F(SideWindowsTest, TheKeyDialogDisablesTheMainWindowAndItsKeysTakeEffect) {
    start(false);
    side().menu().run(7);
    EXPECT_TRUE(side().keys_dialog().isVisible());
    EXPECT_FALSE(main().isEnabled());
    KeysDialog& d = side().keys_dialog();
    d.Key_Combo[4]->setCurrentIndex(d.Key_Combo[4]->findText("<SPACEBAR>"));
    d.btn_acceptClick();
    EXPECT_TRUE(main().isEnabled());
    EXPECT_EQ(store->values().at("Key4"), "44");
    press(Qt::Key_Space);
    EXPECT_EQ(program->device().Game_State, 2);
}

TEST_F(SideWindowsTest, MenuButtonRightClickAndSplashCheckInFullscreen) {
    start(true);
    EXPECT_TRUE(side().menu().item(10).checked);
    EXPECT_FALSE(side().menu().item(11).checked); // Play found the splash switched off
    // A click on the menu button in the top left corner opens the in-game menu.
    testing::click(&main(), {5, 5});
    ASSERT_TRUE(side().game_menu().Game_Menu_Open);
    GameMenuLabel* row = side().game_menu().Menu_Label_Table[3];
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->parentWidget(), &main());

    // A right click on a row reaches the main window, which opens the context menu.
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(5, 5), row->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(row, &e);
    EXPECT_TRUE(side().menu().pm_0_menu().isVisible());
    EXPECT_FALSE(side().game_menu().Game_Menu_Open);
    side().menu().pm_0_menu().hide();
    testing::flush_deferred_deletes();
    EXPECT_TRUE(main().findChildren<GameMenuLabel*>().isEmpty());
}

TEST_F(SideWindowsTest, ResetHiscoresShowsANoticeThatNeitherBlocksNorTakesTheKeyboard) {
    start(false);
    press(Qt::Key_5); // the device opened: play is what the notice must not get in the way of
    side().menu().run(8);
    QLabel* n = main().findChild<QLabel*>(QStringLiteral("notice"));
    ASSERT_NE(n, nullptr);
    EXPECT_TRUE(n->isVisible());
    EXPECT_EQ(n->text(), "High scores reset");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(n->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(n->isWindow());
    EXPECT_LE(n->sizeHint().width(), n->width());
    EXPECT_EQ(store->read_int("HiScore1", 5), 0);
    // The game's keys still reach the device while it shows.
    press(Qt::Key_1);
    EXPECT_EQ(program->device().Game_State, 5);
}

TEST_F(SideWindowsTest, EveryWindowCarriesTheProgramsOwnIcon) {
    start(false);
    const QIcon icon = QApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    const QImage want = QImage(QStringLiteral(":/pictures/app_icon.png"))
                            .convertToFormat(QImage::Format_ARGB32)
                            .scaled(64, 64);
    EXPECT_EQ(icon.pixmap(256, 256).toImage().convertToFormat(QImage::Format_ARGB32).scaled(64, 64),
              want);
    for (QWidget* w : {static_cast<QWidget*>(&main()), static_cast<QWidget*>(&side().manual()),
                       static_cast<QWidget*>(&side().about())})
        EXPECT_FALSE(w->windowIcon().isNull()) << w->windowTitle().toStdString();
}

// The manual's pages are drawn from tools/gen/art/manual.txt: every row of the context menu
// (the fourteen and the block after them) and every key shown beside a row is in it.
TEST_F(SideWindowsTest, TheManualNamesEveryContextMenuRowAndItsKey) {
    start(false);
    std::ifstream in(fs::path(Q50_SOURCE_DIR) / "tools/gen/art/manual.txt");
    ASSERT_TRUE(in);
    const std::string manual((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    QMenu& menu = side().menu().pm_0_menu();
    emit menu.aboutToShow();
    int rows = 0;
    for (QAction* a : menu.actions()) {
        if (a->isSeparator()) continue;
        QString text = a->menu() ? a->menu()->title() : a->text();
        text.remove(QLatin1Char('&')).replace(QStringLiteral("\u2026"), QStringLiteral("..."));
        const QStringList parts = text.split(QLatin1Char('\t'));
        const std::string caption = parts[0].toStdString();
        EXPECT_NE(manual.find(caption), std::string::npos) << caption;
        if (parts.size() > 1) {
            const std::string key = "(" + parts[1].toStdString();
            EXPECT_NE(manual.find(key), std::string::npos) << caption << ": " << key;
        }
        ++rows;
    }
    EXPECT_GT(rows, 14);
    // The keys that have no row of their own.
    for (const char* key : {"F5 pause", "F6 mute", "F7 play", "F9 screenshot", "+ and - zoom"})
        EXPECT_NE(manual.find(key), std::string::npos) << key;
    // Edits of a skin of one's own show at once (the skin watcher).
    EXPECT_NE(manual.find("shows every change you save at once"), std::string::npos);
}

} // namespace
} // namespace q50
