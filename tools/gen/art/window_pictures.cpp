// The pictures built into the windows: the in-game menu backing, the splash window, the about
// window, the manual's page buttons and the program icon.
#include "composite.h"
#include "fonts.h"
#include "image_files.h"
#include "lcd_ink.h"
#include "outputs.h"
#include "shell_look.h"

#include <QBuffer>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QSvgGenerator>

#include <fstream>
#include <vector>

namespace q50gen {

namespace fs = std::filesystem;
using namespace shell_colour;

namespace {

const QColor kDialogBlue(8, 42, 82); // the dark blue of the side windows

// A picture drawn in its design units at `scale` pixels per unit: the same drawing code makes
// the double-size drawings that windows show on a desktop scaled by 2.
struct Canvas {
    QImage image;
    QPainter p;
    Canvas(int w, int h, QColor fill = Qt::transparent, int scale = 1)
        : image(w * scale, h * scale, QImage::Format_ARGB32_Premultiplied) {
        image.fill(fill);
        p.begin(&image);
        p.scale(scale, scale);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
    }
    QImage done() {
        p.end();
        return image.convertToFormat(QImage::Format_ARGB32);
    }
};

// Top band opaque black with the menu symbol and its words; below, black at 204 of 255.
QImage menu_backing() {
    Canvas c(256, 512);
    c.p.fillRect(QRectF(0, 32, 256, 480), QColor(0, 0, 0, 204));
    c.p.fillRect(QRectF(0, 0, 256, 32), Qt::black);
    for (int i = 0; i < 3; ++i) c.p.fillRect(QRectF(9, 8.5 + i * 6.5, 18, 3), Qt::white);
    print_text(c.p, QRectF(40, 0, 210, 32), "Game menu", sans(14, true), Qt::white,
               Qt::AlignLeft | Qt::AlignVCenter);
    QImage image = c.done();
    // Keep the symbol's area and the band crisp: no half-covered pixels in the band.
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 256; ++x) image.setPixel(x, y, image.pixel(x, y) | 0xff000000u);
    return image;
}

void rounded_button(QPainter& p, const QRectF& r, QColor top, QColor bottom, QColor edge) {
    QPainterPath shape;
    shape.addRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillPath(shape, g);
    p.setPen(QPen(edge, 1));
    p.drawPath(shape);
    QPainterPath shine;
    shine.addRoundedRect(QRectF(r.left() + 5, r.top() + 2, r.width() - 10, r.height() * 0.38), 5,
                         5);
    p.fillPath(shine, QColor(255, 255, 255, 55));
}

QImage play_button(bool enabled, int scale = 1) {
    Canvas c(107, 30, Qt::transparent, scale);
    if (enabled)
        rounded_button(c.p, QRectF(0, 0, 107, 30), QColor(84, 186, 74), QColor(30, 118, 40),
                       QColor(16, 70, 20));
    else
        rounded_button(c.p, QRectF(0, 0, 107, 30), QColor(206, 206, 206), QColor(160, 160, 160),
                       QColor(120, 120, 120));
    const QColor ink = enabled ? QColor(Qt::white) : QColor(122, 122, 122);
    QPainterPath arrow;
    arrow.moveTo(26, 8);
    arrow.lineTo(38, 15);
    arrow.lineTo(26, 22);
    arrow.closeSubpath();
    c.p.fillPath(arrow, ink);
    print_text(c.p, QRectF(42, 0, 60, 30), "PLAY", sans(15, true), ink,
               Qt::AlignLeft | Qt::AlignVCenter);
    return c.done();
}

QImage readme_button(int scale = 1) {
    Canvas c(107, 30, Qt::transparent, scale);
    rounded_button(c.p, QRectF(0, 0, 107, 30), QColor(70, 130, 210), QColor(24, 70, 140),
                   QColor(10, 40, 90));
    // An open book.
    QPainterPath book;
    book.moveTo(12, 10);
    book.quadTo(18, 8, 23, 11);
    book.quadTo(28, 8, 34, 10);
    book.lineTo(34, 21);
    book.quadTo(28, 19, 23, 22);
    book.quadTo(18, 19, 12, 21);
    book.closeSubpath();
    c.p.fillPath(book, Qt::white);
    c.p.setPen(QPen(QColor(24, 70, 140), 1));
    c.p.drawLine(QPointF(23, 11), QPointF(23, 22));
    print_text(c.p, QRectF(38, 0, 66, 30), "Read me", sans(13, true), Qt::white,
               Qt::AlignLeft | Qt::AlignVCenter);
    return c.done();
}

QImage splash_background(int scale = 1) {
    Canvas c(460, 420, Qt::white, scale);
    QLinearGradient head(0, 0, 0, 52);
    head.setColorAt(0, kDialogBlue.lighter(135));
    head.setColorAt(1, kDialogBlue);
    c.p.fillRect(QRectF(0, 0, 460, 52), head);
    c.p.fillRect(QRectF(0, 52, 460, 2), kGold);
    QLinearGradient middle(0, 54, 0, 382);
    middle.setColorAt(0, QColor(255, 255, 255));
    middle.setColorAt(1, QColor(222, 230, 242));
    c.p.fillRect(QRectF(0, 54, 460, 328), middle);
    c.p.fillRect(QRectF(0, 382, 460, 2), kGold);
    c.p.fillRect(QRectF(0, 384, 460, 36), kDialogBlue);
    // A faint row of sparks under the texts, and a panel behind the sound choice.
    for (int i = 0; i < 9; ++i) {
        const double x = 30 + i * 50.0, y = 226;
        c.p.fillPath(burst(x, y, 4, 1.2, 4), QColor(214, 168, 70, 120));
    }
    QPainterPath panel;
    panel.addRoundedRect(QRectF(86, 300, 288, 78), 10, 10);
    c.p.fillPath(panel, QColor(8, 42, 82, 22));
    return c.done();
}

QImage box_picture(const ArtBook& book, int scale = 1) {
    Canvas c(460, 160, Qt::transparent, scale);
    Scene closed;
    closed.closed = true;
    closed.overlays = false;
    const QImage lid = compose(book, closed);
    Scene open = everything_lit();
    open.overlays = false;
    const QImage lit = compose(book, open);
    // The box: front face with the closed device, a darker side, a lid edge on top.
    const QRectF front(150, 12, 104, 140);
    QPainterPath side;
    side.moveTo(front.topRight());
    side.lineTo(front.right() + 26, front.top() - 8);
    side.lineTo(front.right() + 26, front.bottom() - 8);
    side.lineTo(front.bottomRight());
    side.closeSubpath();
    QPainterPath top;
    top.moveTo(front.topLeft());
    top.lineTo(front.left() + 26, front.top() - 8);
    top.lineTo(front.right() + 26, front.top() - 8);
    top.lineTo(front.topRight());
    top.closeSubpath();
    QPainterPath shadow;
    shadow.addEllipse(QRectF(front.left() - 10, front.bottom() - 6, front.width() + 60, 14));
    c.p.fillPath(shadow, QColor(0, 0, 0, 50));
    QLinearGradient face(front.topLeft(), front.bottomRight());
    face.setColorAt(0, kCrimson.lighter(120));
    face.setColorAt(1, kCrimsonDark);
    c.p.fillRect(front, face);
    c.p.fillPath(side, kCrimsonDark.darker(130));
    c.p.fillPath(top, kCrimson.lighter(140));
    c.p.setPen(QPen(kGold, 1.2));
    c.p.drawRect(front.adjusted(4, 4, -4, -4));
    print_text(c.p, QRectF(front.left(), front.top() + 7, front.width(), 14), "QUENDRIX 50",
               sans(11, true), kGoldLight);
    c.p.drawImage(QRectF(front.left() + 27, front.top() + 24, 50, 77.3), lid);
    print_text(c.p, QRectF(front.left(), front.bottom() - 36, front.width(), 12), "BOMB RELAY",
               sans(8.5, true), kGold);
    print_text(c.p, QRectF(front.left(), front.bottom() - 24, front.width(), 12),
               "two games \u00b7 clock", sans(8), kGoldLight);
    // The device itself beside the box, open and with every segment lit.
    c.p.drawImage(QRectF(300, 6, 96, 148.4), lit);
    c.p.fillPath(burst(112, 40, 16, 6, 8), QColor(214, 168, 70, 200));
    print_text(c.p, QRectF(40, 64, 100, 40), "two games\nand a clock", sans(11, true), kDialogBlue,
               Qt::AlignCenter);
    return c.done();
}

QImage about_picture(int scale = 1) {
    Canvas c(116, 160, Qt::transparent, scale);
    QLinearGradient g(0, 0, 0, 160);
    g.setColorAt(0, kCrimson.lighter(115));
    g.setColorAt(1, kCrimsonDark.darker(120));
    c.p.fillRect(QRectF(0, 0, 116, 160), g);
    c.p.setPen(QPen(kGold, 1.5));
    c.p.drawRect(QRectF(3.5, 3.5, 109, 153));
    emblem(c.p, QPointF(58, 62), 44, QColor(40, 10, 12), kGold);
    print_text(c.p, QRectF(0, 110, 116, 22), "QUENDRIX 50", sans(13, true), kGoldLight);
    print_text(c.p, QRectF(0, 132, 116, 16), "version 5.01", sans(10), kGold);
    return c.done();
}

// The manual's buttons, 16 by 14: released and pressed.
QImage manual_button(int kind, bool pressed, int scale = 1) {
    Canvas c(16, 14, Qt::transparent, scale);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(0.5, 0.5, 15, 13), 3, 3);
    QLinearGradient g(0, 0, 0, 14);
    g.setColorAt(0, pressed ? QColor(150, 156, 168) : QColor(236, 238, 242));
    g.setColorAt(1, pressed ? QColor(196, 200, 210) : QColor(182, 188, 200));
    c.p.fillPath(shape, g);
    c.p.setPen(QPen(QColor(70, 76, 90), 1));
    c.p.drawPath(shape);
    const double shift = pressed ? 0.8 : 0.0;
    const QColor ink = kDialogBlue;
    if (kind == 2) {
        c.p.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap));
        c.p.drawLine(QPointF(5 + shift, 4 + shift), QPointF(11 + shift, 10 + shift));
        c.p.drawLine(QPointF(11 + shift, 4 + shift), QPointF(5 + shift, 10 + shift));
    } else {
        const double dir = kind == 0 ? -1 : 1;
        QPainterPath arrow;
        arrow.moveTo(8 + dir * 4 + shift, 7 + shift);
        arrow.lineTo(8 - dir * 3 + shift, 2.8 + shift);
        arrow.lineTo(8 - dir * 3 + shift, 11.2 + shift);
        arrow.closeSubpath();
        c.p.fillPath(arrow, ink);
    }
    return c.done();
}

// The icon in a 256-unit square, for the bitmaps at every size and for the scalable file.
void draw_icon(QPainter& p) {
    QPainterPath tile;
    tile.addRoundedRect(QRectF(8, 8, 240, 240), 44, 44);
    QLinearGradient g(0, 8, 0, 248);
    g.setColorAt(0, kCrimson.lighter(125));
    g.setColorAt(1, kCrimsonDark);
    p.fillPath(tile, g);
    p.setPen(QPen(kGold, 5));
    p.drawPath(tile);
    emblem(p, QPointF(128, 132), 100, QColor(40, 10, 12), kGold);
}

QImage icon(int size = 256) {
    Canvas c(size, size);
    c.p.scale(size / 256.0, size / 256.0);
    draw_icon(c.p);
    return c.done();
}

} // namespace

void write_icons(const fs::path& folder) {
    fs::create_directories(folder);
    for (int size : {16, 32, 48, 64, 128, 256, 512})
        write_png(icon(size), (folder / ("quendrix50-" + std::to_string(size) + ".png")).string());
    // The scalable icon is the same drawing recorded as SVG.
    QBuffer svg;
    svg.open(QIODevice::WriteOnly);
    {
        QSvgGenerator gen;
        gen.setOutputDevice(&svg);
        gen.setSize(QSize(256, 256));
        gen.setViewBox(QRect(0, 0, 256, 256));
        gen.setTitle(QStringLiteral("Quendrix50"));
        gen.setDescription(QStringLiteral("Program icon, made by scripts/gen-data.sh"));
        QPainter p(&gen);
        p.setRenderHint(QPainter::Antialiasing);
        draw_icon(p);
    }
    std::ofstream(folder / "quendrix50.svg", std::ios::binary)
        .write(svg.data().constData(), svg.data().size());
}

void write_window_pictures(const ArtBook& book, const fs::path& folder) {
    fs::create_directories(folder);
    struct Out {
        const char* file;
        QImage image;
    };
    std::vector<Out> outs = {
        {"menu_backing.png", menu_backing()},
        {"splash_background.png", splash_background()},
        {"splash_box.png", box_picture(book)},
        {"splash_play.png", play_button(true)},
        {"splash_play_disabled.png", play_button(false)},
        {"splash_readme.png", readme_button()},
        {"about_picture.png", about_picture()},
        {"manual_left_up.png", manual_button(0, false)},
        {"manual_left_down.png", manual_button(0, true)},
        {"manual_right_up.png", manual_button(1, false)},
        {"manual_right_down.png", manual_button(1, true)},
        {"manual_close_up.png", manual_button(2, false)},
        {"manual_close_down.png", manual_button(2, true)},
        {"app_icon.png", icon()},
        // Drawn again at twice the size, for a desktop scaled by 2 (Qt's "@2x" naming). The
        // in-game menu's backing is painted with the device, which has sets of its own.
        {"splash_background@2x.png", splash_background(2)},
        {"splash_box@2x.png", box_picture(book, 2)},
        {"splash_play@2x.png", play_button(true, 2)},
        {"splash_play_disabled@2x.png", play_button(false, 2)},
        {"splash_readme@2x.png", readme_button(2)},
        {"about_picture@2x.png", about_picture(2)},
        {"manual_left_up@2x.png", manual_button(0, false, 2)},
        {"manual_left_down@2x.png", manual_button(0, true, 2)},
        {"manual_right_up@2x.png", manual_button(1, false, 2)},
        {"manual_right_down@2x.png", manual_button(1, true, 2)},
        {"manual_close_up@2x.png", manual_button(2, false, 2)},
        {"manual_close_down@2x.png", manual_button(2, true, 2)},
    };
    std::ofstream qrc(folder / "pictures.qrc", std::ios::binary);
    qrc << "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n"
           "<!-- Made by scripts/gen-data.sh; the _up pictures are the released buttons. -->\n"
           "<qresource prefix=\"/pictures\">\n";
    for (auto& o : outs) {
        write_png(o.image, (folder / o.file).string());
        qrc << "  <file>" << o.file << "</file>\n";
    }
    qrc << "</qresource>\n</RCC>\n";
}

} // namespace q50gen
