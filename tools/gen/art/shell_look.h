#pragma once
// Colours, outlines and the pictured buttons of the device shell, shared by the body
// pictures, the pressed pictures and the window pictures.
#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>

namespace q50gen {

namespace shell_colour {
inline const QColor kCase(35, 38, 44);
inline const QColor kCaseRim(74, 79, 90);
inline const QColor kPlateTop(230, 228, 222);
inline const QColor kPlateBottom(196, 194, 187);
inline const QColor kCrimson(163, 32, 43);
inline const QColor kCrimsonDark(112, 22, 30);
inline const QColor kGold(214, 168, 70);
inline const QColor kGoldLight(244, 214, 130);
inline const QColor kBezel(27, 29, 33);
inline const QColor kLcd(190, 198, 178);
inline const QColor kPrint(58, 52, 50);
inline const QColor kKey(232, 140, 34); // the game buttons
inline const QColor kBombRed(200, 36, 36);
} // namespace shell_colour

// The upper half (lid and the face under it) and the lower half of the device.
QPainterPath upper_outline();
QPainterPath lower_outline();

// A case with a face plate inset into it.
void case_and_plate(QPainter& p, const QPainterPath& outline, const QRectF& plate,
                    const QColor& top, const QColor& bottom);

// Centred text in a rectangle.
void print_text(QPainter& p, const QRectF& r, const QString& text, const QFont& font,
                const QColor& colour, int flags = Qt::AlignCenter);

// The pictured buttons, released or pressed, each filling its own rectangle.
void game_key(QPainter& p, const QRectF& r, bool pressed);
void small_round_key(QPainter& p, const QRectF& r, bool pressed);
void bomb_key(QPainter& p, const QRectF& r, bool pressed);
// tilt: 0 at rest, -1 left pressed, +1 right pressed.
void move_pad(QPainter& p, const QRectF& r, int tilt);
void open_key(QPainter& p, const QRectF& r);
// The see-through click buttons over the movement pad; direction -1 left, +1 right.
void overlay_key(QPainter& p, const QRectF& r, int direction);
// A faint shine over a button, drawn on its click area above the pressed picture.
void key_gloss(QPainter& p, const QRectF& r, double radius);

// An emblem of our own: a bomb with a flame in a ring.
void emblem(QPainter& p, const QPointF& centre, double radius, const QColor& ink,
            const QColor& ring);

} // namespace q50gen
