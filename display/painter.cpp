#include "display/painter.h"

#include "display/pixel_ops.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace q50 {

// A picture cut into runs per row: fully transparent pixels are skipped, fully opaque runs
// are copied, the rest blended.
struct Painter::Prepared {
    struct Run {
        int x;
        int length;
        bool opaque;
    };
    int width = 0;
    int height = 0;
    std::vector<Run> runs;
    std::vector<std::size_t> row_start; // height + 1 entries into runs
    const Image* image = nullptr;
};

struct Painter::CacheEntry {
    Picture keep; // keeps the image (and so its address) alive while it is cached
    Image scaled; // stretched copies only
    Prepared prepared;
    int used_at = 0;
};

namespace {

// The pixel with its alpha taken down to a fraction (in 1/65536) of itself.
inline Argb with_ink(Argb p, int ink) {
    const std::uint32_t a = ((p >> 24) * std::uint32_t(ink) + 0x8000u) >> 16;
    return (p & 0x00FFFFFFu) | (a << 24);
}

// src over an opaque dst as far as dst is not covered already. While a region is painted every
// pixel in it is opaque, so its alpha byte is free: shadows keep there how much shadow the pixel
// has, so that where two overlap the stronger counts instead of the two adding up.
inline Argb cover(Argb s, Argb d) {
    const std::uint32_t a = s >> 24, c = 255 - (d >> 24);
    if (a <= c) return d;
    if (c == 0) return (over_opaque(s, d) & 0x00FFFFFFu) | ((255 - a) << 24); // the usual case
    const std::uint32_t t = ((a - c) * 255 + (255 - c) / 2) / (255 - c);
    return (over_opaque((s & 0x00FFFFFFu) | (t << 24), d) & 0x00FFFFFFu) | ((255 - a) << 24);
}

// One run of a prepared row, pixels [a, b) of it, onto `row` (the row at the picture's left).
inline void draw_run(const Painter::Prepared::Run& run, const Argb* src, Argb* row, int a, int b,
                     int ink, bool strongest) {
    Argb* dst = row + a;
    if (strongest) {
        for (int x = a; x < b; ++x, ++dst)
            *dst = cover(ink == kFullInk ? src[x] : with_ink(src[x], ink), *dst);
    } else if (run.opaque && ink == kFullInk) {
        std::memcpy(dst, src + a, std::size_t(b - a) * sizeof(Argb));
    } else if (ink != kFullInk) {
        for (int x = a; x < b; ++x, ++dst) *dst = over_opaque(with_ink(src[x], ink), *dst);
    } else {
        for (int x = a; x < b; ++x, ++dst) *dst = over_opaque(src[x], *dst);
    }
}

void prepare(const Image& img, Painter::Prepared& out) {
    out.width = img.width;
    out.height = img.height;
    out.image = &img;
    out.runs.clear();
    out.row_start.assign(std::size_t(std::max(img.height, 0)) + 1, 0);
    for (int y = 0; y < img.height; ++y) {
        out.row_start[std::size_t(y)] = out.runs.size();
        const Argb* row = &img.pixels[std::size_t(y) * img.width];
        int x = 0;
        while (x < img.width) {
            const std::uint8_t a = alpha_of(row[x]);
            if (a == 0) {
                ++x;
                continue;
            }
            const bool opaque = a == 0xFF;
            int end = x + 1;
            while (end < img.width) {
                const std::uint8_t b = alpha_of(row[end]);
                if (b == 0 || (b == 0xFF) != opaque) break;
                ++end;
            }
            out.runs.push_back({x, end - x, opaque});
            x = end;
        }
    }
    out.row_start[std::size_t(std::max(img.height, 0))] = out.runs.size();
}
} // namespace

Painter::Painter() = default;
Painter::~Painter() = default;

void Painter::order_layers(const Board& board) {
    board_ = &board;
    backdrop_ = &board.get("im_backdrop");
    order_.clear();
    for (const Segment& s : board.segments()) order_.push_back(&s);
    std::stable_sort(order_.begin(), order_.end(),
                     [](const Segment* a, const Segment* b) { return a->layer < b->layer; });
    seen_.assign(board.segments().size(), Seen{});
}

const Painter::Prepared& Painter::prepared(const Picture& picture) {
    auto& entry = cache_[picture.get()];
    if (!entry) {
        entry = std::make_unique<CacheEntry>();
        entry->keep = picture;
        prepare(*picture, entry->prepared);
    }
    return entry->prepared;
}

const Painter::Prepared& Painter::stretched(const Picture& picture, int width, int height) {
    if (!stretch_ || stretch_->keep != picture || stretch_->scaled.width != width ||
        stretch_->scaled.height != height) {
        stretch_ = std::make_unique<CacheEntry>();
        stretch_->keep = picture;
        stretch_->scaled = stretch_picture(*picture, width, height);
        prepare(stretch_->scaled, stretch_->prepared);
    }
    return stretch_->prepared;
}

Image stretch_picture(const Image& src, int width, int height) {
    Image out(width, height);
    if (out.empty() || src.empty()) return out;
    // The column each output column takes, worked out once rather than a division a pixel:
    // a screen-sized backdrop is stretched while the first frame waits for it.
    std::vector<int> from_x(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        from_x[std::size_t(x)] = int(std::int64_t(x) * src.width / width);
    for (int y = 0; y < height; ++y) {
        const Argb* from = src.pixels.data() + std::size_t(std::int64_t(y) * src.height / height) *
                                                   std::size_t(src.width);
        Argb* to = out.pixels.data() + std::size_t(y) * std::size_t(width);
        for (int x = 0; x < width; ++x) to[x] = from[from_x[std::size_t(x)]];
    }
    return out;
}

void keep_backdrop_as_drawn(Board& board, const WindowModel& window) {
    Segment& backdrop = board.get("im_backdrop");
    const Picture& p = backdrop.picture;
    if (!window.backdrop_stretch || !p || p->empty()) return;
    if (p->width == backdrop.rect.width && p->height == backdrop.rect.height) return;
    if (backdrop.rect.width <= 0 || backdrop.rect.height <= 0) return;
    board.set_picture(backdrop, std::make_shared<const Image>(stretch_picture(
                                    *p, backdrop.rect.width, backdrop.rect.height)));
}

const Painter::Prepared& Painter::shaded(const Picture& picture, int ink) {
    if (ink != shadow_ink_) {
        shadow_cache_.clear();
        shadow_ink_ = ink;
    }
    auto& entry = shadow_cache_[picture.get()];
    if (!entry) {
        // The shadow's pixels once, not at every paint.
        entry = std::make_unique<CacheEntry>();
        entry->keep = picture;
        entry->scaled = *picture;
        for (Argb& p : entry->scaled.pixels) p = with_ink(p, ink);
        prepare(entry->scaled, entry->prepared);
    }
    return entry->prepared;
}

void Painter::prune_cache() {
    if (cache_.size() <= 2 * order_.size()) return;
    for (auto it = cache_.begin(); it != cache_.end();) {
        if (it->second->keep.use_count() == 1)
            it = cache_.erase(it);
        else
            ++it;
    }
    for (auto it = shadow_cache_.begin(); it != shadow_cache_.end();) {
        if (it->second->keep.use_count() == 1)
            it = shadow_cache_.erase(it);
        else
            ++it;
    }
}

void Painter::draw_prepared(const Prepared& p, int x0, int y0, Rect clip, int ink, bool strongest,
                            int order) {
    const Rect area = intersect(Rect{x0, y0, p.width, p.height}, clip);
    if (is_empty(area)) return;
    const int cx0 = area.left - x0, cx1 = cx0 + area.width;
    for (int y = area.top; y < area.top + area.height; ++y) {
        const int py = y - y0;
        const Argb* src = p.image->pixels.data() + std::size_t(py) * p.width;
        Argb* row = row_at(y);
        // What a layer above covers opaquely is not drawn here.
        int hide_from = 0, hide_to = 0;
        if (order >= 0) {
            const Cover& c = covers_[std::size_t(y - covers_top_)];
            if (c.order > order) {
                hide_from = c.from - x0;
                hide_to = c.to - x0;
            }
        }
        for (std::size_t r = p.row_start[py]; r < p.row_start[py + 1]; ++r) {
            const Prepared::Run& run = p.runs[r];
            int a = std::max(run.x, cx0), b = std::min(run.x + run.length, cx1);
            if (a >= b) continue;
            if (hide_from < hide_to && a < hide_to && b > hide_from) {
                if (a >= hide_from && b <= hide_to) continue;
                if (a < hide_from && b > hide_to) { // the middle hidden: the left end first
                    draw_run(run, src, row + x0, a, hide_from, ink, strongest);
                    a = hide_to;
                } else if (a < hide_from) {
                    b = hide_from;
                } else {
                    a = hide_to;
                }
            }
            draw_run(run, src, row + x0, a, b, ink, strongest);
        }
    }
}

Painter::Placed Painter::placed(const Segment& s, const WindowModel& window, Rect clip) {
    const int ink = look_in_use_
                        ? look_in_use_->level(std::size_t(&s - board_->segments().data()), s.shown)
                    : s.shown ? kFullInk
                              : 0;
    if (ink == 0 || !s.picture || s.picture->empty()) return {};
    const Rect bounds = intersect(s.rect, clip);
    if (is_empty(bounds)) return {};
    const Image& pic = *s.picture;
    if (&s == backdrop_) {
        const bool fits = pic.width == s.rect.width && pic.height == s.rect.height;
        if (window.backdrop_stretch && !fits)
            return {&stretched(s.picture, s.rect.width, s.rect.height), s.rect.left, s.rect.top,
                    bounds, kFullInk};
        return {&prepared(s.picture), s.rect.left + (s.rect.width - pic.width) / 2,
                s.rect.top + (s.rect.height - pic.height) / 2, bounds, kFullInk};
    }
    return {&prepared(s.picture), s.rect.left, s.rect.top, bounds, ink};
}

void Painter::find_covers(Rect clip) {
    // For each row, the widest run that one layer drawn at full ink covers opaquely: every
    // layer under it, and the base, would only be painted over there.
    covers_top_ = clip.top;
    covers_.assign(std::size_t(clip.height), Cover{});
    for (std::size_t i = 0; i < layers_.size(); ++i) {
        const Placed& pl = layers_[i];
        if (!pl.prepared || pl.ink != kFullInk) continue;
        const Prepared& p = *pl.prepared;
        const Rect area =
            intersect(intersect(Rect{pl.x, pl.y, p.width, p.height}, pl.bounds), clip);
        for (int y = area.top; y < area.top + area.height; ++y) {
            const int py = y - pl.y;
            Cover& c = covers_[std::size_t(y - clip.top)];
            for (std::size_t r = p.row_start[py]; r < p.row_start[py + 1]; ++r) {
                const Prepared::Run& run = p.runs[r];
                if (!run.opaque) continue;
                const int a = std::max(pl.x + run.x, area.left);
                const int b = std::min(pl.x + run.x + run.length, area.left + area.width);
                if (b - a >= c.to - c.from && b > a) c = Cover{a, b, int(i)};
            }
        }
    }
}

void Painter::draw_lcd_shadows(Rect clip) {
    const int ink = look_in_use_->shadow_level();
    Rect covered;
    look_in_use_->for_each_shadow(*board_, [&](const Picture& named, Rect r) {
        const Rect bounds = intersect(r, clip);
        const Picture p = shadow_map_ && named ? shadow_map_(named, r) : named;
        if (!p || p->empty() || is_empty(bounds)) return;
        draw_prepared(shaded(p, ink), r.left, r.top, bounds, kFullInk, true);
        covered = unite(covered, bounds);
    });
    // Opaque again for everything painted after.
    for (int y = covered.top; y < covered.top + covered.height; ++y) {
        Argb* row = row_at(y) + covered.left;
        for (int x = 0; x < covered.width; ++x) row[x] |= 0xFF000000u;
    }
}

void Painter::paint_region(const WindowModel& window, Rect clip) {
    clip = intersect(clip, Rect{0, 0, width_, height_});
    if (is_empty(clip)) return;
    layers_.clear();
    for (const Segment* s : order_) layers_.push_back(placed(*s, window, clip));
    // Every pixel's result depends on its own layers alone, so a large region is painted in
    // bands of rows small enough to stay in the cache while every layer and the key pass go
    // over them: the frame then goes through memory once instead of once a pass.
    constexpr int kBandPixels = 65536;
    const int rows = std::max(1, kBandPixels / clip.width);
    for (int top = clip.top; top < clip.top + clip.height; top += rows)
        paint_band(window,
                   Rect{clip.left, top, clip.width, std::min(rows, clip.top + clip.height - top)});
}

void Painter::paint_band(const WindowModel& window, Rect clip) {
    find_covers(clip);
    const Argb fill = opaque_from_colour(window.colour);
    for (int y = clip.top; y < clip.top + clip.height; ++y) {
        Argb* row = row_at(y);
        const Cover& c = covers_[std::size_t(y - clip.top)];
        const auto base = [&](int from, int to) {
            if (to <= from) return;
            if (under_) {
                const Argb* u =
                    under_->pixels.data() +
                    std::size_t(y + target_top_ - under_top_) * std::size_t(under_->width) +
                    std::size_t(target_left_ - under_left_ + from);
                std::memcpy(row + from, u, std::size_t(to - from) * sizeof(Argb));
            } else {
                std::fill(row + from, row + to, fill);
            }
        };
        if (c.order >= 0) {
            base(clip.left, c.from);
            base(c.to, clip.left + clip.width);
        } else {
            base(clip.left, clip.left + clip.width);
        }
    }
    // Unlit segments lie under every lit one, just above the pictures beneath the display.
    bool shadows = look_in_use_ && look_in_use_->shadow_level() > 0;
    for (std::size_t i = 0; i < order_.size(); ++i) {
        const Segment* s = order_[i];
        if (shadows && look_in_use_->affects(std::size_t(s - board_->segments().data()))) {
            draw_lcd_shadows(clip);
            shadows = false;
        }
        const Placed& pl = layers_[i];
        if (pl.prepared)
            draw_prepared(*pl.prepared, pl.x, pl.y, intersect(pl.bounds, clip), pl.ink, false,
                          int(i));
    }
    if (window.key_on) {
        const Argb key = opaque_from_colour(window.key_colour);
        for (int y = clip.top; y < clip.top + clip.height; ++y) {
            Argb* row = row_at(y) + clip.left;
            for (int x = 0; x < clip.width; ++x)
                row[x] = row[x] == key ? 0u : row[x]; // no branch: the loop vectorises
        }
    }
}

const Image& Painter::paint(const Board& board, const WindowModel& window, Rect* damage,
                            std::vector<Rect>* parts) {
    if (board_ != &board) {
        order_layers(board);
        valid_ = false;
    }
    // A look that follows a board laid out otherwise has nothing to say about this one.
    if (look_ && look_->fits(board) && look_->revision() != look_revision_) {
        look_revision_ = look_->revision();
        valid_ = false;
    }
    // With both of its settings off the look has nothing to add, and the board is painted
    // exactly as without it.
    LcdLook* const look = look_ && look_->fits(board) && look_->active() ? look_ : nullptr;
    look_in_use_ = look;
    const int w = std::clamp(window.client_width, 0, kMaxClientSide);
    const int h = std::clamp(window.client_height, 0, kMaxClientSide);
    const Rect whole{0, 0, w, h};
    std::vector<Rect> changed;
    if (!valid_ || !(window == window_) || width_ != w || height_ != h) {
        if (!target_ && (frame_.width != w || frame_.height != h)) frame_ = Image(w, h);
        width_ = w;
        height_ = h;
        window_ = window;
        add_apart(changed, whole, false);
    } else if (board.revision() != board_revision_ || (look && look->any_changed())) {
        const auto& segs = board.segments();
        for (std::size_t i = 0; i < segs.size(); ++i) {
            const Segment& s = segs[i];
            const Seen& old = seen_[i];
            // An LCD segment under the look shows even when dark (its shadow, its fade).
            const bool lcd = look && look->affects(i);
            if (s.revision == old.revision && !(lcd && look->changed(i))) continue;
            if (old.shown || lcd) add_apart(changed, intersect(old.rect, whole), false);
            if (s.shown || lcd) add_apart(changed, intersect(s.rect, whole), false);
            // A picture change of a hidden segment shows nowhere.
        }
    }
    if (look) look->clear_changes();
    const auto& segs = board.segments();
    for (std::size_t i = 0; i < segs.size(); ++i)
        seen_[i] = Seen{segs[i].shown, segs[i].rect, segs[i].revision};
    board_revision_ = board.revision();
    valid_ = true;

    Rect dirty;
    for (const Rect& r : changed) {
        paint_region(window, r);
        dirty = unite(dirty, r);
    }
    if (damage) *damage = dirty;
    if (parts) *parts = std::move(changed);
    prune_cache();
    return target_ ? *target_ : frame_;
}

void Painter::set_target(Image* target, const Image* under, int left, int top, int under_left,
                         int under_top) {
    target_ = target;
    under_ = target ? under : nullptr;
    target_left_ = left;
    target_top_ = top;
    under_left_ = under_left;
    under_top_ = under_top;
    if (!target) frame_ = Image{};
    width_ = height_ = -1;
    valid_ = false;
}

Image paint_board(const Board& board, const WindowModel& window) {
    Painter p;
    return p.paint(board, window);
}

} // namespace q50
