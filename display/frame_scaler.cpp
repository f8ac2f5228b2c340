#include "display/frame_scaler.h"

#include "display/pixel_ops.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace q50 {

namespace {

// Sums of channels weighted to 256 per pixel, back to a pixel. Fully see-through source
// pixels are all zero, so the sums are those of premultiplied colour: dividing by the alpha
// gives the colour of the covered part alone.
inline Argb settle(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    a = (a + 128) >> 8;
    r = (r + 128) >> 8;
    g = (g + 128) >> 8;
    b = (b + 128) >> 8;
    if (a == 255) return argb(255, std::uint8_t(r), std::uint8_t(g), std::uint8_t(b));
    if (a < 128) return 0;
    return argb(255, std::uint8_t(std::min<std::uint32_t>(255, (r * 255 + a / 2) / a)),
                std::uint8_t(std::min<std::uint32_t>(255, (g * 255 + a / 2) / a)),
                std::uint8_t(std::min<std::uint32_t>(255, (b * 255 + a / 2) / a)));
}

// Weighted sum without settling the alpha (the pass across keeps premultiplied sums).
inline Argb weighted_sum(const Argb* const* px, const std::uint16_t* w, int n) {
    std::uint32_t a = 0, r = 0, g = 0, b = 0;
    for (int i = 0; i < n; ++i) {
        const Argb p = *px[i];
        a += (p >> 24) * w[i];
        r += ((p >> 16) & 0xFF) * w[i];
        g += ((p >> 8) & 0xFF) * w[i];
        b += (p & 0xFF) * w[i];
    }
    return argb(std::uint8_t((a + 128) >> 8), std::uint8_t((r + 128) >> 8),
                std::uint8_t((g + 128) >> 8), std::uint8_t((b + 128) >> 8));
}

// An averaged pixel whose alpha is neither 0 nor 255 lies on the see-through outline.
inline Argb settle_pixel(Argb p) {
    const std::uint32_t a = p >> 24;
    if (a == 255 || a == 0) return a ? p : 0;
    return settle(a << 8, ((p >> 16) & 0xFF) << 8, ((p >> 8) & 0xFF) << 8, (p & 0xFF) << 8);
}

} // namespace

Rect scaled_unclipped(Rect r, double scale) {
    const int l = int(std::floor(r.left * scale + 1e-9));
    const int t = int(std::floor(r.top * scale + 1e-9));
    const int right = int(std::ceil((0.0 + r.left + r.width) * scale - 1e-9));
    const int bottom = int(std::ceil((0.0 + r.top + r.height) * scale - 1e-9));
    return Rect{l, t, right - l, bottom - t};
}

Rect scaled_rect(Rect r, double scale, PixelSize out) {
    if (r.width <= 0 || r.height <= 0) return Rect{};
    return intersect(scaled_unclipped(r, scale), Rect{0, 0, out.width, out.height});
}

void FrameScaler::build_axis(std::vector<Tap>& taps, int out_n, int src_n) {
    taps.assign(std::size_t(std::max(out_n, 0)), Tap{});
    const int lo = 0, hi = std::max(src_n - 1, 0);
    for (int i = 0; i < out_n; ++i) {
        const double from = i / scale_, to = (i + 1) / scale_;
        Tap& t = taps[std::size_t(i)];
        const int first = std::clamp(int(std::floor(from + 1e-9)), lo, hi);
        const int last = std::clamp(int(std::ceil(to - 1e-9)) - 1, first, hi);
        t.first = first;
        t.count = last - first + 1;
        t.weights = int(weights_.size());
        int given = 0;
        for (int j = first; j <= last; ++j) {
            const double cover = std::min(to, j + 1.0) - std::max(from, double(j));
            int w = int(std::lround(std::max(cover, 0.0) * scale_ * 256));
            if (j == last) w = 256 - given; // the weights always sum to a whole pixel
            weights_.push_back(std::uint16_t(std::max(w, 0)));
            given += w;
        }
    }
}

Argb FrameScaler::column(const Argb* row, std::size_t x) const {
    const Tap& t = across_[x];
    if (t.count == 1) return row[t.first];
    return settle_pixel(mix(row[t.first], row[t.first + 1], weights_[std::size_t(t.weights)]));
}

bool FrameScaler::in_halves(const std::vector<Tap>& taps) const {
    for (std::size_t i = 0; i < taps.size(); ++i) {
        const Tap& t = taps[i];
        const int pair = int(i / 3) * 2;
        const bool ok =
            i % 3 == 1 ? t.count == 2 && t.first == pair && weights_[std::size_t(t.weights)] == 128
                       : t.count == 1 && t.first == pair + (i % 3 == 2);
        if (!ok) return false;
    }
    return true;
}

void FrameScaler::replicate(const Image& src, Rect d, int k) {
    for (int y = d.top; y < d.top + d.height; ++y) {
        const Argb* from = src.pixels.data() + std::size_t(y) * std::size_t(src.width) + d.left;
        const int oy = y * k;
        if (oy >= out_height_) break;
        const int ox = d.left * k;
        const int ow = std::min(d.width * k, out_width_ - ox);
        if (ow <= 0) return;
        Argb* first = row(oy) + ox;
        Argb* to = first;
        const int whole = ow / k;
        switch (k) { // the usual scales unrolled: a full repaint at 4K is mostly this loop
        case 1:
            std::memcpy(to, from, std::size_t(whole) * sizeof(Argb));
            break;
        case 2:
            for (int x = 0; x < whole; ++x, to += 2) to[0] = to[1] = from[x];
            break;
        case 3:
            for (int x = 0; x < whole; ++x, to += 3) to[0] = to[1] = to[2] = from[x];
            break;
        case 4:
            for (int x = 0; x < whole; ++x, to += 4) to[0] = to[1] = to[2] = to[3] = from[x];
            break;
        default:
            for (int x = 0; x < whole; ++x, to += k)
                for (int r = 0; r < k; ++r) to[r] = from[x];
        }
        for (int x = whole * k; x < ow; ++x) first[x] = from[x / k];
        for (int r = 1; r < k && oy + r < out_height_; ++r)
            std::memcpy(row(oy + r) + ox, first, std::size_t(ow) * sizeof(Argb));
    }
}

void FrameScaler::average(const Image& src, Rect o) {
    // Source rows the output rows need, each resampled across once.
    const Tap& top = down_[std::size_t(o.top)];
    const Tap& bottom = down_[std::size_t(o.top + o.height - 1)];
    const int sy0 = top.first, sy1 = bottom.first + bottom.count;
    if (scale_ > 1.0) {
        enlarge(src, o);
        return;
    }
    rows_.resize(std::size_t(sy1 - sy0) * std::size_t(o.width));
    const Argb* px[64];
    for (int sy = sy0; sy < sy1; ++sy) {
        const Argb* row = src.pixels.data() + std::size_t(sy) * std::size_t(src.width);
        Argb* to = rows_.data() + std::size_t(sy - sy0) * std::size_t(o.width);
        for (int x = 0; x < o.width; ++x) {
            const Tap& t = across_[std::size_t(o.left + x)];
            if (t.count == 1) {
                to[x] = row[t.first];
                continue;
            }
            const int n = std::min(t.count, 64);
            for (int i = 0; i < n; ++i) px[i] = row + t.first + i;
            to[x] = weighted_sum(px, &weights_[std::size_t(t.weights)], n);
        }
    }
    for (int y = o.top; y < o.top + o.height; ++y) {
        const Tap& t = down_[std::size_t(y)];
        Argb* to = row(y) + o.left;
        const std::uint16_t* w = &weights_[std::size_t(t.weights)];
        const int n = std::min(t.count, 64);
        for (int x = 0; x < o.width; ++x) {
            std::uint32_t a = 0, r = 0, g = 0, b = 0;
            for (int i = 0; i < n; ++i) {
                const Argb p = rows_[std::size_t(t.first + i - sy0) * std::size_t(o.width) + x];
                a += (p >> 24) * w[i];
                r += ((p >> 16) & 0xFF) * w[i];
                g += ((p >> 8) & 0xFF) * w[i];
                b += (p & 0xFF) * w[i];
            }
            to[x] = settle(a, r, g, b);
        }
    }
}

namespace {

// Settles the pixels of a blended row that lie on the see-through outline. Blends of opaque
// pixels stay opaque, so a block whose pixels are all opaque, found by one vectorised AND, is
// skipped.
void settle_outline(Argb* row, std::size_t n) {
    constexpr std::size_t kBlock = 16;
    for (std::size_t x0 = 0; x0 < n; x0 += kBlock) {
        const std::size_t end = std::min(n, x0 + kBlock);
        Argb all = 0xFFFFFFFFu;
        for (std::size_t x = x0; x < end; ++x) all &= row[x];
        if ((all >> 24) == 255) continue;
        for (std::size_t x = x0; x < end; ++x)
            if ((row[x] >> 24) != 255) row[x] = settle_pixel(row[x]);
    }
}

} // namespace

void FrameScaler::enlarge(const Image& src, Rect o) {
    // Above 1 an output pixel covers at most two source pixels each way: copies where it
    // covers one (most of them), two-pixel blends on the seams. The rows resampled across
    // are settled already, so an output row inside one source row is a plain copy. Output
    // rows go down in order and need at most two source rows, so two resampled rows are kept
    // (slot sy % 2): they stay in the cache instead of a frame-sized buffer going through it.
    // Every column first takes its first source pixel, in a loop with no branch; the seams (a
    // third of the columns at 150 %) are blended afterwards.
    const std::size_t w = std::size_t(o.width);
    rows_.resize(2 * w);
    first_.resize(w);
    seam_x_.clear();
    seam_weight_.clear();
    for (std::size_t x = 0; x < w; ++x) {
        const Tap& t = across_[std::size_t(o.left) + x];
        first_[x] = t.first;
        if (t.count == 1) continue;
        seam_x_.push_back(std::uint32_t(x));
        seam_weight_.push_back(weights_[std::size_t(t.weights)]);
    }
    seam_a_.resize(seam_x_.size());
    seam_b_.resize(seam_x_.size());
    // A source row is resampled straight into the output row that is its plain copy, where
    // there is one (a blend next to it reads it there), else into a slot.
    const int sy0 = down_[std::size_t(o.top)].first;
    const Tap& last = down_[std::size_t(o.top + o.height - 1)];
    const std::size_t n_rows = std::size_t(last.first + last.count - sy0);
    own_row_.assign(n_rows, -1);
    home_.assign(n_rows, nullptr);
    for (int y = o.top; y < o.top + o.height; ++y) {
        const Tap& t = down_[std::size_t(y)];
        if (t.count == 1 && own_row_[std::size_t(t.first - sy0)] < 0)
            own_row_[std::size_t(t.first - sy0)] = y;
    }
    int in_slot[2] = {-1, -1};
    const auto resampled = [&](int sy) -> const Argb* {
        const std::size_t at = std::size_t(sy - sy0);
        if (home_[at]) return home_[at];
        Argb* to;
        if (own_row_[at] >= 0) {
            to = row(own_row_[at]) + o.left;
        } else {
            const int slot = sy & 1;
            if (in_slot[slot] >= 0) home_[std::size_t(in_slot[slot] - sy0)] = nullptr;
            in_slot[slot] = sy;
            to = rows_.data() + std::size_t(slot) * w;
        }
        home_[at] = to;
        across(src.pixels.data() + std::size_t(sy) * std::size_t(src.width), to, o);
        return to;
    };
    for (int y = o.top; y < o.top + o.height; ++y) {
        const Tap& t = down_[std::size_t(y)];
        Argb* to = row(y) + o.left;
        const Argb* a = resampled(t.first);
        const Argb* b = t.count == 2 ? resampled(t.first + 1) : nullptr;
        if (!b) {
            if (a != to) std::memcpy(to, a, w * sizeof(Argb));
        } else {
            const std::uint32_t wt = weights_[std::size_t(t.weights)];
            if (wt == 128)
                for (std::size_t x = 0; x < w; ++x) to[x] = even_mix(a[x], b[x]);
            else
                for (std::size_t x = 0; x < w; ++x) to[x] = mix(a[x], b[x], wt);
            settle_outline(to, w);
        }
    }
}

void FrameScaler::across(const Argb* row, Argb* to, Rect o) {
    const std::size_t w = std::size_t(o.width);
    std::size_t x = 0;
    if (halves_) {
        // 150 %: from the first column that starts a triple, every two source pixels are
        // three output pixels, the middle one their even mix.
        for (; x < w && (std::size_t(o.left) + x) % 3 != 0; ++x)
            to[x] = column(row, std::size_t(o.left) + x);
        for (; x + 3 <= w; x += 3) {
            const Argb* p = row + first_[x];
            to[x] = p[0];
            const Argb m = even_mix(p[0], p[1]);
            to[x + 1] = (m >> 24) == 255 ? m : settle_pixel(m);
            to[x + 2] = p[1];
        }
        for (; x < w; ++x) to[x] = column(row, std::size_t(o.left) + x);
        return;
    }
    for (; x < w; ++x) to[x] = row[first_[x]];
    // The seams' pixel pairs gathered, blended in one loop that vectorises, put back.
    const std::size_t n = seam_x_.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Argb* p = row + first_[seam_x_[i]];
        seam_a_[i] = p[0];
        seam_b_[i] = p[1];
    }
    for (std::size_t i = 0; i < n; ++i) seam_a_[i] = mix(seam_a_[i], seam_b_[i], seam_weight_[i]);
    settle_outline(seam_a_.data(), n);
    for (std::size_t i = 0; i < n; ++i) to[seam_x_[i]] = seam_a_[i];
}

Rect FrameScaler::update(const Image& src, Rect damage, double scale, PixelSize out) {
    const PixelSize src_size{src.width, src.height};
    if (!valid_ || scale != scale_ || out_width_ != out.width || out_height_ != out.height ||
        !(src_size == src_size_)) {
        if (out_.width != out.width || out_.height != out.height)
            out_ = Image(out.width, out.height);
        out_width_ = out.width;
        out_height_ = out.height;
        scale_ = scale;
        src_size_ = src_size;
        weights_.clear();
        if (!is_whole(scale)) {
            build_axis(across_, out.width, src.width);
            build_axis(down_, out.height, src.height);
        }
        halves_ = !is_whole(scale) && in_halves(across_);
        valid_ = true;
        damage = Rect{0, 0, src.width, src.height};
    }
    damage = intersect(damage, Rect{0, 0, src.width, src.height});
    if (damage.width <= 0 || src.empty() || out.width <= 0 || out.height <= 0) return Rect{};
    const PixelSize local{out.width, out.height};
    Rect o;
    if (is_whole(scale)) {
        const int k = int(std::lround(scale));
        replicate(src, damage, k);
        o = scaled_rect(damage, k, local);
    } else {
        o = intersect(scaled_unclipped(damage, scale), Rect{0, 0, out.width, out.height});
        if (o.width > 0 && o.height > 0) average(src, o);
    }
    if (o.width <= 0 || o.height <= 0) return Rect{};
    return o;
}

Image scale_frame(const Image& src, double scale, PixelSize out) {
    FrameScaler s;
    s.update(src, Rect{0, 0, src.width, src.height}, scale, out);
    return s.frame();
}

} // namespace q50
