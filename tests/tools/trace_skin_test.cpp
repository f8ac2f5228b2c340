// The trace tool's skin options: the load at start with its messages, the presentation, the
// screen the loader sees, and snapshots of the painted frame.
#include "display/picture_file.h"
#include "tools/trace/runner.h"
#include "tools/trace/script.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace q50::trace {
namespace {

namespace fs = std::filesystem;

struct TraceSkin : ::testing::Test {
    fs::path dir;
    void SetUp() override {
        dir = fs::path(Q50_BINARY_DIR) / "tests" /
              (std::string("trace_skin_") +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "skin");
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string run(const std::string& text, const RunOptions& options,
                    RunResult* result = nullptr) {
        const ParseResult p = parse_script(text);
        EXPECT_TRUE(p.script.has_value()) << p.error.message;
        std::ostringstream out;
        const RunResult r = run_script(*p.script, out, options);
        if (result) *result = r;
        return out.str();
    }
    // A skin of two pictures: the body of the device and one LCD segment.
    void write_skin(const std::string& extra = "") {
        std::ofstream ini(dir / "skin" / "Config.ini");
        ini << "[Common]\nSkinDir=pics\\\nGameWidth=40\nGameHeight=30\n"
            << "[VideoMode]\nTranspColor=$00FF00FF\n"
            << "[Fullscreen]\nBgColor=$000000FF\n"
            << "[Image1]\nFilename=body.bmp\nLeft=0\nTop=0\nWidth=20\nHeight=30\n"
            << extra;
        fs::create_directories(dir / "skin" / "pics");
        write_bmp(dir / "skin" / "pics" / "body.bmp", 20, 30);
    }
    // A 24-bit bitmap filled with one grey.
    static void write_bmp(const fs::path& path, int w, int h) {
        const int row = (w * 3 + 3) / 4 * 4;
        const int size = 54 + row * h;
        std::string b(std::size_t(size), '\0');
        auto put32 = [&](int at, int v) {
            for (int i = 0; i < 4; ++i) b[std::size_t(at + i)] = char((v >> (8 * i)) & 0xff);
        };
        b[0] = 'B';
        b[1] = 'M';
        put32(2, size);
        put32(10, 54);
        put32(14, 40);
        put32(18, w);
        put32(22, h);
        b[26] = 1;
        b[28] = 24;
        for (int i = 54; i < size; ++i) b[std::size_t(i)] = char(0x80);
        std::ofstream(path, std::ios::binary) << b;
    }
};

TEST_F(TraceSkin, WindowedSnapshotIsTheClientSizeWithTheKeyColourSeeThrough) {
    write_skin();
    RunOptions o;
    o.skin_dir = dir / "skin";
    const fs::path shot = dir / "closed.png";
    RunResult r;
    run("at 0 snapshot " + shot.string() + "\n", o, &r);
    ASSERT_TRUE(r.ok) << r.error;
    const PictureLoad png = load_picture_file(shot);
    ASSERT_TRUE(png) << png.error;
    EXPECT_EQ(png.picture->width, 40);
    EXPECT_EQ(png.picture->height, 30);
    EXPECT_EQ(png.picture->at(5, 5), 0xff808080u);  // the body
    EXPECT_EQ(alpha_of(png.picture->at(30, 5)), 0); // around it, the see-through colour
}

TEST_F(TraceSkin, FullscreenCoversTheScreenOpaqueAndCentresTheDevice) {
    write_skin();
    RunOptions o;
    o.skin_dir = dir / "skin";
    o.fullscreen = true;
    o.screen_width = 100;
    o.screen_height = 50;
    const fs::path shot = dir / "full.png";
    RunResult r;
    run("at 0 snapshot " + shot.string() + "\n", o, &r);
    ASSERT_TRUE(r.ok) << r.error;
    const PictureLoad png = load_picture_file(shot);
    ASSERT_TRUE(png) << png.error;
    EXPECT_EQ(png.picture->width, 100);
    EXPECT_EQ(png.picture->height, 50);
    // Offsets (100-40)/2 = 30 and (50-30)/2 = 10; the window colour is red.
    EXPECT_EQ(png.picture->at(35, 15), 0xff808080u);
    EXPECT_EQ(png.picture->at(5, 5), 0xffff0000u);
}

TEST_F(TraceSkin, LoadMessagesArePrintedAtTimeZero) {
    RunOptions o;
    o.skin_dir = dir / "skin"; // no Config.ini there
    const std::string out = run("at 5 end\n", o);
    EXPECT_NE(out.find("0 message Configuration file (Config.ini) not found. Please reinstall "
                       "the game.\n"),
              std::string::npos)
        << out;

    write_skin("[Image2]\nFilename=back.xyz\n");
    std::ofstream(dir / "skin" / "pics" / "back.xyz") << "not a picture";
    const std::string bad = run("at 5 end\n", o);
    EXPECT_NE(bad.find("0 message Unknown picture file extension (.xyz)\n"), std::string::npos)
        << bad;
}

// A skin made where file names ignore letter case, with sizes nobody can see: every picture is
// found in whatever case it is named, and what the load has to say comes out as message lines at
// time 0, an ambiguous name once however many segments name it.
TEST_F(TraceSkin, WindowsMadeSkinsAndSizesOutOfRangeAreToldAsMessages) {
    const fs::path skin = dir / "skin";
    std::ofstream(skin / "Config.ini")
        << "[Common]\nSkinDir=Graphics\\Skin\\\nGameWidth=0\nGameHeight=30\n"
        << "[Manual]\nManualDir=Graphics\\Manual\\\nManualWidth=100000\n"
        << "[VideoMode]\nTranspColor=$00FF00FF\n"
        << "[Image1]\nFilename=Device\\Body.BMP\nLeft=0\nTop=0\nWidth=20\nHeight=30\n"
        << "[Image2]\nFilename=HERO.BMP\n[Image3]\nFilename=HERO.BMP\n"
        << "[Image4]\nFilename=Gone.bmp\n[Image5]\nFilename=hero.bmp\n";
    fs::create_directories(skin / "graphics/skin/device");
    fs::create_directories(skin / "graphics/MANUAL");
    write_bmp(skin / "graphics/skin/device/body.bmp", 20, 30);
    write_bmp(skin / "graphics/skin/Hero.bmp", 2, 2);
    write_bmp(skin / "graphics/skin/hero.bmp", 3, 3);
    write_bmp(skin / "graphics/MANUAL/1.BMP", 4, 4);
    RunOptions o;
    o.skin_dir = skin;
    o.manual_dir = skin;
    const fs::path shot = dir / "shot.png";
    RunResult r;
    const std::string out = run("at 0 snapshot " + shot.string() + "\nat 5 end\n", o, &r);
    ASSERT_TRUE(r.ok) << r.error;
    auto count = [&out](const std::string& line) {
        std::size_t n = 0;
        for (std::size_t at = out.find(line); at != std::string::npos; at = out.find(line, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("0 message Config.ini: GameWidth=0 is outside 1..4096; using 498\n"), 1u)
        << out;
    EXPECT_EQ(count("0 message Config.ini: ManualWidth=100000 is outside 1..4096; using 545\n"), 1u)
        << out;
    // Two segments name the ambiguous file, one message; the name written exactly says nothing.
    const std::string pics = (skin / "graphics/skin/").string();
    EXPECT_EQ(count("0 message " + pics +
                    "HERO.BMP matches Hero.bmp and hero.bmp without regard to case; taking "
                    "Hero.bmp\n"),
              1u)
        << out;
    EXPECT_EQ(count(" matches "), 1u) << out;
    EXPECT_EQ(count("0 message \"" + (skin / "Graphics/Skin/").string() +
                    "Gone.bmp\" (Image4) not found; shown as a red "
                    "square\n"),
              1u)
        << out;
    // The manual's first page is found in another case, the other fifteen are missing.
    EXPECT_EQ(count("(manual page 1) not found"), 0u) << out;
    EXPECT_EQ(count("(manual page 16) not found; shown as a red square\n"), 1u) << out;
    // Nothing else became a red square: the body is drawn from its own picture, at the width the
    // default gives.
    EXPECT_EQ(count(" not found; shown as a red square\n"), 16u) << out;
    const PictureLoad png = load_picture_file(shot);
    ASSERT_TRUE(png) << png.error;
    EXPECT_EQ(png.picture->width, 498);
    EXPECT_EQ(png.picture->at(5, 5), 0xff808080u);
}

// A Config.ini past the reader's limit: its first part is the skin, the rest is not read, and the
// cut is told.
TEST_F(TraceSkin, AConfigPastTheReadLimitIsToldAndItsFirstPartLoads) {
    write_skin();
    {
        std::ofstream ini(dir / "skin" / "Config.ini", std::ios::app);
        const std::string filler(4095, ';');
        for (int i = 0; i < 16 * 256 + 1; ++i) ini << filler << '\n';
    }
    RunOptions o;
    o.skin_dir = dir / "skin";
    const fs::path shot = dir / "cut.png";
    RunResult r;
    const std::string out = run("at 0 snapshot " + shot.string() + "\n", o, &r);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_NE(out.find("0 message " + (dir / "skin" / "Config.ini").string() +
                       " is larger than 16 MB; only its first 16 MB are read\n"),
              std::string::npos)
        << out;
    const PictureLoad png = load_picture_file(shot);
    ASSERT_TRUE(png) << png.error;
    EXPECT_EQ(png.picture->width, 40);
    EXPECT_EQ(png.picture->at(5, 5), 0xff808080u);
}

TEST_F(TraceSkin, SnapshotThatCannotBeWrittenStopsTheRun) {
    RunOptions o;
    RunResult r;
    run("at 7 snapshot " + (dir / "no" / "such" / "dir" / "x.png").string() + "\n", o, &r);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("at 7: snapshot on line 1"), std::string::npos) << r.error;
}

TEST(TraceSkinScript, SnapshotNeedsExactlyOneFileName) {
    EXPECT_FALSE(parse_script("at 0 snapshot\n").script);
    EXPECT_FALSE(parse_script("at 0 snapshot a.png b.png\n").script);
    const ParseResult p = parse_script("at 3 snapshot shot.png\n");
    ASSERT_TRUE(p.script);
    EXPECT_EQ(p.script->steps[0].command, Command::Snapshot);
    EXPECT_EQ(p.script->steps[0].name, "shot.png");
}

} // namespace
} // namespace q50::trace
