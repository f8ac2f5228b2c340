#pragma once
// A fullscreen board shown at a scale other than 1, composed in two layers so that a repaint
// touches only the device:
// - the decorations (window colour, backdrop, logo) drawn once per screen size straight at
//   the screen's resolution, each from the largest drawing the skin has, resampled once;
// - the parts of the board that lie over them (the device, the menu button), each painted
//   straight into the frame over the decorations, from pictures brought to the screen's
//   resolution where they lie (set_painter.h).
// The screen-sized frame is kept between repaints: what lies outside the parts is written
// only when the decorations change. The decorations are kept apart only where the board's
// segments can lie (the device, the menu button), as the parts' underlay.
#include "display/set_painter.h"

#include <memory>
#include <vector>

namespace q50 {

class ScaledScene {
  public:
    // The frame of `board` at `scale` on an output of `out` pixels; `damage` gets the part
    // that changed, `parts` the changed parts apart (a flame at the left and the score at the
    // right are two). `sets` (may be null) holds the skin's larger drawings.
    const Image& paint(const Board& board, const WindowModel& window, const SkinSets* sets,
                       double scale, PixelSize out, Rect* damage = nullptr,
                       std::vector<Rect>* parts = nullptr);
    const Image& frame() const { return frame_; }
    // What the decorations kept apart under the parts take.
    std::int64_t underlay_bytes() const;
    void set_lcd_look(LcdLook* look);
    // Where the parts' pictures brought to the scale are charged, and the decorations' memory
    // failures told (null: a budget of the scene's own).
    void set_copy_budget(CopyBudget* copies);
    // The parts are painted afresh at the next paint; the decorations are kept while they
    // and the screen stay the same.
    void invalidate() { valid_ = false; }
    // As invalidate, and the decorations and every cached picture are made anew.
    void reset();

  private:
    struct Part {
        Rect area; // design pixels
        Rect out;  // its place in the frame
        SetPainter painter;
    };
    struct DecorKey {
        PixelSize out;
        double scale = 0;
        Colour colour = 0;
        bool stretch = false;
        Picture backdrop, logo; // held, so that a new picture never takes an old one's address
        Rect backdrop_rect, logo_rect;
        const SkinSets* sets = nullptr;
        bool operator==(const DecorKey&) const = default;
    };
    // The decorations of `area` of the screen (screen pixels), in a picture of its size.
    Image decorations(const Board& board, const WindowModel& window, const SkinSets* sets,
                      Rect area) const;
    bool parts_hold(const Board& board, Rect client) const;
    // The underlays for where the segments can lie; `fresh`: the frame holds only decorations.
    void update_underlays(const Board& board, const WindowModel& window, const SkinSets* sets,
                          Rect client, bool fresh);
    struct Underlay {
        Rect at; // screen pixels
        Image image;
    };
    const Underlay* underlay_for(Rect out_rect) const;
    void restore(Rect out_rect);

    CopyBudget own_copies_; // before the parts, which give back to it as they go
    CopyBudget* copies_ = &own_copies_;
    Image frame_;
    // Each held apart so that the parts' painters may keep its address.
    std::vector<std::unique_ptr<Underlay>> under_;
    std::vector<std::unique_ptr<Underlay>> gone_under_; // until the parts that used them are gone
    // What the reaches were worked out from: each segment's rectangle and picture, and the
    // client; a repaint of a lit segment changes none of it and skips the grouping.
    struct ReachInput {
        Rect rect;
        const Image* picture;
        bool operator==(const ReachInput&) const = default;
    };
    std::vector<ReachInput> reach_inputs_;
    Rect reach_client_;
    std::vector<Rect> reaches_; // screen pixels
    DecorKey decor_;
    bool valid_ = false;
    std::vector<std::unique_ptr<Part>> parts_;
    LcdLook* look_ = nullptr;
};

// The parts of `board` that a fullscreen frame draws over the decorations: the rectangles of
// the segments drawn (not the backdrop or the logo), grouped where they touch or overlap.
std::vector<Rect> board_parts(const Board& board, Rect whole, const LcdLook* look);

} // namespace q50
