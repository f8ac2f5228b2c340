#pragma once
// How the liquid crystal looks, beyond which segments are lit: the faint shadow of every unlit
// segment and the time a segment takes to darken or clear. Both belong to painting only: the
// board's shown flags switch at once and stay the game's state; this follows them, one level
// per LCD segment, and tells the painter what to draw and which segments need repainting.
#include "board/board.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace q50 {

// The ranges of the two settings (their names are in host/setting_names.h).
constexpr int kLcdShadowMax = 100;
constexpr int kLcdFadeMax = 200;

// A segment's ink as a fraction of its picture's alpha, in 1/65536.
constexpr int kFullInk = 65536;

class LcdLook {
  public:
    // Out-of-range values are clamped into range.
    void set_shadow(int percent);
    void set_fade(int ms);
    int shadow() const { return shadow_; }
    int fade() const { return fade_; }
    // Both off: the board is painted exactly as it is.
    bool active() const { return shadow_ > 0 || fade_ > 0; }
    // Bumped when a setting changes, so that a painter repaints everything.
    std::uint64_t revision() const { return revision_; }

    // A segment's shown flag changed at `at` (device time). Optional: update() notices any
    // change it was not told about and starts its fade at its own `now`.
    void switched(const Board& board, const Segment& s, std::int64_t at);
    // Brings every LCD segment's level to `now`.
    void update(const Board& board, std::int64_t now);
    // Whether the look can paint this board: the one update() follows, or a copy laid out
    // segment for segment like it (the same board drawn at a larger scale).
    bool fits(const Board& board) const { return states_.size() == board.segments().size(); }
    // Some segment is still between dark and lit after the last update.
    bool fading() const { return fading_; }

    // Painting. `i` is the segment's declaration index on the board last updated.
    // Whether the segment is an LCD segment this look paints (glyph sources never are: they
    // only lend their pictures to the digit positions).
    bool affects(std::size_t i) const { return i < states_.size() && states_[i].lcd; }
    // The ink at the segment's own layer: kFullInk lit, 0 not drawn there.
    int level(std::size_t i, bool shown) const {
        return affects(i) ? states_[i].level : shown ? kFullInk : 0;
    }
    // The ink of the shadow, 0 when off.
    int shadow_level() const { return shadow_ink(); }
    // Calls f(picture, rect) for every shadow, in layer order: each LCD segment that is dark
    // and settled, and every digit position with all its glyphs at once (where any figure
    // can appear, whatever it shows now).
    template <class F> void for_each_shadow(const Board& board, F&& f) const;
    // What a saved state keeps of the look, by segment: the shown flag followed, how lit the
    // segment was when its fade began, and when that was.
    struct Fade {
        bool target = false;
        double from = 0;
        std::int64_t start = 0;
    };
    std::vector<Fade> fades() const;
    // Puts saved fades back for `board` (`now` is the time of a first attach); a list of
    // another length changes nothing. The levels follow at the next update().
    void restore_fades(const Board& board, const std::vector<Fade>& fades, std::int64_t now);

    // Segments whose level changed since clear_changes().
    bool changed(std::size_t i) const { return i < states_.size() && states_[i].changed; }
    bool any_changed() const { return any_changed_; }
    void clear_changes();

  private:
    struct State {
        bool lcd = false;
        bool digit = false;
        bool target = false; // the shown flag being followed
        double from = 0;     // lit fraction when the fade began
        std::int64_t start = 0;
        int level = 0;
        bool changed = false;
    };

    void attach(const Board& board, std::int64_t now);
    double lit_at(const State& st, std::int64_t t) const;
    int ink_for(double lit) const;
    int shadow_ink() const;
    const Picture& all_glyphs(const Board& board) const;

    int shadow_ = 0;
    int fade_ = 0;
    std::uint64_t revision_ = 1;
    const Board* board_ = nullptr;
    std::vector<State> states_;
    std::vector<std::size_t> shadow_order_; // LCD segments in layer order
    bool fading_ = false;
    bool any_changed_ = false;
    // The digit positions' shadow: every glyph on top of each other, kept until the glyphs
    // change.
    mutable Picture glyph_union_;
    mutable std::vector<const Image*> glyph_sources_;
};

// The pictures of the board's glyph sources (null where a glyph has none), and the shadow of a
// digit position made of them: every glyph on top of each other, the strongest ink winning.
std::vector<const Image*> glyph_pictures(const Board& board);
Image strongest_of(const std::vector<const Image*>& glyphs);

template <class F> void LcdLook::for_each_shadow(const Board& board, F&& f) const {
    if (shadow_ink() == 0 || !fits(board)) return;
    const auto& segs = board.segments();
    for (std::size_t i : shadow_order_) {
        const State& st = states_[i];
        const Segment& s = segs[i];
        if (st.digit) {
            if (const Picture& p = all_glyphs(board)) f(p, s.rect);
        } else if (st.level == 0 && s.picture) {
            f(s.picture, s.rect);
        }
    }
}

} // namespace q50
