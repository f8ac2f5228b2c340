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
} // namespace q50gen
