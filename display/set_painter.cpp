#include "display/set_painter.h"

#include "display/frame_scaler.h"

#include <algorithm>
#include <cmath>

namespace q50 {

namespace {

// How far past the output pixel it lands on a design coordinate lies, in output pixels.
double phase(int v, double scale) {
    const double p = v * scale - std::floor(v * scale + 1e-9);
    return p < 1e-9 ? 0.0 : std::min(p, 1.0);
}

} // namespace

Picture SetPainter::shadow_picture(const Picture& named, Rect at) {
    for (const auto& [on_copy, on_board] : digits_) {
        if (!(on_copy == at)) continue;
        const std::vector<const Image*> sources = glyph_pictures(*source_);
        if (sources != glyph_sources_ || !glyphs_) {
            glyph_sources_ = sources;
            Image all = strongest_of(sources);
            glyphs_ = all.empty() ? nullptr : std::make_shared<const Image>(std::move(all));
        }
        return glyphs_ ? placed(glyphs_, on_board, nullptr) : named;
    }
    return named;
}

void SetPainter::invalidate() {
    source_ = nullptr;
    painter_.invalidate();
}

void SetPainter::reset() {
    invalidate();
    repeated_.clear();
    placed_.clear();
    keep_.clear();
}

void SetPainter::rescale(double scale, int set) {
    if (scale == scale_ && set == set_) return;
    repeated_.clear();
    placed_.clear();
    keep_.clear();
    scale_ = scale;
    set_ = set;
    invalidate();
}

Picture SetPainter::larger(const Picture& p, const SkinSets* sets) {
    if (!p || set_ == 1) return p;
    if (Picture big = sets ? sets->find(p.get(), set_) : nullptr) return big;
    auto& r = repeated_[p.get()];
    if (!r) {
        r = std::make_shared<const Image>(repeat_pixels(*p, set_));
        keep_.push_back(p); // its address stays its own while the copy is cached
    }
    return r;
}

Picture SetPainter::placed(const Picture& p, Rect r, const SkinSets* sets) {
    if (!p || p->empty()) return p;
    // A picture shows from its rectangle's top-left corner and is cut off at the rectangle.
    const Placed key{p.get(), r.left, r.top, std::clamp(r.width, 0, p->width),
                     std::clamp(r.height, 0, p->height)};
    auto& e = placed_[key];
    if (e) return e;
    const Picture big = sets && set_ > 1 ? sets->find(p.get(), set_) : nullptr;
    const int k = big ? set_ : 1;
    const double factor = scale_ / k, px = phase(r.left, scale_), py = phase(r.top, scale_);
    if (factor == 1.0 && px == 0 && py == 0 && key.width == p->width && key.height == p->height) {
        e = big ? big : p;
    } else {
        e = std::make_shared<const Image>(
            place_scaled(big ? *big : *p, key.width * k, key.height * k, factor, px, py));
    }
    keep_.push_back(p); // its address stays its own while the copy is cached
    return e;
}

const Image& SetPainter::paint(const Board& board, const WindowModel& window, const SkinSets& sets,
                               int scale, Rect* damage, std::vector<Rect>* parts) {
    if (part_) {
        part_ = false;
        target_ = Target{};
        painter_.set_target(nullptr, nullptr, 0, 0);
        painter_.set_shadow_pictures(nullptr);
        source_ = nullptr;
    }
    rescale(scale, scale);
    area_ = Rect{0, 0, window.client_width, window.client_height};
    return paint_copy(board, window, &sets, damage, parts);
}

void SetPainter::paint_area(const Board& board, const WindowModel& window, const SkinSets* sets,
                            int set, double scale, Rect area, const Target& to, Rect* damage,
                            std::vector<Rect>* parts) {
    rescale(scale, std::max(set, 1));
    if (!part_ || !(area == area_) || !(to.place == place_) || to.frame != target_.frame ||
        to.under != target_.under) {
        part_ = true;
        source_ = nullptr;
        area_ = area;
        place_ = to.place;
        target_ = to;
        painter_.set_target(to.frame, to.under, place_.left, place_.top);
        painter_.set_shadow_pictures(
            [this](const Picture& named, Rect at) { return shadow_picture(named, at); });
    }
    Rect d;
    std::vector<Rect> changed;
    paint_copy(board, window, sets, &d, parts ? &changed : nullptr);
    const auto to_frame = [this](Rect& r) {
        if (r.width <= 0 || r.height <= 0) return;
        r.left += place_.left;
        r.top += place_.top;
    };
    to_frame(d);
    if (damage) *damage = d;
    if (parts) {
        for (Rect& r : changed) to_frame(r);
        *parts = std::move(changed);
    }
}

const Image& SetPainter::paint_copy(const Board& board, const WindowModel& window,
                                    const SkinSets* sets, Rect* damage, std::vector<Rect>* parts) {
    if (source_ != &board) {
        source_ = &board;
        seen_.assign(board.segments().size(), ~std::uint64_t(0));
    }
    const Segment* backdrop = part_ ? &board.get("im_backdrop") : nullptr;
    const Segment* logo = part_ ? &board.get("im_backdrop_logo") : nullptr;
    const auto& from = board.segments();
    auto& to = copy_.segments();
    for (std::size_t i = 0; i < from.size() && i < to.size(); ++i) {
        const Segment& s = from[i];
        if (s.revision == seen_[i]) continue;
        seen_[i] = s.revision;
        Segment& c = to[i];
        // The decorations of a part are drawn elsewhere, at the screen's resolution.
        const bool decoration = &s == backdrop || &s == logo;
        if (part_) {
            const Rect r = scaled_unclipped(s.rect, scale_);
            copy_.set_rect(c, Rect{r.left - place_.left, r.top - place_.top, r.width, r.height});
            // A picture is brought to the scale when it may show: its segment shown, or an LCD
            // segment (dark ones show as shadows and fades). A hidden button's pressed picture
            // waits for its first press.
            const bool may_show = s.shown || s.transparent;
            copy_.set_picture(c,
                              decoration || !may_show ? nullptr : placed(s.picture, s.rect, sets));
        } else {
            copy_.set_rect(c, Rect{s.rect.left * set_, s.rect.top * set_, s.rect.width * set_,
                                   s.rect.height * set_});
            copy_.set_picture(c, larger(s.picture, sets));
        }
        copy_.set_shown(c, s.shown && !decoration);
    }
    if (part_) {
        digits_.clear();
        for (int k = SegTable<4, 1>::first(); k <= SegTable<4, 1>::last(); ++k)
            if (const Segment* d = board.Seg_Digit.slot(k)) {
                const Rect r = scaled_unclipped(d->rect, scale_);
                digits_.push_back(
                    {Rect{r.left - place_.left, r.top - place_.top, r.width, r.height}, d->rect});
            }
    }
    WindowModel w = window;
    if (part_) {
        w.client_width = std::min(place_.width, kMaxClientSide);
        w.client_height = std::min(place_.height, kMaxClientSide);
        w.key_on = false;
    } else {
        w.client_width = std::min(window.client_width * set_, kMaxClientSide);
        w.client_height = std::min(window.client_height * set_, kMaxClientSide);
    }
    return painter_.paint(copy_, w, damage, parts);
}

} // namespace q50
