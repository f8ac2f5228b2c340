#include "display/decoders.h"
#include "tests/display/picture_makers.h"

#include <gtest/gtest.h>

namespace q50 {
namespace {

using test::BmpLayout;
using test::Bytes;

const std::vector<Argb> kPalette16 = {
    argb(255, 0, 0, 0),       argb(255, 255, 0, 0),     argb(255, 0, 255, 0),
    argb(255, 0, 0, 255),     argb(255, 255, 255, 0),   argb(255, 0, 255, 255),
    argb(255, 255, 0, 255),   argb(255, 255, 255, 255), argb(255, 10, 20, 30),
    argb(255, 40, 50, 60),    argb(255, 70, 80, 90),    argb(255, 100, 110, 120),
    argb(255, 130, 140, 150), argb(255, 160, 170, 180), argb(255, 190, 200, 210),
    argb(255, 220, 230, 240)};

// A 5 by 3 pattern (odd width, so every depth needs row padding), top-down indices.
std::vector<std::uint8_t> pattern(int colours) {
    std::vector<std::uint8_t> idx;
    for (int i = 0; i < 15; ++i) idx.push_back(std::uint8_t((i * 7 + 3) % colours));
    return idx;
}

Image decode_ok(const Bytes& file) {
    Image img;
    std::string error;
    EXPECT_TRUE(decode_bmp_file(file, img, error)) << error;
    return img;
}

std::string decode_error(const Bytes& file) {
    Image img;
    std::string error;
    EXPECT_FALSE(decode_bmp_file(file, img, error));
    EXPECT_FALSE(error.empty());
    return error;
}

TEST(BitmapDecoder, PaletteDepthsBottomUpAndTopDown) {
    for (int bpp : {1, 4, 8}) {
        for (bool top_down : {false, true}) {
            const int colours = bpp == 1 ? 2 : 16;
            std::vector<Argb> palette(kPalette16.begin(), kPalette16.begin() + colours);
            const auto idx = pattern(colours);
            BmpLayout l{5, top_down ? -3 : 3, bpp, 0, palette};
            const Image img =
                decode_ok(test::bmp_file(l, test::pack_indices(5, 3, bpp, idx, top_down)));
            ASSERT_EQ(img.width, 5);
            ASSERT_EQ(img.height, 3);
            for (int i = 0; i < 15; ++i)
                EXPECT_EQ(img.pixels[i], palette[idx[i]])
                    << "bpp " << bpp << " top_down " << top_down << " pixel " << i;
        }
    }
}

TEST(BitmapDecoder, CoreHeaderWithThreeBytePalette) {
    const auto idx = pattern(16);
    BmpLayout l{5, 3, 8, 0, kPalette16, 12};
    const Image img = decode_ok(test::bmp_file(l, test::pack_indices(5, 3, 8, idx, false)));
    for (int i = 0; i < 15; ++i) EXPECT_EQ(img.pixels[i], kPalette16[idx[i]]);
}

TEST(BitmapDecoder, ShortPaletteAndMissingPixelOffset) {
    // Two palette entries declared; index 3 is outside and shows black.
    std::vector<std::uint8_t> idx(15, 1);
    idx[4] = 3;
    BmpLayout l{5, 3, 8, 0, {argb(255, 1, 2, 3), argb(255, 9, 8, 7)}};
    Bytes file = test::bmp_file(l, test::pack_indices(5, 3, 8, idx, false));
    file[10] = file[11] = file[12] = file[13] = 0; // pixel offset left at 0
    const Image img = decode_ok(file);
    EXPECT_EQ(img.pixels[0], argb(255, 9, 8, 7));
    EXPECT_EQ(img.pixels[4], argb(255, 0, 0, 0));
}

Image rgb_sample() {
    Image img(3, 2);
    img.pixels = {argb(255, 255, 0, 0),  argb(255, 0, 255, 0),     argb(255, 0, 0, 255),
                  argb(255, 8, 16, 248), argb(255, 255, 255, 255), argb(255, 0, 0, 0)};
    return img;
}

TEST(BitmapDecoder, TrueColourDepths) {
    const Image src = rgb_sample();
    for (bool top_down : {false, true}) {
        BmpLayout l24{3, top_down ? -2 : 2, 24};
        EXPECT_EQ(decode_ok(test::bmp_file(l24, test::pack_rgb(src, 24, top_down))).pixels,
                  src.pixels);

        // The fourth byte of a plain 32-bit bitmap is padding, not alpha.
        Image with_junk = src;
        for (Argb& p : with_junk.pixels) p = (p & 0x00FFFFFF) | 0x12000000;
        BmpLayout l32{3, top_down ? -2 : 2, 32};
        EXPECT_EQ(decode_ok(test::bmp_file(l32, test::pack_rgb(with_junk, 32, top_down))).pixels,
                  src.pixels);

        BmpLayout l16{3, top_down ? -2 : 2, 16};
        const Image img = decode_ok(test::bmp_file(l16, test::pack_rgb(src, 16, top_down)));
        EXPECT_EQ(img.pixels[0], argb(255, 255, 0, 0));
        EXPECT_EQ(img.pixels[3], argb(255, 8, 16, 255)); // 5 bits scaled back to 8
        EXPECT_EQ(img.pixels[4], argb(255, 255, 255, 255));
    }
}

TEST(BitmapDecoder, BitFields) {
    // 16 bits as 5-6-5 after a 40-byte header.
    Bytes px;
    test::put16(px, 0xF800); // red
    test::put16(px, 0x07E0); // green
    BmpLayout l{2, 1, 16, 3, {}, 40, std::array<std::uint32_t, 4>{0xF800, 0x07E0, 0x001F, 0}};
    const Image img = decode_ok(test::bmp_file(l, px));
    EXPECT_EQ(img.pixels[0], argb(255, 255, 0, 0));
    EXPECT_EQ(img.pixels[1], argb(255, 0, 255, 0));

    // 32 bits with an alpha mask in a V5 header keep their alpha.
    Bytes px32;
    test::put32(px32, 0x80FF0000);
    test::put32(px32, 0x0000FF00);
    BmpLayout l5{2,
                 1,
                 32,
                 3,
                 {},
                 124,
                 std::array<std::uint32_t, 4>{0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}};
    const Image a = decode_ok(test::bmp_file(l5, px32));
    EXPECT_EQ(a.pixels[0], argb(0x80, 255, 0, 0));
    EXPECT_EQ(a.pixels[1], argb(0, 0, 255, 0));

    // An alpha channel that is zero everywhere means an opaque picture.
    Bytes zero;
    test::put32(zero, 0x00FF0000);
    const Image z = decode_ok(test::bmp_file(BmpLayout{1, 1, 32, 3, {}, 124, l5.masks}, zero));
    EXPECT_EQ(z.pixels[0], argb(255, 255, 0, 0));
}

TEST(BitmapDecoder, Rle8) {
    // 6 by 3, bottom-up. Row 0 (the bottom): a run of 3 of colour 1 and the absolute run
    // 2,3,1 (odd length, so padded). Row 1: a delta right by 2 and up by 1 skips the rest of
    // row 1 and the start of row 2, then colour 3 twice and the end of the bitmap.
    const Bytes stream = {3, 1, 0, 3, 2, 3, 1, 0, 0, 0, // row 0, end of line
                          0, 2, 2, 1,                   // delta (2, 1): row 1 -> row 2, x 2
                          2, 3, 0, 1};
    BmpLayout l{6, 3, 8, 1, {kPalette16.begin(), kPalette16.begin() + 4}};
    const Image img = decode_ok(test::bmp_file(l, stream));
    const Argb k = kPalette16[0], r = kPalette16[1], g = kPalette16[2], b = kPalette16[3];
    const std::vector<Argb> expect = {k, k, b, b, k, k,  // top row (file row 2)
                                      k, k, k, k, k, k,  // middle row, skipped
                                      r, r, r, g, b, r}; // bottom row
    EXPECT_EQ(img.pixels, expect);
}

TEST(BitmapDecoder, Rle4) {
    // 5 by 2. Bottom row: run of 5 alternating colours 1 and 2; top row: absolute 3 pixels
    // 3,4,5 (2 bytes, padded to 2) then a run of 2 of colour 6 and 7.
    const Bytes stream = {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 2, 0x67, 0, 1};
    BmpLayout l{5, 2, 4, 2, kPalette16};
    const Image img = decode_ok(test::bmp_file(l, stream));
    const auto& p = kPalette16;
    const std::vector<Argb> expect = {p[3], p[4], p[5], p[6], p[7], p[1], p[2], p[1], p[2], p[1]};
    EXPECT_EQ(img.pixels, expect);
}

TEST(BitmapDecoder, DamagedFilesAreRefused) {
    const auto idx = pattern(16);
    BmpLayout l{5, 3, 8, 0, kPalette16};
    const Bytes good = test::bmp_file(l, test::pack_indices(5, 3, 8, idx, false));

    EXPECT_EQ(decode_error(Bytes(good.begin(), good.end() - 9)), "the pixel data ends early");
    EXPECT_EQ(decode_error(Bytes(good.begin(), good.begin() + 20)), "the bitmap header is damaged");
    EXPECT_EQ(decode_error(Bytes{'B', 'M'}), "not a bitmap file");
    EXPECT_EQ(decode_error(Bytes(100, 'x')), "not a bitmap file");

    BmpLayout bad_depth{5, 3, 7};
    EXPECT_EQ(decode_error(test::bmp_file(bad_depth, Bytes(64))), "unsupported bit depth 7");
    BmpLayout jpeg_inside{5, 3, 24, 4};
    EXPECT_EQ(decode_error(test::bmp_file(jpeg_inside, Bytes(64))),
              "unsupported bitmap compression 4");
    BmpLayout rle_wrong_depth{5, 3, 24, 1};
    EXPECT_EQ(decode_error(test::bmp_file(rle_wrong_depth, Bytes(64))),
              "RLE8 compression needs 8 bits per pixel");
    BmpLayout empty{0, 3, 24};
    EXPECT_EQ(decode_error(test::bmp_file(empty, Bytes())), "the bitmap has no pixels");

    // A compressed stream that stops without an end code.
    BmpLayout rle{6, 3, 8, 1, kPalette16};
    EXPECT_EQ(decode_error(test::bmp_file(rle, Bytes{3, 1, 0, 5, 1, 2})),
              "the compressed pixel data ends early");
}

TEST(BitmapDecoder, AbsurdSizesAreRefusedBeforeAllocating) {
    for (auto [w, h] : {std::pair{100000, 100000}, std::pair{16385, 1}, std::pair{1, -16385},
                        std::pair{16384, 4097}}) {
        BmpLayout l{w, h, 24};
        EXPECT_EQ(decode_error(test::bmp_file(l, Bytes(16))), "the picture is too large")
            << w << "x" << h;
    }
    // A compressed file may declare a large picture in a few bytes; within the limits it is
    // decoded, the rest of the picture in colour 0.
    BmpLayout big{4000, 3000, 8, 1, kPalette16};
    const Image img = decode_ok(test::bmp_file(big, Bytes{2, 5, 0, 1}));
    EXPECT_EQ(img.at(0, 2999), kPalette16[5]);
    EXPECT_EQ(img.at(2, 2999), kPalette16[0]);
}

TEST(BitmapDecoder, EveryTruncationIsHandled) {
    const auto idx = pattern(16);
    const std::vector<Bytes> files = {
        test::bmp_file(BmpLayout{5, 3, 8, 0, kPalette16}, test::pack_indices(5, 3, 8, idx, false)),
        test::bmp_file(BmpLayout{6, 3, 8, 1, kPalette16},
                       Bytes{3, 1, 0, 3, 2, 3, 1, 0, 0, 0, 0, 2, 2, 1, 2, 3, 0, 1}),
        test::bmp_file(
            BmpLayout{
                3, 2, 32, 3, {}, 124, std::array<std::uint32_t, 4>{0xFF0000, 0xFF00, 0xFF, 0}},
            Bytes(24, 0x7F)),
    };
    for (const Bytes& f : files) {
        for (std::size_t n = 0; n < f.size(); ++n) {
            Image img;
            std::string error;
            const bool ok = decode_bmp_file(std::span(f.data(), n), img, error);
            // Only the missing padding of the very last row may be tolerated.
            EXPECT_TRUE(!ok || n + 4 > f.size()) << n;
            EXPECT_EQ(ok, error.empty()) << n;
        }
    }
}

} // namespace
} // namespace q50
