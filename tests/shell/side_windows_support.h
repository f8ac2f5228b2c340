#pragma once
// Shared pieces of the menu and side-window tests: the application object, a recording menu
// host and synthetic input events.
#include "qt_events.h"
#include "shell/menu_host.h"

#include <QApplication>
#include <QColor>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <string>
#include <vector>

namespace q50::testing {

inline void qt_app() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "test_shell";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv); // lives for the whole test program
}

// Base of fixtures whose members are widgets: the application exists before them.
struct WithQtApp {
    WithQtApp() { qt_app(); }
};

// The text colour of a label that names a key already taken.
inline const QColor kRedText(255, 0, 0);

// Runs the deferred deletions that the event loop would run after the current event.
inline void flush_deferred_deletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

struct RecordingMenuHost : MenuHost {
    std::vector<std::string> calls;
    bool splash_box = true;
    // Run at load_skin, standing in for the skin loader.
    std::function<void()> on_load_skin;

    void show_about() override { calls.push_back("show_about"); }
    void show_manual() override { calls.push_back("show_manual"); }
    void show_key_dialog() override { calls.push_back("show_key_dialog"); }
    void shell_open(const QString& name) override { calls.push_back("open " + name.toStdString()); }
    void beep() override { calls.push_back("beep"); }
    void notify(const QString& text) override { calls.push_back("notify " + text.toStdString()); }
    void move_off_screen() override { calls.push_back("move_off_screen"); }
    void load_skin() override {
        calls.push_back("load_skin");
        if (on_load_skin) on_load_skin();
    }
    void centre_on_screen() override { calls.push_back("centre_on_screen"); }
    bool splash_box_ticked() override { return splash_box; }
    void board_changed() override {}
    void quit() override { calls.push_back("quit"); }
};

inline void send_key(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QCoreApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods);
    QCoreApplication::sendEvent(w, &release);
}

inline void send_mouse(QWidget* w, QEvent::Type type, QPoint pos,
                       Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::MouseButtons(button)
                                  : type == QEvent::MouseMove      ? Qt::MouseButtons(button)
                                                                   : Qt::NoButton;
    QMouseEvent e(type, QPointF(pos), w->mapToGlobal(QPointF(pos)),
                  type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

} // namespace q50::testing
