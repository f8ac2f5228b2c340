// Median time of the presenter's present() with the delivered skin, as every front end calls
// it: a full repaint (the output painted anew) and one segment switched (only its part
// composed again), windowed at 1x to 4x (from the skin's larger drawings where it has them, as
// the desktop paints) and in the LCD view at 3x, and fullscreen on a 3840x2160 screen at fit.
//   bench_present DATA_DIR   (DATA_DIR holds Config.ini, e.g. build/run)
#include "display/presenter.h"
#include "display/skin_loader.h"
#include "display/skin_sets.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace q50;

namespace {

struct QuietMessages : MessageSink {
    void error(const std::string&) override {}
};

double median_ms(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The thread's own CPU time: the wall time on a shared machine also counts waits for a core.
double cpu_ms() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void measure(const char* label, Board& board, const WindowModel& window, SkinSets* sets,
             double scale, View view, PixelSize screen, int runs) {
    for (Segment& s : board.segments()) board.show(s);
    Presenter p(board, window);
    p.set_screen(screen);
    p.set_view(view);
    p.set_scale(scale, 1.0);
    p.set_skin_sets(sets);
    p.first_frame_shown();
    p.present(0); // the set the scale needs is read here, once
    Segment& flame = board.get("im_flame_3");
    std::vector<double> full, one, full_cpu, one_cpu;
    for (int i = 0; i < runs; ++i) {
        p.invalidate();
        auto wall = std::chrono::steady_clock::now();
        double cpu = cpu_ms();
        p.present(0);
        full.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall)
                .count());
        full_cpu.push_back(cpu_ms() - cpu);

        board.set_shown(flame, !flame.shown);
        wall = std::chrono::steady_clock::now();
        cpu = cpu_ms();
        p.present(0);
        one.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall)
                .count());
        one_cpu.push_back(cpu_ms() - cpu);
    }
    std::printf("presenter %-28s scale %.3f %5dx%-5d full repaint median %7.3f ms (cpu %7.3f), "
                "one segment %.4f ms (cpu %.4f), %d runs\n",
                label, scale, p.output_size().width, p.output_size().height, median_ms(full),
                median_ms(full_cpu), median_ms(one), median_ms(one_cpu), runs);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_present DATA_DIR\n");
        return 2;
    }
    QuietMessages messages;
    Board board;
    WindowModel window;
    SkinEnvironment env;
    env.executable_dir = env.current_dir = argv[1];
    Load_Skin(board, window, env, messages);
    SkinSets sets;
    sets.offer(env, board, &messages);
    for (int k = 1; k <= 4; ++k) {
        char label[64];
        std::snprintf(label, sizeof label, "windowed %d00 %%", k);
        measure(label, board, window, &sets, k, View::Device, {1024, 768}, k <= 2 ? 100 : 40);
    }
    measure("windowed LCD only", board, window, &sets, 3, View::Lcd, {1024, 768}, 60);

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
    sets.offer(env, board, &messages);
    measure("fullscreen fit on 3840x2160", board, window, &sets, scale, View::Device, screen, 20);
    return 0;
}
