// The trace tool's LCD options: snapshots show the shadow and the fade as far along as the
// device time says, and the printed trace stays exactly what it is without them.
#include "display/picture_file.h"
#include "tools/trace/runner.h"
#include "tools/trace/script.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

namespace q50::trace {
namespace {

namespace fs = std::filesystem;

const fs::path kData = fs::path(Q50_SOURCE_DIR) / "data";

struct TraceLcd : ::testing::Test {
    fs::path dir;
    void SetUp() override {
        dir = fs::path(Q50_BINARY_DIR) / "tests" /
              (std::string("trace_lcd_") +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // Game A; the hero steps from 1 to 2 at 10700 and from 2 to 3 at 11100, snapshot at `at`.
    std::string run(int shadow, int fade, int at, const std::string& png) {
        std::ostringstream script;
        script << "seed 4\nat 0 press open\nat 0 press game_a\nat 10 release game_a\n"
               << "at 10700 press right\nat 10750 release right\n";
        const std::string snap = "at " + std::to_string(at) + " snapshot " + (dir / png).string();
        if (at < 11100) script << snap << '\n';
        script << "at 11100 press right\n";
        if (at >= 11100) script << snap << '\n';
        script << "at 12000 end\n";
        const ParseResult p = parse_script(script.str());
        EXPECT_TRUE(p.script.has_value()) << p.error.message;
        if (!p.script) return {};
        RunOptions options;
        options.skin_dir = kData;
        options.lcd_shadow = shadow;
        options.lcd_fade = fade;
        std::ostringstream out;
        EXPECT_TRUE(run_script(*p.script, out, options).ok);
        return out.str();
    }
    Image snapshot(const std::string& png) {
        PictureLoad l = load_picture_file(dir / png);
        EXPECT_TRUE(l.picture) << l.error;
        return l.picture ? *l.picture : Image();
    }
};

// A point well inside a segment's ink, in the frame (the delivered ink is slightly
// translucent, like a real LCD's).
std::pair<int, int> inked_point(const char* segment, int left, int top) {
    const Picture seg =
        load_picture_file(kData / "Graphics" / "Skin" / (std::string(segment) + ".png")).picture;
    if (!seg) return {-1, -1};
    for (int y = seg->height / 4; y < seg->height; ++y)
        for (int x = 0; x < seg->width; ++x)
            if (alpha_of(seg->at(x, y)) >= 240) return {left + x, top + y};
    return {-1, -1};
}

// How far a pixel has gone from `dark` (segment off) to `lit` (segment on), per channel. The
// screen's glass lies over every segment, but blending it is the same affine step for all
// three pixels, so the fraction comes through it unchanged (up to rounding).
void expect_fraction(Argb got, Argb dark, Argb lit, double fraction) {
    for (int shift : {0, 8, 16}) {
        const auto c = [&](Argb p) { return double((p >> shift) & 0xFF); };
        ASSERT_GT(c(dark) - c(lit), 50) << "too little contrast to measure";
        EXPECT_NEAR((c(dark) - c(got)) / (c(dark) - c(lit)), fraction, 0.02)
            << std::hex << "got 0x" << got << " dark 0x" << dark << " lit 0x" << lit;
    }
}

TEST_F(TraceLcd, SnapshotsShowTheShadowAndTheFadeAndTheTraceStaysTheSame) {
    // The body of the hero at 3 (design rectangle 230, 231 in the delivered skin).
    const auto [x, y] = inked_point("im_pelko_3_body", 230, 231);
    ASSERT_GE(x, 0);
    // Before the step to 3 at 11100, plain and shaded; the trace is the same.
    const std::string plain = run(0, 0, 11050, "plain.png");
    EXPECT_EQ(plain, run(25, 80, 11050, "shaded.png"));
    // After it, lit.
    EXPECT_EQ(plain, run(0, 0, 11180, "lit.png"));
    const Argb dark = snapshot("plain.png").at(x, y), lit = snapshot("lit.png").at(x, y);
    expect_fraction(snapshot("shaded.png").at(x, y), dark, lit, 0.25);

    // 40 ms into an 80 ms fade the hero at 3 is half dark; at 80 ms the frame is the plain one.
    run(0, 80, 11140, "half.png");
    expect_fraction(snapshot("half.png").at(x, y), dark, lit, 0.5);
    run(0, 80, 11180, "full.png");
    EXPECT_EQ(snapshot("full.png").pixels, snapshot("lit.png").pixels);
    // With a 10 % shadow the fade starts from the shadow: halfway is 55 %.
    run(10, 80, 11140, "half-shaded.png");
    expect_fraction(snapshot("half-shaded.png").at(x, y), dark, lit, 0.55);
}

TEST(TraceLcdOptions, ValuesOutsideTheirRangesAreRefused) {
    for (const char* args : {"--lcd-shadow 101", "--lcd-shadow -1", "--lcd-shadow 1x",
                             "--lcd-fade 201", "--lcd-fade ''", "--lcd-fade"}) {
        const std::string cmd = std::string(Q50_BINARY_DIR "/tools/quendrix-trace ") + args +
                                " < /dev/null > /dev/null 2>&1";
        const int raw = std::system(cmd.c_str());
        EXPECT_TRUE(WIFEXITED(raw)) << args;
        EXPECT_EQ(WEXITSTATUS(raw), 2) << args;
    }
    const std::string ok = std::string(Q50_BINARY_DIR "/tools/quendrix-trace") +
                           " --lcd-shadow 100 --lcd-fade 200 < /dev/null > /dev/null 2>&1";
    EXPECT_EQ(WEXITSTATUS(std::system(ok.c_str())), 0);
}

} // namespace
} // namespace q50::trace
