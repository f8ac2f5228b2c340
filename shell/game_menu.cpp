#include "shell/game_menu.h"

#include "shell/popup_menu.h"
#include "shell/qt_picture.h"
#include "shell/window_look.h"
#include "shell/window_pictures.h"

#include <QMouseEvent>

#include <algorithm>
#include <cmath>

namespace q50 {

GameMenuLabel::GameMenuLabel(QWidget* parent, bool active) : QLabel(parent), active_(active) {
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    p.setColor(QPalette::WindowText, Qt::white);
    setPalette(p);
    setAutoFillBackground(false); // transparent until the pointer enters
}

void GameMenuLabel::enterEvent(QEnterEvent*) {
    if (active_) setAutoFillBackground(true);
}

void GameMenuLabel::leaveEvent(QEvent*) {
    if (active_) setAutoFillBackground(false);
}

void GameMenuLabel::mousePressEvent(QMouseEvent* e) {
    e->accept();
    if (active_ && e->button() == Qt::LeftButton) pressed_ = true;
}

void GameMenuLabel::mouseReleaseEvent(QMouseEvent* e) {
    e->accept();
    if (!active_ || e->button() != Qt::LeftButton) return;
    const bool click = pressed_ && rect().contains(e->pos());
    pressed_ = false;
    if (click) emit clicked();
    emit left_released();
}

GameMenu::GameMenu(QWidget* main_window, Board& board, PopupMenu& items)
    : main_window_(main_window), board_(board), items_(items) {
    Segment& backing = board_.get("btn_game_menu_background");
    if (!backing.picture) board_.set_picture(backing, game_menu_backing_picture());
}

GameMenu::~GameMenu() {
    for (auto& l : Menu_Label_Table) delete l.data();
}

void GameMenu::btn_game_menu_topClick() {
    Game_Menu_Open = !Game_Menu_Open;
    Vid_Display_Game_Menu();
}

void GameMenu::la_menu_itemMouseUp() {
    Game_Menu_Open = false;
    Vid_Display_Game_Menu();
}

void GameMenu::Vid_Display_Game_Menu() {
    const auto change = [this] {
        if (Game_Menu_Open)
            open_rows();
        else
            remove_rows();
    };
    if (run_change)
        run_change(change);
    else
        change();
}

void GameMenu::open_rows() {
    remove_rows(); // never two sets of rows
    const double v = view_scale ? view_scale() : 1.0;
    // Edges rounded alike, so that neighbouring rows meet without gaps at any scale.
    const auto at = [v](int design) { return int(std::lround(design * v)); };
    for (int i = 1; i <= PopupMenu::kItemCount; ++i) {
        const MenuItem& item = items_.item(i);
        const bool active = !item.separator() && item.enabled();
        auto* l = new GameMenuLabel(main_window_, active);
        l->setObjectName(QStringLiteral("la_menu_item_%1").arg(i));
        l->setGeometry(0, at(kRowHeight * i), at(kRowWidth),
                       at(kRowHeight * (i + 1)) - at(kRowHeight * i));
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        if (!item.separator()) {
            l->setFont(arial(std::max(1, at(12))));
            QString text = QStringLiteral("   ") + item.caption;
            if (item.checked) text += QStringLiteral(" [V]");
            l->setText(text);
            l->setCursor(Qt::PointingHandCursor);
            l->setEnabled(item.enabled());
            connect(l, &GameMenuLabel::clicked, this, [this, i] { items_.run(i); });
            connect(l, &GameMenuLabel::left_released, this, &GameMenu::la_menu_itemMouseUp);
        }
        l->show();
        l->raise();
        Menu_Label_Table[std::size_t(i)] = l;
    }
    Segment& backing = board_.get("btn_game_menu_background");
    board_.set_rect(backing, {backing.rect.left, backing.rect.top, kRowWidth, 480});
}

void GameMenu::remove_rows() {
    // Called from within a row's own events (the release after a click, an action that
    // switches the presentation): the rows go from the screen now and are destroyed once
    // control is back in the event loop.
    for (auto& l : Menu_Label_Table) {
        if (!l) continue;
        l->hide();
        l->disconnect(this);
        l->deleteLater();
        l = nullptr;
    }
    Segment& backing = board_.get("btn_game_menu_background");
    board_.set_rect(backing, {backing.rect.left, backing.rect.top, 36, 32});
}

Picture game_menu_backing_picture() {
    return picture_from_qimage(window_image(QStringLiteral("menu_backing.png")));
}

} // namespace q50
