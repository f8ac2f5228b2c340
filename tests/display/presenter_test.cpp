#include "display/presenter.h"

#include "display/frame_scaler.h"
#include "display/painter.h"
#include "display/scaled_scene.h"
#include "drawn_pictures.h"

#include <cmath>
#include <gtest/gtest.h>

namespace q50 {
namespace {

using test::noise;

Image cut(const Image& from, Rect r) {
    Image out(r.width, r.height);
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) out.at(x, y) = from.at(r.left + x, r.top + y);
    return out;
}

Rect offset_of(Rect r, Rect area) {
    return Rect{r.left - area.left, r.top - area.top, r.width, r.height};
}

bool inside(Rect r, int x, int y) {
    return x >= r.left && y >= r.top && x < r.left + r.width && y < r.top + r.height;
}

// A device of 44x40 on a client of 60x50 with a see-through corner, the LCD's overlay on it
// with a segment over the LCD, and a button beside the LCD.
class PresenterTest : public ::testing::Test {
  protected:
    Board board;
    WindowModel window;
    const Rect lcd{10, 8, 30, 20};

    PresenterTest() {
        for (Segment& s : board.segments()) board.hide(s);
        window.client_width = 60;
        window.client_height = 50;
        window.colour = 0x00302010;
        window.key_colour = 0x00302010;
        Image body = noise(44, 40, 1);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 6 - y; ++x) body.at(x, y) = 0;
        place("im_background_bottom", {4, 2, 44, 40}, body);
        place(kLcdViewSegment, lcd, noise(30, 20, 2, 0x60000000u)); // glass over the segments
        place("im_flame_1", {14, 10, 6, 5}, noise(6, 5, 3, 0x80000000u));
        place("im_flame_3", {33, 20, 4, 4}, noise(4, 4, 4));
        place("btn_game_a_top", {6, 32, 8, 6}, noise(8, 6, 5));
    }
    void place(const char* name, Rect r, Image img) {
        Segment& s = board.named(name);
        board.set_rect(s, r);
        board.set_picture(s, std::make_shared<const Image>(std::move(img)));
        board.show(s);
    }
    // What the painter and the frame scaler make of the board at a scale, as before the
    // presenter: the whole client, or the LCD's part of it.
    Image expected(double scale, Rect area) {
        const Image whole = paint_board(board, window);
        const Image part = area.width == 60 && area.height == 50 ? whole : cut(whole, area);
        if (scale == 1.0) return part;
        return scale_frame(part, scale, scaled_size({area.width, area.height}, scale));
    }
};

// Windowed, the whole device and the LCD alone: the frame is the painter's frame scaled, at
// whole and fractional scales, also after changes painted part by part; the rectangles handed
// back hold every pixel that changed and lie where the changed segment lies.
TEST_F(PresenterTest, EachScaleAndViewGivesThePaintersFrameAndChangedRectanglesCoverTheChange) {
    for (View view : {View::Device, View::Lcd}) {
        const Rect area = view == View::Lcd ? lcd : Rect{0, 0, 60, 50};
        for (double k : {1.0, 2.0, 3.0, 1.5, 2.805}) {
            SCOPED_TRACE(testing::Message() << "view " << int(view) << " scale " << k);
            Presenter p(board, window);
            p.set_view(view);
            p.set_scale(k, 1.0);
            Presenter::Update u = p.present(0);
            EXPECT_TRUE(u.laid_out);
            ASSERT_TRUE(u.painted);
            EXPECT_EQ(p.output_size(), scaled_size({area.width, area.height}, k));
            EXPECT_EQ(p.window_size(), p.output_size());
            EXPECT_EQ(p.frame().pixels, expected(k, area).pixels);

            // Nothing changed: nothing painted; made invalid, all of it again.
            u = p.present(1);
            EXPECT_FALSE(u.painted);
            EXPECT_FALSE(u.laid_out);
            p.invalidate();
            u = p.present(1);
            EXPECT_TRUE(u.laid_out);
            ASSERT_TRUE(u.painted);
            const PixelSize out = p.output_size();
            EXPECT_EQ(u.changed, std::vector<Rect>{(Rect{0, 0, out.width, out.height})});
            EXPECT_EQ(p.frame().pixels, expected(k, area).pixels);

            const Image before = p.frame();
            board.hide("im_flame_3");
            u = p.present(2);
            ASSERT_TRUE(u.painted);
            const Image& after = p.frame();
            EXPECT_EQ(after.pixels, expected(k, area).pixels);
            const Rect flame = offset_of(board.get("im_flame_3").rect, area);
            const Rect where = scaled_rect(flame, k, p.output_size());
            int changed = 0;
            for (int y = 0; y < after.height; ++y)
                for (int x = 0; x < after.width; ++x) {
                    if (after.at(x, y) == before.at(x, y)) continue;
                    ++changed;
                    bool covered = false;
                    for (const Rect& r : u.changed) covered |= inside(r, x, y);
                    EXPECT_TRUE(covered) << x << "," << y;
                }
            EXPECT_GT(changed, 0);
            ASSERT_FALSE(u.changed.empty());
            for (const Rect& r : u.changed) EXPECT_EQ(intersect(r, where), r);
            board.show("im_flame_3");
        }
    }
}

// Fullscreen, the whole device is the composed scene's frame on the screen, at every scale.
TEST_F(PresenterTest, FullscreenFrameIsTheComposedScene) {
    window.key_on = false;
    for (double k : {1.0, 2.0, 1.5}) {
        SCOPED_TRACE(k);
        Presenter p(board, window);
        p.set_screen({80, 70});
        p.set_scale(k, 1.0);
        ASSERT_TRUE(p.present(0).painted);
        const PixelSize covered = scaled_size({60, 50}, k);
        const PixelSize out{std::min(covered.width, 80), std::min(covered.height, 70)};
        EXPECT_EQ(p.output_size(), out);
        ScaledScene scene;
        EXPECT_EQ(p.frame().pixels, scene.paint(board, window, nullptr, k, out).pixels);
        // At 100 % the snapshot the painter alone made before is the same frame.
        if (k == 1.0) {
            EXPECT_EQ(p.frame().pixels, paint_board(board, window).pixels);
        }
    }
}

// The LCD alone at fit on a landscape and a portrait screen: the scale the fullscreen fit
// gives the LCD's size, the LCD in the middle of the screen, black around it, and a new
// screen size lays the output out anew.
TEST_F(PresenterTest, LcdViewAtFitOnTheScreensOfATvAndAPhone) {
    window.key_on = false;
    // The skin's LCD, as the delivered one has it, on a client that covers the screen.
    window.client_width = 400;
    window.client_height = 300;
    place(kLcdViewSegment, {20, 50, 360, 196}, noise(360, 196, 7));
    const Rect area{20, 50, 360, 196};
    Presenter p(board, window);
    p.set_view(View::Lcd);
    struct Case {
        PixelSize screen;
        double scale; // the fit of 360x196
        Rect place;
    };
    for (const Case& c : {Case{{1920, 1080}, 5.0, {60, 50, 1800, 980}},
                          Case{{390, 844}, 1.0, {15, 324, 360, 196}}}) {
        SCOPED_TRACE(c.screen.width);
        const double fit = fullscreen_total_scale(kZoomFit, {360, 196}, c.screen, 1.0);
        EXPECT_EQ(fit, c.scale);
        p.set_screen(c.screen);
        p.set_scale(fit, 1.0);
        const Presenter::Update u = p.present(0);
        EXPECT_TRUE(u.laid_out);
        ASSERT_TRUE(u.painted);
        ASSERT_EQ(p.output_size(), c.screen);
        ASSERT_EQ(u.changed, std::vector<Rect>{(Rect{0, 0, c.screen.width, c.screen.height})});
        const Image& f = p.frame();
        const Image want = expected(fit, area);
        int wrong_lcd = 0, wrong_border = 0;
        for (int y = 0; y < f.height; ++y)
            for (int x = 0; x < f.width; ++x) {
                if (inside(c.place, x, y))
                    wrong_lcd += f.at(x, y) != want.at(x - c.place.left, y - c.place.top);
                else
                    wrong_border += f.at(x, y) != 0xFF000000u;
            }
        EXPECT_EQ(wrong_lcd, 0);
        EXPECT_EQ(wrong_border, 0);
        // The middle of the screen is the middle of the LCD; its corners are off the board.
        EXPECT_EQ(p.to_design(c.place.left, c.place.top), (DesignPoint{20, 50}));
        EXPECT_EQ(p.to_design(0, 0), kOffBoard);
        EXPECT_EQ(p.to_window({20, 50, 360, 196}), c.place);
    }
}

// A skin without the LCD's overlay, or one that covers the whole client, shows the device.
TEST_F(PresenterTest, LcdViewWithoutAnLcdShowsTheWholeDevice) {
    board.set_rect(board.named(kLcdViewSegment), {-50, -50, 10, 10});
    Presenter p(board, window);
    p.set_view(View::Lcd);
    p.set_scale(2.0, 1.0);
    ASSERT_TRUE(p.present(0).painted);
    EXPECT_EQ(p.output_size(), (PixelSize{120, 100}));
    EXPECT_EQ(p.frame().pixels, expected(2.0, {0, 0, 60, 50}).pixels);
    EXPECT_EQ(p.view_area(), (Rect{0, 0, 60, 50}));
}

// From a window pixel to the design pixel under it and back, at fractional scales and
// device-pixel ratios, in both views and with the letterbox of a fullscreen LCD.
TEST_F(PresenterTest, PositionsRoundTripAtFractionalScales) {
    for (bool fullscreen : {false, true}) {
        window.key_on = !fullscreen;
        for (View view : {View::Device, View::Lcd}) {
            for (double k : {1.5, 2.25, 2.805}) {
                for (double ratio : {1.0, 1.25, 2.0}) {
                    SCOPED_TRACE(testing::Message()
                                 << fullscreen << " " << int(view) << " " << k << " " << ratio);
                    Presenter p(board, window);
                    p.set_screen({200, 150});
                    p.set_view(view);
                    p.set_scale(k * ratio, ratio);
                    p.present(0);
                    const Rect area = p.view_area();
                    const Rect view_rect = p.to_window(area);
                    const PixelSize size = p.window_size();
                    // Every position maps to the design pixel that holds the middle of the
                    // physical pixel under it, and that design pixel's window rectangle
                    // holds that middle.
                    for (double wy = 0; wy < size.height; wy += 0.5)
                        for (double wx = 0; wx < size.width; wx += 0.5) {
                            const DesignPoint d = p.to_design(wx, wy);
                            const double mx = (std::floor(wx * ratio) + 0.5) / ratio;
                            const double my = (std::floor(wy * ratio) + 0.5) / ratio;
                            if (d == kOffBoard) {
                                // Off the board only outside its place (or in the pixel on
                                // its edge that the rounding of the size left).
                                const Rect inner{view_rect.left + 1, view_rect.top + 1,
                                                 view_rect.width - 2, view_rect.height - 2};
                                ASSERT_FALSE(inside(inner, int(wx), int(wy))) << wx << "," << wy;
                                continue;
                            }
                            // The output's last pixel, rounded up, may hold a middle past
                            // the board's last design pixel.
                            if (!inside(area, d.x, d.y) &&
                                (d.x == area.left + area.width || d.y == area.top + area.height))
                                continue;
                            ASSERT_TRUE(inside(area, d.x, d.y)) << wx << "," << wy;
                            const Rect w = p.to_window({d.x, d.y, 1, 1});
                            ASSERT_TRUE(mx >= w.left && mx <= w.left + w.width && my >= w.top &&
                                        my <= w.top + w.height)
                                << wx << "," << wy;
                        }
                    // Every design pixel is reached again from its rectangle.
                    for (int y = area.top; y < area.top + area.height; ++y)
                        for (int x = area.left; x < area.left + area.width; ++x) {
                            const Rect w = p.to_window({x, y, 1, 1});
                            bool back = false;
                            for (int wy = w.top; wy < w.top + w.height && !back; ++wy)
                                for (int wx = w.left; wx < w.left + w.width && !back; ++wx)
                                    back = p.to_design(wx, wy) == DesignPoint{x, y};
                            ASSERT_TRUE(back) << x << "," << y;
                        }
                    if (view == View::Lcd) {
                        const Rect w = p.to_window(area);
                        EXPECT_EQ(p.to_design(w.left - 1.5, w.top + 1), kOffBoard);
                        EXPECT_EQ(p.to_design(w.left + w.width + 0.5, w.top + 1), kOffBoard);
                    }
                }
            }
        }
    }
}

// A fade asks for frames at the screen's rate until it settles, and for none after.
TEST_F(PresenterTest, AFadeAsksForFramesUntilItSettles) {
    Presenter p(board, window);
    p.set_refresh_rate(120);
    p.lcd_look().set_fade(80);
    p.present(0);
    EXPECT_EQ(p.next_frame_ms(), -1);
    board.hide("im_flame_3");
    p.present(100);
    EXPECT_EQ(p.next_frame_ms(), 8);
    const Image fading = p.frame();
    p.present(140);
    EXPECT_EQ(p.next_frame_ms(), 8);
    EXPECT_NE(p.frame().pixels, fading.pixels);
    p.present(200);
    EXPECT_EQ(p.next_frame_ms(), -1);
    EXPECT_EQ(p.frame().pixels, paint_board(board, window).pixels);
}

} // namespace
} // namespace q50
