// Snapshots compared with the pictures kept for them: every differing pixel counts and shows
// red in the difference, a missing or unreadable kept picture fails, and renewing writes all of
// them or only the missing ones, as asked.
#include "display/picture_file.h"
#include "display/png_writer.h"
#include "tools/trace/pixel_goldens.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace q50::trace {
namespace {

namespace fs = std::filesystem;

constexpr Argb kRedMark = argb(255, 255, 0, 0);

Image small_frame(Argb corner) {
    Image img(3, 2, argb(255, 255, 255, 255));
    img.at(1, 1) = argb(0, 0x12, 0x34, 0x56); // see-through, with a colour a PNG keeps
    img.at(2, 0) = corner;
    return img;
}

TEST(ComparePixels, CountsEveryDifferingPixelAndMarksItRed) {
    const Image kept = small_frame(argb(255, 1, 2, 3));
    const PixelDifference same = compare_pixels(kept, kept);
    EXPECT_EQ(same.pixels, 0);
    ASSERT_EQ(same.picture.width, 3);
    ASSERT_EQ(same.picture.height, 2);
    EXPECT_EQ(same.picture.at(0, 0), argb(255, 95, 95, 95)); // white, dimmed
    EXPECT_EQ(same.picture.at(1, 1), argb(255, 32, 32, 32)); // see-through: darkest
    for (Argb p : same.picture.pixels) EXPECT_NE(p, kRedMark);

    // Alpha alone differs.
    const PixelDifference one = compare_pixels(kept, small_frame(argb(254, 1, 2, 3)));
    EXPECT_EQ(one.pixels, 1);
    EXPECT_EQ(one.picture.at(2, 0), kRedMark);
    EXPECT_NE(one.picture.at(1, 0), kRedMark);

    // A column only the painted frame has, and a row only the kept picture has.
    Image wider(4, 1, argb(255, 255, 255, 255));
    const PixelDifference sizes = compare_pixels(kept, wider);
    EXPECT_EQ(sizes.picture.width, 4);
    EXPECT_EQ(sizes.picture.height, 2);
    EXPECT_EQ(sizes.pixels, 1 /* corner */ + 1 /* x 3 */ + 4 /* row 1 */);
    EXPECT_EQ(sizes.picture.at(3, 0), kRedMark);
    EXPECT_EQ(sizes.picture.at(0, 1), kRedMark);
    EXPECT_NE(sizes.picture.at(0, 0), kRedMark);
}

struct KeptPictures : ::testing::Test {
    fs::path dir;
    void SetUp() override {
        dir = fs::path(Q50_BINARY_DIR) / "tests" /
              (std::string("pixel_goldens_") +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "kept");
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path kept(int n) const { return dir / "kept" / ("s.000" + std::to_string(n) + ".png"); }
    fs::path failed(int n, const char* ending = ".png") const {
        return dir / "out" / ("s.000" + std::to_string(n) + ending);
    }
    PixelGoldens goldens(PixelGoldens::Renew renew) const {
        return PixelGoldens(dir / "kept" / "s", dir / "out" / "s", renew);
    }
    static Image read(const fs::path& f) {
        const PictureLoad l = load_picture_file(f);
        EXPECT_TRUE(l.picture) << l.error;
        return l.picture ? *l.picture : Image();
    }
};

TEST_F(KeptPictures, MissingOnesAreWrittenAndKeptOnesComparedNotOverwritten) {
    const Image first = small_frame(argb(255, 1, 2, 3));
    const Image second = small_frame(argb(255, 9, 9, 9));
    // The second is kept already, from another painter.
    ASSERT_TRUE(write_png(first, kept(2)));
    PixelGoldens g = goldens(PixelGoldens::Renew::Missing);
    g.check(first, 4);
    g.check(second, 7);
    ASSERT_EQ(g.failures().size(), 1u);
    EXPECT_NE(g.failures()[0].find("snapshot 2 (line 7): differs from"), std::string::npos)
        << g.failures()[0];
    EXPECT_NE(g.failures()[0].find("in 1 pixels"), std::string::npos) << g.failures()[0];
    EXPECT_EQ(read(kept(1)).pixels, first.pixels); // written, exactly, see-through colour kept
    EXPECT_EQ(read(kept(2)).pixels, first.pixels); // not overwritten
    EXPECT_EQ(read(failed(2)).pixels, second.pixels);
    const Image diff = read(failed(2, ".diff.png"));
    ASSERT_EQ(diff.width, 3);
    EXPECT_EQ(diff.at(2, 0), kRedMark);
    EXPECT_FALSE(fs::exists(failed(1)));
}

TEST_F(KeptPictures, AMissingOrUnreadableKeptPictureFailsAndRenewingAllMendsIt) {
    const Image frame = small_frame(argb(255, 1, 2, 3));
    std::ofstream(kept(2)) << "not a picture";
    {
        PixelGoldens g = goldens(PixelGoldens::Renew::None);
        g.check(frame, 1);
        g.check(frame, 2);
        ASSERT_EQ(g.failures().size(), 2u);
        EXPECT_NE(g.failures()[0].find("no kept picture"), std::string::npos) << g.failures()[0];
        EXPECT_NE(g.failures()[1].find("cannot be read"), std::string::npos) << g.failures()[1];
        EXPECT_FALSE(fs::exists(kept(1))) << "a comparison never writes a kept picture";
        EXPECT_EQ(read(failed(1)).pixels, frame.pixels);
    }
    {
        PixelGoldens g = goldens(PixelGoldens::Renew::All);
        g.check(frame, 1);
        g.check(frame, 2);
        EXPECT_TRUE(g.failures().empty());
    }
    PixelGoldens g = goldens(PixelGoldens::Renew::None);
    g.check(frame, 1);
    g.check(frame, 2);
    EXPECT_TRUE(g.failures().empty()) << g.failures()[0];
    // The pictures of the earlier failure are gone with it.
    EXPECT_FALSE(fs::exists(failed(1)));
    EXPECT_FALSE(fs::exists(failed(2)));
}

// The tool itself: a snapshot compared instead of written, the exit status, the options.
TEST_F(KeptPictures, TheTraceToolFailsOnADifferingSnapshotAndWritesNoNamedFile) {
    const fs::path script = dir / "s.script";
    const fs::path named = dir / "named.png";
    std::ofstream(script) << "at 0 press open\nat 5 snapshot " << named.string() << "\n";
    auto run = [&](const std::string& args) {
        const std::string cmd = std::string(Q50_BINARY_DIR "/tools/quendrix-trace --skin ") +
                                Q50_SOURCE_DIR "/data " + args + " < " + script.string() +
                                " > /dev/null 2> " + (dir / "err").string();
        const int raw = std::system(cmd.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    };
    const std::string base =
        "--goldens " + (dir / "kept" / "s").string() + " --failed " + (dir / "out" / "s").string();
    EXPECT_EQ(run(base), 1); // nothing kept yet
    EXPECT_EQ(run(base + " --rebaseline missing"), 0);
    ASSERT_TRUE(fs::exists(kept(1)));
    EXPECT_EQ(run(base), 0);
    Image changed = read(kept(1));
    changed.at(100, 100) ^= 0x00000100u;
    ASSERT_TRUE(write_png(changed, kept(1)));
    EXPECT_EQ(run(base), 1);
    EXPECT_EQ(read(failed(1, ".diff.png")).at(100, 100), kRedMark);
    EXPECT_EQ(run(base + " --rebaseline all"), 0);
    EXPECT_EQ(run(base), 0);
    EXPECT_FALSE(fs::exists(named));
    EXPECT_EQ(run(""), 0);
    EXPECT_TRUE(fs::exists(named)) << "without --goldens the snapshot writes its file";
    for (const std::string& bad :
         {std::string("--rebaseline all"), std::string("--failed x"), base + " --rebaseline some"})
        EXPECT_EQ(run(bad), 2) << bad;
}

} // namespace
} // namespace q50::trace
