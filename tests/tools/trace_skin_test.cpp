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
