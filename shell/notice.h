#pragma once
// A short message at the top of a window that goes away by itself and takes no input, so the
// game goes on while it shows.
#include <QString>
#include <QWidget>

namespace q50 {

// Shows `text` over the top left corner of `over` for a few seconds; a newer notice replaces
// an older one.
void show_notice(QWidget& over, const QString& text, int milliseconds = 4000);

} // namespace q50
