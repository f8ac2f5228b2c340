#include "display/scaled_scene.h"

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

// Where a design rectangle lands at a scale, not clipped.
Rect at_scale(Rect r, double scale) {
    const int l = int(std::floor(r.left * scale + 1e-9));
    const int t = int(std::floor(r.top * scale + 1e-9));
    const int right = int(std::ceil((0.0 + r.left + r.width) * scale - 1e-9));
    const int bottom = int(std::ceil((0.0 + r.top + r.height) * scale - 1e-9));
    return Rect{l, t, right - l, bottom - t};
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

// One output pixel's share of the source pixels along an axis.
struct Span {
    int first = 0;
    int count = 0;
    std::size_t weights = 0;
};

void spans(std::vector<Span>& out, std::vector<float>& weights, int out_n, int src_n) {
    out.assign(std::size_t(out_n), Span{});
    const double step = double(src_n) / out_n;
    for (int i = 0; i < out_n; ++i) {
        const double from = i * step, to = std::min((i + 1) * step, double(src_n));
        Span& s = out[std::size_t(i)];
        s.first = std::clamp(int(std::floor(from)), 0, src_n - 1);
        const int last = std::clamp(int(std::ceil(to)) - 1, s.first, src_n - 1);
        s.count = last - s.first + 1;
        s.weights = weights.size();
        for (int j = s.first; j <= last; ++j)
            weights.push_back(
                float((std::min(to, j + 1.0) - std::max(from, double(j))) / (to - from)));
    }
}

} // namespace

Image resample_area(const Image& src, int width, int height) {
    if (src.empty() || width <= 0 || height <= 0) return Image{};
    if (src.width == width && src.height == height) return src;
    std::vector<Span> across, down;
    std::vector<float> wx, wy;
    spans(across, wx, width, src.width);
    spans(down, wy, height, src.height);
    Image out(width, height);
    // One output row: the source rows it covers summed (alpha-weighted colour), then across.
    std::vector<float> row(std::size_t(src.width) * 4);
    for (int y = 0; y < height; ++y) {
        const Span& d = down[std::size_t(y)];
        std::fill(row.begin(), row.end(), 0.0f);
        for (int i = 0; i < d.count; ++i) {
            const float w = wy[d.weights + std::size_t(i)];
            const Argb* s = src.pixels.data() + std::size_t(d.first + i) * std::size_t(src.width);
            float* r = row.data();
            for (int x = 0; x < src.width; ++x, r += 4) {
                const Argb p = s[x];
                const float a = float(p >> 24) * w;
                r[0] += a;
                r[1] += float((p >> 16) & 0xFF) * a;
                r[2] += float((p >> 8) & 0xFF) * a;
                r[3] += float(p & 0xFF) * a;
            }
        }
        Argb* to = out.pixels.data() + std::size_t(y) * std::size_t(width);
        for (int x = 0; x < width; ++x) {
            const Span& c = across[std::size_t(x)];
            float a = 0, r = 0, g = 0, b = 0;
            for (int i = 0; i < c.count; ++i) {
                const float w = wx[c.weights + std::size_t(i)];
                const float* p = row.data() + std::size_t(c.first + i) * 4;
                a += p[0] * w;
                r += p[1] * w;
                g += p[2] * w;
                b += p[3] * w;
            }
            if (a < 0.5f) {
                to[x] = 0;
                continue;
            }
            auto byte = [](float v) { return std::uint8_t(std::clamp(v + 0.5f, 0.0f, 255.0f)); };
            to[x] = argb(byte(a), byte(r / a), byte(g / a), byte(b / a));
        }
    }
    return out;
}

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
    under_ = Image(out.width, out.height, opaque_from_colour(window.colour));
    const Rect whole{0, 0, out.width, out.height};
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
    if (decor_.backdrop) {
        const Picture& p = backdrop->picture;
        const Rect clip = at_scale(backdrop->rect, decor_.scale);
        if (window.backdrop_stretch) {
            draw(best(p, clip), clip, clip);
        } else {
            const Rect r = backdrop->rect;
            const Rect at = at_scale(Rect{r.left + (r.width - p->width) / 2,
                                          r.top + (r.height - p->height) / 2, p->width, p->height},
                                     decor_.scale);
            draw(best(p, at), at, clip);
        }
    }
    if (decor_.logo) {
        const Segment* logo = &board.get("im_backdrop_logo");
        const Rect at = at_scale(logo->rect, decor_.scale);
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
                                double scale, PixelSize out, Rect* damage) {
    Rect changed;
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
        changed = Rect{0, 0, out.width, out.height};
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
                if (!valid_) {
                    next.back()->painter.invalidate();
                    next.back()->scaler.invalidate();
                }
            } else {
                next.push_back(std::make_unique<Part>());
                next.back()->area = area;
                next.back()->painter.set_lcd_look(look_);
            }
        }
        for (const auto& gone : parts_) {
            if (!gone) continue;
            restore(gone->out);
            changed = unite(changed, gone->out);
        }
        parts_ = std::move(next);
    }
    const int set = std::max(sets ? sets->pick(scale) : 0, 1);
    for (auto& p : parts_) {
        const Rect place = intersect(at_scale(p->area, scale), Rect{0, 0, out.width, out.height});
        if (p->set != set || !(place == p->out)) {
            p->set = set;
            p->out = place;
            p->painter.invalidate();
            p->scaler.place(
                {&frame_, &under_, p->area.left * set, p->area.top * set, place.left, place.top});
        }
        Rect d;
        const Image& f = p->painter.paint_area(board, window, sets, set, p->area, &d);
        changed = unite(changed, p->scaler.update(f, d, scale / set, {place.width, place.height}));
    }
    valid_ = true;
    if (damage) *damage = changed;
    return frame_;
}

} // namespace q50
