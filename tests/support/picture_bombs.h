#pragma once
// Picture files of a few kilobytes that declare far more pixels than they hold: a PNG of one
// black bit a pixel, a run-length bitmap whose only code ends the picture, and a progressive
// JPEG whose last scan is repeated hundreds of times (each scan a pass over all coefficients).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>
#include <zlib.h>

namespace q50::test::bombs {

using Bytes = std::vector<std::uint8_t>;

inline void put_be32(Bytes& b, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.push_back(std::uint8_t(v >> s));
}

inline void put_chunk(Bytes& out, const char* type, const Bytes& data) {
    put_be32(out, std::uint32_t(data.size()));
    Bytes body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    put_be32(out, std::uint32_t(crc32(0, body.data(), uInt(body.size()))));
}

// A valid 1-bit grey PNG of width x height, all black: a few kilobytes of compressed rows that
// decode to width * height * 4 bytes.
inline Bytes png(std::uint32_t width, std::uint32_t height) {
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr;
    put_be32(ihdr, width);
    put_be32(ihdr, height);
    ihdr.insert(ihdr.end(), {1, 0, 0, 0, 0}); // depth 1, grey, deflate, no filter, no interlace
    put_chunk(out, "IHDR", ihdr);
    z_stream z{};
    deflateInit(&z, 9);
    const Bytes row(1 + (width + 7) / 8, 0);
    Bytes idat;
    std::vector<std::uint8_t> buf(1 << 16);
    for (std::uint32_t y = 0; y <= height; ++y) {
        const bool last = y == height;
        z.next_in = const_cast<Bytef*>(row.data());
        z.avail_in = last ? 0 : uInt(row.size());
        do {
            z.next_out = buf.data();
            z.avail_out = uInt(buf.size());
            deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            idat.insert(idat.end(), buf.data(), buf.data() + (buf.size() - z.avail_out));
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    put_chunk(out, "IDAT", idat);
    put_chunk(out, "IEND", {});
    return out;
}

inline void put_le(Bytes& b, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
}

// An 8-bit run-length bitmap of width x height whose only code ends the picture: about one
// kilobyte (mostly palette) that decodes to width * height * 4 bytes.
inline Bytes rle(std::uint32_t width, std::uint32_t height) {
    Bytes b = {'B', 'M'};
    const std::uint32_t data = 14 + 40 + 256 * 4;
    put_le(b, data + 2, 4);
    put_le(b, 0, 4);
    put_le(b, data, 4);
    put_le(b, 40, 4);
    put_le(b, width, 4);
    put_le(b, height, 4);
    put_le(b, 1, 2);
    put_le(b, 8, 2);
    put_le(b, 1, 4); // RLE8
    put_le(b, 2, 4);
    for (int i = 0; i < 4; ++i) put_le(b, 0, 4);
    for (int i = 0; i < 256; ++i) put_le(b, std::uint32_t(i * 0x010101), 4);
    b.insert(b.end(), {0, 1}); // end of bitmap
    return b;
}

// A progressive grey JPEG of width x height, one grey level, whose last scan is repeated until
// the file holds `scans` scans.
inline Bytes jpeg_scans(int width, int height, int scans) {
    jpeg_compress_struct c;
    jpeg_error_mgr errors;
    c.err = jpeg_std_error(&errors);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = JDIMENSION(width);
    c.image_height = JDIMENSION(height);
    c.input_components = 1;
    c.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 50, TRUE);
    jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(std::size_t(width), 128);
    while (c.next_scanline < c.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    jpeg_destroy_compress(&c);
    // From the last scan's marker to the end-of-image marker, again and again.
    int count = 0;
    std::size_t last = 0;
    for (std::size_t i = 0; i + 1 < out.size(); ++i)
        if (out[i] == 0xFF && out[i + 1] == 0xDA) {
            ++count;
            last = i;
        }
    const Bytes scan(out.begin() + std::ptrdiff_t(last), out.end() - 2);
    Bytes more;
    for (; count < scans; ++count) more.insert(more.end(), scan.begin(), scan.end());
    out.insert(out.end() - 2, more.begin(), more.end());
    return out;
}

inline void write(const std::filesystem::path& p, const Bytes& bytes) {
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace q50::test::bombs
