#include "display/picture_file.h"

#include "display/decoders.h"
#include "host/regular_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <new>
#include <system_error>
#include <vector>

namespace q50 {

namespace {

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

const char* kind_name(PictureKind k) {
    switch (k) {
    case PictureKind::Bitmap:
        return "bitmap";
    case PictureKind::Png:
        return "PNG";
    case PictureKind::Jpeg:
        return "JPEG";
    case PictureKind::Icon:
        return "icon";
    }
    return "";
}

struct Format {
    PictureKind kind;
    bool (*decode)(std::span<const std::uint8_t>, Image&, std::string&, DecodeLimits*);
};

// Null format with an error for extensions we cannot decode.
const Format* format_for(std::string_view extension, std::string& error) {
    static const Format bmp{PictureKind::Bitmap, decode_bmp_file};
    static const Format png{PictureKind::Png, decode_png};
    static const Format jpeg{PictureKind::Jpeg, decode_jpeg};
    static const Format ico{PictureKind::Icon, decode_ico};
    const std::string ext = lower(std::string(extension));
    if (ext == "bmp") return &bmp;
    if (ext == "png") return &png;
    if (ext == "jpg" || ext == "jpeg") return &jpeg;
    if (ext == "ico") return &ico;
    if (ext == "wmf" || ext == "emf")
        error = "Metafile pictures (." + std::string(extension) +
                ") cannot be shown: this platform has no metafile decoder";
    else
        error = "Unknown picture file extension (." + std::string(extension) + ")";
    return nullptr;
}

} // namespace

bool picture_size_acceptable(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

namespace {

bool refuse_over_budget(std::int64_t width, std::int64_t height, DecodeLimits& limits,
                        std::string& error) {
    limits.over_budget = true;
    limits.refused_bytes = picture_bytes(width, height);
    error = "its " + std::to_string(width) + " x " + std::to_string(height) +
            " pixels need more memory than is left for pictures";
    return false;
}

} // namespace

bool picture_fits(std::int64_t width, std::int64_t height, DecodeLimits* limits,
                  std::string& error) {
    if (!picture_size_acceptable(width, height)) {
        error = "the picture is too large";
        return false;
    }
    if (limits && picture_bytes(width, height) > limits->max_bytes)
        return refuse_over_budget(width, height, *limits, error);
    return true;
}

bool make_picture_buffer(Image& out, std::int64_t width, std::int64_t height, DecodeLimits* limits,
                         std::string& error) {
    if (!picture_fits(width, height, limits, error)) return false;
    if (limits && limits->claim && !limits->claim(picture_bytes(width, height)))
        return refuse_over_budget(width, height, *limits, error);
    try {
        out = Image(int(width), int(height));
    } catch (const std::bad_alloc&) {
        out = Image();
        if (limits) limits->out_of_memory = true;
        error = "not enough memory for its " + std::to_string(width) + " x " +
                std::to_string(height) + " pixels";
        return false;
    }
    return true;
}

std::string picture_extension(const std::filesystem::path& path) {
    const std::string name = path.filename().string();
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

PictureLoad decode_picture(std::string_view extension, std::span<const std::uint8_t> bytes,
                           std::int64_t max_bytes, const PictureClaim& claim) {
    PictureLoad result;
    const Format* format = format_for(extension, result.error);
    if (!format) return result;
    result.kind = format->kind;
    DecodeLimits limits;
    limits.max_bytes = max_bytes;
    limits.claim = claim;
    std::shared_ptr<Image> image;
    try {
        image = std::make_shared<Image>();
        if (format->decode(bytes, *image, result.error, &limits)) result.picture = std::move(image);
    } catch (const std::bad_alloc&) {
        // A decoder's own working memory (rows, palettes, a whole-file buffer) ran out.
        result.error = "not enough memory to decode it";
        limits.out_of_memory = true;
    }
    result.over_budget = limits.over_budget;
    result.refused_bytes = limits.refused_bytes;
    result.out_of_memory = limits.out_of_memory;
    return result;
}

PictureLoad load_picture_file(const std::filesystem::path& path, std::int64_t max_bytes,
                              const PictureClaim& claim) {
    PictureLoad result;
    const std::string extension = picture_extension(path);
    if (!format_for(extension, result.error)) return result;

    std::string quoted = "\"";
    quoted += path.string();
    quoted += '"';
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        result.error = quoted + " is a directory, not a picture file";
        return result;
    }
    // A named pipe in a picture's place is refused, not waited on.
    const FileBytes file =
        read_regular_file(path.string(), std::size_t(kMaxPictureFileBytes), WhenLarger::Refuse);
    if (file.size > kMaxPictureFileBytes) {
        result.error = quoted + " is too large to be a picture";
        return result;
    }
    if (file.error == "is missing") {
        result.error = quoted + " cannot be read (" + std::strerror(ENOENT) + ")";
        return result;
    }
    if (file.error.rfind("cannot be opened", 0) == 0) {
        result.error = quoted + " cannot be read" + file.error.substr(16);
        return result;
    }
    if (!file.error.empty()) {
        result.error = quoted + " " + file.error;
        return result;
    }
    if (file.bytes.empty()) {
        result.error = quoted + " is empty";
        return result;
    }
    const std::vector<std::uint8_t>& bytes = file.bytes;
    result = decode_picture(extension, bytes, max_bytes, claim);
    if (!result && result.out_of_memory)
        result.error = quoted + " is not loaded: " + result.error;
    else if (!result && !result.over_budget)
        result.error = quoted + " is not a valid " + kind_name(result.kind) + " picture (" +
                       result.error + ")";
    return result;
}

Image with_bottom_left_colour_transparent(const Image& src) {
    Image out = src;
    key_bottom_left_colour(out);
    return out;
}

void key_bottom_left_colour(Image& image) {
    if (image.empty()) return;
    const Argb key = image.at(0, image.height - 1) & 0x00FFFFFFu;
    for (Argb& p : image.pixels)
        if ((p & 0x00FFFFFFu) == key) p = 0;
}

Picture placeholder_picture() {
    Image img(10, 10, opaque_from_colour(0x000000FF));
    for (int i = 0; i < 10; ++i) {
        img.at(i, 0) = img.at(i, 9) = img.at(0, i) = img.at(9, i) = opaque_from_colour(0);
    }
    return std::make_shared<const Image>(std::move(img));
}

} // namespace q50
