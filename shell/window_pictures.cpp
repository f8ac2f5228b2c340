#include "shell/window_pictures.h"

#include <QFile>

// Resources of a static library have to be registered by hand.
static void register_window_pictures() {
    Q_INIT_RESOURCE(pictures);
}

namespace q50 {

QString window_picture_file(const QString& file_name, double ratio,
                            const std::function<bool(const QString&)>& exists) {
    if (ratio > 1.0 && file_name.endsWith(QLatin1String(".png"))) {
        const QString twice = file_name.chopped(4) + QLatin1String("@2x.png");
        if (exists(twice)) return twice;
    }
    return file_name;
}

static const QString& picture_folder() {
    static const bool registered = (register_window_pictures(), true);
    (void)registered;
    static const QString folder = QStringLiteral(":/pictures/");
    return folder;
}

QPixmap window_picture(const QString& file_name, double ratio) {
    const QString& folder = picture_folder();
    const QString file = window_picture_file(
        file_name, ratio, [&](const QString& f) { return QFile::exists(folder + f); });
    if (!QFile::exists(folder + file)) return {};
    QPixmap pm(folder + file);
    if (file != file_name) pm.setDevicePixelRatio(2.0);
    return pm;
}

QImage window_image(const QString& file_name) {
    // Read as an image, not a pixmap: a pixmap read from a file stays in Qt's pixmap cache,
    // a second copy of a picture the board holds anyway.
    return QImage(picture_folder() + file_name);
}

} // namespace q50
