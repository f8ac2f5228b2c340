#pragma once
// A decoded picture: straight (non-premultiplied) RGBA, rows top to bottom.
#include <cstdint>
#include <memory>
#include <vector>

namespace q50 {

// One pixel packed as 0xAARRGGBB.
using Argb = std::uint32_t;

constexpr Argb argb(std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return (Argb(a) << 24) | (Argb(r) << 16) | (Argb(g) << 8) | Argb(b);
}
constexpr std::uint8_t alpha_of(Argb p) {
    return std::uint8_t(p >> 24);
}

struct Image {
    int width = 0;
    int height = 0;
    std::vector<Argb> pixels; // width * height

    Image() = default;
    Image(int w, int h, Argb fill = 0) : width(w), height(h), pixels(std::size_t(w) * h, fill) {}
    Argb at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
    Argb& at(int x, int y) { return pixels[std::size_t(y) * width + x]; }
    bool empty() const { return width <= 0 || height <= 0; }
};

// Pictures are shared, never changed after decoding: a digit position that "gets a copy of a
// glyph" shares the glyph's picture.
using Picture = std::shared_ptr<const Image>;

// Colours as the skin file writes them: red in the lowest byte, then green, then blue.
using Colour = std::uint32_t;
constexpr Argb opaque_from_colour(Colour c) {
    return argb(0xff, std::uint8_t(c & 0xff), std::uint8_t((c >> 8) & 0xff),
                std::uint8_t((c >> 16) & 0xff));
}

} // namespace q50
