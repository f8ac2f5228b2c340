#pragma once
// Paints the board at a whole scale from a skin's larger drawings: a copy of the board laid
// out at that scale, whose pictures are the larger drawings where the skin has them and the
// design-size pictures with every pixel repeated where it does not, painted by an ordinary
// painter. Only what changed on the board changes on the copy, so painting stays incremental.
#include "display/painter.h"
#include "display/skin_sets.h"

#include <unordered_map>
#include <vector>

namespace q50 {

class SetPainter {
  public:
    // The frame of `board` at `scale` (client size times scale); `damage` gets the changed
    // part in the frame's pixels, `parts` the changed parts apart (as the painter gives them).
    const Image& paint(const Board& board, const WindowModel& window, const SkinSets& sets,
                       int scale, Rect* damage = nullptr, std::vector<Rect>* parts = nullptr);
    // Only `area` of the board (design pixels), as a frame of the area's size times `scale`
    // whose top-left pixel is the area's, on a see-through base and without the backdrop and
    // the logo: the part of a fullscreen board that is laid over a backdrop drawn elsewhere.
    // No sets: the design-size pictures, every pixel repeated.
    const Image& paint_area(const Board& board, const WindowModel& window, const SkinSets* sets,
                            int scale, Rect area, Rect* damage = nullptr);
    // The unlit-segment shadow and the fade of the board being copied (painter.h).
    void set_lcd_look(LcdLook* look) { painter_.set_lcd_look(look); }
    // Everything is laid out and painted afresh at the next paint (a new window size or
    // mode); the enlarged copies of pictures are kept.
    void invalidate();
    // As invalidate, and the enlarged copies are made anew too (new skin, new sets).
    void reset();

  private:
    Picture larger(const Picture& p, const SkinSets* sets);
    const Image& paint_copy(const Board& board, const WindowModel& window, const SkinSets* sets,
                            int scale, Rect* damage, std::vector<Rect>* parts);

    Board copy_;
    Painter painter_;
    int scale_ = 0;
    Rect area_;         // the part painted, design pixels
    bool part_ = false; // paint_area's frame rather than the whole board's
    const Board* source_ = nullptr;
    std::vector<std::uint64_t> seen_;
    std::unordered_map<const Image*, Picture> repeated_;
    std::vector<Picture> keep_;
};

// A picture with every pixel repeated `k` times each way.
Image repeat_pixels(const Image& src, int k);

} // namespace q50
