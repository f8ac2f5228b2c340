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
#include "display/copy_budget.h"
#include "display/painter.h"
#include "display/picture_scaler.h"
#include "display/skin_sets.h"

#include <functional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace q50 {

class SetPainter {
  public:
    SetPainter() = default;
    ~SetPainter();
    SetPainter(const SetPainter&) = delete;
    SetPainter& operator=(const SetPainter&) = delete;
    // The frame of `board` at `scale` (client size times scale); `damage` gets the changed
    // part in the frame's pixels, `parts` the changed parts apart (as the painter gives them).
    const Image& paint(const Board& board, const WindowModel& window, const SkinSets& sets,
                       int scale, Rect* damage = nullptr, std::vector<Rect>* parts = nullptr);

    // Where paint_area paints: `place` of `frame` (in the frame's pixels) shows the area, over
    // `under`'s pixels there (`under` covers `place`, from (under_left, under_top) of the frame).
    struct Target {
        Image* frame = nullptr;
        const Image* under = nullptr;
        Rect place;
        int under_left = 0, under_top = 0; // where the underlay's first pixel lies in the frame
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

    // Where the pictures brought to the scale are charged (null: a budget of this painter's own).
    // Only the part of a picture that shows is brought to the scale; a copy the budget refuses
    // leaves its segment without a picture at this scale.
    void set_copy_budget(CopyBudget* copies);
    const CopyBudget& copy_budget() const { return *copies_; }

  private:
    struct Placed {
        const Image* picture;
        int left, top, width, height; // where it lies (design pixels) and how much of it shows
        Rect part;                    // of the copy, what is made (kWhole: all of it)
        bool operator==(const Placed&) const = default;
    };
    struct PlacedHash {
        std::size_t operator()(const Placed& p) const {
            std::size_t h = std::hash<const void*>()(p.picture);
            for (int v : {p.left, p.top, p.width, p.height, p.part.left, p.part.top, p.part.width,
                          p.part.height})
                h = h * 1000003u ^ std::size_t(v);
            return h;
        }
    };
    static constexpr Rect kWhole{0, 0, -1, -1};
    // Where a segment lies on the copy of a part and what of its picture's copy shows there.
    struct OnCopy {
        Rect rect;  // the segment's rectangle on the copy, cut to the part when it lies across it
        Rect part;  // of the picture's copy: kWhole, or what shows (empty: nothing)
        Rect whole; // the segment's rectangle on the copy, not cut
    };
    OnCopy on_copy(Rect design) const;
    // Whether `p` at rectangle `design` is drawn at its own size, pixel for pixel: then the
    // painter can cut it to the frame itself, and the part that shows needs no copy.
    bool at_own_size(const Picture& p, Rect design, const SkinSets* sets) const;
    // The picture `p` (segment rectangle `rect`, design pixels) at the set's size on a frame of
    // `frame`, and the rectangle it is drawn at.
    std::pair<Picture, Rect> larger(const Picture& p, Rect rect, PixelSize frame,
                                    const SkinSets* sets);
    Picture placed(const Picture& p, Rect r, const SkinSets* sets, Rect part = kWhole);
    // A copy of `source` of `size` made by `make`, charged to the copy budget (null: refused).
    Picture copy(const Image& source, PixelSize size, const std::function<Image()>& make);
    void drop_copies();
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
    std::unordered_map<Placed, Picture, PlacedHash> repeated_, placed_; // null: refused
    CopyBudget own_copies_;
    CopyBudget* copies_ = &own_copies_;
    std::int64_t held_ = 0; // charged to copies_ for what repeated_ and placed_ hold
    std::vector<Picture> keep_;
    struct Digit {
        OnCopy at;     // on the copy
        Rect on_board; // design pixels
    };
    std::vector<Digit> digits_;
    std::vector<const Image*> glyph_sources_;
    Picture glyphs_; // the digits' shadow in design pixels, made of glyph_sources_
};

} // namespace q50
