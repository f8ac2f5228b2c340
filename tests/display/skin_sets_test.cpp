#include "display/frame_scaler.h"
#include "display/picture_budget.h"
#include "display/scaled_scene.h"
#include "display/set_painter.h"
#include "display/skin_sets.h"
#include "tests/display/drawn_pictures.h"
#include "tests/display/skin_fixture.h"

namespace q50::test {
namespace {

class SkinSetsTest : public SkinFixture {
  protected:
    SkinEnvironment env(PictureBudget* budget = nullptr) const {
        SkinEnvironment e;
        e.executable_dir = exe_dir();
        e.current_dir = run_dir();
        e.budget = budget;
        return e;
    }
};

TEST_F(SkinSetsTest, LargerDrawingsAreTakenOnlyWhereTheyAreExactlyThatManyTimesTheSize) {
    config("[Common]\nSkinDir=skin\nGameWidth=20\nGameHeight=30\n[Scaled]\nSkinDir2x=skin2\n"
           "[Image1]\nFilename=body.png\nWidth=20\nHeight=30\n"
           "[Image5]\nFilename=open.png\nLeft=2\nTop=3\nWidth=4\nHeight=2\n"
           "[Image22]\nFilename=lcd.png\nWidth=3\nHeight=3\n");
    file("skin/body.png", solid_png(20, 30, argb(255, 1, 2, 3)));
    file("skin/open.png", solid_png(4, 2, argb(255, 4, 5, 6)));
    file("skin/lcd.png", solid_png(3, 3, argb(255, 7, 8, 9)));
    file("skin2/body.png", solid_png(40, 60, argb(255, 10, 20, 30)));
    file("skin2/open.png", solid_png(7, 4, argb(255, 40, 50, 60))); // not twice: ignored
    // lcd.png has no larger drawing.
    ASSERT_EQ(load(false).status, SkinLoadStatus::Complete);
    SkinSets sets;
    sets.load(env(), board);
    EXPECT_EQ(sets.counts(), (std::map<int, int>{{2, 1}}));
    const Picture big = sets.find(seg("im_background_bottom").picture.get(), 2);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->width, 40);
    EXPECT_EQ(big->at(0, 0), argb(255, 10, 20, 30));
    EXPECT_EQ(sets.find(seg("btn_open").picture.get(), 2), nullptr);
    EXPECT_EQ(sets.find(seg("im_background_bottom").picture.get(), 4), nullptr);
    EXPECT_EQ(sets.pick(1.0), 0);
    EXPECT_EQ(sets.pick(0.8), 0);
    EXPECT_EQ(sets.pick(1.4), 0);
    EXPECT_EQ(sets.pick(2.0), 2);
    EXPECT_EQ(sets.pick(3.0), 2);
}

TEST_F(SkinSetsTest, SkinsWithoutTheKeysOrWithEmptyFoldersHaveNoSets) {
    config("[Common]\nSkinDir=skin\n[Image1]\nFilename=body.png\nWidth=20\nHeight=30\n");
    file("skin/body.png", solid_png(20, 30, argb(255, 1, 2, 3)));
    load(false);
    SkinSets sets;
    sets.load(env(), board);
    EXPECT_TRUE(sets.empty());
    config("[Common]\nSkinDir=skin\n[Scaled]\nSkinDir4x=nowhere\n[Image1]\nFilename=body."
           "png\nWidth=20\n"
           "Height=30\n");
    load(false);
    sets.load(env(), board);
    EXPECT_TRUE(sets.empty());
    EXPECT_EQ(sets.pick(3.0), 0);
}

TEST_F(SkinSetsTest, PickTakesTheExactSetElseTheLargestBelowTheScale) {
    config("[Common]\nSkinDir=skin\n[Scaled]\nSkinDir2x=skin2\nSkinDir4x=skin4\n"
           "[Image1]\nFilename=body.png\nWidth=20\nHeight=30\n");
    file("skin/body.png", solid_png(2, 3, argb(255, 1, 2, 3)));
    file("skin2/body.png", solid_png(4, 6, argb(255, 1, 2, 3)));
    file("skin4/body.png", solid_png(8, 12, argb(255, 1, 2, 3)));
    load(false);
    SkinSets sets;
    sets.load(env(), board);
    EXPECT_EQ(sets.pick(2.0), 2);
    EXPECT_EQ(sets.pick(2.8), 2);
    EXPECT_EQ(sets.pick(3.0), 2);
    EXPECT_EQ(sets.pick(3.99), 2);
    EXPECT_EQ(sets.pick(4.0), 4);
    EXPECT_EQ(sets.pick(6.0), 4);
    EXPECT_EQ(sets.pick(1.2), 0);
}

// Offered sets are read one at a time, when a scale first needs one: nothing at 1x, only the
// 2x set at 2x and 3x, and a set given up makes room for the next smaller one.
TEST_F(SkinSetsTest, OfferedSetsAreReadOnlyWhenAScaleNeedsThem) {
    config("[Common]\nSkinDir=skin\n[Scaled]\nSkinDir2x=skin2\nSkinDir3x=skin3\nSkinDir4x=skin4\n" +
           images_naming("a.png", 1, 1));
    file("skin/a.png", solid_png(4, 4, argb(255, 1, 1, 1)));
    file("skin2/a.png", solid_png(8, 8, argb(255, 2, 2, 2)));
    Bytes broken = solid_png(12, 12, argb(255, 3, 3, 3));
    broken.resize(broken.size() / 2);
    file("skin3/a.png", broken);
    file("skin4/a.png", solid_png(16, 16, argb(255, 4, 4, 4)));
    PictureBudget budget;
    const SkinEnvironment e = env(&budget);
    ASSERT_EQ(Load_Skin(board, window, e, sink).status, SkinLoadStatus::Complete);
    const std::int64_t skin = budget.used();
    SkinSets sets;
    sets.offer(e, board, &sink);
    EXPECT_FALSE(sets.empty());
    EXPECT_TRUE(sets.counts().empty()) << "nothing is read when offered";
    EXPECT_EQ(budget.used(), skin);
    EXPECT_EQ(sets.wanted(2.5), 2);
    EXPECT_EQ(sets.pick(2.5), 0) << "a set not read is not painted from";

    EXPECT_FALSE(sets.prepare(1.0));
    EXPECT_FALSE(sets.prepare(1.9));
    EXPECT_TRUE(sets.prepare(2.5));
    EXPECT_EQ(sets.counts(), (std::map<int, int>{{2, 1}}));
    EXPECT_EQ(budget.used(), skin + picture_bytes(8, 8));
    EXPECT_EQ(sets.pick(2.5), 2);
    EXPECT_FALSE(sets.prepare(2.0)) << "read once";

    // At 3x the 3x set is wanted; it cannot be decoded, so it is given up for the 2x one.
    EXPECT_EQ(sets.wanted(3.0), 3);
    EXPECT_TRUE(sets.prepare(3.0));
    EXPECT_EQ(sets.wanted(3.0), 2);
    EXPECT_EQ(sets.pick(3.0), 2);
    ASSERT_EQ(sink.notices.size(), 1u);
    EXPECT_TRUE(contains(sink.notices[0], "SkinDir3x")) << sink.notices[0];
    EXPECT_EQ(sets.counts(), (std::map<int, int>{{2, 1}}));

    EXPECT_TRUE(sets.prepare(4.5));
    EXPECT_EQ(sets.counts(), (std::map<int, int>{{2, 1}, {4, 1}}));
    EXPECT_EQ(sets.find(seg("im_background_bottom").picture.get(), 4)->at(0, 0),
              argb(255, 4, 4, 4));
    EXPECT_EQ(budget.used(), skin + picture_bytes(8, 8) + picture_bytes(16, 16));
    sets.clear();
    EXPECT_EQ(budget.used(), skin);
    EXPECT_TRUE(sets.empty());
    EXPECT_EQ(sets.wanted(4.0), 0);
}

// A set is a second skin for the budget: a 1 KB bitmap declaring 8192 x 8192 (256 MB) named by
// all 129 entries of the 4x set must be refused from its header, that set alone given up with
// a line saying which file and why, and the 2x set kept.
TEST_F(SkinSetsTest, ABombInOneSetIsRefusedAndOnlyThatSetIsGivenUp) {
    config("[Common]\nSkinDir=skin\n[Scaled]\nSkinDir2x=skin2\nSkinDir4x=skin4\n" +
           images_naming("all.bmp", 1, kSkinImageCount));
    file("skin/all.bmp", keyed_bmp(4, 4, argb(255, 1, 2, 3), argb(255, 0, 0, 0)));
    file("skin2/all.bmp", keyed_bmp(8, 8, argb(255, 1, 2, 3), argb(255, 0, 0, 0)));
    file("skin4/all.bmp",
         bmp_file(BmpLayout(8192, 8192, 8, 1, std::vector<Argb>(256, 0)), Bytes{0, 1}));
    PictureBudget budget;
    SkinEnvironment e = env(&budget);
    ASSERT_EQ(Load_Skin(board, window, e, sink).status, SkinLoadStatus::Complete);
    SkinSets sets;
    sets.load(e, board, &sink);
    // Two pictures of the one bitmap: as it is, and keyed for the transparent LCD segments.
    EXPECT_EQ(sets.counts(), (std::map<int, int>{{2, 2}}));
    EXPECT_TRUE(sink.messages.empty()); // no box: the device is still shown, only less sharp
    ASSERT_EQ(sink.notices.size(), 1u);
    const std::string& m = sink.notices[0];
    EXPECT_TRUE(contains(m, "SkinDir4x")) << m;
    EXPECT_TRUE(contains(m, "skin4/all.bmp\" is not loaded")) << m;
    EXPECT_TRUE(contains(m, "8192 x 8192")) << m;
    EXPECT_TRUE(contains(m, "scaled from their design size")) << m;
    EXPECT_EQ(budget.used(), 2 * (picture_bytes(4, 4) + picture_bytes(8, 8)));
    sets.clear(); // gives the sets' share back, never the skin's
    EXPECT_EQ(budget.used(), 2 * picture_bytes(4, 4));
}

TEST_F(SkinSetsTest, SetsTakeWhatTheSkinLeftAndAReloadGivesTheirShareBackFirst) {
    config("[Common]\nSkinDir=skin\n[Scaled]\nSkinDir2x=skin2\nSkinDir4x=skin4\n" +
           images_naming("a.png", 1, 1) + images_naming("b.png", 2, 2));
    for (int k : {1, 2, 4}) {
        const std::string dir = k == 1 ? "skin/" : "skin" + std::to_string(k) + "/";
        file(dir + "a.png", solid_png(4 * k, 4 * k, argb(255, 1, 1, k)));
        // Named in another letter case, as skins made on Windows do.
        file(dir + (k == 4 ? "B.PNG" : "b.png"), solid_png(2 * k, 2 * k, argb(255, 2, 2, k)));
    }
    const std::int64_t skin = picture_bytes(4, 4) + picture_bytes(2, 2);
    const std::int64_t two = picture_bytes(8, 8) + picture_bytes(4, 4);
    const std::int64_t four = picture_bytes(16, 16) + picture_bytes(8, 8);
    for (const std::int64_t room : {skin + two + four, skin + two + four - 1}) {
        SCOPED_TRACE(room);
        sink.notices.clear();
        PictureBudget budget(room);
        const SkinEnvironment e = env(&budget);
        ASSERT_EQ(Load_Skin(board, window, e, sink).status, SkinLoadStatus::Complete);
        SkinSets sets;
        for (int again = 0; again < 2; ++again) {
            sets.load(e, board, &sink);
            if (room == skin + two + four) {
                EXPECT_EQ(sets.counts(), (std::map<int, int>{{2, 2}, {4, 2}}));
                EXPECT_EQ(budget.used(), room);
                EXPECT_TRUE(sink.notices.empty());
            } else {
                EXPECT_EQ(sets.counts(), (std::map<int, int>{{2, 2}}));
                EXPECT_EQ(budget.used(), skin + two);
                EXPECT_EQ(sink.notices.size(), std::size_t(again + 1));
            }
        }
    }
}

TEST_F(SkinSetsTest, AnUndecodablePictureGivesTheSetUpNamingTheFile) {
    config("[Common]\nSkinDir=skin\n[Scaled]\nSkinDir2x=skin2\n" + images_naming("a.png", 1, 1) +
           images_naming("b.png", 2, 2));
    file("skin/a.png", solid_png(4, 4, argb(255, 1, 1, 1)));
    file("skin/b.png", solid_png(4, 4, argb(255, 1, 1, 1)));
    file("skin2/a.png", solid_png(8, 8, argb(255, 1, 1, 1)));
    Bytes broken = solid_png(8, 8, argb(255, 1, 1, 1));
    broken.resize(broken.size() / 2);
    file("skin2/b.png", broken);
    PictureBudget budget;
    const SkinEnvironment e = env(&budget);
    ASSERT_EQ(Load_Skin(board, window, e, sink).status, SkinLoadStatus::Complete);
    SkinSets sets;
    sets.load(e, board, &sink);
    EXPECT_TRUE(sets.empty());
    EXPECT_EQ(budget.used(), 2 * picture_bytes(4, 4)); // a.png's larger drawing went with it
    ASSERT_EQ(sink.notices.size(), 1u);
    EXPECT_TRUE(contains(sink.notices[0], "skin2/b.png")) << sink.notices[0];
}

// Without larger drawings the copy at a whole scale is the design frame with its pixels
// repeated, also after a change painted incrementally; with them, their pixels show.
TEST_F(SkinSetsTest, SetPainterEqualsRepeatedPixelsWithoutDrawingsAndUsesThemWhereGiven) {
    for (Segment& s : board.segments()) board.hide(s);
    window.client_width = 30;
    window.client_height = 20;
    window.key_on = true;
    window.colour = window.key_colour = 0x00FF00FF;
    const auto place = [&](const char* name, Rect r, Image img) {
        Segment& s = board.named(name);
        board.set_rect(s, r);
        board.set_picture(s, std::make_shared<const Image>(std::move(img)));
        board.show(s);
    };
    place("im_background_bottom", {2, 1, 24, 16}, noise(24, 16, 1));
    Image soft = noise(5, 4, 2);
    for (Argb& p : soft.pixels) p = (p & 0xFFFFFF) | 0x80000000u; // translucent
    place("im_flame_1", {6, 5, 5, 4}, soft);
    place("im_game_background", {20, 10, 6, 6}, Image(6, 6, argb(255, 255, 0, 255))); // key
    SkinSets none;
    SetPainter sp;
    for (int k = 2; k <= 4; ++k) {
        sp.invalidate();
        const Image a = sp.paint(board, window, none, k);
        const Image& design = paint_board(board, window);
        EXPECT_EQ(a.pixels, scale_frame(design, k, {30 * k, 20 * k}).pixels) << k;
    }
    Rect damage;
    board.hide("im_flame_1");
    const Image b = sp.paint(board, window, none, 4, &damage);
    EXPECT_EQ(b.pixels, scale_frame(paint_board(board, window), 4, {120, 80}).pixels);
    EXPECT_EQ(damage, (Rect{24, 20, 20, 16}));
}

// The backdrop and the logo have sets of their own; a fullscreen frame at a scale draws the
// backdrop from its larger drawing, resampled once straight to the screen.
TEST_F(SkinSetsTest, BackdropAndLogoSetsAreLoadedAndTheBackdropIsDrawnFromThem) {
    config("[Common]\nSkinDir=skin\nGameWidth=20\nGameHeight=30\n[Fullscreen]\n"
           "BackdropDir=deco\nBackdropFile=sky.png\nBackdropStretch=1\nLogoFile=logo.png\n"
           "[Scaled]\nBackdropDir2x=deco2\nBackdropDir4x=deco4\n"
           "[Image1]\nFilename=body.png\nWidth=20\nHeight=30\n");
    file("skin/body.png", solid_png(20, 30, argb(255, 1, 2, 3)));
    file("deco/sky.png", solid_png(16, 10, argb(255, 0, 0, 90)));
    file("deco/logo.png", solid_png(6, 2, argb(255, 200, 0, 0)));
    file("deco2/sky.png", png_of(noise(32, 20, 5)));
    file("deco2/logo.png", solid_png(11, 4, argb(255, 0, 200, 0))); // not twice: ignored
    file("deco4/logo.png", solid_png(24, 8, argb(255, 0, 0, 200)));
    ASSERT_EQ(load(true, 60, 40).status, SkinLoadStatus::Complete);
    SkinSets sets;
    sets.load(env(), board);
    EXPECT_EQ(sets.counts(), (std::map<int, int>{{2, 1}, {4, 1}}));
    const Picture sky = sets.find(seg("im_backdrop").picture.get(), 2);
    ASSERT_NE(sky, nullptr);
    EXPECT_EQ(sets.find(seg("im_backdrop_logo").picture.get(), 2), nullptr);
    EXPECT_NE(sets.find(seg("im_backdrop_logo").picture.get(), 4), nullptr);
    EXPECT_EQ(sets.find(seg("im_background_bottom").picture.get(), 2), nullptr);

    ScaledScene scene;
    const double s = 1.5;
    const PixelSize out = scaled_size({window.client_width, window.client_height}, s);
    const Image& f = scene.paint(board, window, &sets, s, out);
    const Image expected = resample_area(*sky, out.width, out.height);
    EXPECT_EQ(f.at(2, out.height - 3), expected.at(2, out.height - 3)); // bottom left: backdrop
    // The logo (top right) from its 4x drawing, reduced: blue, not the design-size red.
    EXPECT_EQ(f.at(out.width - 2, 1), argb(255, 0, 0, 200));

    // Only offered, the backdrop's drawing waits like the skin's: read when a scale needs it.
    SkinSets lazy;
    lazy.offer(env(), board);
    EXPECT_TRUE(lazy.counts().empty());
    EXPECT_TRUE(lazy.prepare(2.5));
    EXPECT_EQ(lazy.counts(), (std::map<int, int>{{2, 1}}));
    EXPECT_NE(lazy.find(seg("im_backdrop").picture.get(), 2), nullptr);
}

} // namespace
} // namespace q50::test
