#pragma once
// Colours and fonts shared by the side windows. Colours are given as the skin file writes them
// (red in the lowest byte), so the numbers read the same everywhere in the program.
#include "board/image.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QWidget>

namespace q50 {

constexpr Colour kDarkBlue = 5384456; // RGB 8, 41, 82
constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kRed = 0x0000FF;
constexpr Colour kYellow = 0x00FFFF;

inline QColor qcolour(Colour c) {
    return QColor(int(c & 0xff), int((c >> 8) & 0xff), int((c >> 16) & 0xff));
}

inline QFont arial(int pixel_size, bool bold = false) {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pixel_size);
    f.setBold(bold);
    return f;
}

inline void set_text_colour(QWidget* w, Colour c) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, qcolour(c));
    w->setPalette(p);
}

inline void set_window_colour(QWidget* w, Colour c) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, qcolour(c));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

} // namespace q50
