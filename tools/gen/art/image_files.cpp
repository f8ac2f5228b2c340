#include "image_files.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace q50gen {
namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path) {
    std::fprintf(stderr, "%s: %s\n", what.c_str(), path.c_str());
    std::exit(1);
}

void put_le(std::vector<unsigned char>& out, unsigned v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

// A premultiplied pixel as straight colour, rounded exactly. Qt's own conversion divides by
// the processor's approximate reciprocal, whose last bit differs between processors, so the
// same drawing gave files that differ by one step at every soft edge from machine to machine.
QRgb straight(QRgb p) {
    const unsigned a = qAlpha(p);
    if (a == 255) return p;
    if (a == 0) return 0;
    const auto un = [a](unsigned c) { return std::min(255u, (c * 255 + a / 2) / a); };
    return qRgba(int(un(qRed(p))), int(un(qGreen(p))), int(un(qBlue(p))), int(a));
}

} // namespace

void write_png(const QImage& source, const std::string& path) {
    const bool premultiplied = source.format() == QImage::Format_ARGB32_Premultiplied;
    const QImage image = premultiplied ? source : source.convertToFormat(QImage::Format_ARGB32);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) fail("cannot write", path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (!png || !info || setjmp(png_jmpbuf(png))) fail("libpng failed on", path);
    png_init_io(png, f);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, png_uint_32(image.width()), png_uint_32(image.height()), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(std::size_t(image.width()) * 4);
    for (int y = 0; y < image.height(); ++y) {
        const auto* px = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            // Fully transparent pixels are written as transparent black, so that invisible
            // left-overs of the painting never change the file.
            const QRgb p = premultiplied ? straight(px[x]) : (qAlpha(px[x]) ? px[x] : 0);
            row[std::size_t(x) * 4 + 0] = png_byte(qRed(p));
            row[std::size_t(x) * 4 + 1] = png_byte(qGreen(p));
            row[std::size_t(x) * 4 + 2] = png_byte(qBlue(p));
            row[std::size_t(x) * 4 + 3] = png_byte(qAlpha(p));
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(f) != 0) fail("cannot write", path);
}

void write_bmp(const QImage& source, const std::string& path) {
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const int w = image.width(), h = image.height();
    const int stride = (w * 3 + 3) & ~3;
    std::vector<unsigned char> out;
    out.reserve(54 + std::size_t(stride) * h);
    out.push_back('B');
    out.push_back('M');
    put_le(out, unsigned(54 + stride * h), 4);
    put_le(out, 0, 4);
    put_le(out, 54, 4);          // pixel data offset
    put_le(out, 40, 4);          // info header size
    put_le(out, unsigned(w), 4); // width
    put_le(out, unsigned(h), 4); // positive height: bottom-up
    put_le(out, 1, 2);           // planes
    put_le(out, 24, 2);          // bits per pixel
    put_le(out, 0, 4);           // no compression
    put_le(out, unsigned(stride * h), 4);
    put_le(out, 3780, 4); // 96 dpi
    put_le(out, 3780, 4);
    put_le(out, 0, 4);
    put_le(out, 0, 4);
    for (int y = h - 1; y >= 0; --y) {
        const auto* px = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            out.push_back(static_cast<unsigned char>(qBlue(px[x])));
            out.push_back(static_cast<unsigned char>(qGreen(px[x])));
            out.push_back(static_cast<unsigned char>(qRed(px[x])));
        }
        for (int pad = w * 3; pad < stride; ++pad) out.push_back(0);
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) fail("cannot write", path);
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    if (std::fclose(f) != 0 || !ok) fail("cannot write", path);
}

int avoid_key_colour(QImage& image, QRgb key_rgb) {
    if (image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(QImage::Format_ARGB32);
    int changed = 0;
    for (int y = 0; y < image.height(); ++y) {
        auto* px = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(px[x]) && (px[x] & 0xffffff) == (key_rgb & 0xffffff)) {
                const int b = qBlue(px[x]);
                px[x] = qRgba(qRed(px[x]), qGreen(px[x]), b > 0 ? b - 1 : 1, qAlpha(px[x]));
                ++changed;
            }
        }
    }
    return changed;
}

void harden_alpha(QImage& image) {
    if (image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* px = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            px[x] = qAlpha(px[x]) >= 128 ? (px[x] | 0xff000000u) : 0u;
    }
}

} // namespace q50gen
