#pragma once
// Key and mouse events sent straight to a widget, as the window system would deliver them.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace q50::testing {

inline bool send_key(QWidget* w, QEvent::Type type, int key,
                     Qt::KeyboardModifiers mods = Qt::NoModifier, bool autorepeat = false,
                     quint32 scan = 0) {
    QKeyEvent e(type, key, mods, scan, 0, 0, QString(), autorepeat);
    QApplication::sendEvent(w, &e);
    return e.isAccepted();
}
inline void press_key(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    send_key(w, QEvent::KeyPress, key, mods);
}
inline void release_key(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    send_key(w, QEvent::KeyRelease, key, mods);
}

inline void send_mouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
                       Qt::MouseButtons held) {
    const QPointF local(pos);
    QMouseEvent e(type, local, w->mapToGlobal(local), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
inline void click(QWidget* w, QPoint pos = {2, 2}, Qt::MouseButton button = Qt::LeftButton) {
    send_mouse(w, QEvent::MouseButtonPress, pos, button, button);
    send_mouse(w, QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
}

} // namespace q50::testing
