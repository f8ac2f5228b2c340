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

QPixmap window_picture(const QString& file_name, double ratio) {
    static const bool registered = (register_window_pictures(), true);
    (void)registered;
    const QString folder = QStringLiteral(":/pictures/");
    const QString file = window_picture_file(
        file_name, ratio, [&](const QString& f) { return QFile::exists(folder + f); });
    if (!QFile::exists(folder + file)) return {};
    QPixmap pm(folder + file);
    if (file != file_name) pm.setDevicePixelRatio(2.0);
    return pm;
}

} // namespace q50
