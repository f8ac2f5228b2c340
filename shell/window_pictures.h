#pragma once
// The pictures built into the windows (shell/pictures/, compiled in as Qt resources). Most have
// a drawing at twice the size beside them ("name@2x.png", Qt's naming), for windows on a
// desktop scaled by 2 or more, so that they show crisp instead of enlarged.
#include <QImage>
#include <QPixmap>
#include <QString>

#include <functional>

namespace q50 {

// The file to show `file_name` from at a device-pixel ratio: its double-size drawing above a
// ratio of 1 when `exists` says there is one, else the file itself.
QString window_picture_file(const QString& file_name, double ratio,
                            const std::function<bool(const QString&)>& exists);

// The built-in picture of that file name for a window at `ratio` (its device-pixel ratio, or
// the scale it is shown at), or a null pixmap when the build has none. A double-size drawing
// comes with a device-pixel ratio of 2, so that it takes the same room as the design size.
QPixmap window_picture(const QString& file_name, double ratio = 1.0);

// The built-in picture's design-size drawing as an image (null when the build has none), for
// pictures that are copied into the board rather than shown by a widget.
QImage window_image(const QString& file_name);

} // namespace q50
