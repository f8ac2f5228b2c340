// PNG through libpng. libpng reports errors by longjmp; the frame that calls setjmp owns no
// C++ object of its own, so nothing is skipped when it jumps back.
#include "display/decoders.h"
#include "display/picture_file.h"

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <png.h>
#include <vector>

namespace q50 {

namespace {

struct PngJob {
    std::span<const std::uint8_t> bytes;
    std::size_t offset = 0;
    Image* out = nullptr;
    DecodeLimits* limits = nullptr;
    std::string refusal;
    std::vector<png_bytep> rows;
    char message[200] = {};
    std::jmp_buf jump;
};

void on_error(png_structp png, png_const_charp msg) {
    auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
    std::snprintf(job->message, sizeof job->message, "%s", msg ? msg : "unknown error");
    std::longjmp(job->jump, 1);
}

void on_warning(png_structp, png_const_charp) {}

void on_read(png_structp png, png_bytep data, png_size_t length) {
    auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
    if (length > job->bytes.size() - job->offset) png_error(png, "the file ends early");
    std::memcpy(data, job->bytes.data() + job->offset, length);
    job->offset += length;
}

// Returns false with job->message set.
bool run(PngJob* job) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, job, on_error, on_warning);
    if (!png) {
        std::snprintf(job->message, sizeof job->message, "out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        std::snprintf(job->message, sizeof job->message, "out of memory");
        return false;
    }
    if (setjmp(job->jump)) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, job, on_read);
    png_set_user_limits(png, kMaxPictureSide, kMaxPictureSide);
    png_set_chunk_cache_max(png, 1000);
    png_set_chunk_malloc_max(png, 16u * 1024 * 1024);
    // Every IDAT chunk's CRC already covers the compressed bytes, so zlib's second checksum
    // over the inflated rows finds nothing new; skipping it is a tenth of a large decode.
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
    png_read_info(png, info);

    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (!picture_fits(width, height, job->limits, job->refusal))
        png_error(png, job->refusal.c_str());

    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != std::size_t(width) * 4)
        png_error(png, "unexpected pixel layout");

    // Bytes B, G, R, A in memory are 0xAARRGGBB on a little-endian machine.
    static_assert(std::endian::native == std::endian::little);
    if (!make_picture_buffer(*job->out, width, height, job->limits, job->refusal))
        png_error(png, job->refusal.c_str());
    job->rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        job->rows[y] = reinterpret_cast<png_bytep>(&job->out->pixels[std::size_t(y) * width]);
    png_read_image(png, job->rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

} // namespace

bool decode_png(std::span<const std::uint8_t> bytes, Image& out, std::string& error,
                DecodeLimits* limits) {
    if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) {
        error = "not a PNG file";
        return false;
    }
    PngJob job;
    job.bytes = bytes;
    job.out = &out;
    job.limits = limits;
    if (run(&job)) return true;
    out = Image();
    error = job.message;
    return false;
}

} // namespace q50
