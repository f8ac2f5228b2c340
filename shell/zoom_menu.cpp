#include "shell/zoom_menu.h"

#include "display/png_writer.h"
#include "shell/notice.h"
#include "shell/popup_menu.h"
#include "shell/program.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace q50 {

namespace {

constexpr int kWindowedZooms[] = {kZoomFit, 100, 200, 300, 400};

} // namespace

ZoomMenu::ZoomMenu(Program& program, PopupMenu& menu) : program_(program) {
    windowed_ = new QActionGroup(this);
    fullscreen_ = new QActionGroup(this);
    const char* captions[] = {
        "Fit to screen",    "100 %", "200 %", "300 %", "400 %", "Fullscreen: fit",
        "Fullscreen: 100 %"};
    for (int i = 0; i < 7; ++i) {
        auto* a = new QAction(QString::fromLatin1(captions[i]), this);
        a->setCheckable(true);
        (i < 5 ? windowed_ : fullscreen_)->addAction(a);
        rows_[std::size_t(i)] = a;
        if (i < 5)
            connect(a, &QAction::triggered, this, [this, i] {
                program_.set_zoom(kWindowedZooms[i]);
                refresh_checks(); // a refused zoom leaves the mark where it was
            });
        else
            connect(a, &QAction::triggered, this,
                    [this, i] { program_.set_fullscreen_zoom(i == 5 ? kZoomFit : 100); });
    }
    menu.add_extra_menu([this] { return &submenu(); });

    screenshot_ = new QAction(QStringLiteral("Save screenshot"), this);
    connect(screenshot_, &QAction::triggered, this, &ZoomMenu::save_screenshot);
    menu.add_extra_row(screenshot_, Qt::Key_F9);

    // The zoom keys have no row of their own; they act like the rows.
    plus_ = new QAction(this);
    minus_ = new QAction(this);
    fit_key_ = new QAction(this);
    connect(plus_, &QAction::triggered, this, [this] { step(true); });
    connect(minus_, &QAction::triggered, this, [this] { step(false); });
    connect(fit_key_, &QAction::triggered, this, &ZoomMenu::fit);
    menu.add_extra_shortcut(Qt::Key_Plus, plus_);
    menu.add_extra_shortcut(Qt::Key_Minus, minus_);
    menu.add_extra_shortcut(Qt::Key_Backspace, fit_key_);
    menu.on_extra_popup([this] { refresh_checks(); });
    refresh_checks();
}

ZoomMenu::~ZoomMenu() = default;

QMenu& ZoomMenu::submenu() {
    if (!submenu_) {
        submenu_ = std::make_unique<QMenu>(QStringLiteral("Zoom"));
        for (int i = 0; i < 7; ++i) {
            if (i == 5) submenu_->addSeparator();
            submenu_->addAction(rows_[std::size_t(i)]);
        }
    }
    return *submenu_;
}

void ZoomMenu::refresh_checks() {
    for (int i = 0; i < 5; ++i)
        rows_[std::size_t(i)]->setChecked(program_.Zoom == kWindowedZooms[i]);
    rows_[5]->setChecked(program_.FullscreenZoom == kZoomFit);
    rows_[6]->setChecked(program_.FullscreenZoom == 100);
}

void ZoomMenu::step(bool up) {
    if (program_.presentation().Fullscreen_Mode) {
        const bool fit_is_larger = program_.fullscreen_fit_zoom() > 1.0;
        program_.set_fullscreen_zoom(up == fit_is_larger ? kZoomFit : 100);
    } else if (const auto zoom =
                   zoom_step(program_.shown_zoom(), up, program_.windowed_zoom_choices())) {
        program_.set_zoom(*zoom);
    } else {
        show_notice(program_.main_window(),
                    up ? QStringLiteral("This is the largest zoom that fits on this screen")
                       : QStringLiteral("This is the smallest zoom"));
    }
    refresh_checks();
}

void ZoomMenu::fit() {
    if (program_.presentation().Fullscreen_Mode)
        program_.set_fullscreen_zoom(kZoomFit);
    else
        program_.set_zoom(kZoomFit);
    refresh_checks();
}

void ZoomMenu::save_screenshot() {
    if (!screenshot_folder.isEmpty()) {
        save_into(screenshot_folder);
        return;
    }
    // xdg-user-dir reads the user's folder settings; it runs beside the game, which goes on.
    auto* p = new QProcess(this);
    connect(p, &QProcess::finished, this, [this, p](int code, QProcess::ExitStatus status) {
        QString folder = QString::fromLocal8Bit(p->readAllStandardOutput()).trimmed();
        if (status != QProcess::NormalExit || code != 0 || !QFileInfo(folder).isDir())
            folder = QDir::homePath();
        p->deleteLater();
        save_into(folder);
    });
    connect(p, &QProcess::errorOccurred, this, [this, p](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart) return;
        p->deleteLater();
        save_into(QDir::homePath());
    });
    p->start(QStringLiteral("xdg-user-dir"), {QStringLiteral("PICTURES")});
}

void ZoomMenu::save_into(const QString& folder) {
    const Image& frame = program_.main_window().shown_frame();
    const QString stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    // A second one within the same second gets a number rather than replacing the first.
    const QString png = QStringLiteral(".png");
    QString path = QDir(folder).filePath(QStringLiteral("Quendrix50 %1").arg(stamp) + png);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QDir(folder).filePath(QStringLiteral("Quendrix50 %1 (%2)").arg(stamp).arg(n) + png);
    std::string error;
    if (!frame.empty() && write_png(frame, path.toStdString(), &error))
        show_notice(program_.main_window(), QStringLiteral("Screenshot saved: %1").arg(path));
    else
        show_notice(program_.main_window(),
                    QStringLiteral("Screenshot not saved: %1").arg(QString::fromStdString(error)));
}

} // namespace q50
