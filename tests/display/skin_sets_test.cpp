#include "display/frame_scaler.h"
#include "display/set_painter.h"
#include "display/skin_sets.h"
#include "tests/display/skin_fixture.h"

#include <random>

namespace q50::test {
namespace {

Image noise(int w, int h, unsigned seed) {
    std::mt19937 rng(seed);
    Image img(w, h);
    for (Argb& p : img.pixels) p = 0xFF000000u | (rng() & 0xFFFFFFu);
    return img;
}

class SkinSetsTest : public SkinFixture {
  protected:
    SkinEnvironment env() const {
        SkinEnvironment e;
        e.executable_dir = exe_dir();
        e.current_dir = run_dir();
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

// Without larger drawings the copy at a whole scale is the design frame with its pixels
// repeated, also after a change painted incrementally; with them, their pixels show.
TEST_F(SkinSetsTest, SetPainterEqualsRepeatedPixelsWithoutDrawingsAndUsesThemWhereGiven) {
    for (Segment& s : board.segments()) board.hide(s);
    window.client_width = 30;
    window.client_height = 20;
    window.key_on = true;
    window.colour = window.key_colour = 0x00FF00FF;
    const auto place = [&](const char* name, Rect r, Image img) {
        Segment& s = board.get(name);
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

} // namespace
} // namespace q50::test
