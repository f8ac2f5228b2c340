// Icon files: the largest image of the directory, stored either as a PNG or as a bitmap with
// a transparency mask.
#include "display/decoders.h"
#include "display/picture_file.h"

#include <algorithm>

namespace q50 {

namespace {

std::uint16_t u16(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint16_t(b[at] | b[at + 1] << 8);
}
std::uint32_t u32(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
}

} // namespace

bool decode_ico(std::span<const std::uint8_t> bytes, Image& out, std::string& error,
                DecodeLimits* limits) {
    if (bytes.size() < 6 || u16(bytes, 0) != 0 || (u16(bytes, 2) != 1 && u16(bytes, 2) != 2)) {
        error = "not an icon file";
        return false;
    }
    const std::size_t count = u16(bytes, 4);
    if (count == 0 || bytes.size() < 6 + 16 * count) {
        error = "the icon directory is damaged";
        return false;
    }
    // Largest area first, then the deeper colour.
    std::size_t best = count;
    std::uint64_t best_area = 0;
    int best_depth = -1;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t e = 6 + 16 * i;
        const std::uint64_t w = bytes[e] ? bytes[e] : 256, h = bytes[e + 1] ? bytes[e + 1] : 256;
        const int depth = u16(bytes, e + 6);
        const std::uint32_t size = u32(bytes, e + 8), offset = u32(bytes, e + 12);
        if (offset > bytes.size() || size > bytes.size() - offset || size == 0) continue;
        if (w * h > best_area || (w * h == best_area && depth > best_depth)) {
            best = i;
            best_area = w * h;
            best_depth = depth;
        }
    }
    if (best == count) {
        error = "the icon holds no readable image";
        return false;
    }
    const std::size_t e = 6 + 16 * best;
    const auto image = bytes.subspan(u32(bytes, e + 12), u32(bytes, e + 8));
    static const std::uint8_t png_signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (image.size() >= 8 && std::equal(image.begin(), image.begin() + 8, png_signature))
        return decode_png(image, out, error, limits);
    return decode_icon_bitmap(image, out, error, limits);
}

} // namespace q50
