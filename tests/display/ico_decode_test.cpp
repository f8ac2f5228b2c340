#include "display/decoders.h"
#include "tests/display/picture_makers.h"

#include <gtest/gtest.h>

namespace q50 {
namespace {

using test::BmpLayout;
using test::Bytes;
using test::IconEntry;

// The bitmap of an icon: info header with the doubled height, then colours, then the mask.
Bytes icon_bitmap(int w, int h, int bpp, const std::vector<Argb>& palette, const Bytes& pixels,
                  const Bytes& mask) {
    Bytes b = test::bmp_info(BmpLayout{w, 2 * h, bpp, 0, palette});
    b.insert(b.end(), pixels.begin(), pixels.end());
    b.insert(b.end(), mask.begin(), mask.end());
    return b;
}

TEST(IconDecoder, BitmapWithMaskAndTheLargestImageWins) {
    const std::vector<Argb> palette = {argb(255, 0, 0, 0), argb(255, 255, 0, 0)};
    // 2x2 small image, all colour 1.
    const Bytes small =
        icon_bitmap(2, 2, 4, palette, test::pack_indices(2, 2, 4, {1, 1, 1, 1}, false),
                    test::pack_mask(2, 2, {false, false, false, false}));
    // 4x2 larger image: colour 1 with the top-left pixel masked out.
    const Bytes large =
        icon_bitmap(4, 2, 4, palette, test::pack_indices(4, 2, 4, {1, 1, 0, 1, 1, 1, 1, 1}, false),
                    test::pack_mask(4, 2, {true, false, false, false, false, false, false, false}));
    const Bytes ico = test::ico_file({IconEntry{2, 2, 4, small}, IconEntry{4, 2, 4, large}});
    Image img;
    std::string error;
    ASSERT_TRUE(decode_ico(ico, img, error)) << error;
    ASSERT_EQ(img.width, 4);
    ASSERT_EQ(img.height, 2);
    EXPECT_EQ(img.at(0, 0), 0u);
    EXPECT_EQ(img.at(1, 0), argb(255, 255, 0, 0));
    EXPECT_EQ(img.at(2, 0), argb(255, 0, 0, 0));
}

TEST(IconDecoder, ThirtyTwoBitAlphaAndPngInside) {
    Image src(2, 1);
    src.pixels = {argb(0x40, 1, 2, 3), argb(0xFF, 4, 5, 6)};
    const Bytes bmp32 = icon_bitmap(2, 1, 32, {}, test::pack_rgb(src, 32, false),
                                    test::pack_mask(2, 1, {true, true}));
    Image img;
    std::string error;
    ASSERT_TRUE(decode_ico(test::ico_file({IconEntry{2, 1, 32, bmp32}}), img, error)) << error;
    EXPECT_EQ(img.pixels, src.pixels); // alpha wins over the mask

    Image big(3, 3, argb(0x80, 9, 9, 9));
    const Bytes png = test::png_of(big);
    ASSERT_TRUE(decode_ico(test::ico_file({IconEntry{2, 1, 32, bmp32}, IconEntry{3, 3, 32, png}}),
                           img, error))
        << error;
    EXPECT_EQ(img.pixels, big.pixels);
}

TEST(IconDecoder, DamagedDirectories) {
    Image img;
    std::string error;
    EXPECT_FALSE(decode_ico(Bytes{0, 0, 1, 0}, img, error));
    EXPECT_EQ(error, "not an icon file");
    EXPECT_FALSE(decode_ico(Bytes{0, 0, 1, 0, 5, 0, 1, 2, 3}, img, error));
    EXPECT_EQ(error, "the icon directory is damaged");
    // An entry that points past the end of the file.
    Bytes ico = test::ico_file({IconEntry{2, 2, 4, Bytes(40, 1)}});
    ico.resize(ico.size() - 10);
    EXPECT_FALSE(decode_ico(ico, img, error));
    EXPECT_EQ(error, "the icon holds no readable image");

    const std::vector<Argb> palette = {argb(255, 0, 0, 0), argb(255, 255, 0, 0)};
    const Bytes good = test::ico_file(
        {IconEntry{2, 2, 4,
                   icon_bitmap(2, 2, 4, palette, test::pack_indices(2, 2, 4, {1, 0, 0, 1}, false),
                               test::pack_mask(2, 2, {false, true, false, false}))}});
    for (std::size_t n = 0; n < good.size(); ++n) {
        error.clear();
        const bool ok = decode_ico(std::span(good.data(), n), img, error);
        EXPECT_EQ(ok, error.empty());
        EXPECT_FALSE(ok) << n; // the entry's declared length no longer fits
    }
}

} // namespace
} // namespace q50
