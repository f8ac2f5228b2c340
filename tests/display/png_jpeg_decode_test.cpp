#include "display/decoders.h"
#include "tests/display/picture_makers.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <zlib.h>

namespace q50 {
namespace {

using test::Bytes;
using test::PngColour;
using test::PngLayout;

Image png_ok(const Bytes& b) {
    Image img;
    std::string error;
    EXPECT_TRUE(decode_png(b, img, error)) << error;
    return img;
}

TEST(PngDecoder, ColourTypesComeOutAsArgb) {
    // 8-bit RGBA keeps its alpha exactly.
    Image src(2, 2);
    src.pixels = {argb(255, 255, 0, 0), argb(0, 1, 2, 3), argb(128, 0, 255, 0),
                  argb(7, 200, 100, 50)};
    EXPECT_EQ(png_ok(test::png_of(src)).pixels, src.pixels);

    // Palette with transparency information.
    const Bytes idx = {0, 1, 2, 1};
    PngLayout pal{2, 2,     PngColour::Palette,
                  8, false, {argb(255, 10, 20, 30), argb(0, 40, 50, 60), argb(100, 70, 80, 90)},
                  {}};
    EXPECT_EQ(png_ok(test::png_bytes(pal, idx)).pixels,
              (std::vector<Argb>{argb(255, 10, 20, 30), argb(0, 40, 50, 60), argb(100, 70, 80, 90),
                                 argb(0, 40, 50, 60)}));

    // 1-bit grey expands to black and white.
    PngLayout grey1{8, 1, PngColour::Grey, 1};
    const Image g1 = png_ok(test::png_bytes(grey1, Bytes{0b10100000}));
    EXPECT_EQ(g1.pixels[0], argb(255, 255, 255, 255));
    EXPECT_EQ(g1.pixels[1], argb(255, 0, 0, 0));
    EXPECT_EQ(g1.pixels[2], argb(255, 255, 255, 255));

    // Grey with alpha.
    PngLayout ga{1, 1, PngColour::GreyAlpha, 8};
    EXPECT_EQ(png_ok(test::png_bytes(ga, Bytes{90, 33})).pixels[0], argb(33, 90, 90, 90));

    // 16-bit RGB keeps the high byte of each sample.
    PngLayout rgb16{1, 1, PngColour::Rgb, 16};
    EXPECT_EQ(png_ok(test::png_bytes(rgb16, Bytes{0x12, 0x34, 0xAB, 0xCD, 0xFF, 0x00})).pixels[0],
              argb(255, 0x12, 0xAB, 0xFF));

    // RGB with a transparent colour.
    PngLayout keyed{2, 1, PngColour::Rgb, 8, false, {}, std::array<std::uint16_t, 3>{1, 2, 3}};
    const Image k = png_ok(test::png_bytes(keyed, Bytes{1, 2, 3, 1, 2, 4}));
    EXPECT_EQ(alpha_of(k.pixels[0]), 0);
    EXPECT_EQ(k.pixels[1], argb(255, 1, 2, 4));
}

TEST(PngDecoder, InterlacedPicturesAreAssembled) {
    Bytes rows;
    Image expect(9, 9);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x) {
            const std::uint8_t r = std::uint8_t(x * 20), g = std::uint8_t(y * 20);
            rows.insert(rows.end(), {r, g, 77});
            expect.at(x, y) = argb(255, r, g, 77);
        }
    PngLayout l{9, 9, PngColour::Rgb, 8, true};
    EXPECT_EQ(png_ok(test::png_bytes(l, rows)).pixels, expect.pixels);
}

// Rewrites the size in the header chunk and fixes its checksum, so that only the size is
// wrong.
Bytes with_png_size(Bytes png, std::uint32_t w, std::uint32_t h) {
    auto put = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) png[at + i] = std::uint8_t(v >> (24 - 8 * i));
    };
    put(16, w);
    put(20, h);
    put(29, std::uint32_t(crc32(0, &png[12], 17)));
    return png;
}

TEST(PngDecoder, HostileFilesGiveErrors) {
    Image src(4, 4, argb(255, 1, 2, 3));
    const Bytes good = test::png_of(src);
    Image img;
    std::string error;

    EXPECT_FALSE(decode_png(with_png_size(good, 100000, 100000), img, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(decode_png(with_png_size(good, 16384, 16384), img, error));
    EXPECT_EQ(error, "the picture is too large");
    // Within the limits, but the data is missing: refused, not padded.
    EXPECT_FALSE(decode_png(with_png_size(good, 1000, 1000), img, error));

    EXPECT_FALSE(decode_png(Bytes(50, 0x42), img, error));
    EXPECT_EQ(error, "not a PNG file");

    Bytes bad_crc = good;
    bad_crc[29] ^= 0xFF;
    EXPECT_FALSE(decode_png(bad_crc, img, error));
    // A damaged byte of the compressed rows is caught by its chunk's CRC (the decoder does
    // not check zlib's own checksum of them).
    const auto idat =
        std::search(good.begin(), good.end(), std::begin("IDAT"), std::end("IDAT") - 1);
    ASSERT_NE(idat, good.end());
    Bytes bad_rows = good;
    bad_rows[std::size_t(idat - good.begin()) + 6] ^= 0x01;
    EXPECT_FALSE(decode_png(bad_rows, img, error));

    for (std::size_t n = 0; n < good.size(); ++n) {
        error.clear();
        const bool ok = decode_png(std::span(good.data(), n), img, error);
        // The end chunk is not needed; everything before it is.
        EXPECT_EQ(ok, n + 12 >= good.size()) << n << ": " << error;
        EXPECT_EQ(ok, error.empty());
    }
}

TEST(JpegDecoder, ColourAndGrey) {
    Image src(16, 16, argb(255, 200, 40, 40));
    for (int y = 8; y < 16; ++y)
        for (int x = 0; x < 16; ++x) src.at(x, y) = argb(255, 30, 60, 220);
    Image img;
    std::string error;
    ASSERT_TRUE(decode_jpeg(test::jpeg_of(src, false), img, error)) << error;
    ASSERT_EQ(img.width, 16);
    ASSERT_EQ(img.height, 16);
    auto near = [](Argb a, Argb b) {
        for (int shift : {0, 8, 16})
            if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 6) return false;
        return alpha_of(a) == 255;
    };
    EXPECT_TRUE(near(img.at(3, 3), src.at(3, 3))) << std::hex << img.at(3, 3);
    EXPECT_TRUE(near(img.at(12, 12), src.at(12, 12))) << std::hex << img.at(12, 12);

    Image grey(8, 8, argb(255, 0, 0, 150));
    ASSERT_TRUE(decode_jpeg(test::jpeg_of(grey, true), img, error)) << error;
    const Argb p = img.at(4, 4);
    EXPECT_EQ((p >> 16) & 0xFF, p & 0xFF);
    EXPECT_EQ((p >> 8) & 0xFF, p & 0xFF);
    EXPECT_NEAR(int(p & 0xFF), 150, 3);
}

// The frame header (SOF0) of a file from libjpeg holds height then width after the
// precision byte.
Bytes with_jpeg_size(Bytes jpeg, int w, int h) {
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = std::uint8_t(h >> 8), jpeg[i + 6] = std::uint8_t(h);
            jpeg[i + 7] = std::uint8_t(w >> 8), jpeg[i + 8] = std::uint8_t(w);
            return jpeg;
        }
    }
    ADD_FAILURE() << "no frame header";
    return jpeg;
}

TEST(JpegDecoder, HostileFilesGiveErrors) {
    Image src(16, 16, argb(255, 90, 90, 90));
    const Bytes good = test::jpeg_of(src, false);
    Image img;
    std::string error;

    EXPECT_FALSE(decode_jpeg(with_jpeg_size(good, 65000, 65000), img, error));
    EXPECT_EQ(error, "the picture is too large");
    EXPECT_FALSE(decode_jpeg(with_jpeg_size(good, 20000, 8), img, error));
    EXPECT_EQ(error, "the picture is too large");
    EXPECT_FALSE(decode_jpeg(with_jpeg_size(good, 4000, 4000), img, error));
    EXPECT_FALSE(error.empty());

    EXPECT_FALSE(decode_jpeg(Bytes(40, 0x33), img, error));
    EXPECT_EQ(error, "not a JPEG file");

    int failures = 0;
    for (std::size_t n = 0; n < good.size(); ++n) {
        error.clear();
        const bool ok = decode_jpeg(std::span(good.data(), n), img, error);
        EXPECT_EQ(ok, error.empty()) << n;
        failures += !ok;
    }
    EXPECT_EQ(failures, int(good.size())) << "every truncated file is reported";
}

} // namespace
} // namespace q50
