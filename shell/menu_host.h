#pragma once
// What the menus need from the main window. The menus own the rules of their commands; the
// main window supplies the windows, the shell and the screen.
#include "shell/core/menu_commands.h"

#include <QString>

#include <functional>

namespace q50 {

// Runs a change of the board or of a setting as an input is run: the desktop runs it through
// its real-time driver (the device caught up first, the picture refreshed once after it).
using ChangeRunner = std::function<void(const std::function<void()>&)>;

class MenuHost {
  public:
    virtual ~MenuHost() = default;
    virtual void show_about() = 0;
    virtual void show_manual() = 0;
    // Centres the key dialog, shows it (not modal) and disables the main window.
    virtual void show_key_dialog() = 0;
    // The shell's "open" of a file name relative to the current directory.
    virtual void shell_open(const QString& relative_name) = 0;
    // "Edit configuration file": the shell's "open" of the skin file in use.
    virtual void edit_config() { shell_open(QStringLiteral("Config.ini")); }
    virtual void beep() = 0;
    // A short notice that does not block the game and goes away by itself.
    virtual void notify(const QString& text) = 0;
    // The presentation switch: off screen, the skin loaded again, centred.
    virtual void move_off_screen() = 0;
    virtual void load_skin() = 0;
    virtual void centre_on_screen() = 0;
    // The state of the splash window's check box (the default of the stored setting).
    virtual bool splash_box_ticked() = 0;
    // The board changed outside the game's own events: repaint what changed.
    virtual void board_changed() = 0;
    // A command that changes the device or its presentation. The desktop runs it through its
    // real-time driver, as it runs a key (the device caught up first, the command noted in the
    // run's log, the picture refreshed after it); without one it runs at once.
    virtual void run_command(MenuCommand, bool /*on*/, const std::function<void()>& body) {
        body();
        board_changed();
    }
    // A change of the board or of a setting that is no command of a recorded run (the in-game
    // menu's rows, a preference): run as an input is, but not noted in the run's log.
    virtual void run_change(const std::function<void()>& body) {
        body();
        board_changed();
    }
    // Ends the message loop.
    virtual void quit() = 0;
};

} // namespace q50
