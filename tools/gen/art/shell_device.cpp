// The device around the display: the body with its buttons, the lid, the face under the lid,
// the glass over the display and the scenery printed behind the liquid crystal.
#include "art_book.h"
#include "fonts.h"
#include "lcd_ink.h"
#include "shell_look.h"
#include "skin_table.h"

#include <QLinearGradient>

#include <string>

namespace q50gen {
namespace {

using namespace shell_colour;

QRectF rect_of(const std::string& name) {
    const auto& g = geometry(name);
    return QRectF(g.left, g.top, g.width, g.height);
}

const QRectF kLcdArea = QRectF(68, 104, 360, 196);

void hinge(QPainter& p) {
    const QRectF bar(24, 442, 450, 30);
    QLinearGradient g(bar.topLeft(), bar.bottomLeft());
    g.setColorAt(0, QColor(20, 21, 24));
    g.setColorAt(0.45, QColor(96, 100, 110));
    g.setColorAt(1, QColor(22, 23, 26));
    QPainterPath shape;
    shape.addRoundedRect(bar, 12, 12);
    p.fillPath(shape, g);
    p.setPen(QPen(QColor(10, 10, 12), 2));
    for (double x : {150.0, 348.0})
        p.drawLine(QPointF(x, bar.top() + 2), QPointF(x, bar.bottom() - 2));
}

// The lower half, with the buttons at rest.
void body(QPainter& p) {
    hinge(p);
    const QRectF plate(20, 476, 458, 276);
    case_and_plate(p, lower_outline(), plate, kPlateTop, kPlateBottom);
    p.fillRect(QRectF(20, 494, 458, 5), kCrimson);
    p.fillRect(QRectF(20, 500, 458, 1.5), kGold);
    move_pad(p, rect_of("btn_move_top"), 0);
    bomb_key(p, rect_of("btn_bomb_top"), false);
    game_key(p, rect_of("btn_game_a_top"), false);
    game_key(p, rect_of("btn_game_b_top"), false);
    game_key(p, rect_of("btn_time_top"), false);
    small_round_key(p, rect_of("btn_acl_top"), false);
    small_round_key(p, rect_of("btn_alarm_top"), false);
    // Labels printed on the plate.
    const QFont label = sans(9.5, true);
    const QColor ink = kPrint;
    auto above = [&](const char* name, const char* text) {
        const QRectF r = rect_of(name);
        print_text(p, QRectF(r.left() - 20, r.top() - 16, r.width() + 40, 13), text, label, ink);
    };
    auto below = [&](const char* name, const char* text, double gap) {
        const QRectF r = rect_of(name);
        print_text(p, QRectF(r.left() - 30, r.bottom() + gap, r.width() + 60, 13), text, label,
                   ink);
    };
    above("btn_game_a_top", "GAME A");
    above("btn_game_b_top", "GAME B");
    above("btn_time_top", "TIME");
    below("btn_acl_top", "ACL", 3);
    below("btn_alarm_top", "ALARM", 3);
    below("btn_move_top", "MOVE", 7);
    below("btn_bomb_top", "BOMB", 5);
    // A line joining the three game buttons, like the printing of a real face plate.
    p.setPen(QPen(kCrimson, 2));
    p.drawLine(QPointF(262, 688), QPointF(414, 688));
    // Speaker slots between the pad and the bomb button.
    for (int i = 0; i < 5; ++i) {
        QPainterPath slot;
        slot.addRoundedRect(QRectF(224, 530 + i * 9.5, 76, 4.5), 2.2, 2.2);
        p.fillPath(slot, QColor(40, 40, 44));
    }
    // The maker's plate at the bottom left.
    print_text(p, QRectF(44, 642, 200, 26), "QUENDRIX 50", sans(20, true), kCrimson,
               Qt::AlignLeft | Qt::AlignVCenter);
    print_text(p, QRectF(46, 668, 200, 14), "BOMB RELAY  \u00b7  TWO GAMES  \u00b7  CLOCK",
               sans(8.5, true), ink, Qt::AlignLeft | Qt::AlignVCenter);
    p.fillRect(QRectF(46, 688, 190, 2), kGold);
}

// The face under the lid: the display in its bezel.
void face(QPainter& p) {
    case_and_plate(p, upper_outline(), QRectF(20, 18, 458, 424), kPlateTop, kPlateBottom);
    p.fillRect(QRectF(20, 56, 458, 5), kCrimson);
    p.fillRect(QRectF(20, 62, 458, 1.5), kGold);
    print_text(p, QRectF(20, 26, 458, 26), "QUENDRIX 50", sans(19, true), kCrimson);
    QPainterPath bezel;
    bezel.addRoundedRect(QRectF(50, 86, 398, 232), 14, 14);
    p.fillPath(bezel, kBezel);
    print_text(p, QRectF(50, 302, 398, 14), "LIQUID CRYSTAL  \u00b7  BOMB RELAY", sans(8.5, true),
               QColor(200, 200, 196));
    // The liquid crystal itself, slightly recessed.
    QLinearGradient lcd(kLcdArea.topLeft(), kLcdArea.bottomRight());
    lcd.setColorAt(0, shell_colour::kLcd.lighter(104));
    lcd.setColorAt(1, shell_colour::kLcd.darker(104));
    p.fillRect(kLcdArea, lcd);
    QLinearGradient shade(kLcdArea.topLeft(), kLcdArea.topLeft() + QPointF(0, 6));
    shade.setColorAt(0, QColor(0, 0, 0, 70));
    shade.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(kLcdArea.left(), kLcdArea.top(), kLcdArea.width(), 6), shade);
    // Printing under the bezel.
    print_text(p, QRectF(20, 330, 458, 22), "GAME A  \u00b7  GAME B  \u00b7  TIME", sans(11, true),
               kPrint);
    p.fillRect(QRectF(60, 362, 378, 2), kGold);
    print_text(p, QRectF(20, 374, 458, 16), "carry the bomb \u2014 mind the flames", sans(10.5),
               kPrint);
    p.fillRect(QRectF(20, 404, 458, 5), kCrimson);
}

// The closed lid.
void lid(QPainter& p) {
    case_and_plate(p, upper_outline(), QRectF(20, 18, 458, 424), kCrimson.lighter(112),
                   kCrimsonDark);
    QPainterPath border;
    border.addRoundedRect(QRectF(32, 30, 434, 400), 14, 14);
    p.setPen(QPen(kGold, 2));
    p.drawPath(border);
    p.setPen(QPen(kGold.darker(130), 1));
    p.drawPath(border.translated(0, 0).simplified());
    emblem(p, QPointF(249, 170), 92, QColor(40, 10, 12), kGold);
    print_text(p, QRectF(20, 270, 458, 44), "QUENDRIX 50", sans(38, true), kGoldLight);
    print_text(p, QRectF(20, 314, 458, 20), "B O M B   R E L A Y", sans(13, true), kGold);
    // The recess the open button sits in.
    QPainterPath well;
    well.addRoundedRect(rect_of("btn_open").adjusted(2, 4, -2, -4), 22, 22);
    p.fillPath(well, QColor(50, 8, 12));
}

// The glass over the display: a faint shine that lets the segments through.
void glass(QPainter& p) {
    QPainterPath band;
    band.moveTo(kLcdArea.left() + 40, kLcdArea.top());
    band.lineTo(kLcdArea.left() + 150, kLcdArea.top());
    band.lineTo(kLcdArea.left() + 60, kLcdArea.bottom());
    band.lineTo(kLcdArea.left() - 50, kLcdArea.bottom());
    band.closeSubpath();
    QLinearGradient shine(kLcdArea.topLeft(), kLcdArea.bottomRight());
    shine.setColorAt(0, QColor(255, 255, 255, 42));
    shine.setColorAt(1, QColor(255, 255, 255, 6));
    p.save();
    p.setClipRect(kLcdArea);
    p.fillPath(band, shine);
    p.fillPath(band.translated(135, 0), QColor(255, 255, 255, 12));
    // Edge shading where the glass meets the bezel.
    QLinearGradient left(kLcdArea.topLeft(), kLcdArea.topLeft() + QPointF(5, 0));
    left.setColorAt(0, QColor(0, 0, 0, 44));
    left.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(kLcdArea.left(), kLcdArea.top(), 5, kLcdArea.height()), left);
    QLinearGradient top(kLcdArea.topLeft(), kLcdArea.topLeft() + QPointF(0, 5));
    top.setColorAt(0, QColor(0, 0, 0, 44));
    top.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(kLcdArea.left(), kLcdArea.top(), kLcdArea.width(), 5), top);
    p.restore();
}

// The scenery printed behind the display: the beam the enemies stand on, the shelf for the
// bombs, the walkway and the furnace the floor flame comes out of.
void scenery(QPainter& p) {
    const QColor wood(120, 84, 50, 120), stone(104, 90, 74, 95), brick(150, 70, 50, 120);
    const QColor line(70, 50, 36, 110);
    p.save();
    p.setPen(Qt::NoPen);
    // Bomb shelf with brackets.
    p.fillRect(QRectF(140, 163.5, 234, 3), wood);
    for (double x : {150.0, 250.0, 350.0}) p.fillRect(QRectF(x, 166.5, 2.5, 5), wood);
    // The beam, on posts.
    p.fillRect(QRectF(138, 201.5, 238, 4), wood);
    p.setPen(QPen(line, 1));
    for (double x = 146; x < 374; x += 18) p.drawLine(QPointF(x, 202), QPointF(x, 205));
    p.setPen(Qt::NoPen);
    // Walkway.
    p.fillRect(QRectF(131, 277, 244, 7), stone);
    p.setPen(QPen(line, 1));
    p.drawLine(QPointF(131, 277.5), QPointF(375, 277.5));
    for (double x = 146; x < 372; x += 23) p.drawLine(QPointF(x, 278), QPointF(x - 3, 284));
    p.setPen(Qt::NoPen);
    // The furnace.
    QPainterPath oven;
    oven.addRoundedRect(QRectF(376, 236, 41, 49), 4, 4);
    QPainterPath mouth;
    mouth.addRoundedRect(QRectF(381, 244, 36, 24), 8, 8);
    p.fillPath(oven.subtracted(mouth), brick);
    p.setPen(QPen(QColor(90, 40, 28, 120), 1));
    for (double y = 241; y < 285; y += 6) {
        p.drawLine(QPointF(376, y), QPointF(381, y));
        if (y > 268) p.drawLine(QPointF(376, y), QPointF(417, y));
    }
    p.fillRect(QRectF(372, 283, 45, 2), QColor(90, 40, 28, 110));
    p.restore();
}

} // namespace

void add_shell(ArtBook& book) {
    book.add("im_background_bottom", body);
    book.add("im_background_back", face);
    book.add("im_background_front", lid);
    book.add("im_background_screen_top", glass);
    book.add("im_game_background", scenery);
    book.add("btn_open", [](QPainter& p) { open_key(p, rect_of("btn_open")); });
    for (const char* key : {"game_a", "game_b", "time"}) {
        const std::string base = std::string("btn_") + key;
        book.add(base + "_down",
                 [base](QPainter& p) { game_key(p, rect_of(base + "_down"), true); });
        book.add(base + "_top", [base](QPainter& p) { key_gloss(p, rect_of(base + "_top"), 3); });
    }
    book.add("btn_acl_down",
             [](QPainter& p) { small_round_key(p, rect_of("btn_acl_down"), true); });
    book.add("btn_acl_top", [](QPainter& p) { key_gloss(p, rect_of("btn_acl_top"), 2); });
    book.add("btn_alarm_top", [](QPainter& p) { key_gloss(p, rect_of("btn_alarm_top"), 2); });
    book.add("btn_bomb_down", [](QPainter& p) { bomb_key(p, rect_of("btn_bomb_down"), true); });
    book.add("btn_bomb_top",
             [](QPainter& p) { key_gloss(p, rect_of("btn_bomb_top").adjusted(8, 8, -8, -8), 8); });
    book.add("btn_move_top", [](QPainter& p) { move_pad(p, rect_of("btn_move_top"), 0); });
    book.add("btn_move_down_left",
             [](QPainter& p) { move_pad(p, rect_of("btn_move_down_left"), -1); });
    book.add("btn_move_down_right",
             [](QPainter& p) { move_pad(p, rect_of("btn_move_down_right"), 1); });
    book.add("btn_ctrlr_overlay_left",
             [](QPainter& p) { overlay_key(p, rect_of("btn_ctrlr_overlay_left"), -1); });
    book.add("btn_ctrlr_overlay_right",
             [](QPainter& p) { overlay_key(p, rect_of("btn_ctrlr_overlay_right"), 1); });
}

} // namespace q50gen
