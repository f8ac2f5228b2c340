#include "shell/about_window.h"

#include "shell/project_links.h"
#include "shell/text_fit.h"
#include "shell/window_look.h"
#include "shell/window_pictures.h"
#include "shell/window_scale.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>

namespace q50 {

void LinkLabel::mousePressEvent(QMouseEvent* e) {
    pressed_ = e->button() == Qt::LeftButton;
    e->accept();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* e) {
    const bool click = pressed_ && e->button() == Qt::LeftButton && rect().contains(e->pos());
    pressed_ = false;
    e->accept();
    if (click) emit clicked();
}

namespace {

constexpr int kCaptionX = 132;
constexpr int kValueX = 212;
constexpr int kFontPixels = 13;
constexpr int kWidth = 397;
// From the value column to the window's edge, less the margin the portrait keeps on the left.
constexpr int kValueRoom = kWidth - kValueX - 8;

} // namespace

AboutWindow::AboutWindow(UrlOpener opener, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      opener_(std::move(opener)) {
    setObjectName(QStringLiteral("TAboutForm"));
    setWindowTitle(QStringLiteral("About the author..."));
    setFixedSize(kWidth, 176);
    set_window_colour(this, kDarkBlue);
    // The window's rows are fixed, so the licence is told where it takes no room: over the
    // whole window (its labels have no tip of their own) and in the read-me its links open.
    setToolTip(licence_notice());

    im_picture = new QLabel(this);
    im_picture->setObjectName(QStringLiteral("im_picture"));
    im_picture->setGeometry(8, 8, 116, 160);
    im_picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    im_picture->setPixmap(window_picture(QStringLiteral("about_picture.png"), devicePixelRatioF()));
    im_picture->setProperty(kPictureName, QStringLiteral("about_picture.png"));

    const QFont bold = arial(kFontPixels, true);
    QFont bold_italic = bold;
    bold_italic.setItalic(true);
    add_row(8, QStringLiteral("Name:"), QStringLiteral("Quendrix50"), bold);
    add_row(32, QStringLiteral("Birthplace:"), QStringLiteral("Linux, in C++ and Qt"), bold);
    add_row(56, QStringLiteral("Birth date:"), QStringLiteral("2026, version 5.01"), bold);
    add_row(80, QStringLiteral("Occupation:"), QStringLiteral("LCD game simulator"), bold);
    add_row(104, QStringLiteral("Hobby:"), QStringLiteral("bombs, low and high"), bold_italic);

    QFont link = bold;
    link.setUnderline(true);
    add_row(128, QStringLiteral("Website:"), QString(), link);
    add_row(152, QStringLiteral("Email:"), QString(), link);
    la_website_2 = new LinkLabel(q50::website_text(), this);
    la_email_2 = new LinkLabel(q50::email_text(), this);
    la_website_2->setObjectName(QStringLiteral("la_website_2"));
    la_email_2->setObjectName(QStringLiteral("la_email_2"));
    int y = 128;
    for (LinkLabel* l : {la_website_2, la_email_2}) {
        l->setFont(link);
        set_text_colour(l, kYellow);
        l->setCursor(Qt::PointingHandCursor);
        l->move(kValueX, y);
        fit_label(l, kValueRoom);
        y += 24;
    }
    connect(la_website_2, &LinkLabel::clicked, this, &AboutWindow::la_website_2Click);
    connect(la_email_2, &LinkLabel::clicked, this, &AboutWindow::la_email_2Click);

    // FormCreate: centred on the screen.
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect g = s->geometry();
        move(g.left() + (g.width() - width()) / 2, g.top() + (g.height() - height()) / 2);
    }
}

QLabel* AboutWindow::add_row(int y, const QString& caption, const QString& value,
                             QFont value_font) {
    auto* c = new QLabel(caption, this);
    c->setFont(arial(kFontPixels));
    set_text_colour(c, kWhite);
    c->move(kCaptionX, y);
    fit_label(c, kValueX - kCaptionX - 4);
    if (value.isEmpty()) return c;
    auto* v = new QLabel(value, this);
    v->setFont(value_font);
    set_text_colour(v, kWhite);
    v->move(kValueX, y);
    fit_label(v, kValueRoom);
    return v;
}

void AboutWindow::open() {
    show();
    raise();
    activateWindow();
}

QString AboutWindow::licence_notice() {
    return QStringLiteral("Quendrix50 is free software under the GNU GPL, version 3 or later "
                          "(GPL-3.0-or-later).\nIts pictures, sounds and texts are under "
                          "CC-BY-SA-4.0. See Readme.txt.");
}

QUrl AboutWindow::website_url() {
    return q50::website_url();
}
QUrl AboutWindow::email_url() {
    return q50::email_url();
}

void AboutWindow::la_website_2Click() {
    if (opener_) opener_(website_url());
    hide();
}

void AboutWindow::la_email_2Click() {
    if (opener_) opener_(email_url());
    hide();
}

void AboutWindow::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        hide();
        e->accept();
        return;
    }
    QWidget::keyPressEvent(e);
}

} // namespace q50
