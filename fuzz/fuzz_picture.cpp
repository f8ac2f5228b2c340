// The picture decoders on arbitrary bytes. The first byte picks the decoder, the memory the
// picture may take and whether a second decoder shares that room (then half of it is claimed
// already); the rest is the file. A decoder either gives a picture within the size limits and
// that memory or an error text, never both and never neither, and the bytes it claimed are
// exactly those of the picture it gives.
#include "display/decoders.h"
#include "display/picture_file.h"

#include <cstdlib>
#include <limits>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::span<const std::uint8_t> file(data + 1, size - 1);
    q50::Image image;
    std::string error;
    bool ok;
    // No limit, or 4 KB to 64 MB in steps of four.
    const int step = data[0] / 5 % 8;
    const std::int64_t max_bytes =
        step == 0 ? std::numeric_limits<std::int64_t>::max() : std::int64_t(1024) << (2 * step);
    const bool shared = data[0] / 40 % 2 == 1;
    const std::int64_t room = shared ? max_bytes / 2 : max_bytes;
    std::int64_t claimed = 0;
    const q50::PictureClaim claim = [&](std::int64_t bytes) {
        if (bytes <= 0 || bytes > max_bytes) std::abort(); // the limit is checked first
        if (bytes > room - claimed) return false;
        claimed += bytes;
        return true;
    };
    q50::DecodeLimits limits;
    limits.max_bytes = max_bytes;
    limits.claim = claim;
    switch (data[0] % 5) {
    case 4:
        ok = q50::decode_icon_bitmap(file, image, error, &limits);
        if (limits.over_budget && (ok || limits.refused_bytes <= room - claimed)) std::abort();
        break;
    default: {
        static const char* const ext[] = {"bmp", "png", "jpg", "ico"};
        q50::PictureLoad p = q50::decode_picture(ext[data[0] % 5], file, max_bytes, claim);
        if (p.over_budget && (p || p.refused_bytes <= room - claimed)) std::abort();
        ok = bool(p);
        error = p.error;
        if (p) image = *p.picture;
    }
    }
    if (ok == !error.empty()) std::abort();
    if (ok) {
        if (!q50::picture_size_acceptable(image.width, image.height)) std::abort();
        if (q50::picture_bytes(image.width, image.height) > room) std::abort();
        if (claimed != q50::picture_bytes(image.width, image.height)) std::abort();
        if (image.pixels.size() != std::size_t(image.width) * image.height) std::abort();
        (void)q50::with_bottom_left_colour_transparent(image);
    }
    return 0;
}
