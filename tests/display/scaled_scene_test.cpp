#include "display/frame_scaler.h"
#include "display/painter.h"
#include "display/scaled_scene.h"
#include "drawn_pictures.h"

#include <cmath>
#include <gtest/gtest.h>

namespace q50 {
namespace {

using test::noise;

// A fullscreen board: a device of 20x24 with a see-through corner, a translucent segment on
// it, and the menu button apart from it in the top left corner of a 40x30 client.
class ScaledSceneTest : public ::testing::Test {
  protected:
    Board board;
    WindowModel window;

    ScaledSceneTest() {
        for (Segment& s : board.segments()) board.hide(s);
        window.client_width = 40;
        window.client_height = 30;
        window.key_on = false;
        window.colour = 0x00302010;
        Image body = noise(20, 24, 1);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 5 - y; ++x) body.at(x, y) = 0; // the see-through corner
        place("im_background_bottom", {14, 3, 20, 24}, body);
        place("im_flame_1", {18, 8, 6, 5}, noise(6, 5, 2, 0x80000000u));
        place("btn_game_menu_top", {0, 0, 4, 3}, noise(4, 3, 3));
    }
    void place(const char* name, Rect r, Image img) {
        Segment& s = board.named(name);
        board.set_rect(s, r);
        board.set_picture(s, std::make_shared<const Image>(std::move(img)));
        board.show(s);
    }
    // The frame as the whole board painted in design pixels and then scaled.
    Image old_way(double scale) {
        return scale_frame(paint_board(board, window), scale, scaled_size({40, 30}, scale));
    }
};

// At whole scales over a plain colour the two layers give exactly what painting everything
// and repeating every pixel gives, also after changes painted incrementally, and a change
// reports only its own neighbourhood.
TEST_F(ScaledSceneTest, WholeScalesEqualTheWholeBoardScaledAlsoAfterIncrementalChanges) {
    for (int k : {1, 2, 3}) {
        ScaledScene scene;
        const PixelSize out = scaled_size({40, 30}, k);
        Rect damage;
        EXPECT_EQ(scene.paint(board, window, nullptr, k, out, &damage).pixels, old_way(k).pixels)
            << k;
        EXPECT_EQ(damage, (Rect{0, 0, out.width, out.height}));
        board.hide("im_flame_1");
        EXPECT_EQ(scene.paint(board, window, nullptr, k, out, &damage).pixels, old_way(k).pixels)
            << k;
        EXPECT_EQ(damage, (Rect{18 * k, 8 * k, 6 * k, 5 * k}));
        board.show("im_flame_1");
        board.hide("btn_game_menu_top");
        EXPECT_EQ(scene.paint(board, window, nullptr, k, out, &damage).pixels, old_way(k).pixels)
            << k;
        board.show("btn_game_menu_top");
    }
}

// Two changes far apart on the device come back as two parts, not one rectangle around both,
// at whole and fractional scales; together they cover what changed in the frame.
TEST_F(ScaledSceneTest, ChangesFarApartComeBackAsPartsApart) {
    place("im_flame_2", {15, 20, 2, 2}, noise(2, 2, 4));
    place("im_flame_3", {31, 4, 2, 2}, noise(2, 2, 5));
    for (double k : {1.0, 2.0, 2.805}) {
        SCOPED_TRACE(k);
        board.show("im_flame_2");
        board.show("im_flame_3");
        ScaledScene scene;
        const PixelSize out = scaled_size({40, 30}, k);
        std::vector<Rect> parts;
        Rect damage;
        scene.paint(board, window, nullptr, k, out, &damage, &parts);
        ASSERT_EQ(parts.size(), 1u);
        EXPECT_EQ(parts[0], (Rect{0, 0, out.width, out.height}));
        const Image before = scene.frame();
        board.hide("im_flame_2");
        board.hide("im_flame_3");
        const Image& after = scene.paint(board, window, nullptr, k, out, &damage, &parts);
        ASSERT_EQ(parts.size(), 2u);
        for (const Rect& r : parts) {
            EXPECT_LT(r.width, out.width / 4);
            EXPECT_LT(r.height, out.height / 4);
        }
        // Every pixel that changed lies in one of them.
        int outside = 0, changed = 0;
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x) {
                if (after.at(x, y) == before.at(x, y)) continue;
                ++changed;
                bool in = false;
                for (const Rect& r : parts)
                    in = in || (x >= r.left && y >= r.top && x < r.left + r.width &&
                                y < r.top + r.height);
                outside += !in;
            }
        EXPECT_GT(changed, 0);
        EXPECT_EQ(outside, 0);
        // The damage is the rectangle around them.
        const int l = std::min(parts[0].left, parts[1].left);
        const int r = std::max(parts[0].left + parts[0].width, parts[1].left + parts[1].width);
        EXPECT_EQ(damage.left, l);
        EXPECT_EQ(damage.width, r - l);
    }
}

// At a fractional scale every picture is averaged on its own and laid over the ones beneath:
// pixels wholly inside the device and off the edges of the translucent segment on it are what
// averaging the composed device gives (the same means, rounded at other steps), pixels whose
// centre lies outside the device are the window colour, and the device's outline is crisp.
TEST_F(ScaledSceneTest, FractionalScalesKeepTheDeviceAveragedAndTheSurroundPlain) {
    const double s = 2.805;
    const PixelSize out = scaled_size({40, 30}, s);
    ScaledScene scene;
    const Image& f = scene.paint(board, window, nullptr, s, out);
    const Image old = old_way(s);
    const Argb plain = opaque_from_colour(window.colour);
    auto near_edge = [](double from, double to, std::initializer_list<int> edges) {
        for (int e : edges)
            if (from < e + 1 && to > e - 1) return true;
        return false;
    };
    auto channels_near = [](Argb a, Argb b) {
        for (int shift : {0, 8, 16})
            if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 2) return false;
        return true;
    };
    int inside = 0;
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            const double l = x / s, t = y / s, r = (x + 1) / s, b = (y + 1) / s;
            const double cx = (x + 0.5) / s, cy = (y + 0.5) / s;
            if (l >= 15 && r <= 33 && t >= 9 && b <= 26 && !near_edge(l, r, {18, 24}) &&
                !near_edge(t, b, {8, 13})) {
                ASSERT_PRED2(channels_near, f.at(x, y), old.at(x, y)) << x << "," << y;
                ++inside;
            } else if (cx > 34.05 || cy > 27.05 || (cy < 2.95 && cx > 4.05) ||
                       (cx < 13.95 && cy > 3.05)) {
                ASSERT_EQ(f.at(x, y), plain) << x << "," << y;
            } else if (cx > 14.05 && cx < 33.95 && cy > 3.05 && cy < 26.95 &&
                       (cx - 14) + (cy - 3) > 6) { // the device, off its see-through corner
                ASSERT_NE(f.at(x, y), plain) << x << "," << y;
            }
            ASSERT_EQ(alpha_of(f.at(x, y)), 255);
        }
    EXPECT_GT(inside, 1000);
}

// Pictures meeting at a fractional place meet exactly, with nothing of what lies beneath in
// between, and a flat segment on a flat panel keeps a crisp edge: each pixel is one or the other.
TEST_F(ScaledSceneTest, PicturesMeetWithoutASeamAndSegmentEdgesStayCrisp) {
    const Argb panel = argb(255, 200, 200, 190), ink = argb(255, 20, 20, 30);
    place("im_background_bottom", {14, 3, 9, 24}, Image(9, 24, panel));
    place("im_background_back", {23, 3, 11, 24}, Image(11, 24, panel));
    place("im_flame_1", {18, 8, 7, 5}, Image(7, 5, ink));
    for (double s : {2.805, 1.4025, 2.5}) {
        ScaledScene scene;
        const PixelSize out = scaled_size({40, 30}, s);
        const Image& f = scene.paint(board, window, nullptr, s, out);
        int inks = 0;
        for (int y = int(std::ceil(3 * s)); y < int(27 * s) - 1; ++y)
            for (int x = int(std::ceil(14 * s)); x < int(34 * s) - 1; ++x) {
                ASSERT_TRUE(f.at(x, y) == panel || f.at(x, y) == ink)
                    << "scale " << s << " at " << x << "," << y;
                inks += f.at(x, y) == ink;
            }
        EXPECT_NEAR(inks, 35 * s * s, 12 * s + 1) << s; // the segment's area, give or take its rim
    }
}

// The backdrop is resampled once, from its own picture to the screen; going through the
// design-pixel stretch first would lose the detail of a backdrop finer than the design grid.
TEST_F(ScaledSceneTest, TheStretchedBackdropIsResampledOnceStraightToTheScreen) {
    const Image backdrop = noise(90, 70, 4);
    place("im_backdrop", {0, 0, 40, 30}, backdrop);
    window.backdrop_stretch = true;
    const double s = 2.5;
    const PixelSize out = scaled_size({40, 30}, s);
    ScaledScene scene;
    const Image& f = scene.paint(board, window, nullptr, s, out);
    const Image expected = resample_area(backdrop, out.width, out.height);
    for (int y = 0; y < out.height; ++y)
        for (int x = 88; x < out.width; ++x) // right of the device
            ASSERT_EQ(f.at(x, y), expected.at(x, y)) << x << "," << y;
    // The device's see-through corner shows the backdrop too.
    EXPECT_EQ(f.at(36, 9), expected.at(36, 9));

    // Where the backdrop is see-through the window colour shows.
    Image holed = backdrop;
    for (int y = 0; y < 70; ++y)
        for (int x = 80; x < 90; ++x) holed.at(x, y) = 0;
    place("im_backdrop", {0, 0, 40, 30}, holed);
    const Image& g = scene.paint(board, window, nullptr, s, out);
    EXPECT_EQ(g.at(out.width - 1, 5), opaque_from_colour(window.colour));
    EXPECT_EQ(g.at(70, 5), resample_area(holed, out.width, out.height).at(70, 5));
}

// At 100 % a backdrop already stretched to the window (as the loader keeps it there) and a
// centred logo come out exactly as the design-size painter draws them, before and after a
// change painted incrementally.
// The window shows the fullscreen frame as opaque pixels (its alpha unread), so no pixel may
// be left see-through or translucent: not the device's see-through corner, not a translucent
// segment over it, not the parts a change repaints.
TEST_F(ScaledSceneTest, EveryPixelOfTheFrameIsOpaqueAtEveryScale) {
    auto opaque = [](const Image& f) {
        for (Argb p : f.pixels)
            if (alpha_of(p) != 255) return false;
        return !f.empty();
    };
    for (double scale : {1.0, 0.9, 2.0, 2.5}) {
        ScaledScene scene;
        const PixelSize out = scaled_size({40, 30}, scale);
        board.show("im_flame_1");
        EXPECT_TRUE(opaque(scene.paint(board, window, nullptr, scale, out, nullptr))) << scale;
        board.hide("im_flame_1");
        EXPECT_TRUE(opaque(scene.paint(board, window, nullptr, scale, out, nullptr))) << scale;
        board.hide("im_background_bottom");
        EXPECT_TRUE(opaque(scene.paint(board, window, nullptr, scale, out, nullptr))) << scale;
        board.show("im_background_bottom");
        board.show("im_flame_1");
        EXPECT_TRUE(opaque(scene.paint(board, window, nullptr, scale, out, nullptr))) << scale;
    }
}

TEST_F(ScaledSceneTest, AtTheDesignScaleTheFrameIsThePaintersFrame) {
    place("im_backdrop", {0, 0, 40, 30}, noise(40, 30, 5));
    place("im_backdrop_logo", {30, 22, 8, 6}, noise(8, 6, 6, 0x80000000u));
    window.backdrop_stretch = true;
    ScaledScene scene;
    const PixelSize out{40, 30};
    EXPECT_EQ(scene.paint(board, window, nullptr, 1.0, out).pixels,
              paint_board(board, window).pixels);
    board.hide("im_flame_1");
    EXPECT_EQ(scene.paint(board, window, nullptr, 1.0, out).pixels,
              paint_board(board, window).pixels);
}

// A segment shown where no part was (the in-game menu opening) is drawn; hidden again, the
// backdrop shows where it was.
TEST_F(ScaledSceneTest, SegmentsShownApartFromTheDeviceAreDrawnAndClearedAgain) {
    ScaledScene scene;
    const PixelSize out = scaled_size({40, 30}, 2);
    scene.paint(board, window, nullptr, 2, out);
    place("btn_game_menu_background", {2, 20, 6, 6}, Image(6, 6, argb(255, 9, 9, 9)));
    Rect damage;
    EXPECT_EQ(scene.paint(board, window, nullptr, 2, out, &damage).at(10, 45), argb(255, 9, 9, 9));
    EXPECT_EQ(damage, (Rect{4, 40, 12, 12}));
    board.hide("btn_game_menu_background");
    EXPECT_EQ(scene.paint(board, window, nullptr, 2, out).at(10, 45),
              opaque_from_colour(window.colour));
    EXPECT_EQ(scene.frame().pixels, old_way(2).pixels);
}

// The decorations are kept apart only where segments can lie (the device, the menu button),
// not for the whole screen; a segment reaching where none could before (the in-game menu
// opening over the backdrop), a part going away, and a logo under the device's see-through
// corner all come out as a scene drawn afresh draws them.
TEST_F(ScaledSceneTest, UnderlaysHoldOnlyWhereSegmentsLieAndFollowThemAsTheyGrow) {
    place("im_backdrop", {0, 0, 40, 30}, noise(40, 30, 7));
    place("im_backdrop_logo", {12, 1, 6, 6}, noise(6, 6, 8, 0x80000000u));
    window.backdrop_stretch = true;
    {
        ScaledScene scene;
        scene.paint(board, window, nullptr, 1.0, {40, 30});
        EXPECT_EQ(scene.underlay_bytes(), picture_bytes(20, 24) + picture_bytes(4, 3));
    }
    for (double scale : {1.0, 2.0, 2.5}) {
        const PixelSize out = scaled_size({40, 30}, scale);
        const auto afresh = [&] { return ScaledScene().paint(board, window, nullptr, scale, out); };
        ScaledScene scene;
        EXPECT_EQ(scene.paint(board, window, nullptr, scale, out).pixels, afresh().pixels);
        Segment& menu = board.get("btn_game_menu_top");
        board.set_picture(menu, std::make_shared<const Image>(noise(12, 16, 9, 0x60000000u)));
        board.set_rect(menu, {0, 0, 12, 16});
        EXPECT_EQ(scene.paint(board, window, nullptr, scale, out).pixels, afresh().pixels) << scale;
        EXPECT_LT(scene.underlay_bytes(), picture_bytes(out.width, out.height)) << scale;
        board.hide("im_background_bottom");
        EXPECT_EQ(scene.paint(board, window, nullptr, scale, out).pixels, afresh().pixels) << scale;
        board.set_rect(menu, {0, 0, 4, 3});
        board.hide(menu);
        board.show("im_background_bottom");
        EXPECT_EQ(scene.paint(board, window, nullptr, scale, out).pixels, afresh().pixels) << scale;
        board.show(menu);
    }
    // A picture still waiting for its pixels (empty until then, filled in place) lies nowhere;
    // filled and shown, it is drawn over the backdrop where it lies.
    const double scale = 2.0;
    const PixelSize out = scaled_size({40, 30}, scale);
    ScaledScene scene;
    auto waiting = std::make_shared<Image>();
    Segment& later = board.get("btn_game_menu_background");
    board.set_rect(later, {2, 20, 8, 8});
    board.set_picture(later, waiting);
    board.hide(later);
    scene.paint(board, window, nullptr, scale, out);
    *waiting = noise(8, 8, 10, 0x70000000u);
    board.show(later);
    EXPECT_EQ(scene.paint(board, window, nullptr, scale, out).pixels,
              ScaledScene().paint(board, window, nullptr, scale, out).pixels);
}

TEST(ResampleAreaTest, AveragesAreasWeightedByAlphaAndKeepsFlatColoursExact) {
    Image two(2, 1);
    two.at(0, 0) = argb(255, 200, 0, 0);
    two.at(1, 0) = argb(255, 0, 100, 0);
    EXPECT_EQ(resample_area(two, 1, 1).at(0, 0), argb(255, 100, 50, 0));
    // A see-through pixel lends no colour, only less cover.
    two.at(1, 0) = argb(0, 0, 255, 0);
    EXPECT_EQ(resample_area(two, 1, 1).at(0, 0), argb(128, 200, 0, 0));
    const Image flat(7, 5, argb(255, 12, 34, 56));
    for (auto [w, h] : {std::pair{19, 11}, {3, 2}, {7, 13}})
        for (Argb p : resample_area(flat, w, h).pixels) ASSERT_EQ(p, argb(255, 12, 34, 56));
}

} // namespace
} // namespace q50

namespace q50 {
namespace {

// With the unlit segments' shadow on, a digit position's shadow (every glyph on top of each
// other) lines up with where that digit's glyphs land at a fractional scale, however the glyph
// sources themselves land: the frame is the one the design-pixel frame averaged gives.
TEST(ScaledSceneLookTest, DigitShadowsLineUpWithTheirDigitAtFractionalScales) {
    Board board;
    for (Segment& s : board.segments()) board.hide(s);
    WindowModel window;
    window.client_width = 40;
    window.client_height = 24;
    window.key_on = false;
    const Argb paper = argb(255, 220, 224, 200), ink = argb(255, 30, 30, 40);
    auto place = [&](const char* name, Rect r, Image img, bool shown) {
        Segment& s = board.named(name);
        board.set_rect(s, r);
        board.set_picture(s, std::make_shared<const Image>(std::move(img)));
        board.set_shown(s, shown);
    };
    place("im_game_background", {2, 2, 36, 20}, Image(36, 20, paper), true);
    Image one(4, 5, 0), seven(4, 5, 0);
    for (int y = 0; y < 5; ++y) one.at(2, y) = ink; // a bar one design pixel wide
    for (int x = 0; x < 4; ++x) seven.at(x, 0) = ink;
    // The glyph sources land on whole output pixels at 2.5, the digit half-way between two.
    place("im_panel_number_1", {30, 4, 4, 5}, one, false);
    place("im_panel_number_7", {30, 4, 4, 5}, seven, false);
    Segment& digit = board.get("im_panel_digit_2");
    board.set_rect(digit, {17, 9, 4, 5});
    board.show(digit); // blank: only its shadow shows
    LcdLook look;
    look.set_shadow(100);
    look.update(board, 0);
    Painter design;
    design.set_lcd_look(&look);
    const double s = 2.5;
    const PixelSize out = scaled_size({40, 24}, s);
    const Image expected = scale_frame(design.paint(board, window), s, out);
    ScaledScene scene;
    scene.set_lcd_look(&look);
    const Image& f = scene.paint(board, window, nullptr, s, out);
    // Inside the digit's rectangle (its border lands on whole output pixels by design).
    int checked = 0;
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            if (x / s <= 17 || (x + 1) / s >= 21 || y / s <= 9 || (y + 1) / s >= 14) continue;
            for (int shift : {0, 8, 16})
                ASSERT_NEAR(int((f.at(x, y) >> shift) & 0xFF),
                            int((expected.at(x, y) >> shift) & 0xFF), 3)
                    << x << "," << y;
            ++checked;
        }
    // The bar's shadow is there at all: half a bar's ink on the column it half covers.
    EXPECT_NE(f.at(47, 30), paper);
    EXPECT_GT(checked, 50);
}

} // namespace
} // namespace q50
