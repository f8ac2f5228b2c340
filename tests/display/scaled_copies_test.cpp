// Pictures brought to the output's scale: only what shows of them is copied, the copies are
// charged to a budget of their own, and a copy the budget refuses leaves its segment empty and
// is told once.
#include "display/copy_budget.h"
#include "display/frame_scaler.h"
#include "display/painter.h"
#include "display/picture_file.h"
#include "display/picture_scaler.h"
#include "display/scaled_scene.h"
#include "display/set_painter.h"
#include "display/skin_sets.h"
#include "drawn_pictures.h"

#include <gtest/gtest.h>

namespace q50 {
namespace {

using test::noise;

class ScaledCopies : public ::testing::Test {
  protected:
    Board board;
    WindowModel window;

    ScaledCopies() {
        for (Segment& s : board.segments()) board.hide(s);
        window.client_width = 30;
        window.client_height = 20;
    }
    Picture place(const char* name, Rect r, Image img) {
        Segment& s = board.named(name);
        board.set_rect(s, r);
        board.set_picture(s, std::make_shared<const Image>(std::move(img)));
        board.show(s);
        return s.picture;
    }
    void windowed() {
        window.key_on = true;
        window.colour = window.key_colour = 0x00FF00FF;
    }
    void fullscreen() {
        window.key_on = false;
        window.colour = 0x00102030;
    }
};

// Windowed at a whole zoom without larger drawings: a picture far larger than its rectangle,
// and one reaching past the window, are repeated only where they show, and the frame is
// exactly the design frame with its pixels repeated.
TEST_F(ScaledCopies, WindowedPicturesAreRepeatedOnlyWhereTheyShow) {
    windowed();
    place("im_background_bottom", {2, 1, 24, 16}, noise(400, 300, 1));
    place("im_flame_1", {20, 12, 15, 15}, noise(15, 15, 2, 0x90000000u));
    SkinSets none;
    SetPainter sp;
    for (int k : {2, 4}) {
        sp.invalidate();
        const Image& f = sp.paint(board, window, none, k);
        EXPECT_EQ(f.pixels, scale_frame(paint_board(board, window), k, {30 * k, 20 * k}).pixels)
            << k;
        // What shows of the two: 24x16 and 10x8 design pixels (the whole 400x300 picture
        // repeated would take 7.7 MB at 4).
        EXPECT_EQ(sp.copy_budget().used(),
                  picture_bytes(24 * k, 16 * k) + picture_bytes(10 * k, 8 * k))
            << k;
    }
    // Changed incrementally, still the same.
    board.hide("im_flame_1");
    EXPECT_EQ(sp.paint(board, window, none, 4).pixels,
              scale_frame(paint_board(board, window), 4, {120, 80}).pixels);
}

// Fullscreen at a fractional scale: a device picture that reaches far past the screen is
// brought to the scale only where it lies on the screen, with exactly the pixels the whole
// picture brought to the scale has there (the same as a picture that starts at the screen's
// edge), and the logo and a centred backdrop larger than the screen are resampled only where
// they show.
TEST_F(ScaledCopies, FullscreenPicturesAndDecorationsAreScaledOnlyOnTheScreen) {
    fullscreen();
    window.client_width = 40;
    window.client_height = 30;
    const Image wide = noise(400, 24, 3);
    place("im_background_bottom", {-100, 3, 400, 24}, wide);
    const double s = 2.5;
    const PixelSize out = scaled_size({40, 30}, s);
    CopyBudget copies;
    ScaledScene scene;
    scene.set_copy_budget(&copies);
    const Image got = scene.paint(board, window, nullptr, s, out);
    EXPECT_LE(copies.used(), picture_bytes(out.width, out.height));

    // The part that shows, cut out beforehand and laid at the screen's edge.
    Image cut(300, 24);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 300; ++x) cut.at(x, y) = wide.at(x + 100, y);
    place("im_background_bottom", {0, 3, 300, 24}, cut);
    ScaledScene reference;
    EXPECT_EQ(got.pixels, reference.paint(board, window, nullptr, s, out).pixels);

    board.hide("im_background_bottom");
    const Image logo = noise(300, 200, 4);
    Segment& l = board.get("im_backdrop_logo");
    board.set_rect(l, Rect{40 - 300, 0, 300, 200}); // top right, as the loader places it
    board.set_picture(l, std::make_shared<const Image>(logo));
    board.show(l);
    const Image& f = scene.paint(board, window, nullptr, s, out);
    const Rect at = scaled_unclipped(l.rect, s);
    const Image whole = resample_area(logo, at.width, at.height);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            ASSERT_EQ(f.at(x, y), whole.at(x - at.left, y - at.top)) << x << "," << y;

    board.hide(l);
    const Image sky = noise(200, 150, 5);
    Segment& b = board.get("im_backdrop");
    board.set_rect(b, Rect{0, 0, 40, 30});
    board.set_picture(b, std::make_shared<const Image>(sky));
    board.show(b);
    window.backdrop_stretch = false;
    const Image& g = scene.paint(board, window, nullptr, s, out);
    const Rect centred = scaled_unclipped(Rect{(40 - 200) / 2, (30 - 150) / 2, 200, 150}, s);
    const Image sky_whole = resample_area(sky, centred.width, centred.height);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            ASSERT_EQ(g.at(x, y), sky_whole.at(x - centred.left, y - centred.top)) << x << "," << y;
}

// At the screen's own scale a device picture cut by the screen's edges (a device a little
// taller than the screen, centred, is cut at the top and the bottom) is drawn from the picture
// itself: nothing is copied, and the screen is what a picture cut beforehand gives, also after
// the picture moves.
TEST_F(ScaledCopies, AtScaleOneAPictureCutByTheScreenIsNotCopied) {
    fullscreen();
    const Image tall = noise(50, 40, 7);
    const PixelSize out{30, 20};
    const auto cut_beforehand = [&](Rect r) {
        const Rect shows = intersect(r, Rect{0, 0, out.width, out.height});
        Image cut(shows.width, shows.height);
        for (int y = 0; y < shows.height; ++y)
            for (int x = 0; x < shows.width; ++x)
                cut.at(x, y) = tall.at(x + shows.left - r.left, y + shows.top - r.top);
        Board b;
        for (Segment& s : b.segments()) b.hide(s);
        Segment& s = b.named("im_background_bottom");
        b.set_rect(s, shows);
        b.set_picture(s, std::make_shared<const Image>(std::move(cut)));
        b.show(s);
        return ScaledScene().paint(b, window, nullptr, 1.0, out).pixels;
    };
    CopyBudget copies;
    ScaledScene scene;
    scene.set_copy_budget(&copies);
    for (const Rect r : {Rect{2, -3, 50, 40}, Rect{-5, 1, 50, 40}, Rect{-30, -25, 50, 40}}) {
        place("im_background_bottom", r, tall);
        EXPECT_EQ(scene.paint(board, window, nullptr, 1.0, out).pixels, cut_beforehand(r))
            << r.left << "," << r.top;
        EXPECT_EQ(copies.used(), 0) << r.left << "," << r.top;
    }
}

// A copy that would pass the budget is not made: its segment shows nothing at that scale, the
// refusal names the picture once (not at every paint), and what the painter holds goes back to
// the budget when it lets its copies go.
TEST_F(ScaledCopies, ACopyOverTheBudgetLeavesItsSegmentEmptyAndIsRefusedOnce) {
    windowed();
    const Picture body = place("im_background_bottom", {0, 0, 10, 10}, noise(10, 10, 6));
    const Picture flame = place("im_flame_1", {12, 0, 10, 10}, noise(10, 10, 7));
    const std::int64_t one = picture_bytes(40, 40);
    CopyBudget copies(one); // room for one of the two at 4
    SkinSets none;
    SetPainter sp;
    sp.set_copy_budget(&copies);
    const Image f = sp.paint(board, window, none, 4);
    EXPECT_EQ(copies.used(), one);
    const std::vector<CopyBudget::Refusal> refused = copies.take_refusals();
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_FALSE(refused[0].out_of_memory);
    EXPECT_EQ(refused[0].bytes, one);
    const Picture& missing = refused[0].source == body.get() ? body : flame;
    ASSERT_TRUE(refused[0].source == body.get() || refused[0].source == flame.get());
    // The refused segment's place shows the window's key colour (see-through), the other its
    // picture.
    const int left = missing == body ? 0 : 48;
    const int other = missing == body ? 48 : 0;
    EXPECT_EQ(f.at(left + 5, 5), 0u);
    EXPECT_EQ(f.at(other + 5, 5), (missing == body ? flame : body)->at(1, 1));

    sp.invalidate();
    sp.paint(board, window, none, 4);
    EXPECT_TRUE(copies.take_refusals().empty());
    sp.reset();
    EXPECT_EQ(copies.used(), 0);

    // The text names the file and the budget.
    EXPECT_EQ(refusal_text(refused[0], "skin/a.png", copies.limit()),
              "\"skin/a.png\" is not shown at this size: its copy at the screen's scale would "
              "need 1 MB, more than is left of the 1 MB that pictures brought to the screen's "
              "scale may take");
    EXPECT_EQ(refusal_text({nullptr, 3 << 20, true}, "", copies.limit()),
              "A picture is not shown at this size: there is not enough memory for its copy at "
              "the screen's scale (3 MB)");
}

} // namespace
} // namespace q50
