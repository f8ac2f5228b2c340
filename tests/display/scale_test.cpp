#include "display/scale.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace q50 {
namespace {

constexpr PixelSize kDevice{498, 770};

TEST(ScaleTest, WindowedFitTakesTheLargestWholeScaleWithinNinetyPercent) {
    // 770 * 2 = 1540 <= 0.9 * 2160 = 1944; 770 * 3 = 2310 does not fit.
    EXPECT_DOUBLE_EQ(windowed_fit_scale(kDevice, {3840, 2160}), 2.0);
    // 1080 lines: 972 high leaves room for 1 only.
    EXPECT_DOUBLE_EQ(windowed_fit_scale(kDevice, {1920, 1080}), 1.0);
    // Exactly 90 % counts as fitting: 770 / 0.9 lines.
    EXPECT_DOUBLE_EQ(windowed_fit_scale({100, 90}, {1000, 300}), 3.0);
    // The width can be the limit too.
    EXPECT_DOUBLE_EQ(windowed_fit_scale({400, 100}, {1000, 2000}), 2.0);
}

TEST(ScaleTest, WindowedFitGoesFractionalWhenNotEvenDesignSizeFits) {
    // 1024x768: 0.9 * 768 / 770.
    EXPECT_NEAR(windowed_fit_scale(kDevice, {1024, 768}), 0.9 * 768 / 770, 1e-12);
    const double s = windowed_fit_scale(kDevice, {1024, 768});
    EXPECT_LE(scaled_length(770, s), 0.9 * 768 + 0.5);
    // A desktop scale of 2 on 1080 lines: the logical screen is 540 high, 1080 physical;
    // the total scale stays 1, i.e. half of a logical pixel per design pixel.
    EXPECT_DOUBLE_EQ(windowed_total_scale(kZoomFit, kDevice, {960, 540}, 2.0), 1.0);
}

TEST(ScaleTest, FullscreenFitPrefersWholeScalesOnlyWhenTheyAreNearlyAsBig) {
    // 2160 / 770 = 2.805: 2 is under 90 % of it, so the fractional scale is used.
    EXPECT_NEAR(fullscreen_fit_scale(kDevice, {3840, 2160}), 2160.0 / 770, 1e-12);
    EXPECT_NEAR(fullscreen_fit_scale(kDevice, {1920, 1080}), 1080.0 / 770, 1e-12);
    // 1600 lines: 2.078, and 2 is 96 % of it.
    EXPECT_DOUBLE_EQ(fullscreen_fit_scale(kDevice, {2560, 1600}), 2.0);
    // Exactly 90 % still takes the whole scale: 10 / 0.9 = 11.1 -> 10.
    EXPECT_DOUBLE_EQ(fullscreen_fit_scale({10, 10}, {111, 111}), 11.0);
    EXPECT_DOUBLE_EQ(fullscreen_fit_scale({100, 100}, {1000, 1111}), 10.0);
    // Smaller than the device: fractional below 1.
    EXPECT_NEAR(fullscreen_fit_scale(kDevice, {1024, 768}), 768.0 / 770, 1e-12);
    // The drawn device never exceeds the screen.
    for (int h : {600, 768, 1080, 1200, 1440, 2160, 4320}) {
        const double s = fullscreen_fit_scale(kDevice, {h * 2, h});
        EXPECT_LE(scaled_length(770, s), h) << h;
        EXPECT_GE(scaled_length(770, s), 0.9 * h - 1) << h;
    }
}

TEST(ScaleTest, AFractionalFullscreenFitOffersTheWholeScaleAboveIt) {
    EXPECT_DOUBLE_EQ(fullscreen_snap_scale(kDevice, {1024, 768}), 1.0);  // fit 0.9974
    EXPECT_DOUBLE_EQ(fullscreen_snap_scale(kDevice, {1920, 1080}), 2.0); // fit 1.40
    EXPECT_DOUBLE_EQ(fullscreen_snap_scale(kDevice, {2048, 1536}), 2.0); // fit 1.9948
    EXPECT_DOUBLE_EQ(fullscreen_snap_scale(kDevice, {800, 600}), 1.0);   // fit 0.78
    // A whole fit has nothing to snap to.
    EXPECT_DOUBLE_EQ(fullscreen_snap_scale(kDevice, {1024, 800}), 0.0);
    EXPECT_DOUBLE_EQ(fullscreen_snap_scale(kDevice, {2560, 1600}), 0.0);
    EXPECT_DOUBLE_EQ(fullscreen_snap_scale(kDevice, {996, 1540}), 0.0);
}

TEST(ScaleTest, DevicePixelRatioMultipliesWithTheZoom) {
    EXPECT_DOUBLE_EQ(windowed_total_scale(200, kDevice, {1920, 2000}, 1.0), 2.0);
    EXPECT_DOUBLE_EQ(windowed_total_scale(200, kDevice, {3840, 4000}, 2.0), 4.0);
    EXPECT_DOUBLE_EQ(windowed_total_scale(100, kDevice, {1920, 1080}, 1.5), 1.5);
    // Fullscreen at 100 % is the design size in logical pixels.
    EXPECT_DOUBLE_EQ(fullscreen_total_scale(100, kDevice, {1920, 1080}, 2.0), 2.0);
    // Fit at a ratio of 2 on a 1920x1080 logical screen (3840x2160 physical).
    EXPECT_NEAR(fullscreen_total_scale(kZoomFit, kDevice, {1920, 1080}, 2.0), 2160.0 / 770, 1e-12);
}

TEST(ScaleTest, AFixedZoomThatWouldRunOffTheScreenFallsBackToFit) {
    EXPECT_DOUBLE_EQ(windowed_total_scale(400, kDevice, {1920, 1080}, 1.0), 1.0);
    EXPECT_DOUBLE_EQ(windowed_total_scale(100, kDevice, {1920, 1080}, 1.0), 1.0);
    EXPECT_NEAR(windowed_total_scale(100, kDevice, {1024, 768}, 1.0), 0.9 * 768 / 770, 1e-12);
    // 100 % exactly filling the available height is allowed.
    EXPECT_DOUBLE_EQ(windowed_total_scale(100, kDevice, {498, 770}, 1.0), 1.0);
}

TEST(ScaleTest, StoredZoomValuesOutsideTheChoicesMeanFit) {
    EXPECT_EQ(valid_zoom(0), kZoomFit);
    for (int z : {100, 200, 300, 400}) EXPECT_EQ(valid_zoom(z), z);
    for (int z : {-100, 1, 50, 150, 250, 500, 1000, 2147483647}) EXPECT_EQ(valid_zoom(z), kZoomFit);
    EXPECT_EQ(valid_fullscreen_zoom(100), 100);
    for (int z : {0, 200, -1, 99}) EXPECT_EQ(valid_fullscreen_zoom(z), kZoomFit);
}

TEST(ScaleTest, PlusAndMinusStepThroughTheZoomsThatFitAndNeverTheWrongWay) {
    // A 4K screen: fit is 200 %, and 300 % and 400 % do not fit.
    const auto uhd = windowed_zoom_choices(kDevice, {3840, 2100}, 1.0);
    ASSERT_EQ(uhd.size(), 3u);
    EXPECT_EQ(uhd[0].zoom, 100);
    EXPECT_EQ(uhd[1].zoom, 200); // before fit, which shows the same
    EXPECT_EQ(uhd[2].zoom, kZoomFit);
    EXPECT_DOUBLE_EQ(uhd[2].shown, 2.0);
    EXPECT_EQ(zoom_step(2.0, false, uhd), 100);
    // Below 100 % there is nothing: "-" does not go back to fit, which is larger.
    EXPECT_EQ(zoom_step(1.0, false, uhd), std::nullopt);
    EXPECT_EQ(zoom_step(1.0, true, uhd), 200);
    EXPECT_EQ(zoom_step(2.0, true, uhd), std::nullopt);
    // A small screen: fit is below 100 %, which does not fit; fit is the only choice.
    const auto small = windowed_zoom_choices(kDevice, {1024, 700}, 1.0);
    ASSERT_EQ(small.size(), 1u);
    EXPECT_EQ(small[0].zoom, kZoomFit);
    EXPECT_EQ(zoom_step(small[0].shown, true, small), std::nullopt);
    EXPECT_EQ(zoom_step(small[0].shown, false, small), std::nullopt);
    // A tall screen: every step fits, and fit (300 %) lies among them.
    const auto tall = windowed_zoom_choices(kDevice, {2000, 3200}, 1.0);
    ASSERT_EQ(tall.size(), 5u);
    EXPECT_EQ(zoom_step(3.0, true, tall), 400);
    EXPECT_EQ(zoom_step(4.0, false, tall), kZoomFit); // fit shows 300 %, after the fixed 300
    EXPECT_EQ(zoom_step(3.0, false, tall), 200);
    // From any zoom shown, a step goes the way asked or nowhere.
    for (const auto* choices : {&uhd, &small, &tall})
        for (double shown : {0.5, 1.0, 1.5, 2.0, 2.5, 3.0, 4.0})
            for (bool up : {true, false})
                if (const auto z = zoom_step(shown, up, *choices)) {
                    const auto c = std::find_if(choices->begin(), choices->end(),
                                                [&](const ZoomChoice& x) { return x.zoom == *z; });
                    ASSERT_NE(c, choices->end());
                    EXPECT_TRUE(up ? c->shown > shown : c->shown < shown) << shown << up;
                }
    // With a desktop scale the zooms are the window's own: 200 % fits a 1920x1050 area at 2.
    const auto scaled = windowed_zoom_choices(kDevice, {1920, 1050}, 2.0);
    EXPECT_EQ(zoom_step(1.0, true, scaled), std::nullopt);
    EXPECT_FALSE(zoom_fits(200, kDevice, {1920, 1050}, 2.0));
    EXPECT_TRUE(zoom_fits(100, kDevice, {1920, 1050}, 2.0));
}

TEST(ScaleTest, WindowPixelsMapBackToTheDesignPixelUnderThem) {
    // Whole scales: each design pixel owns its block.
    for (int k = 1; k <= 4; ++k)
        for (int d = 0; d < 20; ++d)
            for (int i = 0; i < k; ++i) EXPECT_EQ(design_pixel(d * k + i, k), d);
    // Fractional: the design pixel holding the pixel's centre, never outside the device.
    const double s = 2160.0 / 770;
    EXPECT_EQ(design_pixel(0, s), 0);
    EXPECT_EQ(design_pixel(scaled_length(770, s) - 1, s), 769);
    const double small = 0.9 * 768 / 770;
    EXPECT_EQ(design_pixel(0, small), 0);
    EXPECT_EQ(design_pixel(scaled_length(770, small) - 1, small), 769);
    EXPECT_EQ(design_pixel(1, 1.5), 1);
    EXPECT_EQ(design_pixel(2, 1.5), 1);
    EXPECT_EQ(design_pixel(3, 1.5), 2);
    // Monotonic and without gaps at an upscale: every design pixel is reachable.
    int last = -1;
    for (int p = 0; p < scaled_length(498, s); ++p) {
        const int d = design_pixel(p, s);
        EXPECT_TRUE(d == last || d == last + 1) << p;
        last = d;
    }
    EXPECT_EQ(last, 497);
}

TEST(ScaleTest, FullscreenLoaderGetsTheScreenInDesignPixelsAndItsCentringScales) {
    // The loader centres in design pixels; drawn at the scale the device is centred on the
    // screen to within one design pixel.
    const double s = fullscreen_fit_scale(kDevice, {3840, 2160});
    const PixelSize d = screen_in_design({3840, 2160}, s);
    EXPECT_GE(scaled_length(d.width, s), 3840);
    EXPECT_GE(scaled_length(d.height, s), 2160);
    EXPECT_LT(scaled_length(d.width - 1, s), 3840);
    const int offset_x = (d.width - 498) / 2; // the loader's truncated centring
    const int left = scaled_length(offset_x, s), right = 3840 - scaled_length(offset_x + 498, s);
    EXPECT_LE(std::abs(left - right), 2 * s + 1);
    // A skin placing the device by numbers keeps its place, scaled.
    EXPECT_EQ(scaled_length(40, 2.0), 80);
    // Whole scales divide exactly.
    EXPECT_EQ(screen_in_design({3840, 2160}, 2.0), (PixelSize{1920, 1080}));
    EXPECT_EQ(screen_in_design({1024, 768}, 1.0), (PixelSize{1024, 768}));
}

} // namespace
} // namespace q50
