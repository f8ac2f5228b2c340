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
    // The unlit-segment shadow and the fade of the board being copied (painter.h).
    void set_lcd_look(LcdLook* look) { painter_.set_lcd_look(look); }
    // Everything is laid out and painted afresh at the next paint (a new window size or
    // mode); the enlarged copies of pictures are kept.
    void invalidate();
    // As invalidate, and the enlarged copies are made anew too (new skin, new sets).
    void reset();

  private:
    Picture larger(const Picture& p, const SkinSets& sets);

    Board copy_;
    Painter painter_;
    int scale_ = 0;
    const Board* source_ = nullptr;
    std::vector<std::uint64_t> seen_;
    std::unordered_map<const Image*, Picture> repeated_;
    std::vector<Picture> keep_;
};

// A picture with every pixel repeated `k` times each way.
Image repeat_pixels(const Image& src, int k);

} // namespace q50
