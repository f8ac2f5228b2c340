#include "display/lcd_look.h"

#include <algorithm>
#include <cmath>

namespace q50 {

void LcdLook::set_shadow(int percent) {
    percent = std::clamp(percent, 0, kLcdShadowMax);
    if (percent == shadow_) return;
    shadow_ = percent;
    ++revision_;
    clear_changes(); // a painter repaints everything after a change of setting
    // Levels of segments at rest move with the shadow; the next update recomputes them.
    for (State& st : states_) st.level = st.lcd ? ink_for(st.target ? 1.0 : 0.0) : 0;
}

void LcdLook::set_fade(int ms) {
    ms = std::clamp(ms, 0, kLcdFadeMax);
    if (ms == fade_) return;
    fade_ = ms;
    ++revision_;
    clear_changes();
    // A fade under way ends where it was heading.
    for (State& st : states_) st.from = st.target ? 1.0 : 0.0;
}

int LcdLook::shadow_ink() const {
    return int(std::lround(double(shadow_) * kFullInk / kLcdShadowMax));
}

int LcdLook::ink_for(double lit) const {
    if (lit <= 0) return 0;
    if (lit >= 1) return kFullInk;
    const double f = double(shadow_) / kLcdShadowMax;
    return std::clamp(int(std::lround((f + (1 - f) * lit) * kFullInk)), 1, kFullInk);
}

double LcdLook::lit_at(const State& st, std::int64_t t) const {
    if (fade_ <= 0) return st.target ? 1.0 : 0.0;
    const double step = double(std::max<std::int64_t>(0, t - st.start)) / fade_;
    return st.target ? std::min(1.0, st.from + step) : std::max(0.0, st.from - step);
}

void LcdLook::attach(const Board& board, std::int64_t now) {
    board_ = &board;
    const auto& segs = board.segments();
    states_.assign(segs.size(), State{});
    auto index_of = [&](const Segment* s) { return std::size_t(s - segs.data()); };
    for (std::size_t i = 0; i < segs.size(); ++i) {
        State& st = states_[i];
        st.lcd = segs[i].transparent;
        st.target = segs[i].shown;
        st.from = st.target ? 1.0 : 0.0;
        st.start = now;
    }
    for (int k = SegTable<10, 0>::first(); k <= SegTable<10, 0>::last(); ++k)
        if (const Segment* s = board.Seg_Number.slot(k)) states_[index_of(s)].lcd = false;
    for (int k = SegTable<4, 1>::first(); k <= SegTable<4, 1>::last(); ++k)
        if (const Segment* s = board.Seg_Digit.slot(k)) states_[index_of(s)].digit = true;
    for (State& st : states_) st.level = st.lcd ? ink_for(st.from) : 0;

    shadow_order_.clear();
    for (std::size_t i = 0; i < segs.size(); ++i)
        if (states_[i].lcd) shadow_order_.push_back(i);
    std::stable_sort(shadow_order_.begin(), shadow_order_.end(),
                     [&](std::size_t a, std::size_t b) { return segs[a].layer < segs[b].layer; });
    glyph_union_.reset();
    glyph_sources_.clear();
}

void LcdLook::switched(const Board& board, const Segment& s, std::int64_t at) {
    if (&board != board_ || states_.size() != board.segments().size()) attach(board, at);
    const std::size_t i = std::size_t(&s - board.segments().data());
    if (i >= states_.size()) return;
    State& st = states_[i];
    if (!st.lcd || st.target == s.shown) return;
    st.from = lit_at(st, at);
    st.target = s.shown;
    st.start = at;
}

void LcdLook::update(const Board& board, std::int64_t now) {
    if (&board != board_ || states_.size() != board.segments().size()) attach(board, now);
    const auto& segs = board.segments();
    fading_ = false;
    for (std::size_t i = 0; i < segs.size(); ++i) {
        State& st = states_[i];
        if (!st.lcd) continue;
        if (st.target != segs[i].shown) switched(board, segs[i], now);
        const double lit = lit_at(st, now);
        if (st.target ? lit < 1 : lit > 0) fading_ = true;
        const int level = ink_for(lit);
        if (level == st.level) continue;
        st.level = level;
        // Switched off, the look follows the board quietly: nothing of it is painted.
        if (!active()) continue;
        st.changed = true;
        any_changed_ = true;
    }
}

std::vector<LcdLook::Fade> LcdLook::fades() const {
    std::vector<Fade> out;
    for (const State& st : states_) out.push_back({st.target, st.from, st.start});
    return out;
}

void LcdLook::restore_fades(const Board& board, const std::vector<Fade>& fades, std::int64_t now) {
    if (&board != board_ || states_.size() != board.segments().size()) attach(board, now);
    if (fades.size() != states_.size()) return;
    for (std::size_t i = 0; i < fades.size(); ++i) {
        states_[i].target = fades[i].target;
        states_[i].from = fades[i].from;
        states_[i].start = fades[i].start;
    }
    // The levels follow at the next update, which repaints the segments whose level moved.
}

void LcdLook::clear_changes() {
    if (!any_changed_) return;
    for (State& st : states_) st.changed = false;
    any_changed_ = false;
}

Image strongest_of(const std::vector<const Image*>& glyphs) {
    int w = 0, h = 0;
    for (const Image* g : glyphs)
        if (g) {
            w = std::max(w, g->width);
            h = std::max(h, g->height);
        }
    if (w <= 0 || h <= 0) return Image{};
    // Where glyphs overlap, the strongest ink wins, so a stroke that most digits share is not
    // darker than one that few have.
    Image all(w, h, 0);
    for (const Image* g : glyphs) {
        if (!g) continue;
        for (int y = 0; y < g->height; ++y)
            for (int x = 0; x < g->width; ++x) {
                const Argb p = g->at(x, y);
                if (alpha_of(p) > alpha_of(all.at(x, y))) all.at(x, y) = p;
            }
    }
    return all;
}

std::vector<const Image*> glyph_pictures(const Board& board) {
    std::vector<const Image*> sources;
    for (int k = SegTable<10, 0>::first(); k <= SegTable<10, 0>::last(); ++k) {
        const Segment* s = board.Seg_Number.slot(k);
        sources.push_back(s && s->picture ? s->picture.get() : nullptr);
    }
    return sources;
}

const Picture& LcdLook::all_glyphs(const Board& board) const {
    const std::vector<const Image*> sources = glyph_pictures(board);
    if (sources == glyph_sources_) return glyph_union_;
    glyph_sources_ = sources;
    glyph_union_.reset();
    Image all = strongest_of(sources);
    if (all.empty()) return glyph_union_;
    glyph_union_ = std::make_shared<const Image>(std::move(all));
    return glyph_union_;
}

} // namespace q50
