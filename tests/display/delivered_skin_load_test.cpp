// The delivered skin through the program's own loader and painter: it loads without a
// message in both presentations, every segment gets its picture, and the painted window
// keeps the see-through colour outside the device only.
#include "board/render_ops.h"
#include "display/painter.h"
#include "display/picture_file.h"
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

} // namespace
} // namespace q50
