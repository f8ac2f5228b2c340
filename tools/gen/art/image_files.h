#pragma once
// Byte-for-byte reproducible picture files: the same picture always gives the same file.
#include <QImage>
#include <string>

namespace q50gen {

// RGBA PNG (8 bits per channel, no ancillary chunks, fixed compression).
void write_png(const QImage& image, const std::string& path);
// 24-bit Windows bitmap, bottom-up rows, no palette.
void write_bmp(const QImage& image, const std::string& path);

// Skin pictures must never carry the window's see-through colour: a pixel of exactly that
// colour inside the device would be punched out of the window. Such pixels are nudged by one
// step of blue. Returns how many pixels were changed.
int avoid_key_colour(QImage& image, QRgb key_rgb);

// Every pixel fully opaque or fully transparent, so that edges over the window's key colour
// leave no tinted fringe.
void harden_alpha(QImage& image);

} // namespace q50gen
