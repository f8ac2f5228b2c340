#pragma once
// Paints the board larger than its design size: a copy of the board laid out at the output's
// scale whose pictures are brought to that scale, painted by an ordinary painter. Only what
// changed on the board changes on the copy, so painting stays incremental.
// - paint(): the whole board at a whole scale, from the skin's drawings at that scale where it
//   has them and the design-size pictures with every pixel repeated where it does not.
// - paint_area(): a part of a fullscreen board at any scale, straight into the screen's frame
//   over the decorations drawn there: every picture brought once to the output's pixels where
//   it lies (from the skin's drawings of a set, or its design size), so the part is painted once
//   at the output's resolution instead of painted small and enlarged.
#include "display/painter.h"
#include "display/picture_scaler.h"
#include "display/skin_sets.h"

#include <unordered_map>
#include <utility>
#include <vector>

namespace q50 {

class SetPainter {
  public:
    // The frame of `board` at `scale` (client size times scale); `damage` gets the changed
    // part in the frame's pixels, `parts` the changed parts apart (as the painter gives them).
    const Image& paint(const Board& board, const WindowModel& window, const SkinSets& sets,
                       int scale, Rect* damage = nullptr, std::vector<Rect>* parts = nullptr);

    // Where paint_area paints: `place` of `frame` (in the frame's pixels) shows the area, over
    // `under`'s pixels there (the frame's size).
    struct Target {
        Image* frame = nullptr;
        const Image* under = nullptr;
        Rect place;
    };
    // Only `area` of the board (design pixels) at `scale`, without the backdrop and the logo,
    // painted into the target; the pictures come from the skin's drawings at `set` (1: the
    // design size) where it has them. `damage` gets the changed part in the frame's pixels.
    // `place` is the area at the scale (design pixel x lands on output pixel floor(x * scale)),
    // clipped to the frame. `parts` gets the changed parts apart, in the frame's pixels.
    void paint_area(const Board& board, const WindowModel& window, const SkinSets* sets, int set,
                    double scale, Rect area, const Target& to, Rect* damage = nullptr,
                    std::vector<Rect>* parts = nullptr);

    // The unlit-segment shadow and the fade of the board being copied (painter.h).
    void set_lcd_look(LcdLook* look) { painter_.set_lcd_look(look); }
    // Everything is laid out and painted afresh at the next paint (a new window size or
    // mode); the pictures brought to the scale are kept.
    void invalidate();
    // As invalidate, and the pictures brought to the scale are made anew too (new skin, sets).
    void reset();

  private:
    struct Placed {
        const Image* picture;
        int left, top, width, height; // where it lies (design pixels) and how much of it shows
        bool operator==(const Placed&) const = default;
    };
    struct PlacedHash {
        std::size_t operator()(const Placed& p) const {
            std::size_t h = std::hash<const void*>()(p.picture);
            for (int v : {p.left, p.top, p.width, p.height}) h = h * 1000003u ^ std::size_t(v);
            return h;
        }
    };
    Picture larger(const Picture& p, const SkinSets* sets);
    Picture placed(const Picture& p, Rect r, const SkinSets* sets);
    const Image& paint_copy(const Board& board, const WindowModel& window, const SkinSets* sets,
                            Rect* damage, std::vector<Rect>* parts);
    void rescale(double scale, int set);
    // A shadow's picture at a rectangle of the copy: a digit position's shadow (every glyph on
    // top of each other) made in design pixels and brought to the scale where that digit lies,
    // so that it lines up with the glyphs the digit shows; any other as the look names it.
    Picture shadow_picture(const Picture& named, Rect at);

    Board copy_;
    Painter painter_;
    double scale_ = 0;
    int set_ = 0;
    Rect area_;  // the part painted, design pixels
    Rect place_; // where it lies in the target
    Target target_;
    bool part_ = false; // paint_area's frame rather than the whole board's
    const Board* source_ = nullptr;
    std::vector<std::uint64_t> seen_;
    std::unordered_map<const Image*, Picture> repeated_;
    std::unordered_map<Placed, Picture, PlacedHash> placed_;
    std::vector<Picture> keep_;
    std::vector<std::pair<Rect, Rect>> digits_; // a digit's rectangle on the copy, on the board
    std::vector<const Image*> glyph_sources_;
    Picture glyphs_; // the digits' shadow in design pixels, made of glyph_sources_
};

} // namespace q50
