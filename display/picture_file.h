#pragma once
// Picture files of a skin: the decoder is chosen by the file's extension (without regard to
// case), the file is decoded into an Image, and every failure comes back as a text that can
// be shown to the user as it is.
#include "board/image.h"

#include <cstdint>
#include <filesystem>
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

struct PictureLoad {
    Picture picture; // null on failure
    PictureKind kind = PictureKind::Bitmap;
    std::string error; // set on failure
    explicit operator bool() const { return picture != nullptr; }
};

// "BMP" for "Back.BMP" (as written), "" when the name has no extension.
std::string picture_extension(const std::filesystem::path& path);

// Decodes bytes that came from a file with the given extension ("png", "BMP", ...). A
// decoder failure gives the decoder's own reason; load_picture_file adds the file to it.
PictureLoad decode_picture(std::string_view extension, std::span<const std::uint8_t> bytes);
// Reads and decodes a file. The extension is checked before the file is opened.
PictureLoad load_picture_file(const std::filesystem::path& path);

// Whether the declared size is one we are willing to allocate.
bool picture_size_acceptable(std::int64_t width, std::int64_t height);

// For a bitmap in a transparent segment: every pixel of the colour of the bottom-left pixel
// becomes fully transparent.
Image with_bottom_left_colour_transparent(const Image& src);

// The stand-in for a picture file that does not exist: 10 by 10, red inside a one-pixel black
// outline.
Picture placeholder_picture();

} // namespace q50
