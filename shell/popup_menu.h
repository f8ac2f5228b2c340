#pragma once
// The context menu pm_0_menu: the program's fourteen commands, their shortcut keys and check
// marks. The in-game menu (game_menu.h) shows the same items and runs the same handlers.
#include "game/device.h"
#include "shell/core/presentation.h"
#include "shell/menu_host.h"

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace q50 {

class GameMenu;
class PopupMenu;

struct MenuItem {
    const char* name; // "pm_1_about"
    QString caption;  // "-" for a separator
    int shortcut;     // a Qt::Key, 0 for none
    void (PopupMenu::*handler)();
    QAction* action = nullptr;
    // The check mark; the action's own flag follows it (Qt flips a checkable action by itself
    // before its handler runs, so the handlers go by this one).
    bool checked = false;

    bool separator() const { return caption == QLatin1String("-"); }
    bool enabled() const { return action && action->isEnabled(); }
};

class PopupMenu : public QObject {
    Q_OBJECT
  public:
    // `settings` is the player's store, where the preferences that are no part of the device
    // go (while a recording plays, the device's store is the playback's own).
    PopupMenu(QWidget* main_window, Device& device, Presentation& presentation,
              SettingsStore& settings, MenuHost& host);
    ~PopupMenu() override;

    // The menu itself is made when first asked for (its first popup): until then the rows,
    // their keys and check marks live in the actions, which exist from the start.
    QMenu& pm_0_menu();
    bool menu_made() const { return made_; }
    GameMenu& game_menu() { return *game_menu_; }

    static constexpr int kItemCount = 14;
    // Menu_Item_Table[1..14]; entry 0 is unused.
    const MenuItem& item(int i) const { return items_.at(std::size_t(i)); }
    MenuItem& item(int i) { return items_.at(std::size_t(i)); }
    // Runs item i's action, as choosing it from either menu does.
    void run(int i);

    // Opens the context menu at a global position (pm_0_menuPopup runs as it opens).
    void popup_at(const QPoint& global);
    // The shortcut keys, ahead of the game keys: true when the key was one of them.
    bool handle_shortcut(int qt_key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // The item whose shortcut this is, 0 for none.
    int shortcut_item(int qt_key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const;
    bool is_shortcut(int qt_key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
        return shortcut_item(qt_key, modifiers) != 0;
    }

    // Check marks set from outside: from the stored settings at start-up, from the splash
    // window's play action.
    void set_fullscreen_check(bool on);
    void set_splash_check(bool on);
    void set_controller_check(bool on);

    // The block of rows beyond the fourteen: it sits between "Display controller overlays" and
    // the separator above "Exit", behind a separator of its own made with its first row. Rows
    // and submenus appear in the order they are added; a shortcut given here is taken by
    // handle_shortcut like the fourteen's (only keys that no game action can take).
    QAction* add_extra_row(QAction* row, int qt_key = 0);
    QAction* add_extra_menu(QMenu* submenu);
    // A submenu made only when the context menu is: `make` gives it at the first popup, in the
    // place of this call among the extra rows.
    void add_extra_menu(std::function<QMenu*()> make);
    void add_extra_shortcut(int qt_key, QAction* row);
    // Whether handle_shortcut would take this key for one of the extra rows.
    bool is_extra_shortcut(int qt_key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const;
    // Runs before the context menu opens, so extra rows can refresh their checks.
    void on_extra_popup(std::function<void()> refresh) {
        extra_popups_.push_back(std::move(refresh));
    }

    void pm_0_menuPopup();
    void pm_1_aboutClick();
    void pm_2_readmeClick();
    void pm_3_whatsnewClick();
    void pm_4_manualClick();
    void pm_6_configClick();
    void pm_7_keysClick();
    void pm_8_hiscoreClick();
    void pm_10_fullscreenClick();
    void pm_11_splashscreenClick();
    void pm_12_controllerClick();
    void pm_14_exitClick();

  private:
    Device& device_;
    Presentation& presentation_;
    SettingsStore& settings_;
    MenuHost& host_;
    void set_check(int i, bool on);
    // Puts one extra row (or the submenu `make` builds) into the menu, above the Exit
    // separator.
    void insert_extra(QAction* row, const std::function<QMenu*()>& make);

    QWidget* main_window_;
    QPointer<QMenu> menu_;
    bool made_ = false;
    std::array<MenuItem, kItemCount + 1> items_;
    std::unique_ptr<GameMenu> game_menu_;
    QAction* extras_separator_ = nullptr;
    // The extra rows in their order, kept until the menu is made.
    struct Extra {
        QPointer<QAction> row;
        std::function<QMenu*()> make;
    };
    std::vector<Extra> pending_extras_;
    std::vector<std::pair<int, QPointer<QAction>>> extra_shortcuts_;
    std::vector<std::function<void()>> extra_popups_;
};

} // namespace q50
