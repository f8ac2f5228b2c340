#pragma once
// The arithmetic on pixels that the painter, the scalers and the fullscreen scene share. Two
// channels go through each multiply (red with blue, alpha with green), and every result is
// rounded the one way the frames were always made with.
#include "board/image.h"

#include <cstdint>

namespace q50 {

// p over an opaque q, rounded like a division by 255; the result is opaque.
inline Argb over_opaque(Argb p, Argb q) {
    const std::uint32_t a = p >> 24, ia = 255 - a;
    if (a == 255) return p;
    std::uint32_t rb = (p & 0xFF00FFu) * a + (q & 0xFF00FFu) * ia + 0x800080u;
    rb = ((rb + ((rb >> 8) & 0xFF00FFu)) >> 8) & 0xFF00FFu;
    std::uint32_t g = (p & 0xFF00u) * a + (q & 0xFF00u) * ia + 0x8000u;
    g = ((g + ((g >> 8) & 0xFF00u)) >> 8) & 0xFF00u;
    return 0xFF000000u | rb | g;
}

// p weighted w/256 plus q weighted the rest, all four channels.
inline Argb mix(Argb p, Argb q, std::uint32_t w) {
    const std::uint32_t v = 256 - w;
    const std::uint32_t rb =
        (((p & 0xFF00FFu) * w + (q & 0xFF00FFu) * v + 0x800080u) >> 8) & 0xFF00FFu;
    const std::uint32_t ag =
        (((p >> 8) & 0xFF00FFu) * w + ((q >> 8) & 0xFF00FFu) * v + 0x800080u) & 0xFF00FF00u;
    return ag | rb;
}

// mix at a weight of 128, byte by byte: (p + q + 1) / 2 in each channel, without a multiply.
inline Argb even_mix(Argb p, Argb q) {
    return (p | q) - (((p ^ q) >> 1) & 0x7F7F7F7Fu);
}

} // namespace q50
