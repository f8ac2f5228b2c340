#pragma once
// The pictures built into the windows (shell/pictures/, compiled in as Qt resources).
#include <QPixmap>
#include <QString>

namespace q50 {

// The built-in picture of that file name, or a null pixmap when the build has none.
QPixmap window_picture(const QString& file_name);

} // namespace q50
