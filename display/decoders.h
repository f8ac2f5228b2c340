#pragma once
// The individual decoders behind decode_picture. Each fills `out` and returns true, or
// returns false with a short reason in `error`. None of them trusts the bytes: every offset is
// checked, and declared sizes are checked with picture_size_acceptable before allocating.
#include "board/image.h"

#include <cstdint>
#include <span>
#include <string>

namespace q50 {

bool decode_png(std::span<const std::uint8_t> bytes, Image& out, std::string& error);
bool decode_jpeg(std::span<const std::uint8_t> bytes, Image& out, std::string& error);
// A complete .bmp file (with its file header).
bool decode_bmp_file(std::span<const std::uint8_t> bytes, Image& out, std::string& error);
// The bitmap of an icon: an info header without file header, a doubled height, the colour
// pixels and then the 1-bit transparency mask.
bool decode_icon_bitmap(std::span<const std::uint8_t> bytes, Image& out, std::string& error);
bool decode_ico(std::span<const std::uint8_t> bytes, Image& out, std::string& error);

} // namespace q50
