#pragma once
// The about window: the program's own facts beside its emblem, with two links that each
// close the window once used.
#include "shell/shell_open.h"

#include <QLabel>
#include <QWidget>

namespace q50 {

// A label that reports a left click (press and release on it).
class LinkLabel : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;
  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

  private:
    bool pressed_ = false;
};

class AboutWindow : public QWidget { // TAboutForm
    Q_OBJECT
  public:
    explicit AboutWindow(UrlOpener opener = desktop_url_opener(), QWidget* parent = nullptr);

    // Opening is a plain show; a second show brings the one window forward again.
    void open();

    void la_website_2Click();
    void la_email_2Click();

    QLabel* im_picture = nullptr;
    LinkLabel* la_website_2 = nullptr;
    LinkLabel* la_email_2 = nullptr;

    // Where the two links lead.
    static QUrl website_url();
    static QUrl email_url();
    // The licence, shown as the window's tip.
    static QString licence_notice();

  protected:
    void keyPressEvent(QKeyEvent* e) override; // FormKeyDown

  private:
    QLabel* add_row(int y, const QString& caption, const QString& value, QFont value_font);
    UrlOpener opener_;
};

} // namespace q50
