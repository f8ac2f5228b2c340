// The delivered skin through the program's own loader and painter: it loads without a
// message in both presentations, every segment gets its picture, and the painted window
// keeps the see-through colour outside the device only.
#include "board/render_ops.h"
#include "display/painter.h"
#include "display/picture_file.h"
#include "display/picture_read_ahead.h"
#include "display/skin_loader.h"
#include "tests/display/picture_makers.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace q50 {
namespace {

const std::filesystem::path kData = std::filesystem::path(Q50_SOURCE_DIR) / "data";

class DeliveredSkinLoad : public ::testing::Test {
  protected:
    Board board;
    WindowModel window;
    test::RecordingSink sink;

    SkinLoadResult load(bool fullscreen) {
        SkinEnvironment env;
        env.executable_dir = kData;
        env.current_dir = kData;
        env.Fullscreen_Mode = fullscreen;
        env.screen_width = 1280;
        env.screen_height = 1024;
        return Load_Skin(board, window, env, sink);
    }

    // The device as it looks opened: lid away, everything on.
    void open_everything_lit() {
        board.set_shown(board.get("btn_open"), false);
        board.set_shown(board.get("im_background_front"), false);
        board.set_shown(board.get("im_background_back"), true);
        board.set_shown(board.get("im_background_screen_top"), true);
        Vid_Show_All(board, true);
        Vid_Display_Ctrl_Overlay(board, true);
    }

    // See-through pixels (the painter clears the key colour) inside the device outline,
    // away from its rounded corners.
    static long clear_inside(const Image& frame) {
        long n = 0;
        for (int y = 34; y < 736; ++y)
            for (int x = 34; x < 464; ++x)
                if (frame.at(x, y) == 0) ++n;
        return n;
    }
};

TEST_F(DeliveredSkinLoad, WindowedLoadIsCompleteAndGivesEverySegmentItsOwnPicture) {
    const auto result = load(false);
    EXPECT_EQ(result.status, SkinLoadStatus::Complete);
    EXPECT_TRUE(sink.messages.empty()) << sink.messages.front();
    EXPECT_EQ(window.client_width, 498);
    EXPECT_EQ(window.client_height, 770);
    EXPECT_TRUE(window.key_on);
    EXPECT_EQ(window.key_colour, Colour(0x00ff00ff));
    const Picture placeholder = placeholder_picture();
    for (int i = 1; i <= kSkinImageCount; ++i) {
        const Segment& s = board.named(skin_image_names()[std::size_t(i)]);
        SCOPED_TRACE(s.name);
        if (s.name.rfind("im_panel_digit_", 0) == 0) {
            EXPECT_EQ(s.picture, nullptr) << "named nil: filled from the glyphs";
            continue;
        }
        ASSERT_NE(s.picture, nullptr);
        EXPECT_EQ(s.picture->width, s.rect.width);
        EXPECT_EQ(s.picture->height, s.rect.height);
        EXPECT_NE(s.picture->pixels, placeholder->pixels) << "a file was not found";
    }
}

TEST_F(DeliveredSkinLoad, FullscreenLoadShowsTheStretchedBackdropAndTheLogoTopRight) {
    load(true);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_FALSE(window.key_on);
    EXPECT_TRUE(window.backdrop_stretch);
    const Segment& backdrop = board.get("im_backdrop");
    const Segment& logo = board.get("im_backdrop_logo");
    ASSERT_NE(backdrop.picture, nullptr);
    ASSERT_NE(logo.picture, nullptr);
    EXPECT_TRUE(backdrop.shown);
    EXPECT_EQ(logo.rect.left + logo.rect.width, 1280);
    EXPECT_EQ(logo.rect.top, 0);
    // Centred: (1280 - 498) / 2 and (1024 - 770) / 2.
    EXPECT_EQ(board.get("im_background_bottom").rect.left, 391);
    EXPECT_EQ(board.get("im_background_bottom").rect.top, 127);
}

TEST_F(DeliveredSkinLoad, PaintedWindowIsSeeThroughOnlyOutsideTheDevice) {
    load(false);
    Painter painter;
    const Image closed = painter.paint(board, window);
    ASSERT_EQ(closed.width, 498);
    EXPECT_EQ(closed.at(0, 0), 0u);
    EXPECT_EQ(closed.at(497, 769), 0u);
    EXPECT_EQ(closed.at(10, 458), 0u) << "the gap between the two halves, beside the hinge";
    EXPECT_EQ(clear_inside(closed), 0);
    open_everything_lit();
    const Image open = painter.paint(board, window);
    EXPECT_EQ(open.at(0, 0), 0u);
    EXPECT_EQ(clear_inside(open), 0);
    // The lit display: the hero's body at the middle place is dark ink on the display.
    const Rect body = board.get("im_pelko_3_body").rect;
    long dark = 0;
    for (int y = body.top; y < body.top + body.height; ++y)
        for (int x = body.left; x < body.left + body.width; ++x) {
            const Argb p = open.at(x, y);
            if (((p >> 16) & 0xff) + ((p >> 8) & 0xff) + (p & 0xff) < 3 * 80) ++dark;
        }
    EXPECT_GT(dark, body.width * body.height / 5);
}

// With the pictures of hidden segments left waiting, the load is the same load (messages,
// budget, layout, shared pictures) and, once they are finished, the same pictures.
TEST_F(DeliveredSkinLoad, HiddenSegmentsWaitForTheirPixelsAndEndAsTheWholeLoadHasThem) {
    for (bool fullscreen : {false, true}) {
        SCOPED_TRACE(fullscreen ? "fullscreen" : "windowed");
        Board whole, lazy;
        // The closed device's body and lid, as the program shows them before its first frame.
        for (Board* b : {&whole, &lazy})
            for (const char* name : {"im_background_bottom", "im_background_front", "btn_open"})
                b->show(b->named(name));
        WindowModel whole_window, lazy_window;
        test::RecordingSink whole_sink, lazy_sink;
        PictureBudget whole_budget, lazy_budget;
        WaitingPictures waiting;
        auto load_into = [&](Board& b, WindowModel& w, test::RecordingSink& sink,
                             PictureBudget& budget, WaitingPictures* wait) {
            SkinEnvironment env;
            env.executable_dir = env.current_dir = kData;
            env.Fullscreen_Mode = fullscreen;
            env.budget = &budget;
            env.waiting = wait;
            return Load_Skin(b, w, env, sink).status;
        };
        ASSERT_EQ(load_into(whole, whole_window, whole_sink, whole_budget, nullptr),
                  SkinLoadStatus::Complete);
        ASSERT_EQ(load_into(lazy, lazy_window, lazy_sink, lazy_budget, &waiting),
                  SkinLoadStatus::Complete);
        EXPECT_EQ(lazy_sink.messages, whole_sink.messages);
        EXPECT_EQ(lazy_sink.notices, whole_sink.notices);
        EXPECT_EQ(lazy_budget.used(), whole_budget.used());
        EXPECT_EQ(lazy_window.client_width, whole_window.client_width);

        const auto& segs = lazy.segments();
        const auto& want = whole.segments();
        int waited = 0;
        for (std::size_t i = 0; i < segs.size(); ++i) {
            SCOPED_TRACE(segs[i].name);
            EXPECT_EQ(segs[i].rect, want[i].rect);
            EXPECT_EQ(segs[i].shown, want[i].shown);
            ASSERT_EQ(segs[i].picture == nullptr, want[i].picture == nullptr);
            if (!segs[i].picture) continue;
            // Every hidden segment's picture waits (the delivered skin is all PNG); no shown one.
            EXPECT_EQ(waiting.holds(segs[i].picture.get()), !segs[i].shown);
            if (waiting.holds(segs[i].picture.get())) {
                ++waited;
                EXPECT_TRUE(segs[i].picture->empty());
            } else {
                EXPECT_EQ(segs[i].picture->pixels, want[i].picture->pixels);
            }
            for (std::size_t j = 0; j < i; ++j)
                EXPECT_EQ(segs[i].picture == segs[j].picture, want[i].picture == want[j].picture)
                    << segs[j].name;
        }
        EXPECT_GT(waited, 100);

        EXPECT_TRUE(waiting.finish().empty());
        EXPECT_FALSE(waiting.any());
        for (std::size_t i = 0; i < segs.size(); ++i)
            if (segs[i].picture) {
                EXPECT_EQ(segs[i].picture->width, want[i].picture->width) << segs[i].name;
                EXPECT_EQ(segs[i].picture->pixels, want[i].picture->pixels) << segs[i].name;
            }
    }
}

// On 1024x768 the fit (768 / 770) would shrink the device by two rows that are see-through in
// every picture: it is drawn at 100 % instead. On 1920x1080 (fit 1.40) the whole scale above,
// 2, would cut the device: the fit stays.
TEST_F(DeliveredSkinLoad, TheFullscreenFitSnapsToTheWholeScaleOnlyWhereNothingVisibleIsCut) {
    struct Case {
        PixelSize screen;
        bool snaps;
    };
    for (const Case c : {Case{{1024, 768}, true}, Case{{1920, 1080}, false}}) {
        SCOPED_TRACE(std::to_string(c.screen.width));
        Board b;
        for (const char* name : {"im_background_bottom", "im_background_front", "btn_open"})
            b.show(b.named(name));
        for (const char* name : {"im_background_back", "im_background_screen_top"})
            b.hide(b.named(name));
        WindowModel w;
        WaitingPictures waiting;
        SkinEnvironment env;
        env.executable_dir = env.current_dir = kData;
        env.Fullscreen_Mode = true;
        env.waiting = &waiting;
        double fit = 0, snap = 0;
        env.screen_for_device = [&](PixelSize device) {
            fit = fullscreen_fit_scale(device, c.screen);
            return screen_in_design(c.screen, fit);
        };
        env.snapped_screen_for_device = [&](PixelSize device) -> std::optional<PixelSize> {
            snap = fullscreen_snap_scale(device, c.screen);
            return screen_in_design(c.screen, snap);
        };
        const SkinLoadResult r = Load_Skin(b, w, env, sink);
        ASSERT_EQ(r.status, SkinLoadStatus::Complete);
        EXPECT_TRUE(sink.messages.empty());
        EXPECT_EQ(r.snapped, c.snaps);
        const Rect body = b.named("im_background_bottom").rect;
        if (c.snaps) {
            EXPECT_DOUBLE_EQ(snap, 1.0);
            EXPECT_EQ(w.client_width, 1024);
            EXPECT_EQ(w.client_height, 768);
            EXPECT_EQ(body, (Rect{263, -1, 498, 770}));
        } else {
            EXPECT_NEAR(fit, 1080.0 / 770, 1e-12);
            EXPECT_EQ(body.top, 0);
            EXPECT_EQ(w.client_height, 770);
        }
        // Of the hidden pictures only the lid's back, which reaches the screen's top edge, had
        // to be decoded before the first frame; the rest still wait.
        EXPECT_EQ(waiting.holds(b.named("im_background_back").picture.get()), !c.snaps);
        EXPECT_TRUE(waiting.holds(b.named("im_background_screen_top").picture.get()));
    }
}

} // namespace
} // namespace q50
