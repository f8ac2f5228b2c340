#include "display/lcd_look.h"
#include "display/painter.h"
#include "display/set_painter.h"
#include "display/skin_sets.h"
#include "drawn_pictures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace q50 {
namespace {

constexpr Argb kPaper = argb(255, 200, 210, 190); // the display's background
constexpr Argb kInk = argb(255, 20, 30, 40);

using test::solid;

int channel(Argb p, int shift) {
    return int((p >> shift) & 0xFF);
}

// What a pixel of `ink` at alpha a (0..255) times `fraction` over `paper` should look like.
Argb expected_blend(Argb ink, Argb paper, double fraction) {
    const double a = alpha_of(ink) / 255.0 * fraction;
    auto mix = [&](int shift) {
        return std::uint8_t(
            std::lround(channel(ink, shift) * a + channel(paper, shift) * (1.0 - a)));
    };
    return argb(255, mix(16), mix(8), mix(0));
}

::testing::AssertionResult within_one_level(Argb got, Argb want) {
    for (int shift : {0, 8, 16})
        if (std::abs(channel(got, shift) - channel(want, shift)) > 1)
            return ::testing::AssertionFailure()
                   << std::hex << "got 0x" << got << ", want 0x" << want << " within one level";
    if (alpha_of(got) != 255) return ::testing::AssertionFailure() << "not opaque";
    return ::testing::AssertionSuccess();
}

class LcdLookTest : public ::testing::Test {
  protected:
    LcdLookTest() {
        for (Segment& s : board.segments()) board.hide(s);
        window.client_width = 40;
        window.client_height = 20;
        window.colour = 0x00FFFFFF;
        window.key_on = false;
        // The display's own background picture (a device picture, layer 4) behind the LCD.
        place("im_game_background", {0, 0, 40, 20}, solid(40, 20, kPaper));
    }
    Segment& place(std::string_view name, Rect r, Picture p, bool shown = true) {
        Segment& s = board.named(name);
        board.set_rect(s, r);
        board.set_picture(s, std::move(p));
        board.set_shown(s, shown);
        return s;
    }
    // A frame painted from scratch with the look as it is at `now`.
    Image paint_with_look(std::int64_t now) {
        look.update(board, now);
        Painter p;
        p.set_lcd_look(&look);
        return p.paint(board, window);
    }
    Image paint_plain() { return paint_board(board, window); }

    Board board;
    WindowModel window;
    LcdLook look;
};

// A picture with opaque ink, softer ink and a transparent corner, as a skin's segment has.
Picture inked_picture() {
    Image img(4, 3, kInk);
    img.at(0, 0) = 0;                                  // nothing there
    img.at(1, 0) = (kInk & 0x00FFFFFF) | (128u << 24); // a soft edge
    img.at(2, 0) = (kInk & 0x00FFFFFF) | (40u << 24);
    return std::make_shared<const Image>(std::move(img));
}

TEST_F(LcdLookTest, HiddenSegmentsShowAtTheFractionOfTheirInkAndShownOnesAreUnchanged) {
    const Picture ink = inked_picture();
    place("im_flame_1", {2, 2, 4, 3}, ink, false);
    place("im_flame_2", {10, 2, 4, 3}, ink, true);
    const Image plain = paint_plain();
    for (int percent : {5, 10, 15, 25, 33, 100}) {
        SCOPED_TRACE(percent);
        look.set_shadow(percent);
        const Image f = paint_with_look(0);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) {
                EXPECT_TRUE(within_one_level(
                    f.at(2 + x, 2 + y), expected_blend(ink->at(x, y), kPaper, percent / 100.0)))
                    << x << "," << y;
                // A lit segment is exactly what it is without the look.
                EXPECT_EQ(f.at(10 + x, 2 + y), plain.at(10 + x, 2 + y));
            }
        // Nothing else moves.
        EXPECT_EQ(f.at(0, 0), plain.at(0, 0));
        EXPECT_EQ(f.at(39, 19), plain.at(39, 19));
    }
    // The shadow at 100 % is the lit segment itself.
    look.set_shadow(100);
    const Image full = paint_with_look(0);
    board.show(board.get("im_flame_1"));
    EXPECT_EQ(full.pixels, paint_plain().pixels);
}

TEST_F(LcdLookTest, ShellPicturesButtonsAndGlyphSourcesAreNeverShadowed) {
    // Hidden pictures that are not LCD segments, each over the display's background.
    place("im_background_front", {0, 0, 4, 4}, solid(4, 4, kInk), false); // the lid
    place("im_background_screen_top", {4, 0, 4, 4}, solid(4, 4, kInk), false);
    place("btn_bomb_down", {8, 0, 4, 4}, solid(4, 4, kInk), false);
    place("btn_game_a_top", {12, 0, 4, 4}, solid(4, 4, kInk), false);
    place("btn_ctrlr_overlay_left", {16, 0, 4, 4}, solid(4, 4, kInk), false);
    // The glyph sources lend their pictures to the digits; they are not on the display.
    place("im_panel_number_3", {20, 0, 4, 4}, solid(4, 4, kInk), false);
    look.set_shadow(25);
    look.set_fade(80);
    EXPECT_EQ(paint_with_look(0).pixels, paint_plain().pixels);
}

TEST_F(LcdLookTest, ShadowsLieUnderLitSegmentsAndOverTheDisplayBackground) {
    // A hidden segment above a lit one in layer order, overlapping it.
    place("im_flame_1", {0, 0, 6, 6}, solid(6, 6, argb(255, 250, 0, 0)), true); // layer 105
    place("im_flame_2", {3, 3, 6, 6}, solid(6, 6, kInk), false);                // layer 106
    look.set_shadow(25);
    const Image f = paint_with_look(0);
    EXPECT_EQ(f.at(4, 4), argb(255, 250, 0, 0));
    EXPECT_TRUE(within_one_level(f.at(7, 7), expected_blend(kInk, kPaper, 0.25)));
    // The lid, above the display, covers shadows too.
    place("im_background_front", {6, 6, 4, 4}, solid(4, 4, argb(255, 1, 2, 3)), true);
    EXPECT_EQ(paint_with_look(0).at(7, 7), argb(255, 1, 2, 3));
}

TEST_F(LcdLookTest, OverlappingShadowsTakeTheStrongerInsteadOfAddingUp) {
    // Two dark segments overlapping in columns 4 and 5; the second one's ink is soft there.
    Image soft(6, 4, kInk);
    for (int y = 0; y < 4; ++y) soft.at(0, y) = soft.at(1, y) = (kInk & 0x00FFFFFF) | (100u << 24);
    place("im_flame_1", {0, 0, 6, 4}, solid(6, 4, kInk), false);
    place("im_flame_2", {4, 0, 6, 4}, std::make_shared<const Image>(soft), false);
    place("im_flame_3", {20, 0, 4, 4}, solid(4, 4, kInk), true); // a lit one further on
    look.set_shadow(25);
    const Image f = paint_with_look(0);
    for (int x : {0, 3, 4, 5, 6, 9})
        EXPECT_TRUE(within_one_level(f.at(x, 2), expected_blend(kInk, kPaper, 0.25))) << x;
    // The soft edge alone, where nothing else is dark.
    place("im_flame_1", {0, 0, 6, 4}, nullptr, false);
    const Image g = paint_with_look(0);
    EXPECT_TRUE(within_one_level(g.at(4, 2), expected_blend(soft.at(0, 0), kPaper, 0.25)));
    // Everything drawn after the shadows is opaque as ever.
    for (Argb p : g.pixels) ASSERT_EQ(alpha_of(p), 255);
    EXPECT_EQ(g.at(21, 1), kInk);
}

TEST_F(LcdLookTest, DigitPositionsShadowEveryGlyphWhateverTheyShow) {
    // Glyph 1 is a bar at the right, glyph 7 a bar on top: the shadow is both.
    Image one(3, 3, 0), seven(3, 3, 0);
    for (int y = 0; y < 3; ++y) one.at(2, y) = kInk;
    for (int x = 0; x < 3; ++x) seven.at(x, 0) = kInk;
    place("im_panel_number_1", {30, 10, 3, 3}, std::make_shared<const Image>(one), false);
    place("im_panel_number_7", {30, 10, 3, 3}, std::make_shared<const Image>(seven), false);
    Segment& digit = board.get("im_panel_digit_2");
    board.set_rect(digit, {5, 5, 3, 3});
    board.show(digit);
    board.copy_picture(digit, board.get("im_panel_number_1")); // shows 1
    look.set_shadow(10);
    const Image f = paint_with_look(0);
    EXPECT_EQ(f.at(7, 6), kInk);                                                   // lit
    EXPECT_TRUE(within_one_level(f.at(5, 5), expected_blend(kInk, kPaper, 0.10))); // of 7
    EXPECT_EQ(f.at(5, 6), kPaper);                                                 // no glyph
    // A blank digit position still shows where the figures go.
    board.clear_picture(digit);
    const Image g = paint_with_look(0);
    EXPECT_TRUE(within_one_level(g.at(7, 6), expected_blend(kInk, kPaper, 0.10)));
    EXPECT_TRUE(within_one_level(g.at(6, 5), expected_blend(kInk, kPaper, 0.10)));
    // The glyph sources themselves stay unshadowed where they lie.
    EXPECT_EQ(g.at(32, 10), kPaper);
}

TEST_F(LcdLookTest, WithBothSettingsOffTheFrameIsTheBoardAsItIs) {
    std::mt19937 rng(7);
    for (Segment& s : board.segments()) {
        if (s.name == "im_game_background") continue;
        Image img(5, 4);
        for (Argb& p : img.pixels) p = rng();
        place(s.name, {int(rng() % 36), int(rng() % 16), 5, 4},
              std::make_shared<const Image>(std::move(img)), rng() % 2 == 0);
    }
    const Image plain = paint_plain();
    EXPECT_EQ(paint_with_look(0).pixels, plain.pixels);
    // Switched on and back off again, the look paints nothing of its own.
    look.set_shadow(10);
    look.set_fade(40);
    look.set_shadow(0);
    look.set_fade(0);
    EXPECT_EQ(paint_with_look(5).pixels, plain.pixels);
}

TEST_F(LcdLookTest, ASegmentSwitchedOnDarkensOverTheFadeAndOneSwitchedOffClears) {
    Segment& flame = place("im_flame_1", {2, 2, 4, 3}, solid(4, 3, kInk), false);
    look.set_fade(80);
    look.update(board, 1000);
    board.show(flame); // the game switches at once
    look.switched(board, flame, 1000);
    EXPECT_EQ(paint_with_look(1000).at(3, 3), kPaper);
    EXPECT_TRUE(look.fading());
    EXPECT_TRUE(
        within_one_level(paint_with_look(1040).at(3, 3), expected_blend(kInk, kPaper, 0.5)));
    EXPECT_TRUE(
        within_one_level(paint_with_look(1060).at(3, 3), expected_blend(kInk, kPaper, 0.75)));
    EXPECT_EQ(paint_with_look(1080).pixels, paint_plain().pixels);
    EXPECT_FALSE(look.fading());

    board.hide(flame);
    look.switched(board, flame, 2000);
    EXPECT_EQ(paint_with_look(2000).at(3, 3), kInk);
    EXPECT_TRUE(
        within_one_level(paint_with_look(2040).at(3, 3), expected_blend(kInk, kPaper, 0.5)));
    EXPECT_EQ(paint_with_look(2080).pixels, paint_plain().pixels);
    EXPECT_FALSE(look.fading());
}

TEST_F(LcdLookTest, WithAShadowAFadeRunsBetweenTheShadowAndFullInk) {
    Segment& flame = place("im_flame_1", {2, 2, 4, 3}, solid(4, 3, kInk), false);
    look.set_shadow(20);
    look.set_fade(100);
    look.update(board, 0);
    board.show(flame);
    look.switched(board, flame, 0);
    EXPECT_TRUE(within_one_level(paint_with_look(0).at(3, 3), expected_blend(kInk, kPaper, 0.2)));
    EXPECT_TRUE(within_one_level(paint_with_look(50).at(3, 3), expected_blend(kInk, kPaper, 0.6)));
    EXPECT_EQ(paint_with_look(100).at(3, 3), kInk);
    board.hide(flame);
    look.switched(board, flame, 200);
    EXPECT_TRUE(within_one_level(paint_with_look(250).at(3, 3), expected_blend(kInk, kPaper, 0.6)));
    EXPECT_TRUE(within_one_level(paint_with_look(300).at(3, 3), expected_blend(kInk, kPaper, 0.2)));
    EXPECT_FALSE(look.fading());
}

TEST_F(LcdLookTest, ASwitchBackMidFadeTurnsFromWhereTheSegmentIs) {
    Segment& flame = place("im_flame_1", {2, 2, 4, 3}, solid(4, 3, kInk), false);
    look.set_fade(80);
    look.update(board, 0);
    board.show(flame);
    look.update(board, 0); // noticed at the next update when nobody told
    look.update(board, 20);
    board.hide(flame);
    look.switched(board, flame, 20); // a quarter dark, now clearing again
    EXPECT_TRUE(
        within_one_level(paint_with_look(30).at(3, 3), expected_blend(kInk, kPaper, 0.125)));
    EXPECT_EQ(paint_with_look(40).at(3, 3), kPaper);
    EXPECT_FALSE(look.fading());
}

TEST_F(LcdLookTest, IncrementalFramesDuringAFadeEqualFramesPaintedFromScratch) {
    for (int n = 1; n <= 10; ++n)
        place("im_flame_" + std::to_string(n), {(n - 1) * 4, n % 3 * 5, 5, 6}, inked_picture(),
              n % 2 == 0);
    look.set_shadow(15);
    look.set_fade(60);
    look.update(board, 0);
    Painter incremental;
    incremental.set_lcd_look(&look);
    incremental.paint(board, window);
    std::mt19937 rng(3);
    for (std::int64_t t = 0; t <= 400; t += 7) {
        if (rng() % 4 == 0) {
            Segment& s = board.named("im_flame_" + std::to_string(1 + rng() % 10));
            board.set_shown(s, !s.shown);
            look.switched(board, s, t);
        }
        look.update(board, t);
        Rect damage;
        const Image& f = incremental.paint(board, window, &damage);
        Painter fresh;
        fresh.set_lcd_look(&look);
        ASSERT_EQ(f.pixels, fresh.paint(board, window).pixels) << "at " << t;
    }
    // Settled: no more changes and nothing to repaint.
    look.update(board, 1000);
    incremental.paint(board, window);
    look.update(board, 1016);
    Rect damage{1, 1, 1, 1};
    incremental.paint(board, window, &damage);
    EXPECT_FALSE(look.fading());
    EXPECT_EQ(damage.width * damage.height, 0);
}

TEST_F(LcdLookTest, AtALargerScaleTheLookIsPaintedOnTheScaledCopyOfTheBoard) {
    place("im_flame_1", {2, 2, 4, 3}, inked_picture(), false);
    place("im_flame_2", {10, 2, 4, 3}, inked_picture(), true);
    Segment& digit = board.get("im_panel_digit_1");
    board.set_rect(digit, {20, 5, 4, 3});
    board.show(digit);
    place("im_panel_number_8", {30, 10, 4, 3}, inked_picture(), false);
    look.set_shadow(25);
    look.set_fade(80);
    look.update(board, 0);
    Segment& flame = board.get("im_flame_2");
    board.hide(flame);
    look.switched(board, flame, 0);
    SetPainter big;
    big.set_lcd_look(&look);
    const SkinSets none; // no larger drawings: every picture with its pixels repeated
    for (std::int64_t t : {0, 40, 80}) {
        SCOPED_TRACE(t);
        look.update(board, t);
        const Image scaled = big.paint(board, window, none, 2); // incrementally after 0
        EXPECT_EQ(scaled.pixels, repeat_pixels(paint_with_look(t), 2).pixels);
    }
}

TEST_F(LcdLookTest, SettingsAreClampedToTheirRanges) {
    look.set_shadow(-5);
    EXPECT_EQ(look.shadow(), 0);
    look.set_shadow(250);
    EXPECT_EQ(look.shadow(), kLcdShadowMax);
    look.set_fade(-1);
    EXPECT_EQ(look.fade(), 0);
    look.set_fade(100000);
    EXPECT_EQ(look.fade(), kLcdFadeMax);
    EXPECT_TRUE(look.active());
}

TEST_F(LcdLookTest, ASettingChangeRepaintsTheWholeFrameAtOnce) {
    place("im_flame_1", {2, 2, 4, 3}, solid(4, 3, kInk), false);
    look.update(board, 0);
    Painter p;
    p.set_lcd_look(&look);
    p.paint(board, window);
    look.set_shadow(25);
    look.update(board, 0);
    Rect damage;
    const Image& f = p.paint(board, window, &damage);
    EXPECT_EQ(damage, (Rect{0, 0, 40, 20}));
    EXPECT_TRUE(within_one_level(f.at(3, 3), expected_blend(kInk, kPaper, 0.25)));
}

} // namespace
} // namespace q50
