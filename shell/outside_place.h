#pragma once
// Where the program's small windows (the pause mark, the notices) go so that they hide nothing
// of the device: beside it on its screen, in windows of their own that take neither the focus
// nor the pointer.
#include <QLabel>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

namespace q50 {

// The top left corner for a window of `size` next to `device` (both in screen coordinates) on
// `screen`: to the device's right, else its left, else below or above it, at slot `row` (0 the
// first, 1 the next, for a second window at the same time); inside the device's bottom right
// corner when the screen has no room around it. A place beside the device that would cover
// `avoid` (the fullscreen logo) moves down below it where the screen allows.
QPoint outside_place(const QRect& device, const QSize& size, const QRect& screen, int row,
                     const QRect& avoid = QRect());

// The widest a window beside `device` on `screen` can be (0 when there is no room at a side).
int room_beside(const QRect& device, const QRect& screen);

// A small dark label with white letters in a window of its own, owned by `owner`.
QLabel* make_outside_label(QWidget* owner, const QString& object_name, bool bold);

} // namespace q50
