#pragma once
// The windows and menus around the device: the about window, the key dialog and the manual
// viewer (each made when first shown, so that start-up pays for none of them), the context
// menu and the in-game menu, hooked into the main window. It is the menus' host: the commands
// that need the program come here.
#include "shell/about_window.h"
#include "shell/comfort_rows.h"
#include "shell/keys_dialog.h"
#include "shell/lcd_menu.h"
#include "shell/manual_window.h"
#include "shell/menu_host.h"
#include "shell/popup_menu.h"
#include "shell/skin_menu.h"
#include "shell/state_rows.h"
#include "shell/zoom_menu.h"

#include <functional>

#include <memory>

namespace q50 {

class Program;

class SideWindows : public MenuHost {
  public:
    // After the main window's creation: the manual's settings read from Config.ini as they
    // are now, the menus made.
    explicit SideWindows(Program& program);
    ~SideWindows() override;

    // Each is made at its first use, hidden.
    AboutWindow& about();
    KeysDialog& keys_dialog();
    ManualWindow& manual();
    // Which windows have been made so far.
    bool about_made() const { return about_ != nullptr; }
    bool keys_dialog_made() const { return keys_ != nullptr; }
    bool manual_made() const { return manual_ != nullptr; }
    PopupMenu& menu() { return *menu_; }
    LcdMenu& lcd_menu() { return *lcd_menu_; }
    GameMenu& game_menu() { return menu_->game_menu(); }
    ZoomMenu& zoom() { return *zoom_; }
    ComfortRows& comfort() { return *comfort_; }
    StateRows& states() { return *states_; }

    // How the shell's "open" is done (the desktop's by default); tests record instead.
    UrlOpener open_url = desktop_url_opener();
    // How a notice is shown (an information box by default); tests record instead.
    std::function<void(const QString&)> inform;

    SkinMenu& skin_menu() { return *skin_menu_; }
    // The menus' shortcuts, taken ahead of the game keys; true when taken.
    bool shortcut_key(QKeyEvent* e);

    // MenuHost
    void show_about() override;
    void show_manual() override;
    void show_key_dialog() override;
    void shell_open(const QString& relative_name) override;
    void edit_config() override;
    void beep() override;
    void notify(const QString& text) override;
    void move_off_screen() override;
    void load_skin() override;
    void centre_on_screen() override;
    bool splash_box_ticked() override;
    void board_changed() override;
    void run_command(MenuCommand c, bool on, const std::function<void()>& body) override;
    void run_change(const std::function<void()>& body) override;
    void quit() override;

  private:
    Program& program_;
    ManualSettings manual_settings_;
    std::unique_ptr<AboutWindow> about_;
    std::unique_ptr<KeysDialog> keys_;
    std::unique_ptr<ManualWindow> manual_;
    std::unique_ptr<PopupMenu> menu_;
    std::unique_ptr<ZoomMenu> zoom_;
    std::unique_ptr<SkinMenu> skin_menu_;
    std::unique_ptr<LcdMenu> lcd_menu_;
    std::unique_ptr<ComfortRows> comfort_;
    std::unique_ptr<StateRows> states_;
};

} // namespace q50
