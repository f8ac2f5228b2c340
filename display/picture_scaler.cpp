#include "display/picture_scaler.h"

#include "display/pixel_ops.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace q50 {

namespace {

// One output pixel's share of the source pixels along an axis, in 1/256 of the output pixel.
struct Tap {
    int first = 0;
    int count = 0;
    std::size_t weights = 0;
};

// Weights come from rounded boundaries, so neighbouring source pixels split an output pixel
// without a gap or an overlap and an output pixel inside the picture gets exactly 256. The
// picture's rectangle is a layout box, not a shape: its border moves to the nearest output
// pixel border, so an output pixel on it is wholly the picture's (weights scaled up to 256)
// when the picture covers at least half of it, and none of it otherwise. Pictures that meet
// then meet exactly, with no seam of what lies under them and no pixel drawn twice over.
//
// `origin` is the first output pixel wanted: a part of the output gets exactly the taps the
// whole output has there.
void axis(std::vector<Tap>& taps, std::vector<int>& weights, int out_n, int src_n, double factor,
          double phase, int origin) {
    taps.assign(std::size_t(out_n), Tap{});
    for (int n = 0; n < out_n; ++n) {
        const int i = n + origin;
        const auto boundary = [&](int j) {
            return std::clamp(int(std::lround((j * factor - (i - phase)) * 256)), 0, 256);
        };
        const double from = (i - phase) / factor, to = (i + 1 - phase) / factor;
        Tap& t = taps[std::size_t(n)];
        t.first = std::clamp(int(std::floor(from)), 0, src_n - 1);
        const int last = std::clamp(int(std::ceil(to)) - 1, t.first, src_n - 1);
        t.weights = weights.size();
        const int covered = boundary(last + 1) - boundary(t.first);
        if (covered < 128) continue; // count 0: see-through
        t.count = last - t.first + 1;
        int given = 0;
        for (int j = t.first; j <= last; ++j) {
            int w = (boundary(j + 1) - boundary(j)) * 256 / covered;
            if (j == last) w = 256 - given;
            weights.push_back(w);
            given += w;
        }
    }
}

} // namespace

Image repeat_pixels(const Image& src, int k) {
    Image out(src.width * k, src.height * k);
    for (int y = 0; y < out.height; ++y) {
        const Argb* from = src.pixels.data() + std::size_t(y / k) * std::size_t(src.width);
        Argb* to = out.pixels.data() + std::size_t(y) * std::size_t(out.width);
        for (int x = 0; x < out.width; ++x) to[x] = from[x / k];
    }
    return out;
}

namespace {

inline Argb premultiplied(Argb p) {
    const std::uint32_t a = p >> 24;
    if (a == 255) return p;
    if (a == 0) return 0;
    auto ch = [&](int shift) { return ((((p >> shift) & 0xFF) * a + 127) / 255) << shift; };
    return (a << 24) | ch(16) | ch(8) | ch(0);
}

// Enlarging (at least one output pixel per source pixel each way): an output pixel takes one
// source pixel, or two with complementary weights, each way. Premultiplied colour is blended
// two channels per multiply, and straightened where the result is partly see-through.
void enlarge(const Image& src, int width, const std::vector<Tap>& across,
             const std::vector<int>& wx, const std::vector<Tap>& down, const std::vector<int>& wy,
             Image& out) {
    const int out_w = out.width;
    auto pm = std::vector<Argb>(std::size_t(width)); // one source row, premultiplied
    // Each output column as two source pixels and the first one's weight (a single pixel is
    // itself at a weight of 256): no branch in the loop across.
    const std::size_t n = std::size_t(out_w);
    std::vector<int> first(n), second(n);
    std::vector<std::uint32_t> weight(n);
    std::vector<int> empty; // columns the picture leaves see-through
    for (int x = 0; x < out_w; ++x) {
        const Tap& t = across[std::size_t(x)];
        const std::size_t i = std::size_t(x);
        first[i] = t.count ? t.first : 0;
        second[i] = t.count == 2 ? t.first + 1 : first[i];
        weight[i] = t.count == 2 ? std::uint32_t(wx[t.weights]) : 256;
        if (t.count == 0) empty.push_back(x);
    }
    std::vector<Argb> rows(2 * std::size_t(out_w));
    int in_slot[2] = {-1, -1};
    const auto across_row = [&](int sy) {
        Argb* to = rows.data() + std::size_t(sy & 1) * std::size_t(out_w);
        if (in_slot[sy & 1] == sy) return to;
        in_slot[sy & 1] = sy;
        const Argb* from = src.pixels.data() + std::size_t(sy) * std::size_t(src.width);
        for (int x = 0; x < width; ++x) pm[std::size_t(x)] = premultiplied(from[x]);
        const Argb* row = pm.data();
        for (std::size_t x = 0; x < std::size_t(out_w); ++x)
            to[x] = mix(row[first[x]], row[second[x]], weight[x]);
        for (int x : empty) to[x] = 0;
        return to;
    };
    std::uint32_t inverse[256] = {}; // 255 / a in 1/65536
    for (int a = 1; a < 256; ++a) inverse[a] = std::uint32_t((255u * 65536u + a / 2) / a);
    for (int y = 0; y < out.height; ++y) {
        const Tap& t = down[std::size_t(y)];
        Argb* to = out.pixels.data() + std::size_t(y) * std::size_t(out_w);
        if (t.count == 0) continue; // already see-through
        const Argb* a = across_row(t.first);
        if (t.count == 1) {
            std::memcpy(to, a, std::size_t(out_w) * sizeof(Argb));
        } else {
            const Argb* b = across_row(t.first + 1);
            const std::uint32_t w = std::uint32_t(wy[t.weights]);
            for (int x = 0; x < out_w; ++x) to[x] = mix(a[x], b[x], w);
        }
        for (int x = 0; x < out_w; ++x) {
            const std::uint32_t al = to[x] >> 24;
            if (al == 255) continue;
            if (al == 0) {
                to[x] = 0;
                continue;
            }
            const Argb p = to[x];
            auto ch = [&](int shift) {
                return std::min<std::uint32_t>(255,
                                               (((p >> shift) & 0xFF) * inverse[al] + 32768) >> 16)
                       << shift;
            };
            to[x] = (al << 24) | ch(16) | ch(8) | ch(0);
        }
    }
}

// The top-left `width` x `height` of `src` on an output, one source pixel `fx` x `fy` output
// pixels, its corner at (`px`, `py`) of the output; of that output only the `part` is made.
Image resample(const Image& src, int width, int height, double fx, double fy, double px, double py,
               Rect part) {
    const int out_w = part.width, out_h = part.height;
    std::vector<Tap> across, down;
    std::vector<int> wx, wy;
    axis(across, wx, out_w, width, fx, px, part.left);
    axis(down, wy, out_h, height, fy, py, part.top);
    if (fx >= 1.0 && fy >= 1.0) {
        Image out(out_w, out_h);
        enlarge(src, width, across, wx, down, wy, out);
        return out;
    }

    // Reducing: source rows summed across (alpha, and colour weighted by alpha), each once: output
    // rows go down in order, so a ring as deep as the most rows one output row needs holds them.
    int depth = 1;
    for (const Tap& t : down) depth = std::max(depth, t.count);
    std::vector<std::uint32_t> ring(std::size_t(depth) * std::size_t(out_w) * 4);
    std::vector<int> in_slot(std::size_t(depth), -1);
    const auto summed = [&](int sy) {
        const std::size_t slot = std::size_t(sy % depth);
        std::uint32_t* to = ring.data() + slot * std::size_t(out_w) * 4;
        if (in_slot[slot] == sy) return to;
        in_slot[slot] = sy;
        const Argb* row = src.pixels.data() + std::size_t(sy) * std::size_t(src.width);
        for (int x = 0; x < out_w; ++x, to += 4) {
            const Tap& t = across[std::size_t(x)];
            std::uint32_t a = 0, r = 0, g = 0, b = 0;
            for (int i = 0; i < t.count; ++i) {
                const Argb p = row[t.first + i];
                const std::uint32_t wa = std::uint32_t(wx[t.weights + std::size_t(i)]) * (p >> 24);
                a += wa;
                r += wa * ((p >> 16) & 0xFF);
                g += wa * ((p >> 8) & 0xFF);
                b += wa * (p & 0xFF);
            }
            // Colour sums kept to 1/256: a whole row pixel is then at most 255 * 255 * 256.
            to[0] = a;
            to[1] = (r + 128) >> 8;
            to[2] = (g + 128) >> 8;
            to[3] = (b + 128) >> 8;
        }
        return ring.data() + slot * std::size_t(out_w) * 4;
    };

    constexpr std::uint32_t kOpaque = 255u << 16; // a whole opaque pixel's alpha sum
    Image out(out_w, out_h);
    for (int y = 0; y < out_h; ++y) {
        const Tap& t = down[std::size_t(y)];
        const std::uint32_t* rows[64];
        std::uint32_t w[64];
        const int n = std::min(t.count, 64);
        for (int i = 0; i < n; ++i) {
            rows[i] = summed(t.first + i);
            w[i] = std::uint32_t(wy[t.weights + std::size_t(i)]);
        }
        Argb* to = out.pixels.data() + std::size_t(y) * std::size_t(out_w);
        for (int x = 0; x < out_w; ++x) {
            std::uint32_t a = 0, r = 0, g = 0, b = 0;
            for (int i = 0; i < n; ++i) {
                const std::uint32_t* p = rows[i] + std::size_t(x) * 4;
                a += w[i] * p[0];
                r += w[i] * p[1];
                g += w[i] * p[2];
                b += w[i] * p[3];
            }
            // a is the alpha in 1/65536; r, g, b are the colour times that alpha, in 1/256.
            if (a == kOpaque) { // the usual pixel: a division by a constant
                to[x] = argb(255, std::uint8_t((r + 32640) / 65280),
                             std::uint8_t((g + 32640) / 65280), std::uint8_t((b + 32640) / 65280));
                continue;
            }
            const std::uint32_t alpha = (a + 32768) >> 16;
            if (alpha == 0) {
                to[x] = 0;
                continue;
            }
            const double k = 256.0 / a; // one division for the three channels
            const auto channel = [&](std::uint32_t c) {
                return std::uint8_t(std::min(255.0, c * k + 0.5));
            };
            to[x] = argb(std::uint8_t(std::min<std::uint32_t>(alpha, 255)), channel(r), channel(g),
                         channel(b));
        }
    }
    return out;
}

} // namespace

PixelSize placed_size(const Image& src, int width, int height, double factor, double phase_x,
                      double phase_y) {
    width = std::min(width, src.width);
    height = std::min(height, src.height);
    if (width <= 0 || height <= 0 || !(factor > 0)) return {};
    return {int(std::ceil(phase_x + width * factor - 1e-9)),
            int(std::ceil(phase_y + height * factor - 1e-9))};
}

Image place_scaled(const Image& src, int width, int height, double factor, double phase_x,
                   double phase_y) {
    const PixelSize size = placed_size(src, width, height, factor, phase_x, phase_y);
    return place_scaled(src, width, height, factor, phase_x, phase_y,
                        Rect{0, 0, size.width, size.height});
}

Image place_scaled(const Image& src, int width, int height, double factor, double phase_x,
                   double phase_y, Rect part) {
    const PixelSize size = placed_size(src, width, height, factor, phase_x, phase_y);
    part = intersect(part, Rect{0, 0, size.width, size.height});
    if (part.width <= 0 || part.height <= 0) return Image{};
    width = std::min(width, src.width);
    height = std::min(height, src.height);
    const bool aligned = phase_x < 1e-9 && phase_y < 1e-9;
    if (aligned && is_whole(factor)) {
        const int k = int(std::lround(factor));
        Image out(part.width, part.height);
        for (int y = 0; y < part.height; ++y) {
            const Argb* from =
                src.pixels.data() + std::size_t((part.top + y) / k) * std::size_t(src.width);
            Argb* to = out.pixels.data() + std::size_t(y) * std::size_t(part.width);
            if (k == 1) {
                std::memcpy(to, from + part.left, std::size_t(part.width) * sizeof(Argb));
                continue;
            }
            for (int x = 0; x < part.width; ++x) to[x] = from[(part.left + x) / k];
        }
        return out;
    }
    return resample(src, width, height, factor, factor, phase_x, phase_y, part);
}

Image resample_area(const Image& src, int width, int height) {
    return resample_area(src, width, height, Rect{0, 0, width, height});
}

Image resample_area(const Image& src, int width, int height, Rect part) {
    if (src.empty() || width <= 0 || height <= 0) return Image{};
    part = intersect(part, Rect{0, 0, width, height});
    if (part.width <= 0 || part.height <= 0) return Image{};
    if (src.width == width && src.height == height) {
        if (part == Rect{0, 0, width, height}) return src;
        Image out(part.width, part.height);
        for (int y = 0; y < part.height; ++y)
            std::memcpy(out.pixels.data() + std::size_t(y) * std::size_t(part.width),
                        src.pixels.data() + std::size_t(part.top + y) * std::size_t(src.width) +
                            std::size_t(part.left),
                        std::size_t(part.width) * sizeof(Argb));
        return out;
    }
    return resample(src, src.width, src.height, double(width) / src.width,
                    double(height) / src.height, 0, 0, part);
}

} // namespace q50
