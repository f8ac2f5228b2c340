#pragma once
// Pictures the painting tests draw from: one colour all over, or random colours from a seed
// (the same seed gives the same picture).
#include "board/image.h"

#include <cstdint>
#include <memory>
#include <random>

namespace q50::test {

inline Picture solid(int w, int h, Argb c) {
    return std::make_shared<const Image>(w, h, c);
}

// Every pixel a random colour at the given alpha.
inline Image noise(int w, int h, unsigned seed, std::uint32_t alpha = 0xFF000000u) {
    std::mt19937 rng(seed);
    Image img(w, h);
    for (Argb& p : img.pixels) p = alpha | (rng() & 0xFFFFFFu);
    return img;
}

} // namespace q50::test
