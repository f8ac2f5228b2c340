#pragma once
// The painter's frame (design pixels) shown at a scale: a stage after the painter that keeps
// a scaled copy of the frame up to date, redoing only the part the painter repainted.
//
// Whole-number scales replicate pixels (nearest neighbour), so a skin looks exactly as its
// author drew it, only bigger. Fractional scales average areas: each output pixel is the mean
// of the design pixels it covers, weighted by how much of it each covers, so thin LCD ink
// keeps its weight and never doubles or vanishes as it can with nearest neighbour. See-through
// pixels stay see-through: an output pixel is opaque when at least half of it is, so the
// window's outline stays a clean edge.
#include "board/board.h"
#include "board/image.h"
#include "display/scale.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace q50 {

class FrameScaler {
  public:
    // Brings the scaled frame (size `out`) up to date with `src` where `damage` (in design
    // pixels) says it changed, and returns the part of the scaled frame that changed. A new
    // scale, output size or source size repaints everything.
    Rect update(const Image& src, Rect damage, double scale, PixelSize out);
    const Image& frame() const { return out_; }
    // The scaled frame is redone in full at the next update.
    void invalidate() { valid_ = false; }

  private:
    struct Tap {
        int first = 0;   // first source index
        int count = 0;   // source indices used
        int weights = 0; // offset into weights_, count entries summing to 256
    };
    void build_axis(std::vector<Tap>& taps, int out_n, int src_n);
    void replicate(const Image& src, Rect damage, int k);
    void average(const Image& src, Rect out_rect);
    void enlarge(const Image& src, Rect out_rect);
    Argb* row(int y) { return out_.pixels.data() + std::size_t(y) * std::size_t(out_.width); }

    Image out_;
    int out_width_ = 0, out_height_ = 0;
    bool valid_ = false;
    double scale_ = 0;
    PixelSize src_size_;
    std::vector<Tap> across_, down_;
    std::vector<std::uint16_t> weights_;
    std::vector<Argb> rows_; // source rows resampled across, for one update
};

// Where design rectangle `r` lands at a scale, every output pixel it touches, not clipped.
Rect scaled_unclipped(Rect r, double scale);
// The part of a scaled frame that shows design rectangle `r` (clipped to `out`).
Rect scaled_rect(Rect r, double scale, PixelSize out);

// The whole frame at a scale in one go.
Image scale_frame(const Image& src, double scale, PixelSize out);

} // namespace q50
