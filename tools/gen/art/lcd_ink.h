#pragma once
// The look of the liquid-crystal segments: flat dark ink, with details cut out of it as
// clear lines, the way a real segment shows inner lines as gaps.
#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>

#include <string_view>

namespace q50gen {

extern const QColor kInk;

QPainterPath circle(double cx, double cy, double r);
QPainterPath ellipse(double cx, double cy, double rx, double ry);
// A thick line with round ends, as an outline that can be filled or cut.
QPainterPath capsule(QPointF a, QPointF b, double width);
QPainterPath polygon(std::initializer_list<QPointF> points);
QPainterPath rounded(double x, double y, double w, double h, double r);

void ink(QPainter& p, const QPainterPath& shape);
void ink_line(QPainter& p, QPointF a, QPointF b, double width);
// Clears pixels: a gap inside a segment.
void cut(QPainter& p, const QPainterPath& shape);
void cut_line(QPainter& p, QPointF a, QPointF b, double width = 1.1);
void cut_stroke(QPainter& p, const QPainterPath& path, double width = 1.1);

// A round bomb: ball, highlight gap, fuse towards (dx, dy) and a small spark.
void bomb(QPainter& p, double cx, double cy, double r, double fuse_dx = 1, double fuse_dy = -1,
          bool spark = true);
// A spiky burst star with `spikes` points.
QPainterPath burst(double cx, double cy, double r_out, double r_in, int spikes, double turn = 0,
                   double squash = 1.0);

// Caption letters in a 5 by 7 dot font (only the letters the panel needs); `x`, `y` is the
// top-left corner, `dot` the size of one dot.
void dot_text(QPainter& p, double x, double y, std::string_view text, double dot = 1.0);
double dot_text_width(std::string_view text, double dot = 1.0);

// A slanted seven-segment digit in a box of `w` by `h` at (x, y).
void seven_segment(QPainter& p, double x, double y, double w, double h, int digit);

} // namespace q50gen
