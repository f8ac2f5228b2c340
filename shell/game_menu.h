#pragma once
// The in-game menu of fullscreen mode: fourteen rows of text over the screen, built from the
// context menu's items each time it opens, running the same actions.
#include "board/board.h"
#include "shell/menu_host.h"

#include <QLabel>
#include <QObject>
#include <QPointer>

#include <array>
#include <functional>

namespace q50 {

class PopupMenu;

// One row of the in-game menu. A separator row takes the pointer but does nothing with it,
// so a click there does not reach the device beneath.
class GameMenuLabel : public QLabel {
    Q_OBJECT
  public:
    GameMenuLabel(QWidget* parent, bool active);
    bool active() const { return active_; }
    bool highlighted() const { return autoFillBackground(); }

  signals:
    void clicked();
    void left_released();

  protected:
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

  private:
    bool active_;
    bool pressed_ = false;
};

class GameMenu : public QObject {
    Q_OBJECT
  public:
    // The backing picture is put on btn_game_menu_background when it has none yet.
    GameMenu(QWidget* main_window, Board& board, PopupMenu& items);
    ~GameMenu() override;

    bool Game_Menu_Open = false;
    // Menu_Label_Table[1..14] while the menu is open; entry 0 unused.
    std::array<QPointer<GameMenuLabel>, 15> Menu_Label_Table{};

    void btn_game_menu_topClick();
    // Builds or removes the rows according to Game_Menu_Open.
    void Vid_Display_Game_Menu();
    void la_menu_itemMouseUp();

    // Runs the opening or closing (the backing's size changes on the board) as an input is run;
    // without it the rows change at once.
    ChangeRunner run_change;
    // Window pixels per design pixel: the rows grow with the device.
    std::function<double()> view_scale;

    static constexpr int kRowHeight = 32;
    static constexpr int kRowWidth = 256;

  private:
    void open_rows();
    void remove_rows();

    QWidget* main_window_;
    Board& board_;
    PopupMenu& items_;
};

// The built-in picture of the menu button's backing, converted for the board.
Picture game_menu_backing_picture();

} // namespace q50
