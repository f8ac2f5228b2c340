#pragma once
// One picture brought to the output's resolution where it lies, so that a scene is painted
// once at the output's size instead of painted small and enlarged as a whole.
//
// Fractional factors average areas, on the output's own pixel grid: each output pixel is the
// mean of the source area it covers, so thin LCD ink keeps its weight. The picture's border
// lands on the output pixel border nearest to it (an output pixel at least half covered is
// wholly the picture's), so that pictures meeting at a fractional place meet without a seam.
#include "board/image.h"
#include "board/segment.h"
#include "display/scale.h"

namespace q50 {

// The top-left `width` x `height` pixels of `src`, one source pixel made `factor` output
// pixels, with the picture's top-left corner `phase_x`, `phase_y` output pixels (each in
// [0, 1)) right of and below the result's top-left pixel (where the picture lands between two
// output pixels). Whole factors at phase 0 repeat every pixel exactly.
Image place_scaled(const Image& src, int width, int height, double factor, double phase_x,
                   double phase_y);
// Only the `part` of that result (in its pixels, cut to it): exactly the pixels the whole result
// has there, without making the rest. A picture far larger than what shows of it is never
// brought to the scale whole.
Image place_scaled(const Image& src, int width, int height, double factor, double phase_x,
                   double phase_y, Rect part);
// The size of place_scaled's whole result.
PixelSize placed_size(const Image& src, int width, int height, double factor, double phase_x,
                      double phase_y);

// `src` resampled to `width` x `height` by area averaging, each axis on its own (a stretched
// backdrop is not scaled alike both ways).
Image resample_area(const Image& src, int width, int height);
// Only the `part` of that result (cut to it).
Image resample_area(const Image& src, int width, int height, Rect part);

// A picture with every pixel repeated `k` times each way.
Image repeat_pixels(const Image& src, int k);

} // namespace q50
