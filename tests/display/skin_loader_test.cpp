#include "board/board_geometry.h"
#include "display/picture_file.h"
#include "tests/display/skin_fixture.h"

#include <set>

namespace q50 {
namespace {

using test::Bytes;
using test::SkinFixture;

using SkinLoader = SkinFixture;

std::vector<bool> shown_flags(const Board& b) {
    std::vector<bool> out;
    for (const Segment& s : b.segments()) out.push_back(s.shown);
    return out;
}

TEST_F(SkinLoader, MissingConfigAsksToTerminateAndStillSetsUpTheMenuButton) {
    for (bool fullscreen : {false, true}) {
        Board fresh;
        const Rect design = fresh.get("im_pelko_3_up").rect;
        sink.messages.clear();
        const WindowModel before = window;
        const SkinLoadResult r = load(fullscreen);
        EXPECT_EQ(r.status, SkinLoadStatus::ConfigMissing);
        EXPECT_TRUE(r.terminate_requested);
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(sink.messages[0],
                  "Configuration file (Config.ini) not found. Please reinstall the game.");
        EXPECT_EQ(window, before);
        EXPECT_EQ(seg("im_pelko_3_up").rect, design);
        EXPECT_EQ(seg("btn_game_menu_top").shown, fullscreen);
        EXPECT_EQ(seg("btn_game_menu_background").shown, fullscreen);
        EXPECT_EQ(seg("btn_game_menu_background").rect.width, 36);
        EXPECT_EQ(seg("btn_game_menu_background").rect.height, 32);
    }
}

TEST_F(SkinLoader, ConfigIsLookedUpBesideTheExecutableOnly) {
    tmp.write_text("run/Config.ini", "[Common]\nGameWidth=300\n");
    EXPECT_EQ(load(false).status, SkinLoadStatus::ConfigMissing);
    std::filesystem::create_directories(exe_dir() / "Config.ini"); // a folder is not the file
    EXPECT_EQ(load(false).status, SkinLoadStatus::ConfigMissing);
}

TEST_F(SkinLoader, EveryImageSectionDescribesItsSegment) {
    std::string text;
    for (int i = 1; i <= kSkinImageCount; ++i)
        text += "[Image" + std::to_string(i) + "]\nLeft=" + std::to_string(i) +
                "\nTop=" + std::to_string(1000 + i) + "\nWidth=" + std::to_string(i % 7 + 1) +
                "\nHeight=" + std::to_string(i % 5 + 1) + "\n";
    config(text);
    const Rect menu = seg("btn_game_menu_top").rect;
    ASSERT_EQ(load(false).status, SkinLoadStatus::Complete);

    const auto& names = skin_image_names();
    std::set<std::string_view> distinct(names.begin() + 1, names.end());
    EXPECT_EQ(distinct.size(), std::size_t(kSkinImageCount));
    for (int i = 1; i <= kSkinImageCount; ++i)
        EXPECT_EQ(seg(names[i]).rect, (Rect{i, 1000 + i, i % 7 + 1, i % 5 + 1})) << names[i];
    // Spot checks against the table.
    EXPECT_EQ(seg("im_background_bottom").rect.left, 1);
    EXPECT_EQ(seg("btn_game_a_top").rect.left, 7);
    EXPECT_EQ(seg("btn_move_down_right").rect.left, 17);
    EXPECT_EQ(seg("im_panel_digit_1").rect.left, 35);
    EXPECT_EQ(seg("im_partner_left_boom").rect.left, 56);
    EXPECT_EQ(seg("im_partner_left_fort").rect.left, 62);
    EXPECT_EQ(seg("im_enemy_5_flame_4").rect.left, 97);
    EXPECT_EQ(seg("im_pelko_5_bomb").rect.left, 109);
    EXPECT_EQ(seg("im_pelko_0_head").rect.left, 116);
    EXPECT_EQ(seg("im_pelko_0_boom_2").rect.left, 129);
    // Never described by a section.
    EXPECT_EQ(seg("btn_game_menu_top").rect, menu);
    for (std::string_view n :
         {"im_backdrop", "im_backdrop_logo", "btn_game_menu_top", "btn_game_menu_background"})
        EXPECT_EQ(distinct.count(n), 0u) << n;
}

TEST_F(SkinLoader, DesignGeometryRoundTrips) {
    std::string text;
    const auto& names = skin_image_names();
    for (int i = 1; i <= kSkinImageCount; ++i)
        for (const auto& g : kDesignGeometry)
            if (g.name == names[i])
                text += "[Image" + std::to_string(i) + "]\nLeft=" + std::to_string(g.left) +
                        "\nTop=" + std::to_string(g.top) + "\nWidth=" + std::to_string(g.width) +
                        "\nHeight=" + std::to_string(g.height) + "\n";
    config(text);
    Board design;
    load(false);
    for (int i = 1; i <= kSkinImageCount; ++i)
        EXPECT_EQ(seg(names[i]).rect, design.named(names[i]).rect) << names[i];
}

TEST_F(SkinLoader, WindowedModeSetsSizeAndKeyColourAndLeavesGameStateAlone) {
    config("[Common]\nGameWidth=400\nGameHeight=0x200\n"
           "[VideoMode]\nTranspColor=$00123456\n"
           "[Image1]\nFilename=body.png\nWidth=400\nHeight=512\n"
           "[Image98]\nFilename=flame.bmp\nLeft=5\nTop=6\nWidth=7\nHeight=8\n");
    file("Graphics/Skin/body.png", test::solid_png(4, 4, argb(255, 1, 2, 3)));
    file("Graphics/Skin/flame.bmp",
         test::keyed_bmp(3, 2, argb(255, 200, 0, 0), argb(255, 0, 0, 9)));
    board.show("im_flame_1");
    board.hide("btn_open");
    const std::vector<bool> before = shown_flags(board);

    ASSERT_EQ(load(false).status, SkinLoadStatus::Complete);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(window.client_width, 400);
    EXPECT_EQ(window.client_height, 512);
    EXPECT_EQ(window.colour, 0x123456u);
    EXPECT_EQ(window.key_colour, 0x123456u);
    EXPECT_TRUE(window.key_on);
    EXPECT_FALSE(seg("im_backdrop").shown);
    EXPECT_FALSE(seg("im_backdrop_logo").shown);
    EXPECT_FALSE(seg("btn_game_menu_top").shown);
    EXPECT_FALSE(seg("btn_game_menu_background").shown);

    std::vector<bool> after = shown_flags(board);
    for (std::size_t i = 0; i < after.size(); ++i) {
        const std::string& n = board.segments()[i].name;
        if (n == "im_backdrop" || n == "im_backdrop_logo" || n.rfind("btn_game_menu", 0) == 0)
            continue;
        EXPECT_EQ(after[i], before[i]) << n;
    }

    ASSERT_TRUE(seg("im_background_bottom").picture);
    EXPECT_EQ(seg("im_background_bottom").picture->at(0, 0), argb(255, 1, 2, 3));
    EXPECT_EQ(seg("im_flame_1").rect, (Rect{5, 6, 7, 8}));
    const Picture flame = seg("im_flame_1").picture;
    ASSERT_TRUE(flame);
    // A bitmap in a transparent segment loses the colour of its bottom-left pixel.
    EXPECT_EQ(flame->at(0, 1), 0u);
    EXPECT_EQ(flame->at(1, 1), argb(255, 200, 0, 0));
}

TEST_F(SkinLoader, ColourKeyOnlyForBitmapsInTransparentSegments) {
    config("[Image1]\nFilename=a.bmp\n[Image98]\nFilename=b.png\n[Image99]\nFilename=c.ico\n");
    file("Graphics/Skin/a.bmp", test::keyed_bmp(2, 2, argb(255, 9, 9, 9), argb(255, 1, 1, 1)));
    Image png(2, 2, argb(255, 9, 9, 9));
    png.at(0, 1) = argb(255, 1, 1, 1);
    file("Graphics/Skin/b.png", test::png_of(png));
    file("Graphics/Skin/c.ico",
         test::ico_file({test::IconEntry{
             2, 2, 32, [&] {
                 Bytes b = test::bmp_info(test::BmpLayout{2, 4, 32});
                 const Bytes px = test::pack_rgb(png, 32, false);
                 b.insert(b.end(), px.begin(), px.end());
                 const Bytes mask = test::pack_mask(2, 2, {false, false, false, false});
                 b.insert(b.end(), mask.begin(), mask.end());
                 return b;
             }()}}));
    load(false);
    EXPECT_EQ(seg("im_background_bottom").picture->at(0, 1), argb(255, 1, 1, 1)); // not transparent
    EXPECT_EQ(seg("im_flame_1").picture->at(0, 1), argb(255, 1, 1, 1));           // PNG: own alpha
    EXPECT_EQ(seg("im_flame_2").picture->at(0, 1), argb(255, 1, 1, 1));           // icon: own mask
}

TEST_F(SkinLoader, NilEmptyAndMissingFilenames) {
    config("[Image98]\nFilename=flame.png\n[Image99]\nFilename=flame.png\n"
           "[Image100]\nFilename=flame.png\n[Image101]\nFilename=flame.png\n");
    file("Graphics/Skin/flame.png", test::solid_png(2, 2, argb(255, 0, 99, 0)));
    load(false);
    const Picture first = seg("im_flame_1").picture, third = seg("im_flame_3").picture,
                  fourth = seg("im_flame_4").picture;
    ASSERT_TRUE(first && third && fourth);

    config("[Image98]\nFilename=nil\n[Image99]\nFilename=NIL\n[Image100]\nFilename=\n"
           "[Image101]\nLeft=3\n[Image1]\nFilename=gone.bmp\nWidth=50\nHeight=60\n");
    ASSERT_EQ(load(false).status, SkinLoadStatus::Complete);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(seg("im_flame_1").picture, first);  // "nil": kept
    EXPECT_EQ(seg("im_flame_3").picture, third);  // empty: kept
    EXPECT_EQ(seg("im_flame_4").picture, fourth); // no Filename key: kept
    EXPECT_EQ(seg("im_flame_4").rect, (Rect{3, 0, 0, 0}));

    // "NIL" is a file name that does not exist: the placeholder, keyed like any bitmap in a
    // transparent segment (its black outline disappears).
    const Picture nil_caps = seg("im_flame_2").picture;
    ASSERT_TRUE(nil_caps);
    EXPECT_EQ(nil_caps->width, 10);
    EXPECT_EQ(nil_caps->at(0, 0), 0u);
    EXPECT_EQ(nil_caps->at(5, 5), argb(255, 255, 0, 0));
    // In a segment that is not transparent the placeholder keeps its outline.
    const Picture body = seg("im_background_bottom").picture;
    ASSERT_TRUE(body);
    EXPECT_EQ(body->pixels, placeholder_picture()->pixels);
    EXPECT_EQ(seg("im_background_bottom").rect, (Rect{0, 0, 50, 60}));
}

TEST_F(SkinLoader, MissingImageSectionGivesAnEmptyRectangle) {
    config("[Image6]\nLeft=270\nTop=655\nWidth=34\nHeight=22\n");
    load(false);
    EXPECT_FALSE(seg("btn_game_a_top").picture);
    EXPECT_EQ(seg("btn_game_a_top").rect, (Rect{0, 0, 0, 0}));
    EXPECT_EQ(seg("btn_game_a_down").rect, (Rect{270, 655, 34, 22}));
}

TEST_F(SkinLoader, DirectoriesAndSeparators) {
    config("[Common]\nSkinDir=Skins\\Blue\n"
           "[Image1]\nFilename=parts\\body.png\n"
           "[Image2]\nFilename=back.png\n");
    file("Skins/Blue/parts/body.png", test::solid_png(1, 1, argb(255, 1, 0, 0)));
    file("Skins/Blue/back.png", test::solid_png(1, 1, argb(255, 2, 0, 0)));
    tmp.write("bin/Skins/Blue/back.png", test::solid_png(1, 1, argb(255, 3, 0, 0)));
    load(false);
    EXPECT_EQ(seg("im_background_bottom").picture->at(0, 0), argb(255, 1, 0, 0));
    // Relative to the current directory, not to the executable's.
    EXPECT_EQ(seg("im_background_back").picture->at(0, 0), argb(255, 2, 0, 0));

    EXPECT_EQ(skin_directory("Graphics\\Skin\\", "/cwd"),
              std::filesystem::path("/cwd/Graphics/Skin/"));
    EXPECT_EQ(skin_directory("Graphics/Skin", "/cwd"),
              std::filesystem::path("/cwd/Graphics/Skin/"));
    EXPECT_EQ(skin_directory("/opt/skins", "/cwd"), std::filesystem::path("/opt/skins/"));
    EXPECT_EQ(skin_directory("", "/cwd"), std::filesystem::path("/cwd"));
}

TEST_F(SkinLoader, IntegerKeysFallBackToTheirDefaults) {
    config("[Common]\nGameWidth=wide\nGameHeight=\n[Image1]\nLeft=1.5\nTop=$10\nWidth=0x20\n"
           "Height=-4\n");
    load(false);
    EXPECT_EQ(window.client_width, 498);
    EXPECT_EQ(window.client_height, 770);
    EXPECT_EQ(seg("im_background_bottom").rect, (Rect{0, 16, 32, -4}));
}

// A window of no size cannot be seen or reached, a huge one takes gigabytes: both take the
// key's default, and standard error says so.
TEST_F(SkinLoader, ClientSizeOutsideTheRangeTakesTheDefault) {
    config("[Common]\nGameWidth=100000000\nGameHeight=-5\n");
    load(false);
    EXPECT_EQ(window.client_width, 498);
    EXPECT_EQ(window.client_height, 770);
    EXPECT_EQ(sink.notices.size(), 2u);
    config("[Common]\nGameWidth=4096\nGameHeight=1\n");
    load(false);
    EXPECT_EQ(window.client_width, 4096);
    EXPECT_EQ(window.client_height, 1);
}

TEST_F(SkinLoader, InvalidTranspColorStopsTheLoad) {
    config("[Common]\nGameWidth=321\n[VideoMode]\nTranspColor=clFuchsia\n"
           "[Image1]\nLeft=77\n");
    const Rect before = seg("im_background_bottom").rect;
    const SkinLoadResult r = load(false);
    EXPECT_EQ(r.status, SkinLoadStatus::Stopped);
    EXPECT_FALSE(r.terminate_requested);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0], "'clFuchsia' is not a valid integer value");
    EXPECT_EQ(window.client_width, 321); // step 3 happened
    EXPECT_EQ(window.colour, kColourWhite);
    EXPECT_EQ(seg("im_background_bottom").rect, before);
    EXPECT_FALSE(seg("btn_game_menu_top").shown);
}

TEST_F(SkinLoader, PictureFailuresStopAtThatPicture) {
    // A good load first, then one that fails at Image5.
    std::string good;
    for (int i = 1; i <= 8; ++i)
        good +=
            "[Image" + std::to_string(i) + "]\nFilename=p.png\nLeft=" + std::to_string(i) + "\n";
    config(good);
    file("Graphics/Skin/p.png", test::solid_png(1, 1, argb(255, 5, 5, 5)));
    file("Graphics/Skin/q.png", test::solid_png(1, 1, argb(255, 6, 6, 6)));
    file("Graphics/Skin/broken.png", Bytes(64, 0x11));
    file("Graphics/Skin/anim.gif", Bytes(64, 0x11));
    ASSERT_EQ(load(false).status, SkinLoadStatus::Complete);
    const Picture p = seg(skin_image_names()[6]).picture;

    for (const char* bad : {"anim.gif", "broken.png"}) {
        std::string text;
        for (int i = 1; i <= 8; ++i)
            text += "[Image" + std::to_string(i) + "]\nFilename=" + (i == 5 ? bad : "q.png") +
                    "\nLeft=" + std::to_string(100 + i) + "\n";
        config(text);
        sink.messages.clear();
        EXPECT_EQ(load(false).status, SkinLoadStatus::Stopped);
        ASSERT_EQ(sink.messages.size(), 1u);
        if (std::string(bad) == "anim.gif")
            EXPECT_EQ(sink.messages[0], "Unknown picture file extension (.gif)");
        else
            EXPECT_NE(sink.messages[0].find("broken.png\" is not a valid PNG picture"),
                      std::string::npos)
                << sink.messages[0];
        const auto& names = skin_image_names();
        EXPECT_EQ(seg(names[4]).rect.left, 104);
        EXPECT_EQ(seg(names[4]).picture->at(0, 0), argb(255, 6, 6, 6));
        EXPECT_EQ(seg(names[5]).rect.left, 5); // its rectangle is not applied either
        EXPECT_EQ(seg(names[6]).rect.left, 6);
        EXPECT_EQ(seg(names[6]).picture, p);
        // Step 8 still runs.
        EXPECT_EQ(seg("btn_game_menu_background").rect.width, 36);
    }
    // A missing file with an unknown extension is just missing.
    config("[Image5]\nFilename=nothere.gif\n");
    sink.messages.clear();
    EXPECT_EQ(load(false).status, SkinLoadStatus::Complete);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(seg(skin_image_names()[5]).picture->width, 10);
}

TEST_F(SkinLoader, PictureThatIsADirectoryCountsAsMissing) {
    config("[Image1]\nFilename=folder.png\n");
    std::filesystem::create_directories(run_dir() / "Graphics/Skin/folder.png");
    EXPECT_EQ(load(false).status, SkinLoadStatus::Complete);
    EXPECT_EQ(seg("im_background_bottom").picture->width, 10);
}

TEST_F(SkinLoader, ReloadDuringPlaySetsDigitPicturesAgain) {
    config("[Image35]\nFilename=d.png\n[Image36]\nFilename=nil\n[Image39]\nFilename=zero.png\n");
    file("Graphics/Skin/d.png", test::solid_png(1, 1, argb(255, 1, 1, 1)));
    file("Graphics/Skin/zero.png", test::solid_png(1, 1, argb(255, 2, 2, 2)));
    load(false);
    Segment& d1 = seg("im_panel_digit_1");
    Segment& d2 = seg("im_panel_digit_2");
    board.copy_picture(d1, seg("im_panel_number_0"));
    board.copy_picture(d2, seg("im_panel_number_0"));
    board.show(d1);
    const Picture glyph = seg("im_panel_number_0").picture;
    load(false);
    EXPECT_EQ(d1.picture->at(0, 0), argb(255, 1, 1, 1));
    EXPECT_EQ(d2.picture, glyph); // "nil" leaves the copy it had
    EXPECT_TRUE(d1.shown);
}

} // namespace
} // namespace q50
