// The figures of the display: the hero at his six places, the two partners with the fort,
// and the five enemies. Shapes are laid out from the design rectangles, so each piece lands
// inside its own segment and the pieces of one pose join up.
#include "art_book.h"
#include "lcd_ink.h"
#include "skin_table.h"

#include <string>

namespace q50gen {
namespace {

std::string pelko(int pos, const char* part) {
    return "im_pelko_" + std::to_string(pos) + "_" + part;
}

// The hero faces right. `ax` is where his arms begin, `sy` his shoulder line, `fy` the floor.
struct HeroFrame {
    double ax, sy, fy;
    bool stride;
};

HeroFrame hero_frame(int pos) {
    const Box up = box(pelko(pos, "up")), down = box(pelko(pos, "down")),
              body = box(pelko(pos, "body"));
    return {down.l, (up.b() + down.t) / 2.0, body.b() - 0.5, pos % 2 == 1};
}

void hero_head(QPainter& p, double cx, double cy) {
    ink(p, circle(cx, cy, 5.6));
    // Cap with a brim to the front.
    ink(p, rounded(cx - 5.8, cy - 6.4, 10.8, 4.6, 2.0));
    ink(p, rounded(cx + 2.0, cy - 3.2, 6.0, 2.0, 1.0));
    cut_line(p, QPointF(cx - 5.0, cy - 1.5), QPointF(cx + 2.2, cy - 1.5), 1.0);
    cut(p, circle(cx + 2.6, cy + 0.9, 0.9)); // eye
}

void hero_body(QPainter& p, int pos) {
    const HeroFrame f = hero_frame(pos);
    hero_head(p, f.ax - 7.5, f.sy - 10.0);
    // Torso with a belt, and the shoulder the arms hang from.
    ink(p, rounded(f.ax - 13.0, f.sy - 3.5, 13.2, 15.0, 3.5));
    ink(p, circle(f.ax + 0.2, f.sy, 3.6));
    cut_line(p, QPointF(f.ax - 12.5, f.sy + 8.2), QPointF(f.ax - 0.5, f.sy + 8.2), 1.1);
    cut_line(p, QPointF(f.ax - 4.2, f.sy - 2.0), QPointF(f.ax - 4.2, f.sy + 3.5), 0.9);
    // Legs: a long stride at odd places, a short one at even places, so that walking shows.
    const double hip = f.sy + 11.0;
    const double spread = f.stride ? 7.5 : 3.5;
    const QPointF front_knee(f.ax - 3.5 + spread * 0.3, hip + (f.fy - hip) * 0.5);
    const QPointF back_knee(f.ax - 9.5 - spread * 0.3, hip + (f.fy - hip) * 0.5);
    ink_line(p, QPointF(f.ax - 4.0, hip), front_knee, 4.6);
    ink_line(p, front_knee, QPointF(f.ax - 3.0 + spread * 0.6, f.fy - 2.0), 4.2);
    ink_line(p, QPointF(f.ax - 9.5, hip), back_knee, 4.6);
    ink_line(p, back_knee, QPointF(f.ax - 10.0 - spread * 0.6, f.fy - 2.0), 4.2);
    ink(p, rounded(f.ax - 4.5 + spread * 0.6, f.fy - 3.2, 6.4, 3.2, 1.4));
    ink(p, rounded(f.ax - 12.5 - spread * 0.6, f.fy - 3.2, 6.0, 3.2, 1.4));
}

// Arms raised: the bomb is carried over the head, out of reach of the floor flame.
void hero_high(QPainter& p, int pos, bool with_bomb) {
    const HeroFrame f = hero_frame(pos);
    const Box up = box(pelko(pos, "up"));
    const QPointF hand(f.ax + 6.8, up.t + 14.5);
    // The arm starts at the segment's edge; the shoulder in the body covers the joint.
    ink_line(p, QPointF(f.ax + 2.3, up.b() - 1.0), hand, 4.6);
    ink(p, ellipse(hand.x() + 0.5, hand.y() - 0.3, 3.2, 2.6));
    cut_line(p, QPointF(f.ax + 2.6, up.b() - 4), QPointF(hand.x() - 1.5, hand.y() + 3.5), 0.8);
    if (with_bomb) bomb(p, f.ax + 9.0, up.t + 7.0, 6.3, 1, -0.35);
}

// Arms lowered: the bomb hangs at the knees, out of reach of the enemies' flames.
void hero_low(QPainter& p, int pos) {
    const HeroFrame f = hero_frame(pos);
    const Box down = box(pelko(pos, "down"));
    const QPointF hand(f.ax + 6.0, down.t + 10.5);
    ink_line(p, QPointF(f.ax + 2.3, down.t + 1.0), hand, 4.6);
    ink(p, ellipse(hand.x() + 0.6, hand.y() + 0.4, 3.2, 2.6));
    cut_line(p, QPointF(f.ax + 1.6, down.t + 3.0), QPointF(hand.x() - 1.0, hand.y() - 2.5), 0.8);
    bomb(p, f.ax + 9.5, down.b() - 6.8, 6.1, 1, -0.6);
}

// At position 1 the hero turns to the left partner with open hands to catch a new bomb.
void hero_catching(QPainter& p) {
    const HeroFrame f = hero_frame(1);
    const Box left = box("im_pelko_1_left");
    const QPointF shoulder(f.ax - 12.5, f.sy + 1.5);
    const QPointF hand(left.l + 6.0, left.b() - 5.0);
    ink_line(p, shoulder, hand, 4.4);
    // Cupped hands.
    QPainterPath cup;
    cup.moveTo(hand.x() - 5.0, hand.y() - 3.2);
    cup.quadTo(hand.x() - 3.0, hand.y() + 4.2, hand.x() + 2.5, hand.y() + 1.5);
    cup.lineTo(hand.x() + 2.5, hand.y() - 1.0);
    cup.quadTo(hand.x() - 2.0, hand.y() + 1.0, hand.x() - 3.0, hand.y() - 3.6);
    cup.closeSubpath();
    ink(p, cup);
}

// Position 0, beside the fort: the hero kneels with the burning bomb over his head.
void hero_fort_body(QPainter& p) {
    const Box b = box("im_pelko_0_body");
    const double floor = b.b() - 0.5;
    ink(p, rounded(b.l + 19.5, b.t + 4.0, 11.0, 12.0, 3.0)); // torso
    cut_line(p, QPointF(b.l + 20, b.t + 12.5), QPointF(b.l + 30, b.t + 12.5), 1.0);
    const QPointF hip(b.l + 24.0, b.t + 15.5);
    // Front leg: knee up, foot flat.
    ink_line(p, hip, QPointF(b.l + 30.5, b.t + 15.5), 4.6);
    ink_line(p, QPointF(b.l + 30.5, b.t + 15.5), QPointF(b.l + 30.0, floor - 2.0), 4.2);
    ink(p, rounded(b.l + 27.5, floor - 3.2, 5.5, 3.2, 1.4));
    // Back leg: knee on the floor, shin stretched behind.
    ink_line(p, hip, QPointF(b.l + 16.0, floor - 2.5), 4.6);
    ink_line(p, QPointF(b.l + 16.0, floor - 2.2), QPointF(b.l + 4.0, floor - 2.2), 4.0);
    ink(p, rounded(b.l + 1.0, floor - 5.5, 3.2, 5.5, 1.4));
}

void hero_fort_head(QPainter& p) {
    const Box h = box("im_pelko_0_head");
    hero_head(p, h.l + 8.0, h.t + 8.2);
    // Upper arms going up beside the head.
    ink_line(p, QPointF(h.l + 12.0, h.b() - 2.5), QPointF(h.l + 15.5, h.t + 1.0), 4.2);
}

void hero_fort_high(QPainter& p) {
    const Box u = box("im_pelko_0_up");
    const Box h = box("im_pelko_0_head");
    const QPointF hand(u.l + 11.5, u.t + 16.5);
    ink_line(p, QPointF(h.l + 15.5, u.b() + 1.0), hand, 4.2);
    ink(p, ellipse(hand.x(), hand.y(), 3.2, 2.6));
    bomb(p, u.l + 10.0, u.t + 7.8, 6.4, 1, -0.5);
}

// The fort at the left: a stone tower with a window where the left partner stands.
void fort(QPainter& p) {
    const Box f = box("im_partner_left_fort");
    const double l = f.l + 2, r = f.r() - 1.5, top = f.t + 7.0, bottom = f.b() - 0.5;
    QPainterPath wall;
    wall.addRect(QRectF(l, top, r - l, bottom - top));
    for (int i = 0; i < 4; ++i) wall.addRect(QRectF(l + i * 8.4, f.t + 0.5, 5.6, 7.0));
    ink(p, wall.simplified());
    // Bricks.
    for (int row = 0; row < 7; ++row) {
        const double y = top + 3.5 + row * 5.5;
        if (y > bottom - 2) break;
        cut_line(p, QPointF(l, y), QPointF(r, y), 1.0);
        for (double x = l + (row % 2 ? 4.0 : 8.0); x < r - 1; x += 8.0)
            cut_line(p, QPointF(x, y), QPointF(x, y + 5.5), 1.0);
    }
    // The window (the left partner appears in it) and the door.
    QPainterPath window = rounded(f.l + 11.5, f.t + 9.5, f.r() - f.l - 11.5, 20.5, 3.0);
    cut(p, window);
    QPainterPath door;
    door.moveTo(l + 3.0, bottom);
    door.lineTo(l + 3.0, bottom - 9.0);
    door.quadTo(l + 7.5, bottom - 15.0, l + 12.0, bottom - 9.0);
    door.lineTo(l + 12.0, bottom);
    door.closeSubpath();
    cut(p, door);
}

// The left partner in the fort's window, facing right. His shoulder sits where the pieces of
// his arm (raised with a bomb, or stretched out after the drop) begin.
const QPointF kLeftShoulder(110.5, 191.0);

void left_partner(QPainter& p) {
    const Box b = box("im_partner_left_1");
    const double cx = b.l + 15.0, cy = b.t + 7.5;
    ink(p, circle(cx, cy, 5.4));
    // Round helmet with a rim.
    QPainterPath helmet;
    helmet.addEllipse(QPointF(cx - 0.5, cy - 2.0), 6.4, 5.0);
    QPainterPath lower;
    lower.addRect(QRectF(cx - 8, cy - 1.5, 16, 10));
    ink(p, helmet.subtracted(lower));
    cut_line(p, QPointF(cx - 6.5, cy - 1.8), QPointF(cx + 5.8, cy - 1.8), 1.0);
    cut(p, circle(cx + 2.6, cy + 1.0, 0.9));
    ink(p, rounded(cx - 6.5, cy + 6.2, 13.0, 10.0, 3.0)); // chest, cut off by the sill
    ink_line(p, QPointF(cx + 5.0, cy + 8.5), kLeftShoulder, 4.2);
    ink(p, circle(kLeftShoulder.x(), kLeftShoulder.y(), 2.6));
    cut_line(p, QPointF(cx - 6.5, b.b() - 0.8), QPointF(cx + 6.5, b.b() - 0.8), 1.2);
}

void left_partner_lifting(QPainter& p) { // holding the new bomb up
    const Box a = box("im_partner_left_2");
    const QPointF hand(a.l + 11.0, a.t + 12.5);
    ink_line(p, QPointF(a.l + 1.8, a.b() - 1.6), hand, 4.0);
    ink(p, ellipse(hand.x() + 0.5, hand.y(), 3.0, 2.5));
    bomb(p, a.l + 15.0, a.t + 6.5, 6.0, 1, -0.4);
}

void left_partner_dropping(QPainter& p) { // arm stretched out after letting go
    const Box a = box("im_partner_left_3");
    const QPointF hand(a.r() - 4.0, a.b() - 5.0);
    ink_line(p, QPointF(kLeftShoulder.x() + 0.5, a.t + 2.0), hand, 4.0);
    // Open fingers.
    ink_line(p, hand, QPointF(hand.x() + 3.0, hand.y() + 0.5), 1.6);
    ink_line(p, hand, QPointF(hand.x() + 2.2, hand.y() + 3.0), 1.6);
    ink_line(p, hand, QPointF(hand.x() + 0.0, hand.y() + 3.6), 1.6);
}

void falling_bomb(QPainter& p, const Box& a, double cx, double cy) {
    bomb(p, cx, cy, 6.0, 1, -0.8, false);
    for (int i = -1; i <= 1; ++i)
        ink_line(p, QPointF(cx + i * 3.2, a.t + 0.8), QPointF(cx + i * 3.2, cy - 8.0 - (i == 0)),
                 1.2);
}

void left_partner_bomb_mid(QPainter& p) {
    const Box a = box("im_partner_left_4");
    falling_bomb(p, a, a.l + 8.0, a.b() - 7.5);
}

void left_partner_bomb_low(QPainter& p) {
    const Box a = box("im_partner_left_5");
    falling_bomb(p, a, a.l + 7.0, a.b() - 7.0);
}

// The right partner stands on a platform above the furnace, wearing a brimmed hard hat.
void right_head(QPainter& p, double cx, double cy, bool facing_left) {
    ink(p, circle(cx, cy, 5.4));
    ink(p, ellipse(cx, cy - 3.2, 5.6, 3.6));
    ink(p, rounded(cx - 7.5, cy - 2.4, 15.0, 1.9, 0.9));
    cut_line(p, QPointF(cx - 1, cy - 6.2), QPointF(cx - 1, cy - 3.2), 0.9);
    cut(p, circle(cx + (facing_left ? -2.6 : 2.6), cy + 1.4, 0.9));
}

void right_platform(QPainter& p) { // the partner's legs and the platform he stands on
    const Box b = box("im_partner_right_1");
    const double deck = b.t + 3.0;
    ink(p, rounded(b.l + 1.0, deck, b.w - 2.0, 3.2, 1.0));
    for (double x = b.l + 6.0; x < b.r() - 3; x += 6.0)
        cut_line(p, QPointF(x, deck), QPointF(x, deck + 3.2), 0.8);
    ink_line(p, QPointF(b.l + 4.0, deck + 3.0), QPointF(b.l + 4.0, b.b() - 0.5), 2.6);
    ink_line(p, QPointF(b.r() - 4.0, deck + 3.0), QPointF(b.r() - 4.0, b.b() - 0.5), 2.6);
    ink_line(p, QPointF(b.l + 4.0, b.b() - 2.0), QPointF(b.l + 16.0, deck + 3.5), 1.6);
    ink_line(p, QPointF(b.r() - 4.0, b.b() - 2.0), QPointF(b.r() - 16.0, deck + 3.5), 1.6);
}

void right_standing(QPainter& p) { // waiting, hands up and ready
    const Box b = box("im_partner_right_3");
    const double cx = b.l + 10.0;
    right_head(p, cx, b.t + 7.8, true);
    ink(p, rounded(cx - 5.5, b.t + 14.0, 11.0, 9.5, 3.0));
    cut_line(p, QPointF(cx - 5.5, b.t + 20.5), QPointF(cx + 5.5, b.t + 20.5), 1.0);
    // Legs down to the platform deck.
    ink_line(p, QPointF(cx - 3.0, b.t + 22.0), QPointF(cx - 4.0, b.b() - 0.5), 3.6);
    ink_line(p, QPointF(cx + 3.0, b.t + 22.0), QPointF(cx + 4.0, b.b() - 0.5), 3.6);
    // Arms bent up beside the head, hands where the lifted bomb's arms join them.
    ink_line(p, QPointF(cx - 5.0, b.t + 15.5), QPointF(b.l + 1.8, b.t + 10.5), 3.2);
    ink_line(p, QPointF(b.l + 1.8, b.t + 10.5), QPointF(b.l + 6.5, b.t + 2.8), 3.0);
    ink_line(p, QPointF(cx + 5.0, b.t + 15.5), QPointF(b.r() - 1.8, b.t + 10.5), 3.2);
    ink_line(p, QPointF(b.r() - 1.8, b.t + 10.5), QPointF(b.r() - 3.0, b.t + 2.8), 3.0);
}

void right_reaching(QPainter& p) { // bent forward, both hands out for the bomb
    const Box b = box("im_partner_right_2");
    const double deck = box("im_partner_right_1").t + 3.0;
    const QPointF hip(b.r() - 6.5, b.t + 8.5);
    const QPointF shoulders(b.r() - 15.5, b.t + 6.5);
    // Legs down to the deck, then the bent back.
    ink_line(p, hip, QPointF(b.r() - 9.0, deck - 1.2), 3.6);
    ink_line(p, hip, QPointF(b.r() - 2.5, deck - 1.2), 3.6);
    ink(p, capsule(hip, shoulders, 8.0));
    cut_line(p, QPointF(hip.x() - 2.0, hip.y() - 3.6), QPointF(hip.x() - 2.0, hip.y() + 3.6), 1.0);
    right_head(p, b.l + 11.0, b.t + 5.6, true);
    // Both arms hanging forward, hands open under the hero's raised bomb.
    const QPointF hand(b.l + 3.6, b.b() - 9.0);
    ink_line(p, QPointF(shoulders.x() - 1.0, shoulders.y() + 2.0), hand, 3.6);
    ink_line(p, QPointF(shoulders.x() + 2.5, shoulders.y() + 3.0),
             QPointF(hand.x() + 4.0, hand.y() + 2.0), 3.0);
    cut_line(p, QPointF(shoulders.x() + 0.2, shoulders.y() + 4.5),
             QPointF(hand.x() + 2.4, hand.y() + 0.6), 0.8);
    ink(p, ellipse(hand.x() - 0.4, hand.y() + 0.8, 3.0, 2.6));
    ink(p, ellipse(hand.x() + 4.0, hand.y() + 2.6, 2.4, 2.2));
}

void right_lifting(QPainter& p) { // the bomb taken, held high
    const Box b = box("im_partner_right_4");
    bomb(p, b.l + 7.8, b.t + 9.0, 7.0, 1, -1.2);
    ink(p, ellipse(b.l + 2.6, b.t + 17.5, 2.6, 2.4));
    ink(p, ellipse(b.l + 13.2, b.t + 17.5, 2.6, 2.4));
    // Down to the hands of the standing pose.
    ink_line(p, QPointF(b.l + 2.6, b.t + 18.5), QPointF(b.l + 0.6 + 1.5, b.b() - 0.8), 3.0);
    ink_line(p, QPointF(b.l + 13.2, b.t + 18.5), QPointF(b.l + 10.2, b.b() - 0.8), 3.0);
}

void right_throwing(QPainter& p) { // the arm that sends the bomb off to the enemies
    const Box b = box("im_partner_right_5");
    ink_line(p, QPointF(b.r() - 1.8, b.b() - 2.0), QPointF(b.l + 5.0, b.t + 3.0), 3.2);
    ink_line(p, QPointF(b.l + 5.0, b.t + 3.0), QPointF(b.l + 1.0, b.t + 1.5), 1.6);
    ink_line(p, QPointF(b.l + 5.0, b.t + 3.0), QPointF(b.l + 1.2, b.t + 4.8), 1.6);
    for (int i = 0; i < 3; ++i)
        ink_line(p, QPointF(b.l + 8.0 + i * 3.5, b.t + 0.8),
                 QPointF(b.l + 10.0 + i * 3.5, b.t + 0.8), 1.0);
}

// An enemy: a small horned imp, facing right, throwing fire from its raised hand.
void enemy_head(QPainter& p, double cx, double cy) {
    ink(p, circle(cx, cy, 4.8));
    ink(p, polygon({{cx - 4.5, cy - 2.0}, {cx - 5.5, cy - 7.5}, {cx - 1.5, cy - 4.0}}));
    ink(p, polygon({{cx + 1.5, cy - 4.0}, {cx + 4.8, cy - 7.8}, {cx + 4.5, cy - 2.0}}));
    cut_line(p, QPointF(cx + 0.8, cy - 0.8), QPointF(cx + 3.4, cy + 0.2), 1.1); // angry eye
    cut_line(p, QPointF(cx + 0.8, cy + 2.6), QPointF(cx + 3.2, cy + 2.2), 0.8); // grin
}

void enemy_up(QPainter& p, int n) {
    const Box b = box(enemy(n, "up"));
    const double cx = b.l + 8.0;
    enemy_head(p, cx, b.t + 7.8);
    ink(p, rounded(cx - 4.5, b.t + 11.5, 9.0, 6.0, 2.4));
    ink_line(p, QPointF(cx - 2.5, b.t + 16.5), QPointF(cx - 4.0, b.b() - 1.0), 2.8);
    ink_line(p, QPointF(cx + 2.5, b.t + 16.5), QPointF(cx + 4.0, b.b() - 1.0), 2.8);
    // Throwing arm up to the right, other arm down.
    ink_line(p, QPointF(cx + 3.5, b.t + 13.0), QPointF(b.r() - 2.0, b.t + 5.5), 2.6);
    ink(p, circle(b.r() - 2.0, b.t + 4.6, 1.9));
    ink_line(p, QPointF(cx - 3.5, b.t + 13.0), QPointF(cx - 6.5, b.t + 17.0), 2.4);
}

// Hanging under the beam they stand on: ducking away from a blast.
void enemy_down(QPainter& p, int n) {
    const Box b = box(enemy(n, "down"));
    const double cx = b.l + b.w / 2.0 + 0.5;
    ink(p, circle(cx - 5.5, b.t + 1.9, 1.9));
    ink(p, circle(cx + 5.5, b.t + 1.9, 1.9));
    ink_line(p, QPointF(cx - 5.5, b.t + 2.0), QPointF(cx - 4.0, b.t + 12.0), 2.4);
    ink_line(p, QPointF(cx + 5.5, b.t + 2.0), QPointF(cx + 4.0, b.t + 12.0), 2.4);
    enemy_head(p, cx, b.t + 9.5);
    ink(p, rounded(cx - 4.5, b.t + 13.5, 9.0, 6.5, 2.4));
    ink_line(p, QPointF(cx - 2.2, b.t + 19.0), QPointF(cx - 3.5, b.b() - 1.2), 2.8);
    ink_line(p, QPointF(cx + 2.2, b.t + 19.0), QPointF(cx + 3.0, b.b() - 1.2), 2.8);
}

} // namespace

void add_people(ArtBook& book) {
    for (int pos = 1; pos <= 5; ++pos) {
        book.add(pelko(pos, "body"), [pos](QPainter& p) { hero_body(p, pos); });
        book.add(pelko(pos, "up"), [pos](QPainter& p) { hero_high(p, pos, pos != 5); });
        book.add(pelko(pos, "down"), [pos](QPainter& p) { hero_low(p, pos); });
    }
    book.add("im_pelko_5_bomb", [](QPainter& p) {
        const Box b = box("im_pelko_5_bomb");
        bomb(p, b.l + 6.5, b.t + 8.8, 6.2, 1, -0.9);
    });
    book.add("im_pelko_1_left", hero_catching);
    book.add("im_pelko_0_body", hero_fort_body);
    book.add("im_pelko_0_head", hero_fort_head);
    book.add("im_pelko_0_up", hero_fort_high);
    book.add("im_partner_left_fort", fort);
    book.add("im_partner_left_1", left_partner);
    book.add("im_partner_left_2", left_partner_lifting);
    book.add("im_partner_left_3", left_partner_dropping);
    book.add("im_partner_left_4", left_partner_bomb_mid);
    book.add("im_partner_left_5", left_partner_bomb_low);
    book.add("im_partner_right_1", right_platform);
    book.add("im_partner_right_2", right_reaching);
    book.add("im_partner_right_3", right_standing);
    book.add("im_partner_right_4", right_lifting);
    book.add("im_partner_right_5", right_throwing);
    for (int n = 1; n <= 5; ++n) {
        book.add(enemy(n, "up"), [n](QPainter& p) { enemy_up(p, n); });
        book.add(enemy(n, "down"), [n](QPainter& p) { enemy_down(p, n); });
    }
}

} // namespace q50gen
