#pragma once
// Texts laid out from the metrics of the fonts the desktop really has, so that nothing is cut
// at a control's edge where a font is wider than the one the layout was drawn with.
#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionComboBox>

#include <algorithm>

namespace q50 {

// Sizes a label to its text and, where the text is wider than `room` pixels, shrinks its font a
// pixel at a time (not below `min_pixels`) until it fits.
inline void fit_label(QLabel* l, int room, int min_pixels = 9) {
    l->adjustSize();
    QFont f = l->font();
    while (l->width() > room && f.pixelSize() > min_pixels) {
        f.setPixelSize(f.pixelSize() - 1);
        l->setFont(f);
        l->adjustSize();
    }
}

// The width a combo box needs to show each of its entries whole, and at least `minimum`.
inline int combo_width_for_entries(const QComboBox* cb, int minimum) {
    QStyleOptionComboBox opt;
    opt.initFrom(cb);
    opt.rect = QRect(0, 0, minimum, cb->height());
    opt.editable = cb->isEditable();
    opt.frame = cb->hasFrame();
    const QRect field =
        cb->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, cb);
    int widest = 0;
    for (int i = 0; i < cb->count(); ++i)
        widest = std::max(widest, cb->fontMetrics().horizontalAdvance(cb->itemText(i)));
    return std::max(minimum, widest + (minimum - field.width()) + 2);
}

} // namespace q50
