// The picture decoders on arbitrary bytes. The first byte picks the decoder; the rest is the
// file. A decoder either gives a picture within the size limits or an error text, never both
// and never neither.
#include "display/decoders.h"
#include "display/picture_file.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::span<const std::uint8_t> file(data + 1, size - 1);
    q50::Image image;
    std::string error;
    bool ok;
    switch (data[0] % 5) {
    case 4:
        ok = q50::decode_icon_bitmap(file, image, error);
        break;
    default: {
        static const char* const ext[] = {"bmp", "png", "jpg", "ico"};
        q50::PictureLoad p = q50::decode_picture(ext[data[0] % 5], file);
        ok = bool(p);
        error = p.error;
        if (p) image = *p.picture;
    }
    }
    if (ok == !error.empty()) std::abort();
    if (ok) {
        if (!q50::picture_size_acceptable(image.width, image.height)) std::abort();
        if (image.pixels.size() != std::size_t(image.width) * image.height) std::abort();
        (void)q50::with_bottom_left_colour_transparent(image);
    }
    return 0;
}
