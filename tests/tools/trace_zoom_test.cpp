// The trace tool's snapshots at a zoom and in the LCD view: the frames the desktop's presenter
// makes, with the delivered skin, and the command line refuses zooms and views it does not know.
#include "display/frame_scaler.h"
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

const fs::path kZoomSkin = fs::path(Q50_SOURCE_DIR) / "data";
// The delivered skin's LCD (im_background_screen_top), windowed.
constexpr Rect kDeliveredLcd{68, 104, 360, 196};

struct TraceZoom : ::testing::Test {
    fs::path dir;
    void SetUp() override {
        dir = fs::path(Q50_BINARY_DIR) / "tests" /
              (std::string("trace_zoom_") +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // The opened device in Game A, photographed; the printed trace comes back.
    std::string shoot(RunOptions options, const std::string& png, Image& shot) {
        const ParseResult p = parse_script("seed 4\nat 0 press open\nat 0 press game_a\n"
                                           "at 10 release game_a\nat 500 snapshot " +
                                           (dir / png).string() + "\nat 600 end\n");
        EXPECT_TRUE(p.script.has_value()) << p.error.message;
        if (!p.script) return {};
        options.skin_dir = kZoomSkin;
        std::ostringstream out;
        const RunResult r = run_script(*p.script, out, options);
        EXPECT_TRUE(r.ok) << r.error;
        PictureLoad l = load_picture_file(dir / png);
        EXPECT_TRUE(l.picture) << l.error;
        shot = l.picture ? *l.picture : Image();
        return out.str();
    }
};

Image cut_out(const Image& from, Rect r) {
    Image out(r.width, r.height);
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) out.at(x, y) = from.at(r.left + x, r.top + y);
    return out;
}

TEST_F(TraceZoom, ZoomedAndLcdSnapshotsAreTheDesignFrameScaledAndTheTraceStaysTheSame) {
    Image plain, zoomed, lcd, lcd_zoomed;
    const std::string trace = shoot({}, "plain.png", plain);
    ASSERT_EQ(plain.width, 498);
    // Below the skin's smallest larger drawing (2x) the design frame is resampled.
    RunOptions o;
    o.zoom = 1.5;
    EXPECT_EQ(shoot(o, "fractional.png", zoomed), trace);
    EXPECT_EQ(zoomed.pixels, scale_frame(plain, 1.5, {747, 1155}).pixels);
    // At 2 the skin's 2x drawings are painted, as the desktop paints them: not the design
    // frame with its pixels doubled.
    o.zoom = 2;
    EXPECT_EQ(shoot(o, "zoomed.png", zoomed), trace);
    ASSERT_EQ(zoomed.width, 996);
    ASSERT_EQ(zoomed.height, 1540);
    EXPECT_NE(zoomed.pixels, scale_frame(plain, 2, {996, 1540}).pixels);

    o = {};
    o.view = View::Lcd;
    EXPECT_EQ(shoot(o, "lcd.png", lcd), trace);
    EXPECT_EQ(lcd.pixels, cut_out(plain, kDeliveredLcd).pixels);
    o.zoom = 1.25;
    shoot(o, "lcd-fractional.png", lcd_zoomed);
    EXPECT_EQ(lcd_zoomed.pixels, scale_frame(lcd, 1.25, {450, 245}).pixels);
    // The LCD at 2 is the LCD's part of the whole device at 2.
    o.zoom = 2;
    shoot(o, "lcd2.png", lcd_zoomed);
    EXPECT_EQ(lcd_zoomed.pixels, cut_out(zoomed, {136, 208, 720, 392}).pixels);
}

// Fullscreen on a television's screen, the LCD at five times its size fills the screen's height
// but for the margin the whole scale leaves, in the middle, black around it.
TEST_F(TraceZoom, FullscreenLcdLiesInTheMiddleOfTheScreen) {
    Image lcd, full;
    RunOptions o;
    o.view = View::Lcd;
    shoot(o, "lcd.png", lcd);
    o.fullscreen = true;
    o.screen_width = 1920;
    o.screen_height = 1080;
    o.zoom = 5;
    shoot(o, "full.png", full);
    ASSERT_EQ(full.width, 1920);
    ASSERT_EQ(full.height, 1080);
    EXPECT_EQ(full.at(59, 540), 0xFF000000u);
    EXPECT_EQ(full.at(1860, 540), 0xFF000000u);
    EXPECT_EQ(full.at(960, 49), 0xFF000000u);
    EXPECT_EQ(full.at(960, 1030), 0xFF000000u);
    // The LCD's own pixels are those of the windowed view (the device is laid out anew for
    // the screen, the LCD's picture is the same).
    EXPECT_EQ(cut_out(full, {60, 50, 1800, 980}).pixels, scale_frame(lcd, 5, {1800, 980}).pixels);
}

TEST(TraceZoomOptions, ZoomsAndViewsItDoesNotKnowAreRefused) {
    for (const char* args : {"--zoom 0", "--zoom 9", "--zoom -1", "--zoom 2x", "--zoom ''",
                             "--zoom", "--view all", "--view"}) {
        const std::string cmd = std::string(Q50_BINARY_DIR "/tools/quendrix-trace ") + args +
                                " < /dev/null > /dev/null 2>&1";
        const int raw = std::system(cmd.c_str());
        EXPECT_TRUE(WIFEXITED(raw)) << args;
        EXPECT_EQ(WEXITSTATUS(raw), 2) << args;
    }
    const std::string ok = std::string(Q50_BINARY_DIR "/tools/quendrix-trace") +
                           " --zoom 2.805 --view lcd < /dev/null > /dev/null 2>&1";
    EXPECT_EQ(WEXITSTATUS(std::system(ok.c_str())), 0);
}

} // namespace
} // namespace q50::trace
