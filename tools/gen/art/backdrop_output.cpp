// The fullscreen decoration: a backdrop stretched over the screen and a logo in a corner.
#include "fonts.h"
#include "image_files.h"
#include "outputs.h"
#include "shell_look.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <cmath>

namespace q50gen {

namespace fs = std::filesystem;
using namespace shell_colour;

namespace {

// Both are drawn in design pixels; `scale` pixels per design pixel for the larger sets.
QImage backdrop(int scale) {
    QImage image(1280 * scale, 800 * scale, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient glow(QPointF(640, 400), 760);
    glow.setColorAt(0, QColor(38, 52, 84));
    glow.setColorAt(0.55, QColor(18, 26, 46));
    glow.setColorAt(1, QColor(8, 12, 22));
    p.fillRect(QRectF(0, 0, 1280, 800), glow);
    // A quiet pattern of rising sparks, laid out on a fixed grid.
    p.setPen(Qt::NoPen);
    for (int row = 0; row < 14; ++row) {
        for (int col = 0; col < 22; ++col) {
            const double x = col * 60.0 + (row % 2) * 30.0 + 15.0;
            const double y = row * 60.0 + 20.0;
            const double d = std::hypot(x - 640, y - 400);
            const int a = int(std::clamp(10.0 + d * 0.03, 10.0, 34.0));
            QPainterPath spark;
            spark.moveTo(x, y - 7);
            spark.quadTo(x + 1.2, y - 1.2, x + 5, y);
            spark.quadTo(x + 1.2, y + 1.2, x, y + 7);
            spark.quadTo(x - 1.2, y + 1.2, x - 5, y);
            spark.quadTo(x - 1.2, y - 1.2, x, y - 7);
            p.fillPath(spark, QColor(244, 214, 130, a));
        }
    }
    // Two warm bands along the bottom, like the stripes of the face plate.
    p.fillRect(QRectF(0, 760, 1280, 8), QColor(163, 32, 43, 150));
    p.fillRect(QRectF(0, 770, 1280, 2), QColor(214, 168, 70, 150));
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage logo(int scale) {
    QImage image(300 * scale, 72 * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    emblem(p, QPointF(38, 36), 30, QColor(40, 10, 12), kGold);
    print_text(p, QRectF(76, 8, 220, 36), "QUENDRIX 50", sans(28, true), kGoldLight,
               Qt::AlignLeft | Qt::AlignVCenter);
    print_text(p, QRectF(78, 44, 220, 18), "B O M B   R E L A Y", sans(11, true), kGold,
               Qt::AlignLeft | Qt::AlignVCenter);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

void write_backdrop(const fs::path& folder, int scale) {
    fs::create_directories(folder);
    // A 4x backdrop would be 5120x3200: 65 MB in memory and 0.7 MB in the repository for a
    // soft gradient that the 2x drawing, enlarged, shows just as well on any screen there is.
    if (scale <= 2) write_png(backdrop(scale), (folder / "Backdrop.png").string());
    write_png(logo(scale), (folder / "Logo.png").string());
}

} // namespace q50gen
