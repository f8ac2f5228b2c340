// What the LCD look costs, with the delivered skin: a full repaint with the unlit-segment shadow
// against one without, windowed (498x770) and fullscreen at 3840x2160; and the frames of a fade
// in which every LCD segment switches at once, at 3840x2160.
//   bench_lcd_look DATA_DIR
#include "display/lcd_look.h"
#include "display/painter.h"
#include "display/render_ops.h"
#include "display/skin_loader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

using namespace q50;

namespace {

struct QuietMessages : MessageSink {
    void error(const std::string&) override {}
};

double ms_since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

bool load(Board& board, WindowModel& window, const char* data, bool fullscreen) {
    QuietMessages messages;
    SkinEnvironment env;
    env.executable_dir = env.current_dir = data;
    env.screen_width = 3840;
    env.screen_height = 2160;
    env.Fullscreen_Mode = fullscreen;
    return Load_Skin(board, window, env, messages).status == SkinLoadStatus::Complete;
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

// Full repaints without and with the look, taken in turns so that a busy machine weighs on
// both alike: the least time of each (the least disturbed) and the median.
struct Repaints {
    double off_least, on_least, off_median, on_median;
};
Repaints full_repaints(const Board& board, const WindowModel& window, LcdLook& look) {
    Painter plain, shaded;
    shaded.set_lcd_look(&look);
    std::vector<double> off, on;
    for (int i = 0; i < 80; ++i)
        for (Painter* p : {&plain, &shaded}) {
            p->invalidate();
            const auto t0 = std::chrono::steady_clock::now();
            p->paint(board, window);
            (p == &plain ? off : on).push_back(ms_since(t0));
        }
    return {percentile_ms(off, 0), percentile_ms(on, 0), percentile_ms(off, 0.5),
            percentile_ms(on, 0.5)};
}

void shadow_cost(const char* data, bool fullscreen, const char* what) {
    Board board;
    WindowModel window;
    if (!load(board, window, data, fullscreen)) {
        std::printf("lcd look: the skin in %s did not load\n", data);
        return;
    }
    for (auto [state, name] : {std::pair{&half_lit, "half the segments lit"},
                               std::pair{&all_dark, "the clock (every figure dark)"}}) {
        state(board);
        LcdLook look;
        look.set_shadow(25);
        look.update(board, 0);
        const Repaints r = full_repaints(board, window, look);
        std::printf("lcd shadow %s %dx%d, %s: full repaint least %.3f ms off, %.3f ms with 25 %% "
                    "shadow (%.2fx); median %.3f and %.3f ms (%.2fx)\n",
                    what, window.client_width, window.client_height, name, r.off_least, r.on_least,
                    r.on_least / r.off_least, r.off_median, r.on_median,
                    r.on_median / r.off_median);
    }
}

void fade_cost(const char* data) {
    Board board;
    WindowModel window;
    if (!load(board, window, data, true)) return;
    LcdLook look;
    look.set_shadow(10);
    look.set_fade(80);
    Painter painter;
    painter.set_lcd_look(&look);
    std::vector<double> frames;
    std::int64_t t = 0;
    for (int round = 0; round < 100; ++round) {
        // Every LCD segment switches at once, then the fade is painted at 60 frames a second.
        Vid_Show_All(board, round % 2 == 0);
        look.update(board, t);
        painter.paint(board, window);
        for (int f = 1; f <= 6; ++f) {
            t += 16;
            const auto t0 = std::chrono::steady_clock::now();
            look.update(board, t);
            painter.paint(board, window);
            frames.push_back(ms_since(t0));
        }
        t += 200;
    }
    std::printf("lcd fade %dx%d, every LCD segment switching at once, 80 ms at 60 Hz: a frame "
                "(update and repaint) median %.3f ms, 95th percentile %.3f ms "
                "(%zu frames)\n",
                window.client_width, window.client_height, percentile_ms(frames, 0.5),
                percentile_ms(frames, 0.95), frames.size());
}

} // namespace

int main(int argc, char** argv) {
    const char* data = argc > 1 ? argv[1] : "data";
    shadow_cost(data, false, "windowed");
    shadow_cost(data, true, "fullscreen");
    fade_cost(data);
    return 0;
}
