#pragma once
// The picture a frame-driven front end shows: the whole device or its LCD alone, at a whole
// scale, as 32-bit XRGB pixels. Kept up to date from the painter's frame, redoing only what
// the painter repainted.
#include "board/image.h"
#include "board/rect.h"
#include "display/scale.h"

#include <cstdint>
#include <vector>

namespace q50 {

enum class View { WholeDevice, LcdOnly };
inline constexpr int kMaxViewScale = 4;

struct ViewChoice {
    View view = View::WholeDevice;
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
    // Brings the view up to date: `painted` is the board's frame at the view's scale, `damage`
    // the part of it repainted, `crop` (in its pixels) the part the view shows. A new crop or
    // size redoes everything.
    const PixelFrame& update(const Image& painted, Rect damage, Rect crop);
    const PixelFrame& frame() const { return frame_; }
    void invalidate() { valid_ = false; }

  private:
    PixelFrame frame_;
    Rect crop_;
    bool valid_ = false;
};

} // namespace q50
