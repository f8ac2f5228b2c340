#include "display/png_writer.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <png.h>
#include <unistd.h>
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
    // Written beside the file under another name and renamed onto it once whole: a full disk
    // or a crash leaves no empty or cut picture behind, only the one that was there before.
    std::filesystem::path dir = path.parent_path();
    if (dir.empty()) dir = ".";
    std::string tmp;
    int fd = -1;
    for (int n = 0; fd < 0 && n < 100; ++n) {
        tmp = (dir / ("." + path.filename().string() + "." + std::to_string(::getpid()) + "." +
                      std::to_string(n)))
                  .string();
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        if (error) *error = path.string() + ": " + std::strerror(errno);
        return false;
    }
    WriteJob job;
    job.image = &image;
    job.file = ::fdopen(fd, "wb");
    if (!job.file) {
        if (error) *error = path.string() + ": " + std::strerror(errno);
        ::close(fd);
        ::unlink(tmp.c_str());
        return false;
    }
    errno = 0;
    bool ok = run(&job);
    int err = errno; // the reason of a failed write, which libpng reports only as such
    if (std::fclose(job.file) != 0) {
        if (ok) err = errno;
        ok = false;
    }
    if (ok && std::rename(tmp.c_str(), path.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(tmp.c_str());
        if (error)
            *error = path.string() + ": " +
                     (err              ? std::strerror(err)
                      : job.message[0] ? job.message
                                       : "write error");
    }
    return ok;
}

} // namespace q50
