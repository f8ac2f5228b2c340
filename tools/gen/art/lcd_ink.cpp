#include "lcd_ink.h"

#include <QPainterPathStroker>

#include <array>
#include <cmath>
#include <map>

namespace q50gen {

const QColor kInk(26, 30, 29, 240);

QPainterPath circle(double cx, double cy, double r) {
    return ellipse(cx, cy, r, r);
}

QPainterPath ellipse(double cx, double cy, double rx, double ry) {
    QPainterPath path;
    path.addEllipse(QPointF(cx, cy), rx, ry);
    return path;
}

QPainterPath capsule(QPointF a, QPointF b, double width) {
    QPainterPath line(a);
    line.lineTo(b);
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(line).simplified();
}

QPainterPath polygon(std::initializer_list<QPointF> points) {
    QPainterPath path;
    bool first = true;
    for (const QPointF& pt : points) {
        if (first)
            path.moveTo(pt);
        else
            path.lineTo(pt);
        first = false;
    }
    path.closeSubpath();
    return path;
}

QPainterPath rounded(double x, double y, double w, double h, double r) {
    QPainterPath path;
    path.addRoundedRect(QRectF(x, y, w, h), r, r);
    return path;
}

void ink(QPainter& p, const QPainterPath& shape) {
    p.fillPath(shape, kInk);
}

void ink_line(QPainter& p, QPointF a, QPointF b, double width) {
    ink(p, capsule(a, b, width));
}

void cut(QPainter& p, const QPainterPath& shape) {
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.fillPath(shape, Qt::black);
    p.restore();
}

void cut_line(QPainter& p, QPointF a, QPointF b, double width) {
    cut(p, capsule(a, b, width));
}

void cut_stroke(QPainter& p, const QPainterPath& path, double width) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    cut(p, stroker.createStroke(path));
}

void bomb(QPainter& p, double cx, double cy, double r, double fuse_dx, double fuse_dy, bool spark) {
    ink(p, circle(cx, cy, r));
    // The cap the fuse comes out of.
    const double len = std::hypot(fuse_dx, fuse_dy);
    const double ux = fuse_dx / len, uy = fuse_dy / len;
    const QPointF rim(cx + ux * r * 0.85, cy + uy * r * 0.85);
    ink_line(p, rim, QPointF(rim.x() + ux * r * 0.35, rim.y() + uy * r * 0.35), r * 0.55);
    // Highlight gap on the upper left.
    QPainterPath shine;
    shine.arcMoveTo(QRectF(cx - r * 0.62, cy - r * 0.62, r * 1.24, r * 1.24), 110);
    shine.arcTo(QRectF(cx - r * 0.62, cy - r * 0.62, r * 1.24, r * 1.24), 110, 60);
    cut_stroke(p, shine, std::max(1.0, r * 0.2));
    // The fuse: a short curl.
    const QPointF f0(cx + ux * r * 1.15, cy + uy * r * 1.15);
    const QPointF f1(f0.x() + ux * r * 0.45 - uy * r * 0.25,
                     f0.y() + uy * r * 0.45 + ux * r * 0.25);
    ink_line(p, f0, f1, std::max(1.0, r * 0.18));
    if (spark) {
        const QPointF s(f1.x() + ux * r * 0.2, f1.y() + uy * r * 0.2);
        ink(p, burst(s.x(), s.y(), r * 0.42, r * 0.14, 4, 0.4));
    }
}

QPainterPath burst(double cx, double cy, double r_out, double r_in, int spikes, double turn,
                   double squash) {
    QPainterPath path;
    for (int i = 0; i < spikes * 2; ++i) {
        const double a = turn + M_PI * i / spikes;
        const double r = (i % 2 == 0) ? r_out : r_in;
        const QPointF pt(cx + std::cos(a) * r, cy + std::sin(a) * r * squash);
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    return path;
}

namespace {

// Rows top to bottom, '#' a dot.
using Glyph = std::array<const char*, 7>;
const std::map<char, Glyph>& dot_font() {
    static const std::map<char, Glyph> font = {
        {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
        {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
        {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
        {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."}},
        {'I', {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
        {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
        {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
        {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    };
    return font;
}

} // namespace

double dot_text_width(std::string_view text, double dot) {
    return text.empty() ? 0 : (double(text.size()) * 6 - 1) * dot;
}

void dot_text(QPainter& p, double x, double y, std::string_view text, double dot) {
    QPainterPath dots;
    for (char c : text) {
        const auto it = dot_font().find(c);
        if (it != dot_font().end()) {
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (it->second[std::size_t(row)][col] == '#')
                        dots.addRect(QRectF(x + col * dot, y + row * dot, dot, dot));
        }
        x += 6 * dot;
    }
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillPath(dots.simplified(), kInk);
    p.restore();
}

void seven_segment(QPainter& p, double x, double y, double w, double h, int digit) {
    //  a
    // f b
    //  g
    // e c
    //  d
    static const char* lit[10] = {"abcdef", "bc",     "abdeg", "abcdg",   "bcfg",
                                  "acdfg",  "acdefg", "abc",   "abcdefg", "abcdfg"};
    const double t = std::max(2.0, w * 0.19); // stroke thickness
    const double slant = 0.08;
    const double bottom = y + h - 0.8;
    auto sk = [&](double px, double py) { return QPointF(px + (bottom - py) * slant, py); };
    const double g = 0.45; // gap between segments
    // Centre lines of the outer verticals and of the three horizontals.
    const double xl = x + 0.8 + t / 2, xr = x + w - 0.8 - t / 2 - h * slant;
    const double yt = y + 0.8 + t / 2, ym = y + h / 2.0, yb = bottom - t / 2;
    auto horizontal = [&](double cy) {
        return polygon({sk(xl + g, cy), sk(xl + g + t / 2, cy - t / 2),
                        sk(xr - g - t / 2, cy - t / 2), sk(xr - g, cy),
                        sk(xr - g - t / 2, cy + t / 2), sk(xl + g + t / 2, cy + t / 2)});
    };
    auto vertical = [&](double cx, double y0, double y1) {
        return polygon({sk(cx, y0 + g), sk(cx + t / 2, y0 + g + t / 2),
                        sk(cx + t / 2, y1 - g - t / 2), sk(cx, y1 - g),
                        sk(cx - t / 2, y1 - g - t / 2), sk(cx - t / 2, y0 + g + t / 2)});
    };
    const double ht = yt, hb = yb, vl = xl, vr = xr, mid = ym;
    QPainterPath shape;
    for (const char* s = lit[digit % 10]; *s; ++s) {
        switch (*s) {
        case 'a':
            shape.addPath(horizontal(ht));
            break;
        case 'g':
            shape.addPath(horizontal(mid));
            break;
        case 'd':
            shape.addPath(horizontal(hb));
            break;
        case 'f':
            shape.addPath(vertical(vl, ht, mid));
            break;
        case 'b':
            shape.addPath(vertical(vr, ht, mid));
            break;
        case 'e':
            shape.addPath(vertical(vl, mid, hb));
            break;
        case 'c':
            shape.addPath(vertical(vr, mid, hb));
            break;
        }
    }
    ink(p, shape);
}

} // namespace q50gen
