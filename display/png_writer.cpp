#include "display/png_writer.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <png.h>
#include <vector>

namespace q50 {

namespace {

struct WriteJob {
    std::FILE* file = nullptr;
    const Image* image = nullptr;
    std::vector<png_byte> row;
    char message[200] = {};
    std::jmp_buf jump;
};

void on_write_error(png_structp png, png_const_charp msg) {
    auto* job = static_cast<WriteJob*>(png_get_error_ptr(png));
    std::snprintf(job->message, sizeof job->message, "%s", msg ? msg : "write error");
    std::longjmp(job->jump, 1);
}

void on_write_warning(png_structp, png_const_charp) {}

bool run(WriteJob* job) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, job, on_write_error, on_write_warning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(job->jump)) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    const Image& img = *job->image;
    png_init_io(png, job->file);
    png_set_IHDR(png, info, png_uint_32(img.width), png_uint_32(img.height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    job->row.resize(std::size_t(img.width) * 4);
    for (int y = 0; y < img.height; ++y) {
        for (int x = 0; x < img.width; ++x) {
            const Argb p = img.at(x, y);
            png_byte* d = &job->row[std::size_t(x) * 4];
            d[0] = png_byte(p >> 16);
            d[1] = png_byte(p >> 8);
            d[2] = png_byte(p);
            d[3] = png_byte(p >> 24);
        }
        png_write_row(png, job->row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool write_png(const Image& image, const std::filesystem::path& path, std::string* error) {
    if (image.empty()) {
        if (error) *error = "nothing to write: the picture is empty";
        return false;
    }
    WriteJob job;
    job.image = &image;
    job.file = std::fopen(path.c_str(), "wb");
    if (!job.file) {
        if (error) *error = path.string() + ": " + std::strerror(errno);
        return false;
    }
    bool ok = run(&job);
    if (std::fclose(job.file) != 0) ok = false;
    if (!ok && error)
        *error = path.string() + ": " + (job.message[0] ? job.message : "write error");
    return ok;
}

} // namespace q50
