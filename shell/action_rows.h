#pragma once
// What the key dialog's two pages (keys and controller buttons) share, so that an action sits
// at the same place on both: seven rows in two columns, white bold labels.
#include "shell/window_look.h"

#include <QLabel>

namespace q50::action_rows {

inline constexpr int kRowWidth = 120; // a row's list or button, at the least
inline constexpr int kRowHeight = 22;
inline constexpr int kRowY[8] = {0, 29, 61, 93, 125, 29, 61, 93};
inline constexpr int kFontPixels = 13;

inline QLabel* label(QWidget* parent, const QString& text, bool underline) {
    auto* l = new QLabel(text, parent);
    QFont f = arial(kFontPixels, true);
    f.setUnderline(underline);
    l->setFont(f);
    set_text_colour(l, kWhite);
    return l;
}

} // namespace q50::action_rows
