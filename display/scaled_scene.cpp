#include "display/scaled_scene.h"

#include "display/frame_scaler.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace q50 {

namespace {

bool is_empty(Rect r) {
    return r.width <= 0 || r.height <= 0;
}

Rect intersect(Rect a, Rect b) {
    const int l = std::max(a.left, b.left), t = std::max(a.top, b.top);
    const long long r = std::min<long long>(0ll + a.left + a.width, 0ll + b.left + b.width);
    const long long bm = std::min<long long>(0ll + a.top + a.height, 0ll + b.top + b.height);
    if (r <= l || bm <= t) return Rect{};
    return Rect{l, t, int(r - l), int(bm - t)};
}

Rect unite(Rect a, Rect b) {
    if (is_empty(a)) return b;
    if (is_empty(b)) return a;
    const int l = std::min(a.left, b.left), t = std::min(a.top, b.top);
    const int r = std::max(a.left + a.width, b.left + b.width);
    const int bm = std::max(a.top + a.height, b.top + b.height);
    return Rect{l, t, r - l, bm - t};
}

bool contains(Rect outer, Rect inner) {
    return inner.left >= outer.left && inner.top >= outer.top &&
           inner.left + inner.width <= outer.left + outer.width &&
           inner.top + inner.height <= outer.top + outer.height;
}

// Overlapping or side by side.
bool touch(Rect a, Rect b) {
    return a.left <= b.left + b.width && b.left <= a.left + a.width && a.top <= b.top + b.height &&
           b.top <= a.top + a.height;
}

// p over an opaque q.
inline Argb over_opaque(Argb p, Argb q) {
    const std::uint32_t a = p >> 24, ia = 255 - a;
    if (a == 255) return p;
    std::uint32_t rb = (p & 0xFF00FFu) * a + (q & 0xFF00FFu) * ia + 0x800080u;
    rb = ((rb + ((rb >> 8) & 0xFF00FFu)) >> 8) & 0xFF00FFu;
    std::uint32_t g = (p & 0xFF00u) * a + (q & 0xFF00u) * ia + 0x8000u;
    g = ((g + ((g >> 8) & 0xFF00u)) >> 8) & 0xFF00u;
    return 0xFF000000u | rb | g;
}

} // namespace

std::vector<Rect> board_parts(const Board& board, Rect whole, const LcdLook* look) {
    const Segment* backdrop = &board.get("im_backdrop");
    const Segment* logo = &board.get("im_backdrop_logo");
    const bool shadows = look && look->active() && look->fits(board);
    std::vector<Rect> groups;
    const auto& segs = board.segments();
    for (std::size_t i = 0; i < segs.size(); ++i) {
        const Segment& s = segs[i];
        if (&s == backdrop || &s == logo || !s.picture || s.picture->empty()) continue;
        if (!s.shown && !(shadows && look->affects(i))) continue;
        Rect g = intersect(s.rect, whole);
        if (is_empty(g)) continue;
        for (std::size_t k = 0; k < groups.size();) {
            if (touch(groups[k], g)) {
                g = unite(g, groups[k]);
                groups.erase(groups.begin() + std::ptrdiff_t(k));
                k = 0; // the larger group may reach one it did not before
            } else {
                ++k;
            }
        }
        groups.push_back(g);
    }
    return groups;
}

void ScaledScene::set_lcd_look(LcdLook* look) {
    look_ = look;
    for (auto& p : parts_) p->painter.set_lcd_look(look);
}

void ScaledScene::reset() {
    decor_ = DecorKey{};
    parts_.clear();
    valid_ = false;
}

void ScaledScene::draw_decorations(const Board& board, const WindowModel& window,
                                   const SkinSets* sets) {
    const PixelSize out = decor_.out;
    const Rect whole{0, 0, out.width, out.height};
    const Argb colour = opaque_from_colour(window.colour);
    under_ = Image{}; // its memory back before the new one is made
    // The drawing to resample to `size`: the smallest the skin has that is at least that
    // large, or else its largest; reducing keeps all of a larger drawing's detail.
    auto best = [&](const Picture& p, Rect size) {
        Picture pick = p;
        for (int k = 2; k <= 4; ++k) {
            if (pick->width >= size.width && pick->height >= size.height) break;
            if (Picture big = sets ? sets->find(p.get(), k) : nullptr) pick = big;
        }
        return resample_area(*pick, size.width, size.height);
    };
    auto draw = [&](const Image& img, Rect at, Rect clip) {
        const Rect r = intersect(intersect(at, clip), whole);
        for (int y = r.top; y < r.top + r.height; ++y) {
            const Argb* s = img.pixels.data() + std::size_t(y - at.top) * std::size_t(img.width) +
                            (r.left - at.left);
            Argb* d = under_.pixels.data() + std::size_t(y) * std::size_t(out.width) + r.left;
            for (int x = 0; x < r.width; ++x) d[x] = over_opaque(s[x], d[x]);
        }
    };
    const Segment* backdrop = &board.get("im_backdrop");
    const Rect backdrop_at = scaled_unclipped(backdrop->rect, decor_.scale);
    if (decor_.backdrop && window.backdrop_stretch && backdrop_at == whole) {
        // The usual fullscreen backdrop fills the screen: its resampled picture is the
        // underlay, with what of it is see-through laid over the window colour.
        under_ = best(backdrop->picture, whole);
        for (Argb& px : under_.pixels)
            if ((px >> 24) != 255) px = over_opaque(px, colour);
    } else {
        under_ = Image(out.width, out.height, colour);
    }
    if (decor_.backdrop && !(window.backdrop_stretch && backdrop_at == whole)) {
        const Picture& p = backdrop->picture;
        const Rect clip = backdrop_at;
        if (window.backdrop_stretch) {
            draw(best(p, clip), clip, clip);
        } else {
            const Rect r = backdrop->rect;
            const Rect at =
                scaled_unclipped(Rect{r.left + (r.width - p->width) / 2,
                                      r.top + (r.height - p->height) / 2, p->width, p->height},
                                 decor_.scale);
            draw(best(p, at), at, clip);
        }
    }
    if (decor_.logo) {
        const Segment* logo = &board.get("im_backdrop_logo");
        const Rect at = scaled_unclipped(logo->rect, decor_.scale);
        draw(best(logo->picture, at), at, at);
    }
}

bool ScaledScene::parts_hold(const Board& board, Rect client) const {
    const Segment* backdrop = &board.get("im_backdrop");
    const Segment* logo = &board.get("im_backdrop_logo");
    const bool shadows = look_ && look_->active() && look_->fits(board);
    const auto& segs = board.segments();
    for (std::size_t i = 0; i < segs.size(); ++i) {
        const Segment& s = segs[i];
        if (&s == backdrop || &s == logo || !s.picture || s.picture->empty()) continue;
        if (!s.shown && !(shadows && look_->affects(i))) continue;
        const Rect g = intersect(s.rect, client);
        if (is_empty(g)) continue;
        bool held = false;
        for (const auto& p : parts_) held = held || contains(p->area, g);
        if (!held) return false;
    }
    return true;
}

void ScaledScene::restore(Rect r) {
    r = intersect(r, Rect{0, 0, frame_.width, frame_.height});
    for (int y = r.top; y < r.top + r.height; ++y) {
        const std::size_t at = std::size_t(y) * std::size_t(frame_.width) + std::size_t(r.left);
        std::memcpy(frame_.pixels.data() + at, under_.pixels.data() + at,
                    std::size_t(r.width) * sizeof(Argb));
    }
}

const Image& ScaledScene::paint(const Board& board, const WindowModel& window, const SkinSets* sets,
                                double scale, PixelSize out, Rect* damage,
                                std::vector<Rect>* parts) {
    Rect changed;
    std::vector<Rect> apart;
    const auto add = [&](Rect r) {
        if (is_empty(r)) return;
        changed = unite(changed, r);
        if (parts) apart.push_back(r);
    };
    const Segment* backdrop = &board.get("im_backdrop");
    const Segment* logo = &board.get("im_backdrop_logo");
    auto drawn = [](const Segment* s) {
        return s && s->shown && s->picture && !s->picture->empty() ? s->picture : nullptr;
    };
    DecorKey key{out,
                 scale,
                 window.colour,
                 window.backdrop_stretch,
                 drawn(backdrop),
                 drawn(logo),
                 backdrop ? backdrop->rect : Rect{},
                 logo ? logo->rect : Rect{},
                 sets};
    if (!(key == decor_) || frame_.width != out.width || frame_.height != out.height) {
        decor_ = key;
        draw_decorations(board, window, sets);
        frame_ = under_;
        parts_.clear();
        valid_ = false;
        add(Rect{0, 0, out.width, out.height});
    }
    const Rect client{0, 0, std::clamp(window.client_width, 0, kMaxClientSide),
                      std::clamp(window.client_height, 0, kMaxClientSide)};
    if (!valid_ || !parts_hold(board, client)) {
        std::vector<std::unique_ptr<Part>> next;
        for (const Rect& area : board_parts(board, client, look_)) {
            auto same = std::find_if(parts_.begin(), parts_.end(),
                                     [&](const auto& p) { return p && p->area == area; });
            if (same != parts_.end()) {
                next.push_back(std::move(*same));
                if (!valid_) next.back()->painter.invalidate();
            } else {
                next.push_back(std::make_unique<Part>());
                next.back()->area = area;
                next.back()->painter.set_lcd_look(look_);
            }
        }
        for (const auto& gone : parts_) {
            if (!gone) continue;
            restore(gone->out);
            add(gone->out);
        }
        parts_ = std::move(next);
    }
    const int set = std::max(sets ? sets->pick(scale) : 0, 1);
    for (auto& p : parts_) {
        p->out = intersect(scaled_unclipped(p->area, scale), Rect{0, 0, out.width, out.height});
        Rect d;
        std::vector<Rect> in_part;
        p->painter.paint_area(board, window, sets, set, scale, p->area, {&frame_, &under_, p->out},
                              &d, parts ? &in_part : nullptr);
        if (parts)
            for (const Rect& r : in_part) add(r);
        else
            add(d);
    }
    valid_ = true;
    if (damage) *damage = changed;
    // A frame drawn anew is one part: all of it.
    if (parts)
        *parts = changed == Rect{0, 0, out.width, out.height} ? std::vector<Rect>{changed}
                                                              : std::move(apart);
    return frame_;
}

} // namespace q50
