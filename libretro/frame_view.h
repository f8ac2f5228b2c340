#pragma once
// The picture a frame-driven front end shows: the presenter's frame as 32-bit XRGB pixels,
// kept up to date from the rectangles the presenter tells changed.
#include "board/image.h"
#include "board/rect.h"
#include "display/presenter.h"

#include <cstdint>
#include <vector>

namespace q50 {

inline constexpr int kMaxViewScale = 4;

struct ViewChoice {
    View view = View::Device;
    int scale = 1; // 1..kMaxViewScale
    bool operator==(const ViewChoice&) const = default;
};

struct PixelFrame {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // 0x00RRGGBB, rows top to bottom
};

// A painter's pixel as the front end shows it: laid over black by its alpha (what is
// see-through around the windowed device is black), the top byte cleared.
constexpr std::uint32_t xrgb_over_black(Argb p) {
    const std::uint32_t a = alpha_of(p);
    if (a == 0xff) return p & 0x00ffffffu;
    auto channel = [a](std::uint32_t c) { return (c * a + 127) / 255; };
    return channel((p >> 16) & 0xff) << 16 | channel((p >> 8) & 0xff) << 8 | channel(p & 0xff);
}

class ViewPainter {
  public:
    // Copies what a present changed of `shown`; a new size, or `all`, redoes everything.
    const PixelFrame& update(const Image& shown, const std::vector<Rect>& changed, bool all);
    const PixelFrame& frame() const { return frame_; }

  private:
    void copy(const Image& shown, Rect part);
    PixelFrame frame_;
};

} // namespace q50
