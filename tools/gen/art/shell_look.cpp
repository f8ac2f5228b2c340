#include "shell_look.h"

#include "fonts.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <cmath>

namespace q50gen {

using namespace shell_colour;

QPainterPath upper_outline() {
    QPainterPath path;
    path.addRoundedRect(QRectF(6, 4, 486, 450), 30, 30);
    return path;
}

QPainterPath lower_outline() {
    QPainterPath path;
    path.addRoundedRect(QRectF(6, 462, 486, 304), 30, 30);
    return path;
}

void case_and_plate(QPainter& p, const QPainterPath& outline, const QRectF& plate,
                    const QColor& top, const QColor& bottom) {
    const QRectF o = outline.boundingRect();
    QLinearGradient shell(o.topLeft(), o.bottomRight());
    shell.setColorAt(0, kCaseRim);
    shell.setColorAt(0.35, kCase);
    shell.setColorAt(1, kCase.darker(130));
    p.fillPath(outline, shell);
    // A bevel along the rim.
    p.save();
    p.setClipPath(outline);
    p.setPen(QPen(QColor(255, 255, 255, 40), 3));
    p.drawPath(outline.translated(1.5, 1.5));
    p.restore();
    QPainterPath face;
    face.addRoundedRect(plate, 20, 20);
    QLinearGradient fill(plate.topLeft(), plate.bottomLeft());
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    p.fillPath(face, fill);
    // Fine brushed lines, from a fixed sequence so that every run draws the same.
    p.save();
    p.setClipPath(face);
    unsigned state = 12345;
    for (double y = plate.top(); y < plate.bottom(); y += 1.0) {
        state = state * 1103515245u + 12345u;
        const int a = int((state >> 16) % 14);
        p.setPen(QPen(QColor(255, 255, 255, a), 1));
        p.drawLine(QPointF(plate.left(), y + 0.5), QPointF(plate.right(), y + 0.5));
    }
    p.restore();
    p.setPen(QPen(QColor(0, 0, 0, 70), 1.2));
    p.drawPath(face);
}

void print_text(QPainter& p, const QRectF& r, const QString& text, const QFont& font,
                const QColor& colour, int flags) {
    p.save();
    p.setFont(font);
    p.setPen(colour);
    p.drawText(r, flags, text);
    p.restore();
}

namespace {

void recess(QPainter& p, const QPainterPath& hole) {
    const QRectF r = hole.boundingRect();
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(60, 60, 62));
    g.setColorAt(1, QColor(120, 120, 118));
    p.fillPath(hole, g);
}

} // namespace

void game_key(QPainter& p, const QRectF& r, bool pressed) {
    QPainterPath hole;
    hole.addRoundedRect(r, 8, 8);
    recess(p, hole);
    const QRectF cap = r.adjusted(2.5, pressed ? 3.0 : 2.0, -2.5, pressed ? -1.5 : -2.8);
    QPainterPath shape;
    shape.addRoundedRect(cap, 6, 6);
    QLinearGradient g(cap.topLeft(), cap.bottomLeft());
    const QColor base = pressed ? kKey.darker(135) : kKey;
    g.setColorAt(0, pressed ? base : base.lighter(130));
    g.setColorAt(1, base.darker(115));
    p.fillPath(shape, g);
    p.setPen(QPen(QColor(90, 45, 5, 160), 1));
    p.drawPath(shape);
    if (!pressed) {
        QPainterPath shine;
        shine.addRoundedRect(cap.adjusted(3, 1.5, -3, -cap.height() * 0.55), 3, 3);
        p.fillPath(shine, QColor(255, 255, 255, 70));
    }
}

void small_round_key(QPainter& p, const QRectF& r, bool pressed) {
    QPainterPath hole;
    hole.addEllipse(r);
    recess(p, hole);
    const QRectF cap = r.adjusted(2.2, pressed ? 2.8 : 2.0, -2.2, pressed ? -1.6 : -2.4);
    QRadialGradient g(cap.center() - QPointF(1.5, 2), cap.width() * 0.7);
    g.setColorAt(0, pressed ? QColor(120, 122, 128) : QColor(190, 194, 202));
    g.setColorAt(1, pressed ? QColor(58, 60, 66) : QColor(84, 88, 96));
    QPainterPath shape;
    shape.addEllipse(cap);
    p.fillPath(shape, g);
}

void bomb_key(QPainter& p, const QRectF& r, bool pressed) {
    QPainterPath hole;
    hole.addEllipse(r.adjusted(0.5, 0.5, -0.5, -0.5));
    recess(p, hole);
    const double inset = pressed ? 5.5 : 5.0;
    const QRectF cap =
        r.adjusted(inset, inset + (pressed ? 1.5 : 0), -inset, -inset + (pressed ? 1.0 : -1.0));
    QRadialGradient g(cap.center() - QPointF(6, 8), cap.width() * 0.75);
    const QColor base = pressed ? kBombRed.darker(140) : kBombRed;
    g.setColorAt(0, pressed ? base.lighter(115) : base.lighter(160));
    g.setColorAt(0.55, base);
    g.setColorAt(1, base.darker(150));
    QPainterPath shape;
    shape.addEllipse(cap);
    p.fillPath(shape, g);
    p.setPen(QPen(QColor(60, 0, 0, 150), 1.2));
    p.drawPath(shape);
    if (!pressed) {
        QPainterPath shine;
        shine.addEllipse(QRectF(cap.left() + cap.width() * 0.22, cap.top() + cap.height() * 0.1,
                                cap.width() * 0.38, cap.height() * 0.22));
        p.fillPath(shine, QColor(255, 255, 255, 90));
    }
}

void move_pad(QPainter& p, const QRectF& r, int tilt) {
    QPainterPath hole;
    hole.addRoundedRect(r, 14, 14);
    recess(p, hole);
    const QRectF cap = r.adjusted(4, 5, -4, -4);
    QPainterPath shape;
    shape.addRoundedRect(cap, 11, 11);
    QLinearGradient g(cap.topLeft(), cap.bottomLeft());
    g.setColorAt(0, QColor(78, 82, 90));
    g.setColorAt(1, QColor(30, 32, 36));
    p.fillPath(shape, g);
    // The pressed side sinks and darkens.
    if (tilt != 0) {
        p.save();
        p.setClipPath(shape);
        const QRectF side =
            tilt < 0 ? QRectF(cap.left(), cap.top(), cap.width() / 2, cap.height())
                     : QRectF(cap.center().x(), cap.top(), cap.width() / 2, cap.height());
        QLinearGradient s(side.topLeft(), side.topRight());
        s.setColorAt(tilt < 0 ? 0 : 1, QColor(0, 0, 0, 150));
        s.setColorAt(tilt < 0 ? 1 : 0, QColor(0, 0, 0, 20));
        p.fillRect(side, s);
        p.restore();
    } else {
        QPainterPath shine;
        shine.addRoundedRect(cap.adjusted(8, 2, -8, -cap.height() * 0.6), 6, 6);
        p.fillPath(shine, QColor(255, 255, 255, 45));
    }
    p.setPen(QPen(QColor(0, 0, 0, 160), 1.2));
    p.drawPath(shape);
    // A groove between the two halves and the arrows.
    p.setPen(QPen(QColor(0, 0, 0, 120), 1.5));
    p.drawLine(QPointF(cap.center().x(), cap.top() + 8),
               QPointF(cap.center().x(), cap.bottom() - 8));
    for (int dir : {-1, 1}) {
        const double cx = cap.center().x() + dir * cap.width() * 0.28;
        const double cy = cap.center().y() + (tilt == dir ? 1.0 : 0.0);
        QPainterPath arrow;
        arrow.moveTo(cx + dir * 9, cy);
        arrow.lineTo(cx - dir * 5, cy - 9);
        arrow.lineTo(cx - dir * 5, cy + 9);
        arrow.closeSubpath();
        p.fillPath(arrow, tilt == dir ? QColor(150, 150, 150) : QColor(214, 214, 210));
    }
}

void open_key(QPainter& p, const QRectF& r) {
    QPainterPath shape;
    shape.addRoundedRect(r.adjusted(6, 8, -6, -8), 18, 18);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, kGoldLight);
    g.setColorAt(0.5, kGold);
    g.setColorAt(1, kGold.darker(140));
    p.fillPath(shape, g);
    p.setPen(QPen(kCrimsonDark, 1.5));
    p.drawPath(shape);
    QPainterPath shine;
    shine.addRoundedRect(r.adjusted(16, 10, -16, -r.height() * 0.62), 8, 8);
    p.fillPath(shine, QColor(255, 255, 255, 80));
    // An arrow pointing up: the lid lifts.
    const QPointF c(r.left() + 24, r.center().y());
    QPainterPath arrow;
    arrow.moveTo(c.x(), c.y() - 9);
    arrow.lineTo(c.x() + 8, c.y() + 1);
    arrow.lineTo(c.x() + 3, c.y() + 1);
    arrow.lineTo(c.x() + 3, c.y() + 8);
    arrow.lineTo(c.x() - 3, c.y() + 8);
    arrow.lineTo(c.x() - 3, c.y() + 1);
    arrow.lineTo(c.x() - 8, c.y() + 1);
    arrow.closeSubpath();
    p.fillPath(arrow, kCrimsonDark);
    print_text(p, r.adjusted(34, 0, -8, 0), "OPEN", sans(17, true), kCrimsonDark,
               Qt::AlignVCenter | Qt::AlignLeft);
}

void overlay_key(QPainter& p, const QRectF& r, int direction) {
    const QRectF disc = r.adjusted(1.5, 1.5, -1.5, -1.5);
    QPainterPath shape;
    shape.addEllipse(disc);
    QRadialGradient g(disc.center() - QPointF(5, 7), disc.width() * 0.7);
    g.setColorAt(0, QColor(255, 255, 255, 120));
    g.setColorAt(1, QColor(150, 190, 230, 60));
    p.fillPath(shape, g);
    p.setPen(QPen(QColor(255, 255, 255, 170), 2));
    p.drawPath(shape);
    const QPointF c = disc.center();
    QPainterPath arrow;
    arrow.moveTo(c.x() + direction * 11, c.y());
    arrow.lineTo(c.x() - direction * 6, c.y() - 11);
    arrow.lineTo(c.x() - direction * 6, c.y() + 11);
    arrow.closeSubpath();
    p.fillPath(arrow, QColor(255, 255, 255, 215));
    p.setPen(QPen(QColor(20, 40, 70, 150), 1.2));
    p.drawPath(arrow);
}

void key_gloss(QPainter& p, const QRectF& r, double radius) {
    QPainterPath shine;
    shine.addRoundedRect(QRectF(r.left() + r.width() * 0.2, r.top() + r.height() * 0.12,
                                r.width() * 0.6, r.height() * 0.18),
                         radius, radius);
    p.fillPath(shine, QColor(255, 255, 255, 38));
}

void emblem(QPainter& p, const QPointF& c, double radius, const QColor& ink, const QColor& ring) {
    p.save();
    p.setPen(QPen(ring, radius * 0.08));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, radius * 0.92, radius * 0.92);
    p.setPen(QPen(ring, radius * 0.025));
    p.drawEllipse(c, radius * 0.78, radius * 0.78);
    // Bomb.
    const QPointF b(c.x() - radius * 0.08, c.y() + radius * 0.16);
    const double br = radius * 0.42;
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(b, br, br);
    p.drawRoundedRect(QRectF(b.x() + br * 0.45, b.y() - br * 1.12, br * 0.5, br * 0.4), 2, 2);
    p.setBrush(ring);
    QPainterPath shine;
    shine.arcMoveTo(QRectF(b.x() - br * 0.65, b.y() - br * 0.65, br * 1.3, br * 1.3), 105);
    shine.arcTo(QRectF(b.x() - br * 0.65, b.y() - br * 0.65, br * 1.3, br * 1.3), 105, 70);
    QPainterPathStroker stroker;
    stroker.setWidth(br * 0.16);
    stroker.setCapStyle(Qt::RoundCap);
    p.fillPath(stroker.createStroke(shine), ring);
    // Fuse and a flame.
    QPainterPath fuse;
    fuse.moveTo(b.x() + br * 0.7, b.y() - br * 1.1);
    fuse.quadTo(b.x() + br * 1.0, b.y() - br * 1.6, b.x() + br * 1.35, b.y() - br * 1.45);
    stroker.setWidth(br * 0.12);
    p.fillPath(stroker.createStroke(fuse), ink);
    const QPointF f(b.x() + br * 1.42, b.y() - br * 1.55);
    QPainterPath flame;
    flame.moveTo(f.x() - br * 0.3, f.y());
    flame.quadTo(f.x() - br * 0.35, f.y() - br * 0.5, f.x() + br * 0.05, f.y() - br * 0.95);
    flame.quadTo(f.x() + br * 0.1, f.y() - br * 0.5, f.x() + br * 0.4, f.y() - br * 0.45);
    flame.quadTo(f.x() + br * 0.45, f.y() + br * 0.05, f.x(), f.y() + br * 0.12);
    flame.closeSubpath();
    p.fillPath(flame, ring);
    p.restore();
}

} // namespace q50gen
