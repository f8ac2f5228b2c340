// Fire and explosions: the enemies' flames in their three frames, the floor flame on its way
// from the furnace along the walkway, the bombs set above the enemies and the blasts.
#include "art_book.h"
#include "lcd_ink.h"
#include "skin_table.h"

#include <QTransform>

#include <cmath>
#include <string>

namespace q50gen {
namespace {

// A flame standing on (cx, base), w wide and h tall: a round root and three tongues, the
// middle one tallest. `tilt` turns it about its root (negative leans the tips left);
// `mirror` swaps the side tongues. The gap inside shows its core.
QPainterPath flame_shape(double cx, double base, double w, double h, double tilt = 0,
                         bool mirror = false, double left_tip = 0.74, double right_tip = 0.64) {
    const double m = mirror ? -1.0 : 1.0;
    auto pt = [&](double nx, double ny) { return QPointF(cx + m * nx * w, base + ny * h); };
    QPainterPath path(pt(0, 0));
    path.cubicTo(pt(-0.32, 0), pt(-0.5, -0.15), pt(-0.5, -0.38));
    path.cubicTo(pt(-0.5, -0.55), pt(-0.42, -0.62), pt(-0.32, -left_tip));
    path.cubicTo(pt(-0.28, -0.62), pt(-0.2, -0.5), pt(-0.1, -0.5));
    path.cubicTo(pt(-0.05, -0.6), pt(-0.1, -0.8), pt(0.04, -1.0));
    path.cubicTo(pt(0.12, -0.8), pt(0.12, -0.62), pt(0.2, -0.55));
    path.cubicTo(pt(0.28, -0.56), pt(0.34, -0.6), pt(0.38, -right_tip));
    path.cubicTo(pt(0.46, -0.58), pt(0.5, -0.5), pt(0.5, -0.36));
    path.cubicTo(pt(0.5, -0.15), pt(0.32, 0), pt(0, 0));
    path.closeSubpath();
    QTransform turn;
    turn.translate(cx, base);
    turn.rotate(tilt);
    turn.translate(-cx, -base);
    return turn.map(path);
}

QPainterPath flame_core(double cx, double base, double w, double h, double tilt) {
    QPainterPath drop;
    drop.moveTo(cx, base - h * 0.12);
    drop.cubicTo(cx - w * 0.22, base - h * 0.14, cx - w * 0.2, base - h * 0.4, cx, base - h * 0.58);
    drop.cubicTo(cx + w * 0.2, base - h * 0.4, cx + w * 0.22, base - h * 0.14, cx, base - h * 0.12);
    QTransform turn;
    turn.translate(cx, base);
    turn.rotate(tilt);
    turn.translate(-cx, -base);
    return turn.map(drop);
}

void flame(QPainter& p, double cx, double base, double w, double h, double tilt = 0,
           bool mirror = false, bool core = true) {
    ink(p, flame_shape(cx, base, w, h, tilt, mirror));
    if (!core) return;
    if (w >= 12) {
        cut_stroke(p, flame_core(cx, base, w, h, tilt), 1.1);
    } else {
        // Too small for an outline: one bright spot in the root.
        cut(p, circle(cx, base - w * 0.42, std::max(1.0, w * 0.13)));
    }
}

// The enemy's fire falls in three frames: just thrown, half way down, and low enough to
// reach a bomb held high. The tip (the lowest piece) is what catches the bomb.
void enemy_flame_1(QPainter& p, int n) {
    const Box b = box(enemy(n, "flame_1"));
    flame(p, b.l + 13.0, b.b() - 1.2, 10.5, 17.0, -42);
}

void enemy_flame_2(QPainter& p, int n) {
    const Box b = box(enemy(n, "flame_2"));
    flame(p, b.l + 13.5, b.b() - 1.0, 10.5, 15.5, -58, true);
}

void enemy_flame_3(QPainter& p, int n) {
    const Box b = box(enemy(n, "flame_3"));
    flame(p, b.cx() + 1.0, b.b() - 0.8, std::min(12.0, b.w - 1.5), b.h - 1.5, -22);
}

void enemy_flame_tip(QPainter& p, int n) {
    const Box b = box(enemy(n, "flame_4"));
    // The lowest, hottest piece: a ball of fire just over a bomb held high.
    flame(p, b.cx() + 0.3, b.b() - 0.4, b.w - 0.8, b.h - 0.4, -12, false, false);
    cut(p, circle(b.cx() + 0.3, b.b() - 3.4, 1.3));
}

// One tongue of fire standing on (x, base), pointed at the top.
QPainterPath tongue(double x, double base, double half_width, double height, double lean) {
    QPainterPath t;
    t.moveTo(x, base);
    t.cubicTo(x - half_width * 1.3, base, x - half_width, base - height * 0.5, x + lean,
              base - height);
    t.cubicTo(x + half_width * 0.9, base - height * 0.45, x + half_width * 1.3, base, x, base);
    t.closeSubpath();
    return t;
}

// The floor flame: five places under the hero, then the way back to the furnace. Three
// tongues of a small fire, so that it reads as fire even at its size.
void floor_flame(QPainter& p, int k) {
    const Box b = box("im_flame_" + std::to_string(k));
    const double base = b.b() - 0.3, m = (k % 2) ? 1.0 : -1.0;
    QPainterPath fire = tongue(b.cx(), base, 3.4, b.h - 0.3, m * 0.6);
    fire = fire.united(tongue(b.cx() - m * 3.4, base, 2.4, b.h * 0.68, -m * 1.2));
    fire = fire.united(tongue(b.cx() + m * 3.4, base, 2.4, b.h * 0.8, m * 1.2));
    ink(p, fire.simplified());
    cut(p, tongue(b.cx(), base - 0.8, 1.0, b.h * 0.42, 0));
}

void thin_flame(QPainter& p, int k) {
    const Box b = box("im_flame_" + std::to_string(k));
    QPainterPath tongue;
    tongue.moveTo(b.cx(), b.b() - 0.3);
    tongue.cubicTo(b.l + 0.2, b.b() - 0.5, b.l + 0.2, b.b() - b.h * 0.45, b.cx() - 0.5, b.t + 0.3);
    tongue.cubicTo(b.r() - 0.2, b.b() - b.h * 0.5, b.r() - 0.2, b.b() - 0.5, b.cx(), b.b() - 0.3);
    ink(p, tongue);
}

void furnace_burst_left(QPainter& p) { // flame_8: leaning out of the furnace to the left
    const Box b = box("im_flame_8");
    flame(p, b.r() - 8.0, b.b() - 0.5, 13.0, 22.0, -50);
}

void furnace_burst_right(QPainter& p) { // flame_9: flaring up on the right
    const Box b = box("im_flame_9");
    flame(p, b.cx() - 1.0, b.b() - 0.5, 12.0, b.h - 0.8, 14, true);
}

void furnace_fire(QPainter& p) { // flame_10: the fire bed that burns all game long
    const Box b = box("im_flame_10");
    const double base = b.b() - 0.8;
    ink(p, rounded(b.l + 1.0, base - 4.5, b.w - 2.0, 4.5, 2.0)); // embers
    for (double x = b.l + 6.0; x < b.r() - 3.0; x += 7.0) cut(p, ellipse(x, base - 2.2, 1.6, 1.0));
    const double xs[5] = {6.0, 13.5, 20.5, 27.5, 33.5};
    const double hs[5] = {13.0, 20.0, 24.0, 18.0, 12.0};
    for (int i = 0; i < 5; ++i)
        flame(p, b.l + xs[i], base - 3.5, 8.5, hs[i], i * 6.0 - 12.0, i % 2 == 1, i % 2 == 0);
}

void enemy_bomb(QPainter& p, int n) {
    const Box b = box(enemy(n, "bomb"));
    const double r = std::min(b.w, b.h) / 2.0 - 2.6;
    bomb(p, b.cx() - 1.5, b.b() - r - 0.8, r, 1, -1.0);
}

// The five bombs go off together...
void enemy_blast_row(QPainter& p) {
    const Box b = box("im_enemy_boom_1");
    const double cy = b.t + b.h / 2.0;
    for (int i = 0; i < 5; ++i) {
        const double cx = b.l + 16.0 + i * 46.0;
        QPainterPath star = burst(cx, cy, 15.0, 8.0, 9, i * 0.35, 0.95);
        ink(p, star);
        cut(p, burst(cx, cy, 8.0, 4.0, 9, i * 0.35 + 0.17, 0.95));
        ink(p, circle(cx, cy, 2.6));
    }
    for (int i = 0; i < 4; ++i) {
        const double cx = b.l + 39.0 + i * 46.0;
        ink_line(p, QPointF(cx - 4, cy - 9), QPointF(cx - 1, cy - 5), 1.6);
        ink_line(p, QPointF(cx + 4, cy + 9), QPointF(cx + 1, cy + 5), 1.6);
    }
}

// A ragged explosion: spikes of uneven length from a fixed sequence, so every run draws the
// same ragged edge.
QPainterPath ragged_burst(double cx, double cy, double rx, double ry, int spikes, unsigned seed) {
    QPainterPath path;
    unsigned state = seed;
    for (int i = 0; i < spikes * 2; ++i) {
        state = state * 1103515245u + 12345u;
        const double jitter = double((state >> 16) % 1000) / 1000.0;
        const double a = M_PI * i / spikes;
        const double k = (i % 2 == 0) ? 0.78 + 0.22 * jitter : 0.42 + 0.12 * jitter;
        const QPointF pt(cx + std::cos(a) * rx * k, cy + std::sin(a) * ry * k);
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    return path;
}

// ... and then blow up together in one wide blast over the whole row.
void enemy_blast_cloud(QPainter& p) {
    const Box b = box("im_enemy_boom_2");
    const double cy = b.t + b.h / 2.0 + 1.0;
    QPainterPath blast;
    // Kept clear of the score digits at the right end of the box.
    for (int i = 0; i < 5; ++i) {
        const double cx = b.l + 24.0 + i * 44.0;
        blast = blast.united(ragged_burst(cx, cy, 28.0, 21.0, 11, 77u + unsigned(i) * 13u));
    }
    ink(p, blast.simplified());
    for (int i = 0; i < 5; ++i) {
        const double cx = b.l + 24.0 + i * 44.0;
        cut(p, ragged_burst(cx, cy, 15.0, 10.5, 9, 901u + unsigned(i) * 7u));
        ink(p, ragged_burst(cx, cy, 7.5, 5.5, 7, 433u + unsigned(i) * 5u));
    }
    // Pieces flying off at the ends.
    for (int i = 0; i < 4; ++i) {
        QTransform turn;
        turn.translate(i < 2 ? b.l + 3.0 + i * 3.0 : b.r() - 26.0 - (i - 2) * 3.0,
                       b.t + 6.0 + (i % 2) * 26.0);
        turn.rotate(i * 41.0);
        ink(p, turn.map(rounded(-1.8, -1.2, 3.6, 2.4, 0.6)));
    }
}

// The bomb goes off at the fort: first sparks, then the blast.
void fort_sparks(QPainter& p) {
    const Box b = box("im_pelko_0_boom_1");
    ink(p, burst(b.l + 9.0, b.t + 6.0, 5.5, 1.6, 4, 0.3));
    ink(p, burst(b.l + 5.0, b.t + 17.0, 4.5, 1.4, 4, 0.0));
    ink(p, burst(b.l + 10.0, b.t + 27.0, 4.0, 1.3, 4, 0.5));
    ink_line(p, QPointF(b.r() - 1.0, b.t + 8.0), QPointF(b.l + 11.0, b.t + 13.0), 1.1);
    ink_line(p, QPointF(b.r() - 1.0, b.t + 16.0), QPointF(b.l + 9.0, b.t + 21.0), 1.1);
}

void fort_blast(QPainter& p) {
    const Box b = box("im_pelko_0_boom_2");
    const double cx = b.cx(), cy = b.t + b.h / 2.0;
    ink(p, burst(cx, cy, 16.0, 9.0, 11, 0.1, 1.45));
    cut(p, burst(cx, cy, 9.5, 5.0, 11, 0.25, 1.45));
    ink(p, burst(cx, cy, 5.5, 2.8, 7, 0.0, 1.3));
}

void fort_explosion(QPainter& p) { // the fort itself is blown up
    const Box b = box("im_partner_left_boom");
    const double cx = b.l + 28.0, cy = b.t + 26.0;
    ink(p, burst(cx, cy, 24.0, 14.0, 13, 0.0, 0.85));
    cut(p, burst(cx, cy, 15.0, 8.5, 13, 0.12, 0.85));
    ink(p, burst(cx, cy, 8.0, 4.0, 9, 0.0, 0.85));
    // Bricks flying off.
    const QPointF bricks[6] = {{b.r() - 9.0, b.t + 6.0},    {b.r() - 6.0, b.t + 22.0},
                               {b.r() - 11.0, b.b() - 8.0}, {b.l + 3.0, b.t + 4.0},
                               {b.l + 46.0, b.t + 1.5},     {b.l + 2.0, b.b() - 7.0}};
    for (int i = 0; i < 6; ++i) {
        QTransform turn;
        turn.translate(bricks[i].x(), bricks[i].y());
        turn.rotate(i * 37.0);
        ink(p, turn.map(rounded(-2.8, -1.8, 5.6, 3.6, 0.6)));
    }
}

} // namespace

void add_fire(ArtBook& book) {
    for (int n = 1; n <= 5; ++n) {
        book.add(enemy(n, "flame_1"), [n](QPainter& p) { enemy_flame_1(p, n); });
        book.add(enemy(n, "flame_2"), [n](QPainter& p) { enemy_flame_2(p, n); });
        book.add(enemy(n, "flame_3"), [n](QPainter& p) { enemy_flame_3(p, n); });
        book.add(enemy(n, "flame_4"), [n](QPainter& p) { enemy_flame_tip(p, n); });
        book.add(enemy(n, "bomb"), [n](QPainter& p) { enemy_bomb(p, n); });
    }
    for (int k = 1; k <= 5; ++k)
        book.add("im_flame_" + std::to_string(k), [k](QPainter& p) { floor_flame(p, k); });
    for (int k = 6; k <= 7; ++k)
        book.add("im_flame_" + std::to_string(k), [k](QPainter& p) { thin_flame(p, k); });
    book.add("im_flame_8", furnace_burst_left);
    book.add("im_flame_9", furnace_burst_right);
    book.add("im_flame_10", furnace_fire);
    book.add("im_enemy_boom_1", enemy_blast_row);
    book.add("im_enemy_boom_2", enemy_blast_cloud);
    book.add("im_pelko_0_boom_1", fort_sparks);
    book.add("im_pelko_0_boom_2", fort_blast);
    book.add("im_partner_left_boom", fort_explosion);
}

} // namespace q50gen
