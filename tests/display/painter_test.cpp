#include "display/painter.h"
#include "drawn_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace q50 {
namespace {

constexpr Argb kRed = argb(255, 255, 0, 0), kGreen = argb(255, 0, 255, 0),
               kBlue = argb(255, 0, 0, 255);

using test::solid;

class PainterTest : public ::testing::Test {
  protected:
    PainterTest() {
        // Start from nothing visible so that each test shows what it needs.
        for (Segment& s : board.segments()) board.hide(s);
        window.client_width = 12;
        window.client_height = 8;
        window.colour = 0x00FFFFFF;
        window.key_on = false;
    }
    void place(std::string_view name, Rect r, Picture p, bool shown = true) {
        Segment& s = board.named(name);
        board.set_rect(s, r);
        board.set_picture(s, std::move(p));
        board.set_shown(s, shown);
    }
    Image paint() { return paint_board(board, window); }

    Board board;
    WindowModel window;
    const Argb white = argb(255, 255, 255, 255);
};

TEST_F(PainterTest, LayersDecideWhatCoversWhatAndHiddenSegmentsDoNotShow) {
    place("im_background_front", {1, 1, 2, 2}, solid(2, 2, kBlue)); // layer 127
    place("im_background_bottom", {0, 0, 4, 4}, solid(4, 4, kRed)); // layer 3
    place("im_game_background", {0, 0, 4, 2}, solid(4, 2, kGreen)); // layer 4
    place("im_flame_1", {6, 0, 2, 2}, solid(2, 2, kRed), false);
    place("im_flame_2", {8, 0, 2, 2}, nullptr);
    const Image f = paint();
    ASSERT_EQ(f.width, 12);
    ASSERT_EQ(f.height, 8);
    EXPECT_EQ(f.at(0, 0), kGreen);
    EXPECT_EQ(f.at(1, 1), kBlue);
    EXPECT_EQ(f.at(2, 2), kBlue);
    EXPECT_EQ(f.at(0, 3), kRed);
    EXPECT_EQ(f.at(6, 0), white); // hidden
    EXPECT_EQ(f.at(8, 0), white); // shown without a picture
    EXPECT_EQ(f.at(11, 7), white);
}

TEST_F(PainterTest, PicturesAreDrawnFromTheTopLeftAndCutAtTheRectangle) {
    Image big(6, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) big.at(x, y) = argb(255, std::uint8_t(x), std::uint8_t(y), 7);
    place("im_game_background", {2, 2, 3, 2}, std::make_shared<const Image>(big));
    // Smaller than its rectangle: the rest shows what lies beneath.
    place("im_background_bottom", {8, 0, 4, 4}, solid(4, 4, kRed));
    place("im_enemy_1_up", {8, 0, 4, 4}, solid(1, 1, kBlue));
    const Image f = paint();
    EXPECT_EQ(f.at(2, 2), big.at(0, 0));
    EXPECT_EQ(f.at(4, 3), big.at(2, 1));
    EXPECT_EQ(f.at(5, 2), white);
    EXPECT_EQ(f.at(2, 4), white);
    EXPECT_EQ(f.at(8, 0), kBlue);
    EXPECT_EQ(f.at(9, 0), kRed);
}

TEST_F(PainterTest, RectanglesPartlyOrWhollyOutsideTheFrame) {
    Image img(10, 10);
    for (int i = 0; i < 100; ++i) img.pixels[std::size_t(i)] = argb(255, std::uint8_t(i), 0, 0);
    place("im_game_background", {-5, -5, 10, 10}, std::make_shared<const Image>(img));
    place("im_flame_1", {2147483647, 0, 10, 10}, solid(2, 2, kBlue));
    place("im_flame_2", {0, 0, -4, -4}, solid(2, 2, kBlue));
    place("im_flame_3", {-2147483647 - 1, -2147483647 - 1, 2147483647, 2147483647},
          solid(2, 2, kBlue));
    const Image f = paint();
    EXPECT_EQ(f.at(0, 0), img.at(5, 5));
    EXPECT_EQ(f.at(4, 4), img.at(9, 9));
    EXPECT_EQ(f.at(5, 5), white);
}

TEST_F(PainterTest, AlphaIsBlendedOverWhatLiesBeneath) {
    Image img(3, 1);
    img.pixels = {argb(128, 255, 0, 0), argb(0, 0, 0, 255), argb(255, 0, 0, 255)};
    place("im_flame_1", {0, 0, 3, 1}, std::make_shared<const Image>(img));
    const Image f = paint();
    EXPECT_EQ(f.at(0, 0), argb(255, 255, 127, 127));
    EXPECT_EQ(f.at(1, 0), white);
    EXPECT_EQ(f.at(2, 0), kBlue);

    // Blending is exact to the rounding of a division by 255 for every alpha.
    Image ramp(256, 1);
    for (int a = 0; a < 256; ++a) ramp.pixels[std::size_t(a)] = argb(std::uint8_t(a), 200, 100, 0);
    window.client_width = 256;
    place("im_flame_1", {0, 0, 256, 1}, std::make_shared<const Image>(ramp));
    place("im_background_bottom", {0, 0, 256, 1}, solid(256, 1, argb(255, 10, 50, 250)));
    const Image g = paint();
    auto mix = [](int s, int d, int a) { return (s * a + d * (255 - a) + 127) / 255; };
    for (int a = 0; a < 256; ++a) {
        const Argb p = g.at(a, 0);
        EXPECT_EQ(int((p >> 16) & 0xFF), mix(200, 10, a)) << a;
        EXPECT_EQ(int((p >> 8) & 0xFF), mix(100, 50, a)) << a;
        EXPECT_EQ(int(p & 0xFF), mix(0, 250, a)) << a;
        EXPECT_EQ(alpha_of(p), 255);
    }
}

TEST_F(PainterTest, KeyColourBecomesSeeThroughInWindowedModeOnly) {
    window.colour = window.key_colour = 0x00FF00FF; // magenta: red and blue
    window.key_on = true;
    Image img(3, 1);
    img.pixels = {argb(255, 255, 0, 255), argb(255, 254, 0, 255), argb(255, 1, 2, 3)};
    place("im_game_background", {0, 0, 3, 1}, std::make_shared<const Image>(img));
    Image f = paint();
    EXPECT_EQ(f.at(0, 0), 0u); // a picture pixel of exactly the key colour
    EXPECT_EQ(f.at(1, 0), argb(255, 254, 0, 255));
    EXPECT_EQ(f.at(2, 0), argb(255, 1, 2, 3));
    EXPECT_EQ(f.at(5, 5), 0u); // the uncovered window

    window.key_on = false;
    f = paint();
    EXPECT_EQ(f.at(0, 0), argb(255, 255, 0, 255));
    EXPECT_EQ(f.at(5, 5), argb(255, 255, 0, 255));
}

TEST_F(PainterTest, BackdropCentresOrStretches) {
    window.client_width = 6;
    window.client_height = 4;
    Image img(2, 2);
    img.pixels = {kRed, kGreen, kBlue, white};
    place("im_backdrop", {0, 0, 6, 4}, std::make_shared<const Image>(img));
    Image f = paint();
    EXPECT_EQ(f.at(2, 1), kRed);
    EXPECT_EQ(f.at(3, 2), white);
    EXPECT_EQ(f.at(0, 0), white);
    EXPECT_EQ(f.at(1, 1), white);

    window.backdrop_stretch = true;
    f = paint();
    EXPECT_EQ(f.at(0, 0), kRed);
    EXPECT_EQ(f.at(2, 0), kRed);
    EXPECT_EQ(f.at(3, 0), kGreen);
    EXPECT_EQ(f.at(0, 3), kBlue);
    EXPECT_EQ(f.at(5, 3), white);

    // Larger than the window: centred, so the middle shows.
    window.backdrop_stretch = false;
    Image big(10, 8);
    for (int i = 0; i < 80; ++i) big.pixels[std::size_t(i)] = argb(255, std::uint8_t(i), 1, 1);
    place("im_backdrop", {0, 0, 6, 4}, std::make_shared<const Image>(big));
    f = paint();
    EXPECT_EQ(f.at(0, 0), big.at(2, 2));
    // Stretched down, each pixel is the one its place falls on, columns and rows alike.
    window.backdrop_stretch = true;
    f = paint();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(f.at(x, y), big.at(x * 10 / 6, y * 2)) << x << "," << y;
}

TEST_F(PainterTest, IncrementalPaintingMatchesAFullPaint) {
    window.client_width = 60;
    window.client_height = 40;
    std::mt19937 rng(5);
    std::vector<Segment*> segs;
    for (Segment& s : board.segments()) segs.push_back(&s);
    auto any = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (Segment* s : segs) {
        Image img(any(1, 20), any(1, 20));
        for (Argb& p : img.pixels)
            p = argb(std::uint8_t(any(0, 2) * 127 + (any(0, 1))), std::uint8_t(any(0, 255)),
                     std::uint8_t(any(0, 255)), std::uint8_t(any(0, 255)));
        board.set_picture(*s, std::make_shared<const Image>(img));
        board.set_rect(*s, {any(-10, 55), any(-10, 35), any(0, 25), any(0, 25)});
    }
    Painter painter;
    Rect damage;
    painter.paint(board, window, &damage);
    EXPECT_EQ(damage, (Rect{0, 0, 60, 40}));
    painter.paint(board, window, &damage);
    EXPECT_EQ(damage, Rect{}) << "nothing changed";

    for (int step = 0; step < 300; ++step) {
        Segment& s = *segs[std::size_t(any(0, int(segs.size()) - 1))];
        switch (any(0, 3)) {
        case 0:
            board.set_shown(s, !s.shown);
            break;
        case 1:
            board.set_rect(s, {any(-10, 55), any(-10, 35), any(0, 25), any(0, 25)});
            break;
        case 2:
            board.copy_picture(s, *segs[std::size_t(any(0, int(segs.size()) - 1))]);
            break;
        default:
            board.clear_picture(s);
        }
        if (step % 50 == 0) window.key_on = !window.key_on;
        const Image& frame = painter.paint(board, window, &damage);
        ASSERT_EQ(frame.pixels, paint_board(board, window).pixels) << "step " << step;
    }
}

// A large frame is painted in bands of rows; pictures across their borders, see-through and
// half see-through, with the key colour in them, must come out as a frame of one band does:
// each slice of the board, moved up and painted in a window of its height alone.
TEST_F(PainterTest, ATallFramePaintsLikeEverySliceOfItPaintedAlone) {
    window.client_width = 64;
    window.client_height = 3000;
    window.key_on = true;
    window.colour = window.key_colour = 0x00102030;
    std::mt19937 rng(3);
    auto any = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const Argb key = opaque_from_colour(window.key_colour);
    int n = 0;
    for (Segment& s : board.segments()) {
        if (n++ == 12) break;
        Image img(any(10, 64), any(200, 1500));
        for (Argb& p : img.pixels)
            p = any(0, 9) == 0
                    ? key
                    : argb(std::uint8_t(any(0, 2) * 127 + any(0, 1)), std::uint8_t(any(0, 255)),
                           std::uint8_t(any(0, 255)), std::uint8_t(any(0, 255)));
        board.set_picture(s, std::make_shared<const Image>(img));
        board.set_rect(s, {any(-5, 40), any(-50, 2900), img.width, img.height});
        board.set_shown(s, true);
    }
    const Image whole = paint();
    std::vector<Rect> at;
    for (const Segment& s : board.segments()) at.push_back(s.rect);
    for (int top = 0; top < 3000; top += 250) {
        std::size_t i = 0;
        for (Segment& s : board.segments()) {
            const Rect r = at[i++];
            board.set_rect(s, {r.left, r.top - top, r.width, r.height});
        }
        WindowModel w = window;
        w.client_height = 250;
        const Image part = paint_board(board, w);
        for (int y = 0; y < 250; ++y)
            for (int x = 0; x < 64; ++x)
                ASSERT_EQ(part.at(x, y), whole.at(x, top + y)) << x << "," << top + y;
    }
}

// Several segments change between two paints, as a timer step changes them: the parts are
// painted one by one and must still give the whole frame.
TEST_F(PainterTest, ManyChangesAtOncePaintLikeAFullPaint) {
    window.client_width = 60;
    window.client_height = 40;
    std::mt19937 rng(11);
    std::vector<Segment*> segs;
    for (Segment& s : board.segments()) segs.push_back(&s);
    auto any = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (Segment* s : segs) {
        Image img(any(1, 12), any(1, 12));
        for (Argb& p : img.pixels)
            p = argb(std::uint8_t(any(0, 2) * 127 + (any(0, 1))), std::uint8_t(any(0, 255)),
                     std::uint8_t(any(0, 255)), std::uint8_t(any(0, 255)));
        board.set_picture(*s, std::make_shared<const Image>(img));
        board.set_rect(*s, {any(-5, 55), any(-5, 35), any(0, 12), any(0, 12)});
    }
    Painter painter;
    painter.paint(board, window);
    for (int step = 0; step < 200; ++step) {
        const int changes = any(2, 12);
        for (int c = 0; c < changes; ++c) {
            Segment& s = *segs[std::size_t(any(0, int(segs.size()) - 1))];
            if (any(0, 1))
                board.set_shown(s, !s.shown);
            else
                board.set_rect(s, {any(-5, 55), any(-5, 35), any(0, 12), any(0, 12)});
        }
        if (step % 40 == 0) window.key_on = !window.key_on;
        std::vector<Rect> parts;
        const Image& frame = painter.paint(board, window, nullptr, &parts);
        ASSERT_EQ(frame.pixels, paint_board(board, window).pixels) << "step " << step;
        auto overlap = [](Rect a, Rect b) {
            return a.left < b.left + b.width && b.left < a.left + a.width &&
                   a.top < b.top + b.height && b.top < a.top + a.height;
        };
        for (std::size_t i = 0; i < parts.size(); ++i)
            for (std::size_t j = i + 1; j < parts.size(); ++j)
                EXPECT_FALSE(overlap(parts[i], parts[j])) << "parts overlap at step " << step;
    }
}

TEST_F(PainterTest, DamageIsWhereTheChangeIs) {
    window.client_width = 100;
    window.client_height = 100;
    place("im_flame_1", {10, 20, 5, 5}, solid(5, 5, kRed));
    Painter painter;
    painter.paint(board, window);
    Rect damage;
    board.hide("im_flame_1");
    painter.paint(board, window, &damage);
    EXPECT_EQ(damage, (Rect{10, 20, 5, 5}));
    board.set_rect(board.get("im_flame_1"), {50, 50, 5, 5});
    painter.paint(board, window, &damage);
    EXPECT_EQ(damage, Rect{}) << "a hidden segment moved";
    board.show("im_flame_1");
    board.set_rect(board.get("im_flame_1"), {60, 60, 5, 5});
    painter.paint(board, window, &damage);
    EXPECT_EQ(damage, (Rect{60, 60, 5, 5}));
    board.set_rect(board.get("im_flame_1"), {70, 60, 5, 5});
    painter.paint(board, window, &damage);
    EXPECT_EQ(damage, (Rect{60, 60, 15, 5}));
}

TEST_F(PainterTest, ChangesFarApartArePaintedAsSeparateParts) {
    window.client_width = 100;
    window.client_height = 100;
    place("im_flame_1", {0, 0, 5, 5}, solid(5, 5, kRed));
    place("im_flame_2", {90, 90, 5, 5}, solid(5, 5, kGreen));
    place("im_flame_3", {3, 3, 5, 5}, solid(5, 5, kBlue), false);
    Painter painter;
    painter.paint(board, window);
    board.hide("im_flame_1");
    board.hide("im_flame_2");
    board.show("im_flame_3"); // overlaps flame 1: one part around both
    Rect damage;
    std::vector<Rect> parts;
    const Image& frame = painter.paint(board, window, &damage, &parts);
    EXPECT_EQ(damage, (Rect{0, 0, 95, 95}));
    ASSERT_EQ(parts.size(), 2u);
    std::sort(parts.begin(), parts.end(), [](Rect a, Rect b) { return a.left < b.left; });
    EXPECT_EQ(parts[0], (Rect{0, 0, 8, 8}));
    EXPECT_EQ(parts[1], (Rect{90, 90, 5, 5}));
    EXPECT_EQ(frame.pixels, paint_board(board, window).pixels);
    painter.paint(board, window, &damage, &parts);
    EXPECT_TRUE(parts.empty());
}

} // namespace
} // namespace q50
