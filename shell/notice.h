#pragma once
// A short message beside the device that goes away by itself and takes no input, so the game
// goes on while it shows.
#include <QString>
#include <QWidget>

namespace q50 {

// Shows `text` beside `over` (beside the device, when it is the main window) for a few
// seconds; a newer notice replaces an older one.
void show_notice(QWidget& over, const QString& text, int milliseconds = 4000);

} // namespace q50
