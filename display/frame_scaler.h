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
    // Source row `row` resampled across into `to`, the columns of `out_rect`.
    void across(const Argb* row, Argb* to, Rect out_rect);
    // One output column of a source row, resampled across.
    Argb column(const Argb* row, std::size_t x) const;
    // Whether the taps make every two source pixels three output pixels, the middle one an
    // even mix of the two (150 %).
    bool in_halves(const std::vector<Tap>& taps) const;
    Argb* row(int y) { return out_.pixels.data() + std::size_t(y) * std::size_t(out_.width); }

    Image out_;
    int out_width_ = 0, out_height_ = 0;
    bool valid_ = false;
    double scale_ = 0;
    PixelSize src_size_;
    std::vector<Tap> across_, down_;
    std::vector<std::uint16_t> weights_;
    std::vector<Argb> rows_; // source rows resampled across, for one update
    // Enlarging: each output column's first source pixel; the columns that blend two (the
    // seams), their weights and, for one row, their pixel pairs.
    std::vector<int> first_;
    std::vector<std::uint32_t> seam_x_, seam_weight_;
    std::vector<Argb> seam_a_, seam_b_;
    bool halves_ = false;
    // Of one enlarging update, by source row: the output row that is its plain copy (-1:
    // none), and where it is resampled (null: not yet, or its slot was taken since).
    std::vector<int> own_row_;
    std::vector<const Argb*> home_;
};

// Where design rectangle `r` lands at a scale, every output pixel it touches, not clipped.
Rect scaled_unclipped(Rect r, double scale);
// The part of a scaled frame that shows design rectangle `r` (clipped to `out`).
Rect scaled_rect(Rect r, double scale, PixelSize out);

// The whole frame at a scale in one go.
Image scale_frame(const Image& src, double scale, PixelSize out);

} // namespace q50
