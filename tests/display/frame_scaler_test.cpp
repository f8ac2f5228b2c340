#include "display/frame_scaler.h"
#include "display/pixel_ops.h"

#include <gtest/gtest.h>
#include <random>

namespace q50 {
namespace {

// Random opaque colours with about a quarter of the pixels see-through.
Image noise_with_holes(int w, int h, unsigned seed) {
    std::mt19937 rng(seed);
    Image img(w, h);
    for (Argb& p : img.pixels) {
        p = 0xFF000000u | (rng() & 0xFFFFFFu);
        if (rng() % 4 == 0) p = 0;
    }
    return img;
}

TEST(FrameScalerTest, WholeScalesReplicateEveryPixelExactly) {
    const Image src = noise_with_holes(13, 7, 1);
    for (int k = 1; k <= 4; ++k) {
        const Image out = scale_frame(src, k, {13 * k, 7 * k});
        ASSERT_EQ(out.width, 13 * k);
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x)
                ASSERT_EQ(out.at(x, y), src.at(x / k, y / k)) << k << " " << x << "," << y;
    }
}

TEST(FrameScalerTest, IncrementalUpdatesEqualAFullScaleAtEveryScale) {
    Image src = noise_with_holes(40, 30, 2);
    for (double s : {2.0, 3.0, 1.0 + 1.0 / 3, 2160.0 / 770, 0.9 * 768 / 770, 0.5}) {
        const PixelSize out = scaled_size({40, 30}, s);
        FrameScaler scaler;
        scaler.update(src, {0, 0, 40, 30}, s, out);
        // Change a small block and tell the scaler only about that block.
        Image changed = src;
        const Rect block{17, 11, 3, 2};
        for (int y = block.top; y < block.top + block.height; ++y)
            for (int x = block.left; x < block.left + block.width; ++x)
                changed.at(x, y) = argb(255, 1, 2, 3);
        const Rect damage = scaler.update(changed, block, s, out);
        const Image expected = scale_frame(changed, s, out);
        EXPECT_EQ(scaler.frame().pixels, expected.pixels) << s;
        // Only the block's neighbourhood is reported, not the frame.
        EXPECT_LE(damage.width, int(3 * s) + 3) << s;
        EXPECT_LE(damage.height, int(2 * s) + 3) << s;
        EXPECT_GT(damage.width, 0);
    }
}

// At 150 % two source pixels become three: a path of its own, which must give what the taps of
// any other scale give. A source one pixel wider (or taller) than an even one cannot be taken
// as pairs and goes the general way; the columns and rows the two share must be the same.
TEST(FrameScalerTest, OneAndAHalfGivesWhatTheGeneralTapsGive) {
    const Image odd = noise_with_holes(41, 31, 7);
    Image even(40, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) even.at(x, y) = odd.at(x, y);
    const Image general = scale_frame(odd, 1.5, scaled_size({41, 31}, 1.5));
    const Image pairs = scale_frame(even, 1.5, {60, 45});
    for (int y = 0; y < 45; ++y)
        for (int x = 0; x < 60; ++x) ASSERT_EQ(pairs.at(x, y), general.at(x, y)) << x << "," << y;
    // A part starting inside a triple, and rows taken from the output they are copied to.
    FrameScaler scaler;
    scaler.update(even, {0, 0, 40, 30}, 1.5, {60, 45});
    Image changed = even;
    for (int y = 5; y < 12; ++y)
        for (int x = 3; x < 8; ++x) changed.at(x, y) = (x + y) % 3 ? argb(255, 9, 8, 7) : 0;
    scaler.update(changed, {3, 5, 5, 7}, 1.5, {60, 45});
    EXPECT_EQ(scaler.frame().pixels, scale_frame(changed, 1.5, {60, 45}).pixels);
}

TEST(FrameScalerTest, AnEvenMixIsTheMixAtHalfWeight) {
    std::mt19937 rng(5);
    for (int i = 0; i < 200000; ++i) {
        const Argb p = rng(), q = rng();
        ASSERT_EQ(even_mix(p, q), mix(p, q, 128)) << std::hex << p << " " << q;
    }
    EXPECT_EQ(even_mix(0xFFFFFFFFu, 0), 0x80808080u);
    EXPECT_EQ(mix(0x12345678u, 0x9ABCDEF0u, 256), 0x12345678u);
}

TEST(FrameScalerTest, FractionalScalesAverageAreasWithoutSmearingFlatInk) {
    // A flat colour stays exactly that colour at any scale (no ringing, no darkening).
    const Image flat(10, 10, argb(255, 200, 100, 50));
    for (double s : {1.5, 2.805, 0.7}) {
        const Image out = scale_frame(flat, s, scaled_size({10, 10}, s));
        for (Argb p : out.pixels) ASSERT_EQ(p, argb(255, 200, 100, 50)) << s;
    }
    // A one-pixel black line on white at 1.5: a full black pixel and one half-covered grey
    // pixel, i.e. the line keeps its weight (1.5 pixels of ink).
    Image line(4, 1, argb(255, 255, 255, 255));
    line.at(1, 0) = argb(255, 0, 0, 0);
    const Image out = scale_frame(line, 1.5, {6, 1});
    int ink = 0;
    for (Argb p : out.pixels) ink += 255 - int(p & 0xFF);
    EXPECT_NEAR(ink, 255 * 1.5, 2);
    // Halving averages 2x2 blocks exactly.
    Image checker(2, 2);
    checker.at(0, 0) = checker.at(1, 1) = argb(255, 0, 0, 0);
    checker.at(1, 0) = checker.at(0, 1) = argb(255, 255, 255, 255);
    EXPECT_EQ(scale_frame(checker, 0.5, {1, 1}).at(0, 0), argb(255, 128, 128, 128));
}

TEST(FrameScalerTest, SeeThroughPixelsStaySeeThroughAndEdgesStayOpaqueColours) {
    // Left half see-through, right half opaque red: the outline goes where half is covered,
    // and an edge pixel never takes a dark fringe from the see-through part.
    Image img(4, 2, 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 2; x < 4; ++x) img.at(x, y) = argb(255, 255, 0, 0);
    const Image out = scale_frame(img, 1.5, {6, 3});
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(out.at(0, y), 0u);
        EXPECT_EQ(out.at(1, y), 0u);
        EXPECT_EQ(out.at(4, y), argb(255, 255, 0, 0));
        EXPECT_EQ(out.at(5, y), argb(255, 255, 0, 0));
        // Pixel 3 covers design x 2..2.67: wholly red.
        EXPECT_EQ(out.at(3, y), argb(255, 255, 0, 0));
    }
    for (Argb p : out.pixels) EXPECT_TRUE(p == 0 || alpha_of(p) == 255);
}

TEST(FrameScalerTest, AnOutputLargerThanTheScaledSourceIsCovered) {
    // Fullscreen: the loader's screen in design pixels, drawn at the scale, covers a screen
    // that is not a multiple of the scale.
    const double s = 2160.0 / 770;
    const PixelSize design = screen_in_design({1000, 700}, s);
    const Image src(design.width, design.height, argb(255, 9, 9, 9));
    const Image out = scale_frame(src, s, {1000, 700});
    for (Argb p : out.pixels) ASSERT_EQ(p, argb(255, 9, 9, 9));
}

TEST(FrameScalerTest, ScaledRectCoversEveryOutputPixelTheDesignRectTouches) {
    EXPECT_EQ(scaled_rect({1, 2, 3, 4}, 2.0, {100, 100}), (Rect{2, 4, 6, 8}));
    EXPECT_EQ(scaled_rect({1, 1, 1, 1}, 1.5, {100, 100}), (Rect{1, 1, 2, 2}));
    EXPECT_EQ(scaled_rect({0, 0, 10, 10}, 3.0, {20, 20}), (Rect{0, 0, 20, 20}));
    EXPECT_EQ(scaled_rect({0, 0, 0, 10}, 3.0, {20, 20}), (Rect{}));
}

} // namespace
} // namespace q50
