#pragma once
// Side windows at the device's zoom where the desktop draws at one pixel per window pixel (no
// scale of its own): at 200 % on a 4K screen the about and splash windows are twice their
// design size, as the device and the manual are, instead of tiny beside them.
#include <QWidget>

namespace q50 {

class TForm1;

// The property of a label that names the built-in picture it shows (window_pictures.h).
extern const char* const kPictureName;

// The whole factor the side windows take from the device: its zoom rounded down where the
// desktop has no scale, 1 where it has one (Qt scales the windows then).
int side_window_factor(const TForm1& main);

// Every child's place, size and font, and the window's own size, at `factor` times their
// design values (those the window had when first scaled); pictures shown by labels at their
// double-size drawing where they have one, else their pixels repeated. A window whose factor
// changed is centred on its screen again (true).
bool scale_side_window(QWidget& window, int factor);

} // namespace q50
