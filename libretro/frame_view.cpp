#include "libretro/frame_view.h"

namespace q50 {

const PixelFrame& ViewPainter::update(const Image& shown, const std::vector<Rect>& changed,
                                      bool all) {
    const Rect whole{0, 0, shown.width, shown.height};
    if (all || frame_.width != shown.width || frame_.height != shown.height) {
        frame_.width = shown.width;
        frame_.height = shown.height;
        frame_.pixels.assign(std::size_t(shown.width) * std::size_t(shown.height), 0);
        copy(shown, whole);
        return frame_;
    }
    for (const Rect& r : changed) copy(shown, intersect(r, whole));
    return frame_;
}

void ViewPainter::copy(const Image& shown, Rect part) {
    for (int y = part.top; y < part.top + part.height; ++y) {
        const Argb* from = shown.pixels.data() + std::size_t(y) * std::size_t(shown.width);
        std::uint32_t* to = frame_.pixels.data() + std::size_t(y) * std::size_t(frame_.width);
        for (int x = part.left; x < part.left + part.width; ++x) to[x] = xrgb_over_black(from[x]);
    }
}

} // namespace q50
