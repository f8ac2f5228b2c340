#include "shell/pad_page.h"

#include "input/keys.h"
#include "shell/action_rows.h"
#include "shell/text_fit.h"
#include "shell/window_look.h"

namespace q50 {

using namespace action_rows;

QString pad_button_text(PadButton b) {
    switch (b) {
    case PadButton::a:
        return QStringLiteral("A");
    case PadButton::b:
        return QStringLiteral("B");
    case PadButton::x:
        return QStringLiteral("X");
    case PadButton::y:
        return QStringLiteral("Y");
    case PadButton::back:
        return QStringLiteral("Back");
    case PadButton::guide:
        return QStringLiteral("Guide");
    case PadButton::start:
        return QStringLiteral("Start");
    case PadButton::leftstick:
        return QStringLiteral("Left stick");
    case PadButton::rightstick:
        return QStringLiteral("Right stick");
    case PadButton::leftshoulder:
        return QStringLiteral("Left shoulder");
    case PadButton::rightshoulder:
        return QStringLiteral("Right shoulder");
    case PadButton::dpup:
        return QStringLiteral("D-pad up");
    case PadButton::dpdown:
        return QStringLiteral("D-pad down");
    case PadButton::dpleft:
        return QStringLiteral("D-pad left");
    case PadButton::dpright:
        return QStringLiteral("D-pad right");
    case PadButton::misc1:
        return QStringLiteral("Misc");
    case PadButton::paddle1:
        return QStringLiteral("Paddle 1");
    case PadButton::paddle2:
        return QStringLiteral("Paddle 2");
    case PadButton::paddle3:
        return QStringLiteral("Paddle 3");
    case PadButton::paddle4:
        return QStringLiteral("Paddle 4");
    case PadButton::touchpad:
        return QStringLiteral("Touchpad");
    }
    const std::string_view n = pad_button_name(b);
    return QString::fromLatin1(n.data(), qsizetype(n.size()));
}

PadPage::PadPage(QWidget* dialog) : QWidget(dialog) {
    setObjectName(QStringLiteral("pad_page"));
    setAutoFillBackground(true);
    set_window_colour(this, kDarkBlue);
    setGeometry(0, 0, dialog->width(), dialog->height());

    auto* main = label(this, QStringLiteral("Controller: main operations"), true);
    main->move(8, 8);
    main->adjustSize();
    auto* controls = label(this, QStringLiteral("Game controls"), true);
    controls->adjustSize();
    controls->move(width() - 8 - controls->width(), 8);

    for (int n = 1; n <= kAssignmentCount; ++n) {
        auto* b = new QPushButton(this);
        b->setObjectName(QStringLiteral("pad_%1").arg(n));
        b->setCheckable(true);
        b->setAutoDefault(false);
        b->setCursor(Qt::PointingHandCursor);
        connect(b, &QPushButton::clicked, this, [this, n] { listen(n); });
        Pad_Button[std::size_t(n)] = b;
        auto* l = label(
            this,
            QString::fromLatin1(assignment(n).label.data(), qsizetype(assignment(n).label.size())),
            false);
        l->setObjectName(QStringLiteral("la_pad_%1").arg(n));
        l->adjustSize();
        Pad_Label[std::size_t(n)] = l;
        const int y = kRowY[n];
        const int label_y = y + (kRowHeight - l->height()) / 2;
        if (n <= 4) {
            b->setGeometry(8, y, kRowWidth, kRowHeight);
            l->move(8 + kRowWidth + 8, label_y);
        } else {
            b->setGeometry(width() - 8 - kRowWidth, y, kRowWidth, kRowHeight);
            l->move(b->x() - 8 - l->width(), label_y);
        }
    }
    btn_defaults = new QPushButton(QStringLiteral("- DEFAULTS -"), this);
    btn_defaults->setObjectName(QStringLiteral("btn_pad_defaults"));
    btn_defaults->setAutoDefault(false);
    btn_defaults->setGeometry(width() - 8 - kRowWidth, kRowY[4], kRowWidth, kRowHeight);
    connect(btn_defaults, &QPushButton::clicked, this, &PadPage::restore_defaults);

    auto* how = label(this, QStringLiteral("Click an action,\nthen press a button"), false);
    how->setObjectName(QStringLiteral("la_pad_how"));
    QFont small = how->font();
    small.setBold(false);
    how->setFont(small);
    // Beside the dialog's own buttons at the bottom, right of Accept, its two lines centred on
    // theirs: wrapped where it happened to, it ran down to the dialog's edge.
    how->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    how->setGeometry(275, 169 - 17, width() - 8 - 275, 34);
    fit_label(how, width() - 8 - 275);
    how->move(275, 169 - how->height() / 2);
    show_assignment(kDefaultPad);
}

void PadPage::show_assignment(const std::array<PadButton, 8>& pads) {
    for (int n = 1; n <= kAssignmentCount; ++n) set_row(n, pads[std::size_t(n)]);
    listen(1);
    CheckPads();
}

void PadPage::set_row(int row, PadButton b) {
    chosen_[std::size_t(row)] = b;
    Pad_Button[std::size_t(row)]->setText(pad_button_text(b));
}

void PadPage::listen(int row) {
    listening_ = row;
    for (int n = 1; n <= kAssignmentCount; ++n) Pad_Button[std::size_t(n)]->setChecked(n == row);
}

void PadPage::take(PadButton b) {
    if (b == PadButton::guide) return;
    set_row(listening_, b);
    listen(listening_ % kAssignmentCount + 1);
    CheckPads();
    if (on_change) on_change();
}

void PadPage::restore_defaults() {
    for (int n = 1; n <= kAssignmentCount; ++n) set_row(n, kDefaultPad[std::size_t(n)]);
    CheckPads();
    if (on_change) on_change();
}

bool PadPage::CheckPads() {
    bool duplicate = false;
    for (int j = 1; j <= kAssignmentCount; ++j) {
        bool clash = false;
        for (int k = 1; k <= kAssignmentCount; ++k)
            if (j != k && chosen_[std::size_t(j)] == chosen_[std::size_t(k)]) clash = true;
        set_text_colour(Pad_Label[std::size_t(j)], clash ? kRed : kWhite);
        duplicate = duplicate || clash;
    }
    return duplicate;
}

} // namespace q50
