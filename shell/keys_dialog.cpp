#include "shell/keys_dialog.h"

#include "shell/action_rows.h"
#include "shell/text_fit.h"
#include "shell/window_look.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QStyle>

namespace q50 {

using namespace action_rows;

KeysDialog::KeysDialog(KeyAssignments& keys, SettingsStore& store, Board& board,
                       QWidget* main_window, PadAssignments* pads)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), keys_(keys),
      store_(store), board_(board), main_window_(main_window), pads_(pads) {
    setObjectName(QStringLiteral("TKeysForm"));
    setWindowTitle(QStringLiteral("Key settings"));
    setFixedSize(448, 195);
    set_window_colour(this, kDarkBlue);

    la_main = label(this, QStringLiteral("Main operations"), true);
    la_main->setObjectName(QStringLiteral("la_main"));
    la_main->move(8, 8);
    la_main->adjustSize();
    la_controls = label(this, QStringLiteral("Game controls"), true);
    la_controls->setObjectName(QStringLiteral("la_controls"));
    la_controls->adjustSize();
    la_controls->move(440 - la_controls->width(), 8);

    for (int n = 1; n <= kAssignmentCount; ++n) {
        auto* cb = new QComboBox(this);
        cb->setObjectName(QStringLiteral("cb_%1").arg(n));
        cb->setEditable(false);
        QPalette p = cb->palette();
        p.setColor(QPalette::Base, Qt::white);
        p.setColor(QPalette::Button, Qt::white);
        p.setColor(QPalette::Text, Qt::black);
        p.setColor(QPalette::ButtonText, Qt::black);
        cb->setPalette(p);
        cb->installEventFilter(this);
        Key_Combo[std::size_t(n)] = cb;

        auto* l = label(
            this,
            QString::fromLatin1(assignment(n).label.data(), qsizetype(assignment(n).label.size())),
            false);
        l->setObjectName(QStringLiteral("la_%1").arg(n));
        l->adjustSize();
        Key_Label[std::size_t(n)] = l;
    }

    // FormCreate: the first list holds the 44 keys, the other six are copies of it.
    for (int k = 1; k <= kAssignableKeyCount; ++k) {
        const std::string_view t = assignable_key(k).dialog_text;
        Key_Combo[1]->addItem(QString::fromLatin1(t.data(), qsizetype(t.size())));
    }
    for (int n = 2; n <= kAssignmentCount; ++n)
        for (int i = 0; i < Key_Combo[1]->count(); ++i)
            Key_Combo[std::size_t(n)]->addItem(Key_Combo[1]->itemText(i));
    for (int n = 1; n <= kAssignmentCount; ++n) {
        QComboBox* cb = Key_Combo[std::size_t(n)];
        cb->setCurrentIndex(keys_.Key_Binding[std::size_t(n)].Choice - 1);
        // A scrolling list of a dozen rows, as wide as its longest name: as a menu of all 44 the
        // list filled the screen's height with its first keys scrolled off, and cut
        // "<SPACEBAR>".
        cb->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
        cb->setMaxVisibleItems(12);
        cb->view()->setMinimumWidth(cb->view()->sizeHintForColumn(0) +
                                    2 * cb->view()->frameWidth() +
                                    cb->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8);
    }
    place_lists();

    btn_accept = new QPushButton(QStringLiteral("- ACCEPT -"), this);
    btn_accept->setObjectName(QStringLiteral("btn_accept"));
    btn_accept->setGeometry(183, 162, 82, 25);
    btn_accept->setCursor(Qt::PointingHandCursor);
    btn_accept->setAutoDefault(false);
    btn_accept->installEventFilter(this);
    connect(btn_accept, &QPushButton::clicked, this, &KeysDialog::btn_acceptClick);

    if (pads_) {
        key_page_ = {la_main, la_controls};
        for (int n = 1; n <= kAssignmentCount; ++n) {
            key_page_.push_back(Key_Combo[std::size_t(n)]);
            key_page_.push_back(Key_Label[std::size_t(n)]);
        }
        pad_page = new PadPage(this);
        pad_page->hide();
        btn_accept->raise(); // the page lies over the whole dialog but its buttons
        pad_page->on_change = [this] { cbChange(); };
        for (QPushButton* b : pad_page->Pad_Button)
            if (b) b->installEventFilter(this);
        pad_page->btn_defaults->installEventFilter(this);
        btn_page = new QPushButton(QStringLiteral("CONTROLLER"), this);
        btn_page->setObjectName(QStringLiteral("btn_page"));
        btn_page->setGeometry(8, 162, 100, 25);
        btn_page->setCursor(Qt::PointingHandCursor);
        btn_page->setAutoDefault(false);
        btn_page->installEventFilter(this);
        page_button_palette_ = btn_page->palette();
        connect(btn_page, &QPushButton::clicked, this, [this] { show_pads(!showing_pads()); });
    }

    cbChange();
    for (int n = 1; n <= kAssignmentCount; ++n)
        connect(Key_Combo[std::size_t(n)], &QComboBox::currentIndexChanged, this,
                &KeysDialog::cbChange);
}

void KeysDialog::show_pads(bool on) {
    if (!pad_page) return;
    for (QWidget* w : key_page_) w->setVisible(!on);
    pad_page->setVisible(on);
    btn_page->setText(on ? QStringLiteral("KEYBOARD") : QStringLiteral("CONTROLLER"));
    cbChange();
    if (on)
        pad_page->Pad_Button[std::size_t(pad_page->listening())]->setFocus();
    else
        Key_Combo[1]->setFocus();
}

bool KeysDialog::take_pad_button(PadButton b) {
    if (!isVisible()) return false;
    if (showing_pads()) pad_page->take(b);
    return true;
}

// The lists as wide as their longest key name needs in this desktop's font, the labels beside
// them: the left column from the left edge, the right column from the right edge.
void KeysDialog::place_lists() {
    Key_Combo[1]->resize(kRowWidth, kRowHeight);
    const int list_width = combo_width_for_entries(Key_Combo[1], kRowWidth);
    for (int n = 1; n <= kAssignmentCount; ++n) {
        QComboBox* cb = Key_Combo[std::size_t(n)];
        QLabel* l = Key_Label[std::size_t(n)];
        const int y = kRowY[n];
        const int label_y = y + (kRowHeight - l->height()) / 2;
        if (n <= 4) {
            cb->setGeometry(8, y, list_width, kRowHeight);
            l->move(8 + list_width + 8, label_y);
        } else {
            cb->setGeometry(width() - 8 - list_width, y, list_width, kRowHeight);
            l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            l->move(cb->x() - 8 - l->width(), label_y);
        }
    }
}

void KeysDialog::open() {
    // The controller page starts from the assignment in use each time.
    if (pad_page) {
        pad_page->show_assignment(pads_->Pad);
        cbChange();
    }
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect g = s->geometry();
        move(g.left() + (g.width() - width()) / 2, g.top() + (g.height() - height()) / 2);
    }
    show();
    raise();
    activateWindow();
    if (main_window_) main_window_->setEnabled(false);
}

bool KeysDialog::CheckKeys() {
    bool duplicate = false;
    for (int n = 1; n <= kAssignmentCount; ++n) set_text_colour(Key_Label[std::size_t(n)], kWhite);
    for (int j = 1; j <= kAssignmentCount; ++j) {
        for (int k = 1; k <= kAssignmentCount; ++k) {
            if (j == k) continue;
            if (Key_Combo[std::size_t(j)]->currentText() ==
                Key_Combo[std::size_t(k)]->currentText()) {
                set_text_colour(Key_Label[std::size_t(j)], kRed);
                set_text_colour(Key_Label[std::size_t(k)], kRed);
                duplicate = true;
            }
        }
    }
    return duplicate;
}

void KeysDialog::cbChange() {
    const bool keys_clash = CheckKeys();
    const bool pads_clash = pad_page && pad_page->CheckPads();
    btn_accept->setEnabled(!keys_clash && !pads_clash);
    mark_other_page(pad_page && !pad_page->isHidden() ? keys_clash : pads_clash);
}

void KeysDialog::mark_other_page(bool clash) {
    if (!btn_page) return;
    // A clash on the page out of view (a store edited by hand) would leave Accept greyed for
    // no reason the player can see: the button to that page shows it in the clash's red.
    QPalette p = page_button_palette_;
    if (clash) p.setColor(QPalette::ButtonText, qcolour(kRed));
    btn_page->setPalette(p);
    btn_page->setToolTip(clash ? QStringLiteral("Two actions have the same button on this page")
                               : QString());
}

void KeysDialog::btn_acceptClick() {
    if (!btn_accept->isEnabled()) return;
    const auto accept = [this] {
        for (int n = 1; n <= kAssignmentCount; ++n)
            keys_.assign(store_, n, Key_Combo[std::size_t(n)]->currentIndex() + 1);
        keys_.Keys_Build_Hints(board_);
        // Written only when changed: a store that never had them keeps the defaults unwritten.
        if (pad_page && pad_page->chosen() != pads_->Pad) {
            pads_->Pad = pad_page->chosen();
            pads_->save(store_);
        }
    };
    if (run_change)
        run_change(accept);
    else
        accept();
    if (on_accepted) on_accepted();
    close_dialog();
}

void KeysDialog::FormActivate() {
    if (showing_pads())
        pad_page->Pad_Button[std::size_t(pad_page->listening())]->setFocus(
            Qt::ActiveWindowFocusReason);
    else
        Key_Combo[1]->setFocus(Qt::ActiveWindowFocusReason);
}

void KeysDialog::close_dialog() {
    if (main_window_) main_window_->setEnabled(true);
    hide();
}

bool KeysDialog::FormKeyDown(int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (btn_accept->isEnabled()) btn_acceptClick();
        return true;
    case Qt::Key_Escape:
        close_dialog();
        return true;
    default:
        return false;
    }
}

bool KeysDialog::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        // An open drop-down list keeps its own Enter and Esc (pick, or fold it up).
        auto* cb = qobject_cast<QComboBox*>(watched);
        const bool list_open = cb && cb->view() && cb->view()->isVisible();
        if (!list_open && FormKeyDown(static_cast<QKeyEvent*>(e)->key())) return true;
    }
    return QWidget::eventFilter(watched, e);
}

void KeysDialog::keyPressEvent(QKeyEvent* e) {
    if (FormKeyDown(e->key())) return;
    QWidget::keyPressEvent(e);
}

void KeysDialog::changeEvent(QEvent* e) {
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
    QWidget::changeEvent(e);
}

void KeysDialog::hideEvent(QHideEvent* e) {
    // Closed by the window system, or hidden any other way: the main window must not stay
    // disabled.
    if (main_window_) main_window_->setEnabled(true);
    QWidget::hideEvent(e);
}

} // namespace q50
