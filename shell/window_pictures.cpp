#include "shell/window_pictures.h"

#include <QFile>

// Resources of a static library have to be registered by hand.
static void register_window_pictures() {
    Q_INIT_RESOURCE(pictures);
}

namespace q50 {

QPixmap window_picture(const QString& file_name) {
    static const bool registered = (register_window_pictures(), true);
    (void)registered;
    const QString path = QStringLiteral(":/pictures/") + file_name;
    if (!QFile::exists(path)) return {};
    return QPixmap(path);
}

} // namespace q50
