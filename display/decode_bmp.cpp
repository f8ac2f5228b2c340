// Windows bitmaps, read by our own code: every offset and length in the file is checked
// against the bytes we actually have before it is used.
#include "display/decoders.h"
#include "display/picture_file.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <vector>

namespace q50 {

namespace {

enum Compression : std::uint32_t {
    kRgb = 0,
    kRle8 = 1,
    kRle4 = 2,
    kBitfields = 3,
    kAlphaBitfields = 6,
};

class Bytes {
  public:
    explicit Bytes(std::span<const std::uint8_t> b) : b_(b) {}
    std::size_t size() const { return b_.size(); }
    bool has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= b_.size() && length <= b_.size() - offset;
    }
    std::uint8_t u8(std::size_t at) const { return b_[at]; }
    std::uint16_t u16(std::size_t at) const { return std::uint16_t(b_[at] | b_[at + 1] << 8); }
    std::uint32_t u32(std::size_t at) const {
        return std::uint32_t(b_[at]) | std::uint32_t(b_[at + 1]) << 8 |
               std::uint32_t(b_[at + 2]) << 16 | std::uint32_t(b_[at + 3]) << 24;
    }
    std::int32_t i32(std::size_t at) const { return std::int32_t(u32(at)); }
    const std::uint8_t* at(std::size_t offset) const { return b_.data() + offset; }

  private:
    std::span<const std::uint8_t> b_;
};

// One channel of a bit-field pixel, scaled to eight bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    explicit Channel(std::uint32_t m = 0) : mask(m) {
        if (m == 0) return;
        shift = std::countr_zero(m);
        bits = std::popcount(m >> shift);
    }
    std::uint8_t get(std::uint32_t pixel) const {
        if (bits == 0) return 0;
        std::uint32_t v = (pixel & mask) >> shift;
        if (bits >= 8) return std::uint8_t(v >> (bits - 8));
        return std::uint8_t(v * 255 / ((1u << bits) - 1));
    }
};

struct Header {
    std::int64_t width = 0;
    std::int64_t height = 0; // rows of colour pixels (halved for icons)
    bool top_down = false;
    int bpp = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t colours_used = 0;
    std::size_t header_end = 0; // where the palette (or the masks of a 40-byte header) begin
    int palette_entry = 4;
    std::size_t palette_cap = SIZE_MAX;                // entries that fit before the pixels
    std::optional<std::array<std::uint32_t, 4>> masks; // red, green, blue, alpha
};

bool read_header(const Bytes& b, std::size_t at, bool icon, Header& h, std::string& error,
                 DecodeLimits* limits) {
    if (!b.has(at, 4)) {
        error = "the bitmap header is missing";
        return false;
    }
    const std::uint32_t size = b.u32(at);
    if (size < 12 || !b.has(at, size)) {
        error = "the bitmap header is damaged";
        return false;
    }
    std::int64_t raw_height;
    if (size == 12) {
        h.width = b.u16(at + 4);
        raw_height = std::int16_t(b.u16(at + 6));
        h.bpp = b.u16(at + 10);
        h.palette_entry = 3;
    } else if (size >= 16) {
        h.width = b.i32(at + 4);
        raw_height = b.i32(at + 8);
        h.bpp = b.u16(at + 14);
        if (size >= 20) h.compression = b.u32(at + 16);
        if (size >= 36) h.colours_used = b.u32(at + 32);
        // The OS/2 2.x header numbers its compressions differently; 3 and 4 are Huffman and
        // 24-bit RLE there, which nobody writes.
        if (size == 64 && (h.compression == 3 || h.compression == 4)) {
            error = "unsupported OS/2 bitmap compression";
            return false;
        }
    } else {
        error = "the bitmap header is damaged";
        return false;
    }
    h.header_end = at + size;

    if (h.compression == kBitfields || h.compression == kAlphaBitfields) {
        std::array<std::uint32_t, 4> m{};
        if (size >= 52) {
            for (int i = 0; i < 3; ++i) m[i] = b.u32(at + 40 + 4 * i);
            if (size >= 56) m[3] = b.u32(at + 52);
        } else {
            const int count = h.compression == kAlphaBitfields ? 4 : 3;
            if (!b.has(h.header_end, 4u * count)) {
                error = "the bitmap's colour masks are missing";
                return false;
            }
            for (int i = 0; i < count; ++i) m[i] = b.u32(h.header_end + 4 * i);
            h.header_end += 4u * count;
        }
        h.masks = m;
    }

    if (raw_height < 0) {
        h.top_down = true;
        raw_height = -raw_height;
    }
    if (icon) raw_height /= 2;
    h.height = raw_height;
    if (h.width <= 0 || h.height <= 0) {
        error = "the bitmap has no pixels";
        return false;
    }
    // Checked before the run-length buffer or the picture is made.
    if (!picture_fits(h.width, h.height, limits, error)) return false;
    const bool valid_depth =
        h.bpp == 1 || h.bpp == 4 || h.bpp == 8 || h.bpp == 16 || h.bpp == 24 || h.bpp == 32;
    if (!valid_depth) {
        error = "unsupported bit depth " + std::to_string(h.bpp);
        return false;
    }
    switch (h.compression) {
    case kRgb:
        break;
    case kRle8:
        if (h.bpp != 8) error = "RLE8 compression needs 8 bits per pixel";
        break;
    case kRle4:
        if (h.bpp != 4) error = "RLE4 compression needs 4 bits per pixel";
        break;
    case kBitfields:
    case kAlphaBitfields:
        if (h.bpp != 16 && h.bpp != 32) error = "bit fields need 16 or 32 bits per pixel";
        break;
    default:
        error = "unsupported bitmap compression " + std::to_string(h.compression);
    }
    return error.empty();
}

std::size_t palette_count(const Header& h) {
    if (h.bpp > 8) return 0;
    const std::size_t full = std::size_t(1) << h.bpp;
    return std::min(h.palette_cap,
                    h.colours_used != 0 && h.colours_used < full ? h.colours_used : full);
}

// Where the palette ends (and, when nothing says otherwise, the pixels begin).
std::size_t palette_end(const Header& h) {
    return h.header_end + palette_count(h) * std::size_t(h.palette_entry);
}

std::vector<Argb> read_palette(const Bytes& b, const Header& h) {
    std::vector<Argb> palette;
    if (h.bpp > 8) return palette;
    // Entries that the file does not hold stay black.
    palette.assign(std::size_t(1) << h.bpp, argb(0xFF, 0, 0, 0));
    for (std::size_t i = 0; i < palette_count(h); ++i) {
        const std::size_t at = h.header_end + i * h.palette_entry;
        if (!b.has(at, h.palette_entry)) break;
        palette[i] = argb(0xFF, b.u8(at + 2), b.u8(at + 1), b.u8(at));
    }
    return palette;
}

// Compressed bitmaps are always stored bottom-up; pixels the stream skips keep colour 0. The
// codes are turned into colours as they come, straight into `out` (already made, every pixel of
// colour 0): no buffer of indices beside the picture, whose memory the budget would not see.
bool decode_rle(const Bytes& b, std::size_t at, const Header& h, const std::vector<Argb>& palette,
                Image& out, std::string& error) {
    const std::int64_t w = h.width, ht = h.height;
    std::int64_t x = 0, y = 0; // y counts rows in file order
    const bool four = h.compression == kRle4;
    auto put = [&](std::uint8_t v) {
        if (x < w && y < ht) {
            const std::int64_t row = h.top_down ? y : ht - 1 - y;
            out.pixels[std::size_t(row * w + x)] = palette[v];
        }
        ++x;
    };
    std::size_t p = at;
    while (true) {
        if (!b.has(p, 2)) {
            error = "the compressed pixel data ends early";
            return false;
        }
        const std::uint8_t count = b.u8(p), code = b.u8(p + 1);
        p += 2;
        if (count > 0) {
            for (int i = 0; i < count && x < w; ++i)
                put(four ? std::uint8_t(i % 2 == 0 ? code >> 4 : code & 0x0F) : code);
            continue;
        }
        if (code == 0) { // end of line
            x = 0;
            if (++y >= ht) return true;
        } else if (code == 1) { // end of bitmap
            return true;
        } else if (code == 2) { // delta
            if (!b.has(p, 2)) {
                error = "the compressed pixel data ends early";
                return false;
            }
            x += b.u8(p);
            y += b.u8(p + 1);
            p += 2;
            if (y >= ht) return true;
        } else { // a run of literal pixels, padded to a 16-bit boundary
            const std::size_t bytes = four ? (code + 1u) / 2 : code;
            if (!b.has(p, bytes)) {
                error = "the compressed pixel data ends early";
                return false;
            }
            for (int i = 0; i < code; ++i) {
                const std::uint8_t v = b.u8(p + (four ? std::size_t(i / 2) : std::size_t(i)));
                put(four ? std::uint8_t(i % 2 == 0 ? v >> 4 : v & 0x0F) : v);
            }
            p += bytes + (bytes & 1);
        }
    }
}

// The colour pixels; `data` is where they begin. Returns the offset just after them.
bool decode_pixels(const Bytes& b, std::size_t data, const Header& h, bool icon, Image& out,
                   std::size_t& data_end, std::string& error, DecodeLimits* limits) {
    const std::int64_t w = h.width, ht = h.height;
    const std::vector<Argb> palette = read_palette(b, h);
    auto row_of = [&](std::int64_t file_row) {
        return std::size_t(h.top_down ? file_row : ht - 1 - file_row);
    };

    if (h.compression == kRle4 || h.compression == kRle8) {
        if (!make_picture_buffer(out, w, ht, limits, error)) return false;
        std::fill(out.pixels.begin(), out.pixels.end(), palette[0]);
        if (!decode_rle(b, data, h, palette, out, error)) return false;
        data_end = b.size();
        return true;
    }

    const std::uint64_t stride = (std::uint64_t(w) * h.bpp + 31) / 32 * 4;
    const std::uint64_t last_row = (std::uint64_t(w) * h.bpp + 7) / 8;
    if (!b.has(data, stride * std::uint64_t(ht - 1) + last_row)) {
        error = "the pixel data ends early";
        return false;
    }
    data_end = std::size_t(std::min<std::uint64_t>(b.size(), data + stride * std::uint64_t(ht)));
    if (!make_picture_buffer(out, w, ht, limits, error)) return false;

    std::array<Channel, 4> ch;
    bool use_alpha = false;
    if (h.masks) {
        for (int i = 0; i < 4; ++i) ch[i] = Channel((*h.masks)[i]);
        use_alpha = ch[3].mask != 0;
    } else if (h.bpp == 16) {
        ch = {Channel(0x7C00), Channel(0x03E0), Channel(0x001F), Channel(0)};
    } else if (h.bpp == 32) {
        ch = {Channel(0x00FF0000), Channel(0x0000FF00), Channel(0x000000FF), Channel(0xFF000000)};
        // Plain 32-bit bitmaps leave the fourth byte unused; icons keep alpha there.
        use_alpha = icon;
    }

    bool any_alpha = false;
    for (std::int64_t r = 0; r < ht; ++r) {
        const std::uint8_t* s = b.at(std::size_t(data + stride * std::uint64_t(r)));
        Argb* dst = &out.pixels[row_of(r) * std::size_t(w)];
        for (std::int64_t x = 0; x < w; ++x) {
            switch (h.bpp) {
            case 1:
                dst[x] = palette[(s[x / 8] >> (7 - x % 8)) & 1];
                break;
            case 4:
                dst[x] = palette[(s[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0x0F];
                break;
            case 8:
                dst[x] = palette[s[x]];
                break;
            case 24:
                dst[x] = argb(0xFF, s[3 * x + 2], s[3 * x + 1], s[3 * x]);
                break;
            default: {
                const std::uint32_t px = h.bpp == 16 ? std::uint32_t(s[2 * x] | s[2 * x + 1] << 8)
                                                     : std::uint32_t(s[4 * x]) |
                                                           std::uint32_t(s[4 * x + 1]) << 8 |
                                                           std::uint32_t(s[4 * x + 2]) << 16 |
                                                           std::uint32_t(s[4 * x + 3]) << 24;
                const std::uint8_t a = use_alpha ? ch[3].get(px) : 0xFF;
                any_alpha = any_alpha || (use_alpha && a != 0);
                dst[x] = argb(a, ch[0].get(px), ch[1].get(px), ch[2].get(px));
            }
            }
        }
    }
    // An alpha channel that is zero everywhere was never meant as one.
    if (use_alpha && !any_alpha)
        for (Argb& p : out.pixels) p |= 0xFF000000u;
    return true;
}

} // namespace

bool decode_bmp_file(std::span<const std::uint8_t> bytes, Image& out, std::string& error,
                     DecodeLimits* limits) {
    const Bytes b(bytes);
    if (!b.has(0, 14) || b.u8(0) != 'B' || b.u8(1) != 'M') {
        error = "not a bitmap file";
        return false;
    }
    Header h;
    if (!read_header(b, 14, false, h, error, limits)) return false;
    // Some writers leave the pixel offset at 0; the pixels then follow the palette. A palette
    // never reaches into the pixels.
    std::size_t data = b.u32(10);
    if (data < h.header_end || data >= b.size())
        data = palette_end(h);
    else
        h.palette_cap = (data - h.header_end) / std::size_t(h.palette_entry);
    std::size_t end;
    if (decode_pixels(b, data, h, false, out, end, error, limits)) return true;
    out = Image();
    return false;
}

bool decode_icon_bitmap(std::span<const std::uint8_t> bytes, Image& out, std::string& error,
                        DecodeLimits* limits) {
    const Bytes b(bytes);
    Header h;
    if (!read_header(b, 0, true, h, error, limits)) return false;
    if (h.compression == kRle4 || h.compression == kRle8) {
        error = "compressed icon bitmaps are not supported";
        return false;
    }
    std::size_t mask_at;
    if (!decode_pixels(b, palette_end(h), h, true, out, mask_at, error, limits)) {
        out = Image();
        return false;
    }
    // A 32-bit icon with real alpha needs no mask.
    bool has_alpha = false;
    if (h.bpp == 32)
        for (Argb p : out.pixels)
            if (alpha_of(p) != 0xFF) has_alpha = true;
    if (has_alpha) return true;
    const std::uint64_t stride = (std::uint64_t(h.width) + 31) / 32 * 4;
    // A missing mask leaves the icon opaque.
    if (!b.has(mask_at, stride * std::uint64_t(h.height))) return true;
    for (std::int64_t r = 0; r < h.height; ++r) {
        const std::uint8_t* s = b.at(std::size_t(mask_at + stride * std::uint64_t(r)));
        const std::int64_t y = h.top_down ? r : h.height - 1 - r;
        for (std::int64_t x = 0; x < h.width; ++x)
            if ((s[x / 8] >> (7 - x % 8)) & 1) out.at(int(x), int(y)) = 0;
    }
    return true;
}

} // namespace q50
