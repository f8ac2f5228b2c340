#pragma once
// The individual decoders behind decode_picture. Each fills `out` and returns true, or
// returns false with a short reason in `error`. None of them trusts the bytes: every offset is
// checked, and declared sizes are checked with picture_size_acceptable before allocating.
#include "board/image.h"
#include "display/picture_file.h"

#include <cstdint>
#include <span>
#include <string>

namespace q50 {

// `limits` (may be null) bounds the memory of the picture made; see DecodeLimits.
bool decode_png(std::span<const std::uint8_t> bytes, Image& out, std::string& error,
                DecodeLimits* limits = nullptr);
bool decode_jpeg(std::span<const std::uint8_t> bytes, Image& out, std::string& error,
                 DecodeLimits* limits = nullptr);
// A complete .bmp file (with its file header).
bool decode_bmp_file(std::span<const std::uint8_t> bytes, Image& out, std::string& error,
                     DecodeLimits* limits = nullptr);
// The bitmap of an icon: an info header without file header, a doubled height, the colour
// pixels and then the 1-bit transparency mask.
bool decode_icon_bitmap(std::span<const std::uint8_t> bytes, Image& out, std::string& error,
                        DecodeLimits* limits = nullptr);
bool decode_ico(std::span<const std::uint8_t> bytes, Image& out, std::string& error,
                DecodeLimits* limits = nullptr);

} // namespace q50
