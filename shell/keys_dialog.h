#pragma once
// The key dialog: seven lists of the 44 assignable keys, a duplicate check that refuses two
// actions on one key, and Accept, which stores the keys and renames them in the hints. Given
// the controller assignments, it has a second page for them (pad_page.h), under the same rule.
#include "board/board.h"
#include "host/settings_store.h"
#include "input/keys.h"
#include "input/pad.h"
#include "shell/menu_host.h"
#include "shell/pad_page.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <array>
#include <vector>

namespace q50 {

class KeysDialog : public QWidget { // TKeysForm
    Q_OBJECT
  public:
    // The main window is disabled while the dialog is open and enabled again when it closes,
    // however it closes.
    KeysDialog(KeyAssignments& keys, SettingsStore& store, Board& board, QWidget* main_window,
               PadAssignments* pads = nullptr);

    // The menu's "Key settings": centred on the screen, shown, the main window disabled.
    void open();

    // Key_Label[1..7], Key_Combo[1..7]; entry 0 unused.
    std::array<QLabel*, 8> Key_Label{};
    std::array<QComboBox*, 8> Key_Combo{};
    QLabel* la_main = nullptr;
    QLabel* la_controls = nullptr;
    QPushButton* btn_accept = nullptr;
    // Switches between the keys and the controller page (only with controller assignments).
    QPushButton* btn_page = nullptr;
    PadPage* pad_page = nullptr;

    bool showing_pads() const { return pad_page && pad_page->isVisible(); }
    void show_pads(bool on);
    // A button pressed on a controller while the dialog is open: on the controller page it is
    // the chosen row's new button. True when the dialog took it (always while it is open, so
    // that a press meant for the dialog never reaches the game).
    bool take_pad_button(PadButton b);

    bool CheckKeys();
    void cbChange();
    void btn_acceptClick();
    void FormActivate();

    // Told after Accept has changed the bindings and hints.
    std::function<void()> on_accepted;
    // Runs the accepted assignments (the store, the buttons' hints on the board) as an input is
    // run; without it they change at once.
    ChangeRunner run_change;

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override; // keyboard preview
    void keyPressEvent(QKeyEvent* e) override;
    void changeEvent(QEvent* e) override;
    void hideEvent(QHideEvent* e) override;

  private:
    void place_lists();
    // The page button in red while the page it leads to has a clash.
    void mark_other_page(bool clash);
    QPalette page_button_palette_;
    // Enter and Esc, before the focused list sees them; true when taken.
    bool FormKeyDown(int key);
    void close_dialog();

    KeyAssignments& keys_;
    SettingsStore& store_;
    Board& board_;
    QWidget* main_window_;
    PadAssignments* pads_;
    std::vector<QWidget*> key_page_;
};

} // namespace q50
