#pragma once
// Paints the board into one frame: the window colour, then every shown segment in layer
// order, each picture at its own size from its rectangle's top-left corner and cut off at
// the rectangle, blended by its alpha; in windowed mode pixels of exactly the key colour end
// up fully transparent. im_backdrop alone centres or stretches its picture.
#include "board/board.h"
#include "display/lcd_look.h"
#include "display/window_model.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace q50 {

class Painter {
  public:
    Painter();
    ~Painter();
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;

    // Brings the frame up to date with the board and the window and returns it. Only the
    // parts that changed since the last call are repainted; `damage` (when given) receives
    // the rectangle around them, an empty one when nothing changed, and `parts` the parts
    // themselves, disjoint rectangles.
    const Image& paint(const Board& board, const WindowModel& window, Rect* damage = nullptr,
                       std::vector<Rect>* parts = nullptr);
    // Forgets the previous frame, so that the next paint repaints everything.
    void invalidate() { valid_ = false; }

    const Image& frame() const { return frame_; }

    // The unlit-segment shadow and the segment fade, brought up to date by its owner before
    // each paint; null (the default) paints the board exactly as it is.
    void set_lcd_look(LcdLook* look) {
        look_ = look;
        valid_ = false;
    }

    // Paints into `target`, with the frame's top-left pixel at (`left`, `top`) of it, instead of
    // into a frame of its own; the base is `under`'s pixels at the same place (`under` lies
    // with its top-left pixel at (`under_left`, `under_top`) of the target and covers the
    // frame; null: the window's colour). The caller keeps the frame within the target. Null
    // target: a frame of its own again.
    void set_target(Image* target, const Image* under, int left, int top, int under_left = 0,
                    int under_top = 0);

    // The picture a shadow is drawn from at a rectangle, given the one the look names: a board
    // laid out at another scale brings a shadow made in design pixels to that place. Null (the
    // default): the picture the look names.
    void set_shadow_pictures(std::function<Picture(const Picture&, Rect)> map) {
        shadow_map_ = std::move(map);
        valid_ = false;
    }

    // A picture ready for fast drawing (defined in painter.cpp).
    struct Prepared;

  private:
    struct Seen {
        bool shown = false;
        Rect rect;
        std::uint64_t revision = 0;
    };

    // Where and how a segment is drawn in `clip`: nothing when it is not (no prepared picture).
    struct Placed {
        const Prepared* prepared = nullptr;
        int x = 0, y = 0; // the picture's top-left pixel
        Rect bounds;      // what of it is drawn
        int ink = 0;
    };
    // The widest opaque run of one layer on a row of the region being painted, and its place
    // in the layer order (-1: none).
    struct Cover {
        int from = 0, to = 0;
        int order = -1;
    };
    void paint_region(const WindowModel& window, Rect clip);
    void paint_band(const WindowModel& window, Rect clip);
    Placed placed(const Segment& s, const WindowModel& window, Rect clip);
    void find_covers(Rect clip);
    // `strongest`: the unlit segments' shadows, where overlapping ones do not add up. `order`:
    // the layer's place in the layer order, when what a layer above covers may be skipped.
    void draw_prepared(const Prepared& p, int x, int y, Rect clip, int ink = kFullInk,
                       bool strongest = false, int order = -1);
    void draw_lcd_shadows(Rect clip);
    const Prepared& prepared(const Picture& picture);
    const Prepared& stretched(const Picture& picture, int width, int height);
    void order_layers(const Board& board);
    // A picture with its alpha taken down to the shadow's ink, kept while the ink stays.
    const Prepared& shaded(const Picture& picture, int ink);
    void prune_cache();
    Argb* row_at(int y) {
        return target_ ? target_->pixels.data() +
                             std::size_t(y + target_top_) * std::size_t(target_->width) +
                             std::size_t(target_left_)
                       : frame_.pixels.data() + std::size_t(y) * std::size_t(frame_.width);
    }

    Image frame_;
    int width_ = 0, height_ = 0; // of the frame painted, in its own or the target
    Image* target_ = nullptr;
    const Image* under_ = nullptr;
    int target_left_ = 0, target_top_ = 0;
    int under_left_ = 0, under_top_ = 0; // the underlay's place in the target
    bool valid_ = false;
    WindowModel window_;
    const Board* board_ = nullptr;
    const Segment* backdrop_ = nullptr;
    std::uint64_t board_revision_ = 0;
    std::vector<const Segment*> order_;
    std::vector<Seen> seen_; // by declaration index
    struct CacheEntry;
    std::unordered_map<const Image*, std::unique_ptr<CacheEntry>> cache_;
    std::unique_ptr<CacheEntry> stretch_;
    std::unordered_map<const Image*, std::unique_ptr<CacheEntry>> shadow_cache_;
    int shadow_ink_ = -1;
    LcdLook* look_ = nullptr;
    LcdLook* look_in_use_ = nullptr; // look_ when it follows the board being painted
    std::uint64_t look_revision_ = 0;
    std::function<Picture(const Picture&, Rect)> shadow_map_;
    std::vector<Placed> layers_; // in layer order, for the region being painted
    std::vector<Cover> covers_;  // by row of the band being painted
    int covers_top_ = 0;
};

// The whole frame at once.
Image paint_board(const Board& board, const WindowModel& window);

// A picture stretched to width x height, nearest neighbour: how a stretched backdrop is drawn.
Image stretch_picture(const Image& src, int width, int height);

// A stretched backdrop that is drawn at the design scale, kept only as it is drawn: stretched to
// the window once, the decoded picture let go. Call it only for a board shown at scale 1; at any
// other scale the decorations are resampled from the decoded picture (or a larger drawing that
// is found by it), so it must stay as decoded.
void keep_backdrop_as_drawn(Board& board, const WindowModel& window);

} // namespace q50
