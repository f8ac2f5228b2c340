#include "display/picture_scaler.h"
#include "drawn_pictures.h"

#include <cmath>
#include <gtest/gtest.h>

namespace q50 {
namespace {

// Whether output column (or row) i lies on the picture: at least half of it is covered by the
// picture's span [phase, phase + n * factor).
bool on_picture(int i, double phase, int n, double factor) {
    const double from = std::max<double>(i, phase), to = std::min(i + 1.0, phase + n * factor);
    return to - from >= 0.5;
}

// A flat picture stays exactly its colour at any factor and phase; its border lands on the
// nearest output pixel border, so every output pixel is either wholly the picture or see-through.
TEST(PlaceScaledTest, FlatPicturesKeepTheirColourAndGetCrispBorders) {
    const Argb c = argb(255, 200, 40, 7);
    const Image flat(9, 5, c);
    for (double f : {2.805, 1.4025, 0.7, 3.0})
        for (double phase : {0.0, 0.3, 0.8}) {
            const Image out = place_scaled(flat, 9, 5, f, phase, phase / 2);
            ASSERT_EQ(out.width, int(std::ceil(phase + 9 * f - 1e-9))) << f;
            for (int y = 0; y < out.height; ++y)
                for (int x = 0; x < out.width; ++x) {
                    const bool on = on_picture(x, phase, 9, f) && on_picture(y, phase / 2, 5, f);
                    ASSERT_EQ(out.at(x, y), on ? c : 0u)
                        << "factor " << f << " phase " << phase << " at " << x << "," << y;
                }
        }
}

// Two halves of a picture placed where they meet at a fractional place tile without a seam:
// laid over a contrasting base nothing of the base shows, and the border between them is crisp.
TEST(PlaceScaledTest, PicturesThatMeetAtAFractionalPlaceTileWithoutASeam) {
    const Argb red = argb(255, 255, 0, 0), blue = argb(255, 0, 0, 255);
    const Image left(7, 3, red), right(6, 3, blue);
    for (double f : {2.805, 1.4025, 2.5, 0.85}) {
        const double start = 4 * f; // the left half at design x = 4, the right at x = 11
        const int lx = int(std::floor(start)), rx = int(std::floor(start + 7 * f + 1e-9));
        const Image a = place_scaled(left, 7, 3, f, start - lx, 0);
        const Image b = place_scaled(right, 6, 3, f, start + 7 * f - rx, 0);
        const int end = int(std::floor(start + 13 * f + 0.5));
        int reds = 0;
        for (int x = int(std::ceil(start - 0.5)); x < end; ++x) {
            Argb p = 0;
            if (x - lx < a.width && a.at(x - lx, 1)) p = a.at(x - lx, 1);
            if (x >= rx && x - rx < b.width && b.at(x - rx, 1)) p = b.at(x - rx, 1);
            ASSERT_TRUE(p == red || p == blue) << "factor " << f << " column " << x;
            reds += p == red;
        }
        EXPECT_NEAR(reds, 7 * f, 1.0) << f;
    }
}

// Inside the picture every output pixel is the mean of the area it covers: a one-pixel line of
// ink keeps its weight (darkness summed across the line) at every phase, and is never dropped.
TEST(PlaceScaledTest, ThinInkKeepsItsWeightAtEveryPhase) {
    Image img(12, 1, argb(255, 255, 255, 255));
    img.at(5, 0) = argb(255, 0, 0, 0);
    for (double f : {0.7, 1.4025, 2.805})
        for (double phase : {0.0, 0.25, 0.5, 0.9}) {
            const Image out = place_scaled(img, 12, 1, f, phase, 0);
            double ink = 0;
            for (int x = 0; x < out.width; ++x)
                if (out.at(x, 0)) ink += (255 - (out.at(x, 0) & 0xFF)) / 255.0;
            EXPECT_NEAR(ink, f, 0.02) << "factor " << f << " phase " << phase;
        }
}

// See-through pixels lend no colour, only less cover.
TEST(PlaceScaledTest, SeeThroughPixelsLendNoColour) {
    Image img(2, 1);
    img.at(0, 0) = argb(255, 200, 0, 0);
    img.at(1, 0) = argb(0, 0, 255, 0);
    const Image out = place_scaled(img, 2, 1, 0.5, 0, 0);
    ASSERT_EQ(out.width, 1);
    EXPECT_EQ(out.at(0, 0), argb(128, 200, 0, 0));
}

// Enlarged, too: the pixel between an opaque and a see-through one is half covered in the
// opaque one's colour, and a pixel the picture covers less than half of is not drawn.
TEST(PlaceScaledTest, EnlargedSeeThroughPixelsLendNoColourEither) {
    Image img(2, 1);
    img.at(0, 0) = argb(255, 255, 0, 0);
    img.at(1, 0) = argb(0, 0, 255, 0);
    const Image out = place_scaled(img, 2, 1, 2.0, 0.5, 0);
    ASSERT_EQ(out.width, 5);
    EXPECT_EQ(out.at(0, 0), argb(255, 255, 0, 0)); // half covered: the picture's
    EXPECT_EQ(out.at(1, 0), argb(255, 255, 0, 0));
    EXPECT_EQ(out.at(2, 0), argb(128, 255, 0, 0));
    EXPECT_EQ(out.at(3, 0), 0u);
    EXPECT_EQ(out.at(4, 0), 0u); // a quarter covered: not the picture's
}

// Whole factors at phase 0 repeat pixels exactly; only the part asked for is taken.
TEST(PlaceScaledTest, WholeFactorsRepeatPixelsOfThePartShown) {
    Image img(4, 3);
    for (int i = 0; i < 12; ++i) img.pixels[std::size_t(i)] = argb(std::uint8_t(20 * i), 1, 2, 3);
    Image part(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) part.at(x, y) = img.at(x, y);
    EXPECT_EQ(place_scaled(img, 3, 2, 3.0, 0, 0).pixels, repeat_pixels(part, 3).pixels);
    EXPECT_EQ(place_scaled(img, 4, 3, 1.0, 0, 0).pixels, img.pixels);
    EXPECT_TRUE(place_scaled(img, 0, 3, 2.0, 0, 0).empty());
}

// The pixels of `r` in `img`.
Image cut_out(const Image& img, Rect r) {
    Image out(r.width, r.height);
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) out.at(x, y) = img.at(r.left + x, r.top + y);
    return out;
}

// Only what shows of a picture is brought to the scale: a part asked for is exactly that part
// of the whole result, at whole and fractional factors, enlarging and reducing, at any phase,
// with see-through pixels and at the picture's own borders; a part reaching past the result is
// cut to it.
TEST(PlaceScaledTest, APartOfTheResultIsExactlyThatPartOfTheWholeResult) {
    Image img = test::noise(23, 17, 7);
    for (int x = 0; x < 23; ++x) img.at(x, 5) &= 0x7FFFFFFFu; // a half see-through row
    img.at(3, 3) = 0;
    struct Case {
        double factor, px, py;
    };
    for (Case c : {Case{1, 0, 0}, Case{3, 0, 0}, Case{2.5, 0, 0}, Case{1.75, 0.5, 0.25},
                   Case{0.6, 0.3, 0.9}, Case{4, 0.5, 0}, Case{1, 0.5, 0.5}}) {
        SCOPED_TRACE(testing::Message()
                     << "factor " << c.factor << " phase " << c.px << "," << c.py);
        const Image whole = place_scaled(img, 21, 15, c.factor, c.px, c.py);
        ASSERT_FALSE(whole.empty());
        const PixelSize size = placed_size(img, 21, 15, c.factor, c.px, c.py);
        ASSERT_EQ(size, (PixelSize{whole.width, whole.height}));
        for (Rect part : {Rect{0, 0, whole.width, whole.height}, Rect{1, 2, 5, 4},
                          Rect{whole.width - 3, whole.height - 2, 3, 2},
                          Rect{whole.width / 2, 0, 1, whole.height}}) {
            const Image got = place_scaled(img, 21, 15, c.factor, c.px, c.py, part);
            EXPECT_EQ(got.pixels, cut_out(whole, part).pixels)
                << part.left << "," << part.top << " " << part.width << "x" << part.height;
        }
        const Image cut =
            place_scaled(img, 21, 15, c.factor, c.px, c.py, Rect{whole.width - 2, -3, 10, 5});
        EXPECT_EQ(cut.pixels, cut_out(whole, Rect{whole.width - 2, 0, 2, 2}).pixels);
        EXPECT_TRUE(
            place_scaled(img, 21, 15, c.factor, c.px, c.py, Rect{whole.width, 0, 4, 4}).empty());
    }
    // A stretched backdrop's resampling, each axis on its own.
    for (PixelSize to : {PixelSize{50, 9}, PixelSize{11, 40}, PixelSize{23, 17}}) {
        const Image whole = resample_area(img, to.width, to.height);
        const Rect part{to.width / 3, to.height / 4, to.width / 2, to.height / 2};
        EXPECT_EQ(resample_area(img, to.width, to.height, part).pixels, cut_out(whole, part).pixels)
            << to.width << "x" << to.height;
    }
}

} // namespace
} // namespace q50
