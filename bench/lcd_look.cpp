// What the LCD look costs, with the delivered skin, painted as the desktop paints it (the
// painter in design pixels, then the frame scaled to the screen): a full repaint with the
// unlit-segment shadow against one without, windowed at 1x (498x770) and fullscreen fitting a
// 3840x2160 screen; and the frames of a fade in which every LCD segment switches at once, at
// 3840x2160.
//   bench_lcd_look DATA_DIR [windowed]
#include "display/lcd_look.h"
#include "board/render_ops.h"
#include "display/frame_scaler.h"
#include "display/painter.h"
#include "display/scale.h"
#include "display/skin_loader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

using namespace q50;

namespace {

struct QuietMessages : MessageSink {
    void error(const std::string&) override {}
};

constexpr PixelSize kScreen{3840, 2160};

double ms_since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// The board and window as the desktop loads them; `scale` and `out` are how the frame is
// shown (1 and the client size windowed).
struct Scene {
    Board board;
    WindowModel window;
    double scale = 1.0;
    PixelSize out;
};

bool load(Scene& s, const char* data, bool fullscreen) {
    QuietMessages messages;
    SkinEnvironment env;
    env.executable_dir = env.current_dir = data;
    env.screen_width = kScreen.width;
    env.screen_height = kScreen.height;
    env.Fullscreen_Mode = fullscreen;
    env.screen_for_device = [&](PixelSize device) {
        s.scale = fullscreen_total_scale(kZoomFit, device, kScreen, 1.0);
        return screen_in_design(kScreen, s.scale);
    };
    if (Load_Skin(s.board, s.window, env, messages).status != SkinLoadStatus::Complete)
        return false;
    if (!fullscreen) s.scale = 1.0;
    s.out = fullscreen ? kScreen : PixelSize{s.window.client_width, s.window.client_height};
    return true;
}

// The open device with half of its LCD segments dark, as in play.
void half_lit(Board& board) {
    Vid_Show_All(board, true);
    std::mt19937 rng(5);
    for (Segment& s : board.segments())
        if (s.transparent && rng() % 2) board.hide(s);
}

// The clock: every game figure dark, the most shadows there can be.
void all_dark(Board& board) {
    Vid_Show_All(board, false);
}

double percentile_ms(std::vector<double> v, double q) {
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(q * double(v.size())))];
}

// One frame as the desktop makes it: the painter's part, then the scaled copy of what changed.
void frame(Scene& s, Painter& p, FrameScaler& scaler) {
    Rect damage;
    const Image& f = p.paint(s.board, s.window, &damage);
    if (s.scale != 1.0) scaler.update(f, damage, s.scale, s.out);
}

// Full repaints without and with the look, taken in turns so that a busy machine weighs on
// both alike: the least time of each (the least disturbed) and the median.
struct Repaints {
    double off_least, on_least, off_median, on_median;
};
Repaints full_repaints(Scene& s, LcdLook& look) {
    Painter plain, shaded;
    shaded.set_lcd_look(&look);
    FrameScaler plain_scaler, shaded_scaler;
    std::vector<double> off, on;
    for (int i = 0; i < 40; ++i)
        for (bool with : {false, true}) {
            Painter& p = with ? shaded : plain;
            FrameScaler& scaler = with ? shaded_scaler : plain_scaler;
            p.invalidate();
            scaler.invalidate();
            const auto t0 = std::chrono::steady_clock::now();
            frame(s, p, scaler);
            (with ? on : off).push_back(ms_since(t0));
        }
    return {percentile_ms(off, 0), percentile_ms(on, 0), percentile_ms(off, 0.5),
            percentile_ms(on, 0.5)};
}

void shadow_cost(const char* data, bool fullscreen, const char* what) {
    Scene s;
    if (!load(s, data, fullscreen)) {
        std::printf("lcd look: the skin in %s did not load\n", data);
        return;
    }
    for (auto [state, name] : {std::pair{&half_lit, "half the segments lit"},
                               std::pair{&all_dark, "the clock (every figure dark)"}}) {
        state(s.board);
        LcdLook look;
        look.set_shadow(25);
        look.update(s.board, 0);
        const Repaints r = full_repaints(s, look);
        std::printf("lcd shadow %s %dx%d (scale %.3f), %s: full repaint least %.3f ms off, "
                    "%.3f ms with 25 %% shadow (%.2fx); median %.3f and %.3f ms (%.2fx)\n",
                    what, s.out.width, s.out.height, s.scale, name, r.off_least, r.on_least,
                    r.on_least / r.off_least, r.off_median, r.on_median,
                    r.on_median / r.off_median);
    }
}

void fade_cost(const char* data) {
    Scene s;
    if (!load(s, data, true)) return;
    LcdLook look;
    look.set_shadow(10);
    look.set_fade(80);
    Painter painter;
    painter.set_lcd_look(&look);
    FrameScaler scaler;
    std::vector<double> frames, painting, scaling;
    Rect damage_seen;
    std::int64_t t = 0;
    for (int round = 0; round < 60; ++round) {
        // Every LCD segment switches at once, then the fade is painted at 60 frames a second.
        Vid_Show_All(s.board, round % 2 == 0);
        look.update(s.board, t);
        frame(s, painter, scaler);
        for (int f = 1; f <= 5; ++f) {
            t += 16;
            const auto t0 = std::chrono::steady_clock::now();
            look.update(s.board, t);
            Rect damage;
            const Image& painted = painter.paint(s.board, s.window, &damage);
            const auto t1 = std::chrono::steady_clock::now();
            const Rect scaled = scaler.update(painted, damage, s.scale, s.out);
            // Frames with nothing left to fade (all settled) are not counted.
            if (scaled.width * scaled.height == 0) continue;
            frames.push_back(ms_since(t0));
            painting.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
            scaling.push_back(ms_since(t1));
            if (scaled.width * scaled.height > damage_seen.width * damage_seen.height)
                damage_seen = scaled;
        }
        t += 200;
    }
    std::printf("lcd fade %dx%d (scale %.3f), every LCD segment switching at once, 80 ms at "
                "60 Hz: a frame (update, repaint, scaling) least %.3f ms, median %.3f ms, 95th "
                "percentile %.3f ms (%zu frames); medians of its parts: painting %.3f ms, "
                "scaling %.3f ms of up to %dx%d pixels\n",
                s.out.width, s.out.height, s.scale, percentile_ms(frames, 0),
                percentile_ms(frames, 0.5), percentile_ms(frames, 0.95), frames.size(),
                percentile_ms(painting, 0.5), percentile_ms(scaling, 0.5), damage_seen.width,
                damage_seen.height);
}

} // namespace

int main(int argc, char** argv) {
    const char* data = argc > 1 ? argv[1] : "data";
    // A second argument "windowed" measures the window alone (for profiling).
    const bool windowed_only = argc > 2 && std::string(argv[2]) == "windowed";
    shadow_cost(data, false, "windowed");
    if (windowed_only) return 0;
    shadow_cost(data, true, "fullscreen");
    fade_cost(data);
    return 0;
}
