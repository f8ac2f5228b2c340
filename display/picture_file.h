#pragma once
// Picture files of a skin: the decoder is chosen by the file's extension (without regard to
// case), the file is decoded into an Image, and every failure comes back as a text that can
// be shown to the user as it is.
#include "board/image.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <span>
#include <string>
#include <string_view>

namespace q50 {

enum class PictureKind { Bitmap, Png, Jpeg, Icon };

// Declared sizes beyond these are refused before anything is allocated.
constexpr int kMaxPictureSide = 16384;
constexpr std::int64_t kMaxPicturePixels = 64ll * 1024 * 1024;
// Files larger than this are not read at all.
constexpr std::uintmax_t kMaxPictureFileBytes = 256ull * 1024 * 1024;

// How much memory a decoder may take for the picture it makes. A picture whose declared size
// needs more is refused before anything is allocated, and the refusal is marked so that the
// caller can name the budget it would have passed.
// Asked for a picture's bytes right before they are allocated (within max_bytes already);
// false refuses the picture as over the budget. Two decoding threads share one room this way.
using PictureClaim = std::function<bool(std::int64_t bytes)>;

struct DecodeLimits {
    std::int64_t max_bytes = std::numeric_limits<std::int64_t>::max();
    PictureClaim claim;
    bool over_budget = false;
    std::int64_t refused_bytes = 0; // what the refused picture would have needed
    // The picture's memory could not be had: the file may be sound, so it is not called damaged.
    bool out_of_memory = false;
};

struct PictureLoad {
    Picture picture; // null on failure
    PictureKind kind = PictureKind::Bitmap;
    std::string error;        // set on failure
    bool over_budget = false; // the failure is the decode limit, not a damaged file
    std::int64_t refused_bytes = 0;
    bool out_of_memory = false; // the failure is the machine's memory, not a damaged file
    explicit operator bool() const { return picture != nullptr; }
};

// "BMP" for "Back.BMP" (as written), "" when the name has no extension.
std::string picture_extension(const std::filesystem::path& path);

// Decodes bytes that came from a file with the given extension ("png", "BMP", ...). A
// decoder failure gives the decoder's own reason; load_picture_file adds the file to it.
PictureLoad decode_picture(std::string_view extension, std::span<const std::uint8_t> bytes,
                           std::int64_t max_bytes = std::numeric_limits<std::int64_t>::max(),
                           const PictureClaim& claim = {});
// Reads and decodes a file. The extension is checked before the file is opened.
PictureLoad load_picture_file(const std::filesystem::path& path,
                              std::int64_t max_bytes = std::numeric_limits<std::int64_t>::max(),
                              const PictureClaim& claim = {});

// Whether the declared size is one we are willing to allocate.
bool picture_size_acceptable(std::int64_t width, std::int64_t height);
// The declared size is acceptable and its pixels fit in the limits (null: no limit); false with
// the reason in `error` otherwise.
bool picture_fits(std::int64_t width, std::int64_t height, DecodeLimits* limits,
                  std::string& error);
// picture_fits, then the allocation itself, which may still fail for want of memory: every
// decoder makes its picture buffer here, so a failed allocation is a decode error, never a
// crash or a write into nothing.
bool make_picture_buffer(Image& out, std::int64_t width, std::int64_t height, DecodeLimits* limits,
                         std::string& error);
// Bytes the pixels of a width x height picture take.
constexpr std::int64_t picture_bytes(std::int64_t width, std::int64_t height) {
    return width * height * std::int64_t(sizeof(Argb));
}

// For a bitmap in a transparent segment: every pixel of the colour of the bottom-left pixel
// becomes fully transparent.
Image with_bottom_left_colour_transparent(const Image& src);
void key_bottom_left_colour(Image& image);

// The stand-in for a picture file that does not exist: 10 by 10, red inside a one-pixel black
// outline.
Picture placeholder_picture();

} // namespace q50
