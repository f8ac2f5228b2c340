#include "tests/display/picture_makers.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <jpeglib.h>
#include <png.h>
#include <stdexcept>

namespace q50::test {

void put16(Bytes& b, std::uint32_t v) {
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
}
void put32(Bytes& b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

Bytes bmp_info(const BmpLayout& l) {
    Bytes b;
    put32(b, std::uint32_t(l.header_size));
    if (l.header_size == 12) {
        put16(b, std::uint32_t(l.width));
        put16(b, std::uint32_t(std::uint16_t(std::int16_t(l.height))));
        put16(b, 1);
        put16(b, std::uint32_t(l.bpp));
    } else {
        put32(b, std::uint32_t(l.width));
        put32(b, std::uint32_t(l.height));
        put16(b, 1);
        put16(b, std::uint32_t(l.bpp));
        put32(b, l.compression);
        put32(b, 0); // image size
        put32(b, 2835);
        put32(b, 2835);
        put32(b, std::uint32_t(l.palette.size()));
        put32(b, 0);
        if (l.header_size >= 108) {
            const auto m = l.masks.value_or(std::array<std::uint32_t, 4>{});
            for (std::uint32_t v : m) put32(b, v);
            while (b.size() < std::size_t(l.header_size)) b.push_back(0);
        } else if (l.masks) {
            const int count = l.compression == 6 ? 4 : 3;
            for (int i = 0; i < count; ++i) put32(b, (*l.masks)[i]);
        }
    }
    for (Argb c : l.palette) {
        b.push_back(std::uint8_t(c));
        b.push_back(std::uint8_t(c >> 8));
        b.push_back(std::uint8_t(c >> 16));
        if (l.header_size != 12) b.push_back(0);
    }
    return b;
}

Bytes bmp_file(const BmpLayout& l, const Bytes& pixels) {
    const Bytes info = bmp_info(l);
    Bytes b = {'B', 'M'};
    put32(b, std::uint32_t(14 + info.size() + pixels.size()));
    put32(b, 0);
    put32(b, std::uint32_t(14 + info.size()));
    b.insert(b.end(), info.begin(), info.end());
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

Bytes pack_indices(int width, int height, int bpp, const std::vector<std::uint8_t>& indices,
                   bool top_down) {
    const int stride = (width * bpp + 31) / 32 * 4;
    Bytes out(std::size_t(stride) * height, 0);
    for (int y = 0; y < height; ++y) {
        const int fy = top_down ? y : height - 1 - y;
        std::uint8_t* row = &out[std::size_t(fy) * stride];
        for (int x = 0; x < width; ++x) {
            const std::uint8_t v = indices[std::size_t(y) * width + x];
            if (bpp == 8)
                row[x] = v;
            else if (bpp == 4)
                row[x / 2] |= std::uint8_t(x % 2 == 0 ? v << 4 : v);
            else
                row[x / 8] |= std::uint8_t((v & 1) << (7 - x % 8));
        }
    }
    return out;
}

Bytes pack_rgb(const Image& img, int bpp, bool top_down) {
    const int stride = (img.width * bpp + 31) / 32 * 4;
    Bytes out(std::size_t(stride) * img.height, 0);
    for (int y = 0; y < img.height; ++y) {
        const int fy = top_down ? y : img.height - 1 - y;
        std::uint8_t* row = &out[std::size_t(fy) * stride];
        for (int x = 0; x < img.width; ++x) {
            const Argb p = img.at(x, y);
            const std::uint8_t r = std::uint8_t(p >> 16), g = std::uint8_t(p >> 8),
                               b = std::uint8_t(p), a = std::uint8_t(p >> 24);
            if (bpp == 16) {
                const std::uint16_t v = std::uint16_t((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
                row[2 * x] = std::uint8_t(v);
                row[2 * x + 1] = std::uint8_t(v >> 8);
            } else {
                std::uint8_t* d = row + x * (bpp / 8);
                d[0] = b, d[1] = g, d[2] = r;
                if (bpp == 32) d[3] = a;
            }
        }
    }
    return out;
}

Bytes pack_mask(int width, int height, const std::vector<bool>& transparent) {
    const int stride = (width + 31) / 32 * 4;
    Bytes out(std::size_t(stride) * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (transparent[std::size_t(y) * width + x])
                out[std::size_t(height - 1 - y) * stride + x / 8] |= std::uint8_t(0x80 >> (x % 8));
    return out;
}

Bytes ico_file(const std::vector<IconEntry>& entries) {
    Bytes b;
    put16(b, 0);
    put16(b, 1);
    put16(b, std::uint32_t(entries.size()));
    std::uint32_t offset = std::uint32_t(6 + 16 * entries.size());
    for (const IconEntry& e : entries) {
        b.push_back(std::uint8_t(e.width >= 256 ? 0 : e.width));
        b.push_back(std::uint8_t(e.height >= 256 ? 0 : e.height));
        b.push_back(0);
        b.push_back(0);
        put16(b, 1);
        put16(b, std::uint32_t(e.bpp));
        put32(b, std::uint32_t(e.data.size()));
        put32(b, offset);
        offset += std::uint32_t(e.data.size());
    }
    for (const IconEntry& e : entries) b.insert(b.end(), e.data.begin(), e.data.end());
    return b;
}

namespace {

void png_append(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void png_flush(png_structp) {}
[[noreturn]] void png_fail(png_structp, png_const_charp msg) {
    throw std::runtime_error(std::string("test PNG writer: ") + msg);
}

} // namespace

Bytes png_bytes(const PngLayout& l, const Bytes& rows) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, png_fail, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, png_append, png_flush);
    int type = PNG_COLOR_TYPE_RGB_ALPHA;
    int channels = 4;
    switch (l.colour) {
    case PngColour::Grey:
        type = PNG_COLOR_TYPE_GRAY, channels = 1;
        break;
    case PngColour::GreyAlpha:
        type = PNG_COLOR_TYPE_GRAY_ALPHA, channels = 2;
        break;
    case PngColour::Rgb:
        type = PNG_COLOR_TYPE_RGB, channels = 3;
        break;
    case PngColour::Rgba:
        type = PNG_COLOR_TYPE_RGB_ALPHA, channels = 4;
        break;
    case PngColour::Palette:
        type = PNG_COLOR_TYPE_PALETTE, channels = 1;
        break;
    }
    png_set_IHDR(png, info, l.width, l.height, l.bit_depth, type,
                 l.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    std::vector<png_byte> alphas;
    if (l.colour == PngColour::Palette) {
        for (Argb c : l.palette) {
            palette.push_back({png_byte(c >> 16), png_byte(c >> 8), png_byte(c)});
            alphas.push_back(png_byte(c >> 24));
        }
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
        bool any = false;
        for (png_byte a : alphas) any = any || a != 0xFF;
        if (any) png_set_tRNS(png, info, alphas.data(), int(alphas.size()), nullptr);
    }
    if (l.trns_colour) {
        png_color_16 c{};
        c.gray = (*l.trns_colour)[0];
        c.red = (*l.trns_colour)[0];
        c.green = (*l.trns_colour)[1];
        c.blue = (*l.trns_colour)[2];
        png_set_tRNS(png, info, nullptr, 0, &c);
    }
    png_write_info(png, info);
    const std::size_t row_bytes = (std::size_t(l.width) * channels * l.bit_depth + 7) / 8;
    if (l.interlaced) {
        std::vector<png_bytep> ptrs;
        for (int y = 0; y < l.height; ++y)
            ptrs.push_back(const_cast<png_bytep>(&rows[std::size_t(y) * row_bytes]));
        png_write_image(png, ptrs.data());
    } else {
        for (int y = 0; y < l.height; ++y) png_write_row(png, &rows[std::size_t(y) * row_bytes]);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes png_of(const Image& img) {
    Bytes rows;
    for (Argb p : img.pixels) {
        rows.push_back(std::uint8_t(p >> 16));
        rows.push_back(std::uint8_t(p >> 8));
        rows.push_back(std::uint8_t(p));
        rows.push_back(std::uint8_t(p >> 24));
    }
    return png_bytes(PngLayout{img.width, img.height, PngColour::Rgba, 8, false, {}, {}}, rows);
}

Bytes jpeg_of(const Image& img, bool grey, int quality, bool progressive) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = JDIMENSION(img.width);
    c.image_height = JDIMENSION(img.height);
    c.input_components = grey ? 1 : 3;
    c.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    if (progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(std::size_t(img.width) * c.input_components);
    for (int y = 0; y < img.height; ++y) {
        for (int x = 0; x < img.width; ++x) {
            const Argb p = img.at(x, y);
            if (grey) {
                row[std::size_t(x)] = JSAMPLE(p & 0xFF);
            } else {
                row[std::size_t(x) * 3] = JSAMPLE(p >> 16);
                row[std::size_t(x) * 3 + 1] = JSAMPLE(p >> 8);
                row[std::size_t(x) * 3 + 2] = JSAMPLE(p);
            }
        }
        JSAMPROW r[1] = {row.data()};
        jpeg_write_scanlines(&c, r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

void ScratchDir::write(std::string_view name, const Bytes& bytes) const {
    const auto p = path() / name;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + p.string());
}

void ScratchDir::write_text(std::string_view name, std::string_view text) const {
    write(name, Bytes(text.begin(), text.end()));
}

} // namespace q50::test
