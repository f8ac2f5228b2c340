#include "fonts.h"

#include <QFontDatabase>

#include <cstdio>

namespace q50gen {
namespace {

QFont make(const char* family, double pixel_size, bool bold) {
    QFont f(family);
    f.setPixelSize(int(pixel_size + 0.5));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoFontMerging));
    return f;
}

} // namespace

bool load_fonts() {
    const char* files[] = {
        "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
        "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
        "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed.ttf",
        "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf",
        "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
        "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf",
    };
    bool ok = true;
    for (const char* f : files) {
        if (QFontDatabase::addApplicationFont(f) < 0) {
            std::fprintf(stderr, "font missing: %s\n", f);
            ok = false;
        }
    }
    return ok;
}

QFont sans(double pixel_size, bool bold) {
    return make("DejaVu Sans", pixel_size, bold);
}
QFont narrow(double pixel_size, bool bold) {
    return make("Liberation Sans", pixel_size, bold);
}
QFont condensed(double pixel_size, bool bold) {
    QFont f = make("DejaVu Sans", pixel_size, bold);
    f.setStretch(QFont::SemiCondensed);
    return f;
}

} // namespace q50gen
