#include "display/frame_scaler.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace q50 {

namespace {

Rect clip_to(Rect r, PixelSize size) {
    const int l = std::max(r.left, 0), t = std::max(r.top, 0);
    const int right = std::min<long long>(0ll + r.left + r.width, size.width);
    const int bottom = std::min<long long>(0ll + r.top + r.height, size.height);
    if (right <= l || bottom <= t) return Rect{};
    return Rect{l, t, right - l, bottom - t};
}

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
inline Argb mix(const Argb* const* px, const std::uint16_t* w, int n) {
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

// p weighted w/256 plus q weighted the rest, all four channels at once.
inline Argb blend2(Argb p, Argb q, std::uint32_t w) {
    const std::uint32_t v = 256 - w;
    const std::uint32_t rb =
        (((p & 0xFF00FFu) * w + (q & 0xFF00FFu) * v + 0x800080u) >> 8) & 0xFF00FFu;
    const std::uint32_t ag =
        ((((p >> 8) & 0xFF00FFu) * w + ((q >> 8) & 0xFF00FFu) * v + 0x800080u)) & 0xFF00FF00u;
    return ag | rb;
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
    return clip_to(scaled_unclipped(r, scale), out);
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
            to[x] = mix(px, &weights_[std::size_t(t.weights)], n);
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

void FrameScaler::enlarge(const Image& src, Rect o) {
    // Above 1 an output pixel covers at most two source pixels each way: copies where it
    // covers one (most of them), two-pixel blends on the seams. The rows resampled across
    // are settled already, so an output row inside one source row is a plain copy. Output
    // rows go down in order and need at most two source rows, so two resampled rows are kept
    // (slot sy % 2): they stay in the cache instead of a frame-sized buffer going through it.
    const std::size_t w = std::size_t(o.width);
    rows_.resize(2 * w);
    int in_slot[2] = {-1, -1};
    const auto resampled = [&](int sy) {
        const int slot = sy & 1;
        Argb* to = rows_.data() + std::size_t(slot) * w;
        if (in_slot[slot] == sy) return to;
        in_slot[slot] = sy;
        const Argb* row = src.pixels.data() + std::size_t(sy) * std::size_t(src.width);
        const Tap* t = &across_[std::size_t(o.left)];
        for (std::size_t x = 0; x < w; ++x, ++t) {
            const Argb p = row[t->first];
            to[x] =
                t->count == 1
                    ? p
                    : settle_pixel(blend2(p, row[t->first + 1], weights_[std::size_t(t->weights)]));
        }
        return to;
    };
    for (int y = o.top; y < o.top + o.height; ++y) {
        const Tap& t = down_[std::size_t(y)];
        Argb* to = row(y) + o.left;
        const Argb* a = resampled(t.first);
        const Argb* b = t.count == 2 ? resampled(t.first + 1) : nullptr;
        if (!b) {
            std::memcpy(to, a, w * sizeof(Argb));
        } else {
            const std::uint32_t wt = weights_[std::size_t(t.weights)];
            for (std::size_t x = 0; x < w; ++x) {
                const Argb p = blend2(a[x], b[x], wt);
                to[x] = (p >> 24) == 255 ? p : settle_pixel(p);
            }
        }
    }
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
        valid_ = true;
        damage = Rect{0, 0, src.width, src.height};
    }
    damage = clip_to(damage, src_size);
    if (damage.width <= 0 || src.empty() || out.width <= 0 || out.height <= 0) return Rect{};
    const PixelSize local{out.width, out.height};
    Rect o;
    if (is_whole(scale)) {
        const int k = int(std::lround(scale));
        replicate(src, damage, k);
        o = scaled_rect(damage, k, local);
    } else {
        o = clip_to(scaled_unclipped(damage, scale), local);
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
