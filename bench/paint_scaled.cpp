// Median time to bring the shown frame up to date at a scale, with the delivered skin: a full
// repaint (painter and scaler both from scratch) and one segment switched (only its part is
// painted and scaled again). Windowed at 1x to 4x, and fullscreen on a 3840x2160 screen at
// the scale that fits it.
//   bench_paint_scaled DATA_DIR   (the folder holding Config.ini, e.g. build/run)
#include "display/frame_scaler.h"
#include "display/painter.h"
#include "display/scale.h"
#include "display/skin_loader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace q50;

namespace {

struct QuietMessages : MessageSink {
    int count = 0;
    void error(const std::string&) override { ++count; }
};

double median_ms(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double ms_since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

void measure(const char* label, Board& board, const WindowModel& window, double scale,
             PixelSize out, int runs) {
    for (Segment& s : board.segments()) board.show(s);
    Painter painter;
    FrameScaler scaler;
    Segment& flame = board.get("im_flame_3");
    std::vector<double> full, one;
    for (int i = 0; i < runs; ++i) {
        painter.invalidate();
        scaler.invalidate();
        auto t0 = std::chrono::steady_clock::now();
        Rect damage;
        const Image& f = painter.paint(board, window, &damage);
        if (scale != 1.0) scaler.update(f, damage, scale, out);
        full.push_back(ms_since(t0));

        board.set_shown(flame, !flame.shown);
        t0 = std::chrono::steady_clock::now();
        const Image& g = painter.paint(board, window, &damage);
        if (scale != 1.0) scaler.update(g, damage, scale, out);
        one.push_back(ms_since(t0));
    }
    std::printf("%-34s scale %.3f, %5dx%-5d full repaint median %7.3f ms, one segment %.4f ms "
                "(%d runs)\n",
                label, scale, out.width, out.height, median_ms(full), median_ms(one), runs);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_paint_scaled DATA_DIR\n");
        return 2;
    }
    QuietMessages messages;
    Board board;
    WindowModel window;
    SkinEnvironment env;
    env.executable_dir = env.current_dir = argv[1];
    Load_Skin(board, window, env, messages);
    const PixelSize device{window.client_width, window.client_height};
    for (int k = 1; k <= 4; ++k) {
        char label[64];
        std::snprintf(label, sizeof label, "windowed %d00 %%", k);
        measure(label, board, window, k, scaled_size(device, k), k <= 2 ? 200 : 60);
    }

    // Fullscreen on 3840x2160 at fit: the loader gets the screen in design pixels.
    const PixelSize screen{3840, 2160};
    double scale = 1.0;
    env.Fullscreen_Mode = true;
    env.screen_width = screen.width;
    env.screen_height = screen.height;
    env.screen_for_device = [&](PixelSize d) {
        scale = fullscreen_total_scale(kZoomFit, d, screen, 1.0);
        return screen_in_design(screen, scale);
    };
    Load_Skin(board, window, env, messages);
    measure("fullscreen fit on 3840x2160", board, window, scale, screen, 40);
    // The same screen at the design size, for comparison.
    env.screen_for_device = nullptr;
    Load_Skin(board, window, env, messages);
    measure("fullscreen 100 % on 3840x2160", board, window, 1.0, screen, 40);
    if (messages.count) std::printf("(%d skin messages)\n", messages.count);
    return 0;
}
