// The skin checker on the delivered skin and on copies of it that the tests break, one fault at
// a time.
#include "display/skin_check.h"

#include "display/png_writer.h"
#include "tests/display/picture_makers.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace q50 {
namespace {

namespace fs = std::filesystem;

class SkinCheckTest : public ::testing::Test {
  protected:
    SkinCheckTest() {
        const fs::path data = fs::path(Q50_SOURCE_DIR) / "data";
        fs::copy_file(data / "Config.ini", dir() / "Config.ini");
        fs::create_directories(dir() / "Graphics");
        fs::copy(data / "Graphics/Skin", dir() / "Graphics/Skin", fs::copy_options::recursive);
        fs::copy(data / "Graphics/Backdrop", dir() / "Graphics/Backdrop",
                 fs::copy_options::recursive);
    }
    const fs::path& dir() const { return tmp.path(); }
    fs::path skin(const char* name) const { return dir() / "Graphics/Skin" / name; }

    void edit(const std::string& from, const std::string& to) {
        std::string text = test::read_file(dir() / "Config.ini");
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
        test::write_file(dir() / "Config.ini", text);
    }
    // The one finding of the report that mentions `what` (failing when there is not exactly
    // one).
    static std::string only(const std::vector<std::string>& lines, const std::string& what) {
        std::vector<std::string> hits;
        std::copy_if(lines.begin(), lines.end(), std::back_inserter(hits),
                     [&](const std::string& l) { return l.find(what) != std::string::npos; });
        EXPECT_EQ(hits.size(), 1u) << what << " in\n" << join(lines);
        return hits.empty() ? std::string() : hits[0];
    }
    static std::string join(const std::vector<std::string>& lines) {
        std::string s;
        for (const auto& l : lines) s += l + "\n";
        return s;
    }
    static bool has(const std::string& line, const std::string& part) {
        return line.find(part) != std::string::npos;
    }

    test::TempDir tmp;
};

TEST_F(SkinCheckTest, TheDeliveredSkinIsSoundAndEveryPictureIsLookedAt) {
    const SkinReport r = check_skin(dir());
    EXPECT_TRUE(r.sound()) << r.text();
    EXPECT_TRUE(r.warnings.empty()) << r.text();
    // 125 segment pictures (the four digit positions name none), the backdrop and the logo.
    EXPECT_EQ(r.pictures_checked, 127);
    EXPECT_EQ(r.text(), "0 errors, 0 warnings, 127 pictures checked: the skin is sound\n");
}

TEST_F(SkinCheckTest, MissingConfigIsAnError) {
    fs::rename(dir() / "Config.ini", dir() / "config.INI");
    const SkinReport r = check_skin(dir());
    ASSERT_FALSE(r.sound());
    const std::string e = only(r.errors, "no Config.ini");
    EXPECT_TRUE(has(e, "config.INI differs only in letter case")) << e;
    EXPECT_TRUE(has(r.text(), "1 error, 0 warnings, 0 pictures checked: the skin has errors"))
        << r.text();
}

// The loader finds a picture named in another letter case, so the checker must not call it
// missing: a warning says which name was found; a picture not there in any case stays an error.
TEST_F(SkinCheckTest, APictureInAnotherCaseIsAWarningAndAMissingOneAnError) {
    fs::rename(skin("btn_game_a_top.png"), skin("BTN_Game_A_Top.PNG"));
    fs::remove(skin("im_pelko_0_body.png"));
    const SkinReport r = check_skin(dir());
    ASSERT_FALSE(r.sound());
    EXPECT_EQ(r.errors.size(), 1u) << r.text();
    const std::string b = only(r.errors, "[Image110] im_pelko_0_body");
    EXPECT_TRUE(has(b, "im_pelko_0_body.png does not exist")) << b;
    ASSERT_EQ(r.warnings.size(), 1u) << r.text();
    const std::string a = only(r.warnings, "[Image7] btn_game_a_top");
    EXPECT_TRUE(has(a, "btn_game_a_top.png is found as BTN_Game_A_Top.PNG")) << a;
    EXPECT_EQ(r.pictures_checked, 126); // the one in another case was decoded too
}

TEST_F(SkinCheckTest, AFolderInAnotherCaseIsOneWarningForEveryPictureInIt) {
    fs::rename(dir() / "Graphics/Skin", dir() / "Graphics/skin");
    const SkinReport r = check_skin(dir());
    EXPECT_TRUE(r.sound()) << r.text();
    EXPECT_EQ(r.pictures_checked, 127);
    ASSERT_EQ(r.warnings.size(), 1u) << r.text();
    EXPECT_TRUE(
        has(r.warnings[0], "Graphics/Skin is found as " + (dir() / "Graphics/skin").string()))
        << r.warnings[0];
    // Two files that differ only in case: the loader takes the first in byte order, and so
    // does the report.
    const fs::path folder = dir() / "Graphics/skin";
    fs::copy_file(folder / "im_flame_1.png", folder / "IM_FLAME_1.png");
    fs::rename(folder / "im_flame_1.png", folder / "Im_Flame_1.png");
    const SkinReport t = check_skin(dir());
    EXPECT_TRUE(t.sound()) << t.text();
    EXPECT_TRUE(
        has(only(t.warnings, "matches IM_FLAME_1.png and Im_Flame_1.png"), "taking IM_FLAME_1.png"))
        << t.text();
    EXPECT_TRUE(has(only(t.warnings, "is found as IM_FLAME_1.png"), "[Image"));
}

// The checker decodes within the loader's budget: a 1 KB bitmap declaring 8192 x 8192 is refused
// from its header with the loader's message, not decoded into 256 MB once per segment.
TEST_F(SkinCheckTest, APictureOverTheBudgetIsAnErrorWithTheLoadersMessage) {
    edit("Filename=btn_game_a_top.png", "Filename=bomb.bmp");
    edit("Filename=btn_game_a_down.png", "Filename=bomb.bmp");
    const test::Bytes bomb =
        test::bmp_file(test::BmpLayout(8192, 8192, 8, 1, std::vector<Argb>(256, 0)), {0, 1});
    test::write_file(skin("bomb.bmp"), std::string(bomb.begin(), bomb.end()));
    const SkinReport r = check_skin(dir());
    ASSERT_FALSE(r.sound());
    const std::string e = only(r.errors, "btn_game_a_top");
    EXPECT_TRUE(has(e, "bomb.bmp\" is not loaded: its 8192 x 8192 pixels")) << e;
    EXPECT_TRUE(has(e, "that the skin and the manual may take for pictures")) << e;
    only(r.errors, "btn_game_a_down");
}

TEST_F(SkinCheckTest, UndecodablePictureGivesTheDecodersReason) {
    test::write_file(skin("im_flame_3.png"), "\x89PNG\r\n\x1a\n truncated");
    test::write_file(skin("im_flame_4.png"), "");
    edit("Filename=im_flame_5.png", "Filename=im_flame_5.gif");
    test::write_file(skin("im_flame_5.gif"), "GIF89a");
    const SkinReport r = check_skin(dir());
    ASSERT_FALSE(r.sound());
    const std::string e3 = only(r.errors, "im_flame_3");
    EXPECT_TRUE(has(e3, "im_flame_3.png")) << e3;
    EXPECT_TRUE(has(e3, "the load stops at this picture")) << e3;
    only(r.errors, "im_flame_4");
    EXPECT_TRUE(has(only(r.errors, "im_flame_5"), "Unknown picture file extension (.gif)"))
        << r.text();
}

TEST_F(SkinCheckTest, PictureLargerThanItsRectangleIsAWarning) {
    edit("btn_game_a_top.png\nLeft=270\nTop=655\nWidth=34",
         "btn_game_a_top.png\nLeft=270\nTop=655\nWidth=30");
    const SkinReport r = check_skin(dir());
    EXPECT_TRUE(r.sound()) << r.text();
    const std::string w = only(r.warnings, "btn_game_a_top");
    EXPECT_TRUE(has(w, "34x22, larger than its rectangle 30x22")) << w;
}

TEST_F(SkinCheckTest, RectangleOutsideTheClientAreaIsAnError) {
    edit("btn_game_a_top.png\nLeft=270", "btn_game_a_top.png\nLeft=470");
    edit("Left=87\nTop=250", "Left=-3\nTop=250");
    const SkinReport r = check_skin(dir());
    ASSERT_FALSE(r.sound());
    EXPECT_TRUE(has(only(r.errors, "btn_game_a_top"), "(470, 655, 34x22) is not inside the client "
                                                      "area 498x770"))
        << r.text();
    only(r.errors, "im_pelko_0_body");
}

// The checker reads the sizes as the loader does: a size outside 1..4096 still gives a
// window, of the default size, so it is a warning with the loader's words, and the rectangles
// are then checked against that default.
TEST_F(SkinCheckTest, SizesTheLoaderReplacesAreWarningsAndTheDefaultIsChecked) {
    edit("GameWidth=498", "GameWidth=0");
    edit("GameHeight=770", "GameHeight=2000000000");
    edit("ManualWidth=545", "ManualWidth=100000");
    edit("ManualHeight=365", "ManualHeight=-3");
    const SkinReport r = check_skin(dir());
    EXPECT_TRUE(r.sound()) << r.text();
    EXPECT_EQ(only(r.warnings, "GameWidth"),
              "Config.ini: GameWidth=0 is outside 1..4096; using 498");
    EXPECT_EQ(only(r.warnings, "GameHeight"),
              "Config.ini: GameHeight=2000000000 is outside 1..4096; using 770");
    EXPECT_EQ(only(r.warnings, "ManualWidth"),
              "Config.ini: ManualWidth=100000 is outside 1..4096; using 545");
    EXPECT_EQ(only(r.warnings, "ManualHeight"),
              "Config.ini: ManualHeight=-3 is outside 1..4096; using 365");

    // A size inside the range is taken as written: a smaller client leaves rectangles out.
    edit("GameWidth=0", "GameWidth=1");
    const SkinReport small = check_skin(dir());
    ASSERT_FALSE(small.sound());
    EXPECT_TRUE(has(only(small.errors, "btn_game_a_top"), "not inside the client area 1x770"))
        << small.text();
}

TEST_F(SkinCheckTest, SegmentWithoutASectionIsAnError) {
    edit("[Image110]", "[Image1100]");
    const SkinReport r = check_skin(dir());
    ASSERT_FALSE(r.sound());
    EXPECT_TRUE(has(only(r.errors, "[Image110] im_pelko_0_body"), "no section")) << r.text();
    // And the misspelt section itself is reported where it stands.
    EXPECT_TRUE(has(only(r.errors, "unknown section [Image1100]"), "line ")) << r.text();
}

TEST_F(SkinCheckTest, UnknownSectionsAndKeysWithTheirLineAndASuggestion) {
    edit("Filename=btn_game_a_top.png", "Filname=btn_game_a_top.png");
    edit("[VideoMode]", "[VideoMdoe]");
    edit("GameWidth=498", "GameWidth=498\nGameWdith=500");
    const SkinReport r = check_skin(dir());
    ASSERT_FALSE(r.sound());
    const std::string key = only(r.errors, "'Filname'");
    EXPECT_TRUE(has(key, "unknown key 'Filname' in [Image7] (did you mean 'Filename'?)")) << key;
    // Line 65 of the delivered file, one further down for the line added above it.
    EXPECT_TRUE(has(key, "line 66:")) << key;
    EXPECT_TRUE(has(only(r.errors, "[VideoMdoe]"), "did you mean 'VideoMode'")) << r.text();
    EXPECT_TRUE(has(only(r.errors, "GameWdith"), "did you mean 'GameWidth'")) << r.text();
}

TEST_F(SkinCheckTest, KnownNamesInAnyCaseAreAccepted) {
    edit("[Image7]\nFilename", "[IMAGE7]\nfileNAME");
    edit("TranspColor", "transpcolor");
    const SkinReport r = check_skin(dir());
    EXPECT_TRUE(r.sound()) << r.text();
}

TEST_F(SkinCheckTest, SeeThroughColourInsideAnLcdPictureIsAWarning) {
    Image flame(8, 8, argb(255, 20, 20, 20));
    flame.at(3, 3) = argb(255, 255, 0, 255); // the see-through magenta
    flame.at(4, 3) = argb(255, 255, 0, 255);
    flame.at(5, 5) = argb(0, 255, 0, 255); // fully transparent: no hole
    ASSERT_TRUE(write_png(flame, skin("im_flame_1.png")));
    // The same colour in a shell picture is no concern of this check.
    Image button(34, 22, argb(255, 255, 0, 255));
    ASSERT_TRUE(write_png(button, skin("btn_game_a_top.png")));
    const SkinReport r = check_skin(dir());
    EXPECT_TRUE(r.sound()) << r.text();
    ASSERT_EQ(r.warnings.size(), 1u) << r.text();
    EXPECT_TRUE(has(r.warnings[0], "im_flame_1: 2 pixels have the see-through colour $00ff00ff"))
        << r.warnings[0];
}

TEST_F(SkinCheckTest, SoftEdgesOnTheShellPicturesAreAWarning) {
    Image body(498, 770, argb(255, 90, 90, 90));
    for (int y = 0; y < 770; ++y) body.at(0, y) = argb(128, 90, 90, 90);
    ASSERT_TRUE(write_png(body, skin("im_background_bottom.png")));
    // An LCD picture may be soft: it lies over the opaque device, never over the see-through
    // colour.
    Image flame(8, 8, argb(100, 20, 20, 20));
    ASSERT_TRUE(write_png(flame, skin("im_flame_2.png")));
    const SkinReport r = check_skin(dir());
    EXPECT_TRUE(r.sound()) << r.text();
    ASSERT_EQ(r.warnings.size(), 1u) << r.text();
    EXPECT_TRUE(has(r.warnings[0], "im_background_bottom: 770 half-transparent pixels"))
        << r.text();
}

TEST_F(SkinCheckTest, ColourThatIsNoIntegerIsAnError) {
    edit("TranspColor=$00ff00ff", "TranspColor=#ff00ff");
    const SkinReport r = check_skin(dir());
    ASSERT_FALSE(r.sound());
    EXPECT_TRUE(has(only(r.errors, "TranspColor"), "'#ff00ff' is not a valid integer value"))
        << r.text();
}

TEST_F(SkinCheckTest, MissingBackdropIsAWarningSinceNothingShowsInItsPlace) {
    fs::remove(dir() / "Graphics/Backdrop/Logo.png");
    const SkinReport r = check_skin(dir());
    EXPECT_TRUE(r.sound()) << r.text();
    EXPECT_TRUE(has(only(r.warnings, "LogoFile"), "does not exist (nothing shows)")) << r.text();
}

TEST(DifferingOnlyInCase, FindsNothingForAnExistingOrUnrelatedName) {
    test::TempDir d;
    test::write_file(d.path() / "Pic.png", "");
    EXPECT_FALSE(differing_only_in_case(d.path() / "Pic.png"));
    EXPECT_FALSE(differing_only_in_case(d.path() / "other.png"));
    EXPECT_EQ(differing_only_in_case(d.path() / "pic.PNG"), d.path() / "Pic.png");
    EXPECT_FALSE(differing_only_in_case(d.path() / "nowhere/pic.png"));
}

} // namespace
} // namespace q50
