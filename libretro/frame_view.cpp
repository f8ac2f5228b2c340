#include "libretro/frame_view.h"

namespace q50 {

const PixelFrame& ViewPainter::update(const Image& painted, Rect damage, Rect crop) {
    crop = intersect(crop, Rect{0, 0, painted.width, painted.height});
    if (!valid_ || crop != crop_ || frame_.width != crop.width || frame_.height != crop.height) {
        crop_ = crop;
        frame_.width = crop.width;
        frame_.height = crop.height;
        frame_.pixels.assign(std::size_t(crop.width) * std::size_t(crop.height), 0);
        damage = crop;
        valid_ = true;
    }
    const Rect part = intersect(damage, crop);
    for (int y = part.top; y < part.top + part.height; ++y) {
        const Argb* from = painted.pixels.data() + std::size_t(y) * std::size_t(painted.width);
        std::uint32_t* to =
            frame_.pixels.data() + std::size_t(y - crop.top) * std::size_t(frame_.width);
        for (int x = part.left; x < part.left + part.width; ++x)
            to[x - crop.left] = xrgb_over_black(from[x]);
    }
    return frame_;
}

} // namespace q50
