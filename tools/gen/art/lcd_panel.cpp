// The panel: digit glyphs, the clock marks, the miss counter, the alarm bell and the game
// captions.
#include "art_book.h"
#include "lcd_ink.h"
#include "skin_table.h"

#include <string>

namespace q50gen {
namespace {

void caption(QPainter& p, const std::string& segment, const char* text, double left_pad = -1) {
    const Box b = box(segment);
    const double w = dot_text_width(text);
    const double x = left_pad >= 0 ? b.l + left_pad : b.l + std::floor((b.w - w) / 2.0);
    dot_text(p, x, b.t + std::floor((b.h - 7.0) / 2.0), text);
}

// A miss mark: a bomb that has caught fire.
void miss_mark(QPainter& p, int k) {
    const Box b = box("im_panel_miss_" + std::to_string(k));
    const double cx = b.cx(), cy = b.b() - 7.5;
    bomb(p, cx, cy, 6.2, 1, -1, false);
    QPainterPath fire;
    fire.moveTo(cx + 2.0, cy - 6.0);
    fire.quadTo(cx - 4.0, cy - 10.0, cx + 1.0, b.t + 0.8);
    fire.quadTo(cx + 2.0, cy - 11.0, cx + 5.5, cy - 12.5);
    fire.quadTo(cx + 6.0, cy - 8.0, cx + 4.8, cy - 5.5);
    fire.closeSubpath();
    ink(p, fire);
}

void bell(QPainter& p) {
    const Box b = box("im_panel_alarm_1");
    const double cx = b.cx(), top = b.t + 2.5, rim = b.b() - 6.0;
    QPainterPath shape;
    shape.moveTo(cx - 9.5, rim);
    shape.quadTo(cx - 7.0, rim - 3.0, cx - 6.5, rim - 8.0);
    shape.cubicTo(cx - 6.5, top - 1.0, cx + 6.5, top - 1.0, cx + 6.5, rim - 8.0);
    shape.quadTo(cx + 7.0, rim - 3.0, cx + 9.5, rim);
    shape.closeSubpath();
    ink(p, shape);
    ink(p, circle(cx, top - 0.3, 1.8));
    ink(p, circle(cx, rim + 3.0, 2.4)); // clapper
    cut_line(p, QPointF(cx - 8.0, rim - 1.6), QPointF(cx + 8.0, rim - 1.6), 1.0);
    cut_line(p, QPointF(cx - 3.2, rim - 11.0), QPointF(cx - 3.6, rim - 5.0), 1.0);
}

void ringing_left(QPainter& p) { // arcs: the bell is ringing
    const Box b = box("im_panel_alarm_2");
    const Box bell_box = box("im_panel_alarm_1");
    const QPointF c(bell_box.cx(), bell_box.t + 11.0);
    for (double r : {12.0, 16.0, 20.0}) {
        QPainterPath arc;
        arc.arcMoveTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 145);
        arc.arcTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 145, 55);
        QPainterPathStroker stroker;
        stroker.setWidth(1.8);
        stroker.setCapStyle(Qt::RoundCap);
        if (c.x() - r >= b.l - 2) ink(p, stroker.createStroke(arc));
    }
}

void ringing_below(QPainter& p) { // strokes under the bell: it shakes
    const Box b = box("im_panel_alarm_3");
    ink_line(p, QPointF(b.r() - 2.5, b.t + 3.0), QPointF(b.l + 9.0, b.t + 9.0), 1.8);
    ink_line(p, QPointF(b.r() - 1.5, b.t + 8.0), QPointF(b.l + 10.0, b.t + 17.0), 1.8);
    ink_line(p, QPointF(b.r() - 4.0, b.t + 1.5), QPointF(b.l + 2.0, b.t + 3.5), 1.8);
    ink_line(p, QPointF(b.r() - 0.5, b.t + 12.5), QPointF(b.r() - 2.5, b.b() - 1.5), 1.8);
}

void colon(QPainter& p) {
    const Box b = box("im_panel_time_colon");
    ink(p, rounded(b.cx() - 1.8, b.t + 2.0, 3.6, 3.6, 0.8));
    ink(p, rounded(b.cx() - 2.6, b.b() - 5.6, 3.6, 3.6, 0.8)); // follows the digits' slant
}

} // namespace

void add_panel(ArtBook& book) {
    for (int d = 0; d <= 9; ++d) {
        const std::string name = "im_panel_number_" + std::to_string(d);
        book.add(name, [d, name](QPainter& p) {
            const Box b = box(name);
            seven_segment(p, b.l, b.t, b.w, b.h, d);
        });
    }
    book.add("im_panel_time_colon", colon);
    // AM and PM stay clear of the first digit, whose box overlaps theirs.
    book.add("im_panel_time_am", [](QPainter& p) { caption(p, "im_panel_time_am", "AM", 1); });
    book.add("im_panel_time_pm", [](QPainter& p) { caption(p, "im_panel_time_pm", "PM", 1); });
    book.add("im_panel_miss_0", [](QPainter& p) { caption(p, "im_panel_miss_0", "MISS"); });
    for (int k = 1; k <= 3; ++k)
        book.add("im_panel_miss_" + std::to_string(k), [k](QPainter& p) { miss_mark(p, k); });
    book.add("im_panel_alarm_1", bell);
    book.add("im_panel_alarm_2", ringing_left);
    book.add("im_panel_alarm_3", ringing_below);
    book.add("im_panel_game_a", [](QPainter& p) { caption(p, "im_panel_game_a", "GAME A"); });
    book.add("im_panel_game_b", [](QPainter& p) { caption(p, "im_panel_game_b", "GAME B"); });
}

} // namespace q50gen
