#include "display/painter.h"
#include "display/picture_read_ahead.h"
#include "tests/display/skin_fixture.h"

namespace q50 {
namespace {

using test::Bytes;
using test::SkinFixture;

using SkinFullscreen = SkinFixture;

TEST_F(SkinFullscreen, DefaultsCentreTheDeviceOnTheScreen) {
    config("[Image7]\nLeft=270\nTop=655\nWidth=34\nHeight=22\n");
    ASSERT_EQ(load(true).status, SkinLoadStatus::Complete);
    // (1024 - 498) / 2 = 263, (768 - 770) / 2.0 = -1.
    EXPECT_EQ(seg("btn_game_a_top").rect, (Rect{270 + 263, 655 - 1, 34, 22}));
    // No section: the empty rectangle plus the offsets.
    EXPECT_EQ(seg("btn_game_a_down").rect, (Rect{263, -1, 0, 0}));
    EXPECT_EQ(window.client_width, 1024);
    EXPECT_EQ(window.client_height, 768);
    EXPECT_EQ(window.colour, 0u);
    EXPECT_FALSE(window.key_on);
    EXPECT_EQ(seg("im_backdrop").rect, (Rect{0, 0, 1024, 768}));
    EXPECT_TRUE(seg("btn_game_menu_top").shown);
    EXPECT_TRUE(seg("btn_game_menu_background").shown);
}

TEST_F(SkinFullscreen, OffsetRules) {
    struct Case {
        const char* x;
        const char* y;
        int screen_w, screen_h;
        int expect_x, expect_y;
    };
    const Case cases[] = {
        {"Center", "Center", 1024, 768, 263, -1}, {"0", "0", 1024, 768, 263, -1},
        {"-15", "40", 1024, 768, -15, 40},        {"middle", "12px", 1024, 768, 263, -1},
        {"$10", "0x10", 1024, 768, 16, -1},     // the strict conversion knows no "0x"
        {"Center", "Center", 497, 773, 0, 1},   // -1 / 2.0 truncates to 0; 3 / 2.0 to 1
        {"Center", "Center", 495, 767, -1, -1}, // -3 / 2.0 = -1.5 truncates to -1
    };
    for (const Case& c : cases) {
        config(std::string("[Fullscreen]\nGameOffsetX=") + c.x + "\nGameOffsetY=" + c.y +
               "\n[Image1]\nLeft=10\nTop=20\n");
        load(true, c.screen_w, c.screen_h);
        EXPECT_EQ(seg("im_background_bottom").rect.left, 10 + c.expect_x)
            << c.x << " " << c.screen_w;
        EXPECT_EQ(seg("im_background_bottom").rect.top, 20 + c.expect_y)
            << c.y << " " << c.screen_h;
    }
}

TEST_F(SkinFullscreen, OffsetsNeverOverflow) {
    config("[Common]\nGameWidth=-2147483648\n[Fullscreen]\nGameOffsetX=2147483647\n"
           "[Image1]\nLeft=2147483647\nTop=-2147483648\n");
    load(true);
    EXPECT_EQ(seg("im_background_bottom").rect.left, 2147483647);
    EXPECT_EQ(seg("im_background_bottom").rect.top, -2147483647 - 1);
}

TEST_F(SkinFullscreen, BackdropIsShownAndStretchedByTheLowestByte) {
    file("Graphics/Backdrop/sky.png", test::solid_png(4, 4, argb(255, 0, 0, 200)));
    const std::pair<const char*, bool> cases[] = {{"1", true},   {"0", false},   {"256", false},
                                                  {"257", true}, {"yes", false}, {"$FF00", false}};
    for (auto [value, stretch] : cases) {
        config(std::string("[Fullscreen]\nBackdropFile=sky.png\nBackdropStretch=") + value + "\n");
        board.hide("im_backdrop");
        ASSERT_EQ(load(true).status, SkinLoadStatus::Complete);
        EXPECT_EQ(window.backdrop_stretch, stretch) << value;
        EXPECT_TRUE(seg("im_backdrop").shown);
        EXPECT_EQ(seg("im_backdrop").picture->width, 4);
    }
}

TEST_F(SkinFullscreen, AStretchedBackdropKeptAsDrawnPaintsTheSameFrame) {
    // Four colours in quarters and a ramp, so that any other stretch shows.
    Image sky(6, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            sky.at(x, y) = argb(255, x < 3 ? 200 : 0, y < 2 ? 200 : 0, std::uint8_t(30 * x + y));
    file("Graphics/Backdrop/sky.png", test::png_of(sky));
    config("[Fullscreen]\nBackdropFile=sky.png\nBackdropStretch=1\n");
    ASSERT_EQ(load(true).status, SkinLoadStatus::Complete);
    const Image decoded_frame = paint_board(board, window);
    keep_backdrop_as_drawn(board, window);
    const Picture kept = seg("im_backdrop").picture;
    ASSERT_EQ(kept->width, window.client_width);
    ASSERT_EQ(kept->height, window.client_height);
    EXPECT_EQ(kept->pixels, stretch_picture(sky, window.client_width, window.client_height).pixels);
    // Drawn as it is, it gives the frame the decoded picture gave stretched.
    EXPECT_EQ(paint_board(board, window).pixels, decoded_frame.pixels);
    // Once is enough: a second call keeps the same picture.
    keep_backdrop_as_drawn(board, window);
    EXPECT_EQ(seg("im_backdrop").picture, kept);

    // Not stretched, it is drawn at its own size, centred: nothing to keep otherwise.
    config("[Fullscreen]\nBackdropFile=sky.png\nBackdropStretch=0\n");
    ASSERT_EQ(load(true).status, SkinLoadStatus::Complete);
    keep_backdrop_as_drawn(board, window);
    EXPECT_EQ(seg("im_backdrop").picture->width, 6);
}

TEST_F(SkinFullscreen, MissingBackdropOrLogoLeavesThemAsTheyWere) {
    config("[Fullscreen]\nBackdropFile=none.png\nLogoFile=none.png\n");
    const Picture backdrop = seg("im_backdrop").picture;
    board.hide("im_backdrop");
    ASSERT_EQ(load(true).status, SkinLoadStatus::Complete);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_FALSE(seg("im_backdrop").shown);
    EXPECT_EQ(seg("im_backdrop").picture, backdrop);
    EXPECT_TRUE(seg("im_backdrop_logo").shown); // shown from the start
    EXPECT_FALSE(seg("im_backdrop_logo").picture);
    EXPECT_EQ(seg("im_backdrop_logo").rect, (Rect{0, 0, 64, 64}));
}

TEST_F(SkinFullscreen, LogoCorners) {
    file("Graphics/Backdrop/logo.png", test::solid_png(20, 10, argb(255, 1, 1, 1)));
    // Position 4 on the first load: the logo stays at the window's top-left corner.
    config("[Fullscreen]\nLogoFile=logo.png\nLogoPosition=4\n");
    load(true);
    EXPECT_EQ(seg("im_backdrop_logo").rect, (Rect{0, 0, 20, 10}));
    EXPECT_TRUE(seg("im_backdrop_logo").shown);

    const std::pair<const char*, Rect> cases[] = {
        {"0", {0, 0, 20, 10}},      {"1", {1004, 0, 20, 10}},    {"2", {0, 758, 20, 10}},
        {"3", {1004, 758, 20, 10}}, {"-1", {1004, 758, 20, 10}}, // stays after 3
        {"", {1004, 0, 20, 10}}, // not an integer: the default, top right
    };
    for (auto [pos, rect] : cases) {
        config(std::string("[Fullscreen]\nLogoFile=logo.png\nLogoPosition=") + pos + "\n");
        load(true);
        EXPECT_EQ(seg("im_backdrop_logo").rect, rect) << "position " << pos;
    }
}

TEST_F(SkinFullscreen, InvalidBgColorStopsBeforeTheOffsets) {
    config("[Fullscreen]\nBgColor=black\n[Image1]\nLeft=5\n");
    const Rect before = seg("im_background_bottom").rect;
    EXPECT_EQ(load(true).status, SkinLoadStatus::Stopped);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0], "'black' is not a valid integer value");
    EXPECT_EQ(window.client_width, 498); // the screen size was never applied
    EXPECT_EQ(seg("im_background_bottom").rect, before);
    EXPECT_TRUE(seg("btn_game_menu_top").shown);
}

TEST_F(SkinFullscreen, UndecodableBackdropOrLogoStopsTheLoad) {
    file("Graphics/Backdrop/bad.jpg", Bytes(80, 0x20));
    file("Graphics/Backdrop/logo.tga", Bytes(80, 0x20));
    for (const char* key : {"BackdropFile=bad.jpg", "LogoFile=logo.tga"}) {
        config(std::string("[Fullscreen]\n") + key + "\n[Image1]\nLeft=5\n");
        sink.messages.clear();
        EXPECT_EQ(load(true).status, SkinLoadStatus::Stopped) << key;
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_NE(seg("im_background_bottom").rect.left, 5 + 263);
    }
    EXPECT_EQ(sink.messages[0], "Unknown picture file extension (.tga)");
}

TEST_F(SkinFullscreen, SwitchingModesRestoresEachMode) {
    config("[Common]\nGameWidth=400\nGameHeight=600\n"
           "[Fullscreen]\nBackdropFile=sky.png\nLogoFile=logo.png\nBgColor=$00203040\n"
           "[VideoMode]\nTranspColor=$00ff00ff\n[Image1]\nLeft=10\nTop=10\n");
    file("Graphics/Backdrop/sky.png", test::solid_png(4, 4, argb(255, 0, 0, 200)));
    file("Graphics/Backdrop/logo.png", test::solid_png(8, 8, argb(255, 9, 9, 9)));

    load(true);
    EXPECT_EQ(seg("im_background_bottom").rect.left, 10 + 312);
    EXPECT_TRUE(seg("im_backdrop").shown);
    EXPECT_EQ(window.colour, 0x203040u);

    load(false);
    EXPECT_EQ(window.client_width, 400);
    EXPECT_EQ(window.client_height, 600);
    EXPECT_EQ(seg("im_background_bottom").rect, (Rect{10, 10, 0, 0}));
    EXPECT_TRUE(window.key_on);
    EXPECT_EQ(window.key_colour, 0xFF00FFu);
    EXPECT_FALSE(seg("im_backdrop").shown);
    EXPECT_FALSE(seg("im_backdrop_logo").shown);
    EXPECT_FALSE(seg("btn_game_menu_top").shown);

    load(true);
    EXPECT_TRUE(seg("im_backdrop").shown);
    EXPECT_TRUE(seg("im_backdrop_logo").shown);
    EXPECT_FALSE(window.key_on);
    EXPECT_EQ(window.client_width, 1024);
    EXPECT_EQ(seg("im_background_bottom").rect.left, 10 + 312);
}

// The device laid out at a whole scale above the fit when only see-through margins leave the
// screen there: a 498x770 body on 1024x768 (fit 0.9974, whose screen is 1027x770 design
// pixels), offered 1024x768 at the scale of 1.
class SkinSnap : public SkinFixture {
  protected:
    WaitingPictures waiting;
    bool offered = false;

    // A body picture whose rows [clear_top, 770 - clear_bottom) are opaque, the rest clear.
    static Image body(int clear_top, int clear_bottom) {
        Image img(498, 770, argb(255, 40, 50, 60));
        for (int y = 0; y < 770; ++y)
            if (y < clear_top || y >= 770 - clear_bottom)
                for (int x = 0; x < 498; ++x) img.at(x, y) = 0;
        return img;
    }
    SkinLoadResult load_offered(bool with_waiting = false, int fit_w = 1027, int fit_h = 770) {
        SkinEnvironment env;
        env.executable_dir = exe_dir();
        env.current_dir = run_dir();
        env.Fullscreen_Mode = true;
        env.screen_for_device = [=](PixelSize) { return PixelSize{fit_w, fit_h}; };
        env.snapped_screen_for_device = [this](PixelSize device) -> std::optional<PixelSize> {
            EXPECT_EQ(device, (PixelSize{498, 770}));
            offered = true;
            return PixelSize{1024, 768};
        };
        if (with_waiting) env.waiting = &waiting;
        return Load_Skin(board, window, env, sink);
    }
    void body_config(const std::string& more = "") {
        config("[Fullscreen]\nLogoFile=logo.png\n[Image1]\nFilename=body.png\nWidth=498\n"
               "Height=770\n[Image5]\nFilename=button.png\nLeft=196\nTop=368\nWidth=104\n"
               "Height=56\n" +
               more);
        file("Graphics/Backdrop/logo.png", test::solid_png(20, 10, argb(255, 1, 1, 1)));
        file("Graphics/Skin/button.png", test::solid_png(104, 56, argb(255, 9, 9, 9)));
    }
};

TEST_F(SkinSnap, ClearRowsLeavingTheScreenLetTheDeviceTakeTheWholeScale) {
    body_config();
    file("Graphics/Skin/body.png", test::png_of(body(2, 2)));
    const SkinLoadResult r = load_offered();
    ASSERT_EQ(r.status, SkinLoadStatus::Complete);
    EXPECT_TRUE(offered);
    EXPECT_TRUE(r.snapped);
    // Centred on 1024x768: (1024 - 498) / 2 = 263, (768 - 770) / 2 = -1.
    EXPECT_EQ(seg("im_background_bottom").rect, (Rect{263, -1, 498, 770}));
    EXPECT_EQ(seg("btn_open").rect, (Rect{196 + 263, 368 - 1, 104, 56}));
    EXPECT_EQ(window.client_width, 1024);
    EXPECT_EQ(window.client_height, 768);
    EXPECT_EQ(seg("im_backdrop").rect, (Rect{0, 0, 1024, 768}));
    EXPECT_EQ(seg("im_backdrop_logo").rect, (Rect{1004, 0, 20, 10})); // top right, again
}

TEST_F(SkinSnap, AnyInkThatWouldLeaveTheScreenKeepsTheFit) {
    struct Case {
        int clear_top, clear_bottom;
        const char* offsets;
        bool snaps;
    };
    const Case cases[] = {
        {2, 2, "", true},
        {1, 1, "", true},                  // centred at -1: only rows 0 and 769 leave the screen
        {0, 2, "", false},                 // ink in row 0, which lands above the screen
        {2, 0, "", false},                 // ink in row 769, below it, however clear the top is
        {0, 3, "GameOffsetY=-2\n", false}, // placed by number: rows 0 and 1 above the screen
        {2, 0, "GameOffsetY=-2\n", true},  // ... clear, and the last row lands on row 767
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.clear_top) + " " + std::to_string(c.clear_bottom) + " " +
                     c.offsets);
        body_config(std::string("[Fullscreen]\n") + c.offsets);
        file("Graphics/Skin/body.png", test::png_of(body(c.clear_top, c.clear_bottom)));
        const SkinLoadResult r = load_offered();
        ASSERT_EQ(r.status, SkinLoadStatus::Complete);
        EXPECT_EQ(r.snapped, c.snaps);
        const int oy = std::string(c.offsets).empty() ? (c.snaps ? -1 : 0) : -2;
        EXPECT_EQ(seg("im_background_bottom").rect, (Rect{c.snaps ? 263 : 264, oy, 498, 770}));
        EXPECT_EQ(window.client_width, c.snaps ? 1024 : 1027);
        EXPECT_EQ(window.client_height, c.snaps ? 768 : 770);
        EXPECT_EQ(seg("im_backdrop_logo").rect.left, window.client_width - 20);
    }
}

TEST_F(SkinSnap, HiddenPicturesCountAndOnlyThoseReachingPastTheScreenAreDecodedForIt) {
    // A hidden lid reaching the top edge, clear there or not; a hidden button well inside.
    body_config("[Image2]\nFilename=lid.png\nWidth=498\nHeight=456\n");
    file("Graphics/Skin/body.png", test::png_of(body(2, 2)));
    for (bool lid_clear : {true, false}) {
        SCOPED_TRACE(lid_clear ? "clear lid" : "inked lid");
        Image lid(498, 456, argb(255, 7, 7, 7));
        if (lid_clear)
            for (int x = 0; x < 498; ++x) lid.at(x, 0) = lid.at(x, 1) = 0;
        file("Graphics/Skin/lid.png", test::png_of(lid));
        for (const char* name : {"im_background_back", "btn_open"}) board.hide(board.named(name));
        const SkinLoadResult r = load_offered(true);
        ASSERT_EQ(r.status, SkinLoadStatus::Complete);
        EXPECT_EQ(r.snapped, lid_clear);
        // The lid had to be looked at: its pixels are in place; the button still waits.
        EXPECT_FALSE(waiting.holds(seg("im_background_back").picture.get()));
        EXPECT_EQ(seg("im_background_back").picture->pixels, lid.pixels);
        EXPECT_TRUE(waiting.holds(seg("btn_open").picture.get()));
        EXPECT_TRUE(waiting.finish().empty());
    }
}

TEST_F(SkinSnap, ADamagedHiddenPictureKeepsTheFitAndIsToldAtTheFinish) {
    body_config("[Image2]\nFilename=lid.png\nWidth=498\nHeight=456\n");
    file("Graphics/Skin/body.png", test::png_of(body(2, 2)));
    const Bytes lid = test::png_of(Image(498, 456, 0));
    file("Graphics/Skin/lid.png", Bytes(lid.begin(), lid.begin() + 45)); // header only
    board.hide(board.named("im_background_back"));
    const SkinLoadResult r = load_offered(true);
    ASSERT_EQ(r.status, SkinLoadStatus::Complete);
    EXPECT_FALSE(r.snapped);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_TRUE(waiting.any());
    const std::vector<std::string> failed = waiting.finish();
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_TRUE(test::contains(failed[0], "lid.png")) << failed[0];
}

TEST_F(SkinSnap, WithoutAnOfferOrWhenTheLoadStopsNothingMoves) {
    body_config();
    file("Graphics/Skin/body.png", test::png_of(body(2, 2)));
    ASSERT_EQ(load(true).status, SkinLoadStatus::Complete); // no offer: the fit as given
    EXPECT_FALSE(offered);
    EXPECT_EQ(seg("im_background_bottom").rect, (Rect{263, -1, 498, 770}));
    body_config("[Image6]\nFilename=bad.jpg\n");
    file("Graphics/Skin/bad.jpg", Bytes(80, 0x20));
    const SkinLoadResult r = load_offered();
    EXPECT_EQ(r.status, SkinLoadStatus::Stopped);
    EXPECT_FALSE(offered);
    EXPECT_FALSE(r.snapped);
    EXPECT_EQ(window.client_width, 1027);
}

TEST_F(SkinSnap, ADeviceWithNothingToSeeKeepsTheFit) {
    config("[Image1]\nWidth=498\nHeight=770\n[Image2]\nFilename=clear.png\nWidth=9\nHeight=9\n");
    file("Graphics/Skin/clear.png", test::png_of(Image(9, 9, 0)));
    const SkinLoadResult empty = load_offered();
    ASSERT_EQ(empty.status, SkinLoadStatus::Complete);
    EXPECT_TRUE(offered);
    EXPECT_FALSE(empty.snapped);
    EXPECT_EQ(window.client_width, 1027);
}

} // namespace
} // namespace q50
