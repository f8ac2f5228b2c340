// Median time to bring the shown frame up to date at a scale, with the delivered skin: a full
// repaint (painter and scaler both from scratch) and one segment switched (only its part is
// painted and scaled again). Windowed at 1x to 4x, and fullscreen on a 3840x2160 screen at
// the scale that fits it. Fullscreen above 100 % ("composed") paints the device from pictures
// brought to the screen's resolution, straight over the backdrop drawn once per size.
//   bench_paint_scaled DATA_DIR [--fullscreen]   (DATA_DIR holds Config.ini, e.g. build/run;
//   --fullscreen: only the composed fullscreen cases, for a profiler)
#include "display/frame_scaler.h"
#include "display/painter.h"
#include "display/scale.h"
#include "display/scaled_scene.h"
#include "display/set_painter.h"
#include "display/skin_loader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
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

// The thread's own CPU time: on a machine shared with other work the wall time also counts
// the waits for a core, which say nothing about the painting.
double cpu_ms() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

struct Stopwatch {
    std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
    double cpu = cpu_ms();
    void stop(std::vector<double>& walls, std::vector<double>& cpus) const {
        walls.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall)
                .count());
        cpus.push_back(cpu_ms() - cpu);
    }
};

void measure(const char* label, Board& board, const WindowModel& window, double scale,
             PixelSize out, int runs) {
    for (Segment& s : board.segments()) board.show(s);
    Painter painter;
    FrameScaler scaler;
    Segment& flame = board.get("im_flame_3");
    std::vector<double> full, one, full_cpu, one_cpu;
    for (int i = 0; i < runs; ++i) {
        painter.invalidate();
        scaler.invalidate();
        Stopwatch t;
        Rect damage;
        const Image& f = painter.paint(board, window, &damage);
        if (scale != 1.0) scaler.update(f, damage, scale, out);
        t.stop(full, full_cpu);

        board.set_shown(flame, !flame.shown);
        Stopwatch u;
        const Image& g = painter.paint(board, window, &damage);
        if (scale != 1.0) scaler.update(g, damage, scale, out);
        u.stop(one, one_cpu);
    }
    std::printf("%-30s scale %.3f %5dx%-5d full repaint median %7.3f ms (cpu %7.3f), one "
                "segment %.4f ms (cpu %.4f), %d runs\n",
                label, scale, out.width, out.height, median_ms(full), median_ms(full_cpu),
                median_ms(one), median_ms(one_cpu), runs);
}

// As the desktop paints the delivered skin above 1: from the nearest larger drawings, reduced
// or enlarged to the scale when it is not theirs.
void measure_sets(const char* label, Board& board, const WindowModel& window, const SkinSets& sets,
                  double scale, PixelSize out, int runs) {
    for (Segment& s : board.segments()) board.show(s);
    const int k = sets.pick(scale);
    if (!k) return;
    SetPainter painter;
    FrameScaler scaler;
    Segment& flame = board.get("im_flame_3");
    std::vector<double> full, one, full_cpu, one_cpu;
    for (int i = 0; i < runs; ++i) {
        painter.invalidate();
        scaler.invalidate();
        Stopwatch t;
        Rect damage;
        const Image& f = painter.paint(board, window, sets, k, &damage);
        if (scale != k) scaler.update(f, damage, scale / k, out);
        t.stop(full, full_cpu);

        board.set_shown(flame, !flame.shown);
        Stopwatch u;
        const Image& g = painter.paint(board, window, sets, k, &damage);
        if (scale != k) scaler.update(g, damage, scale / k, out);
        u.stop(one, one_cpu);
    }
    std::printf("%-30s scale %.3f %5dx%-5d from the %dx set: full repaint median %7.3f ms (cpu "
                "%7.3f), one segment %.4f ms (cpu %.4f), %d runs\n",
                label, scale, out.width, out.height, k, median_ms(full), median_ms(full_cpu),
                median_ms(one), median_ms(one_cpu), runs);
}

// As the desktop paints fullscreen above 1 now: the decorations drawn once per screen size
// at its resolution, the device alone painted and scaled over them. "full" repaints the
// device with the decorations kept (a change of look, a reload of the same skin); "first"
// also draws the decorations (a new screen size or skin).
void measure_scene(const char* label, Board& board, const WindowModel& window, const SkinSets* sets,
                   double scale, PixelSize out, int runs, bool as_loaded = false) {
    // As loaded: the segments a started device shows (its pictures alone are brought to the
    // scale); otherwise every segment at once, the most there is to paint.
    if (!as_loaded)
        for (Segment& s : board.segments()) board.show(s);
    ScaledScene scene;
    Segment& flame = board.get("im_flame_3");
    std::vector<double> first, first_cpu, full, one, full_cpu, one_cpu;
    for (int i = 0; i < runs; ++i) {
        if (i < 3) {
            scene.reset();
            Stopwatch t;
            scene.paint(board, window, sets, scale, out);
            t.stop(first, first_cpu);
        }
        scene.invalidate();
        Stopwatch t;
        scene.paint(board, window, sets, scale, out);
        t.stop(full, full_cpu);

        board.set_shown(flame, !flame.shown);
        Stopwatch u;
        scene.paint(board, window, sets, scale, out);
        u.stop(one, one_cpu);
    }
    std::printf("%-30s scale %.3f %5dx%-5d composed, %s%s: full repaint median %7.3f ms (cpu "
                "%7.3f), one segment %.4f ms (cpu %.4f), first frame at the size %7.3f ms (cpu "
                "%7.3f), %d runs\n",
                label, scale, out.width, out.height,
                sets ? "from the sets" : "from design-size pictures",
                as_loaded ? ", segments as loaded" : "", median_ms(full), median_ms(full_cpu),
                median_ms(one), median_ms(one_cpu), median_ms(first), median_ms(first_cpu), runs);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_paint_scaled DATA_DIR [--fullscreen]\n");
        return 2;
    }
    const bool only_fullscreen = argc > 2 && std::string(argv[2]) == "--fullscreen";
    QuietMessages messages;
    Board board;
    WindowModel window;
    SkinEnvironment env;
    env.executable_dir = env.current_dir = argv[1];
    Load_Skin(board, window, env, messages);
    const PixelSize device{window.client_width, window.client_height};
    for (int k = 1; k <= 4 && !only_fullscreen; ++k) {
        char label[64];
        std::snprintf(label, sizeof label, "windowed %d00 %%", k);
        measure(label, board, window, k, scaled_size(device, k), k <= 2 ? 200 : 60);
    }
    SkinSets sets;
    sets.load(env, board);
    for (int k = 2; k <= 4 && !only_fullscreen; ++k) {
        char label[64];
        std::snprintf(label, sizeof label, "windowed %d00 %%", k);
        measure_sets(label, board, window, sets, k, scaled_size(device, k), 30);
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
    sets.load(env, board);
    measure_scene("fullscreen fit on 3840x2160", board, window, &sets, scale, screen, 10, true);
    if (!only_fullscreen) {
        std::printf("-- before: the whole screen painted in design pixels, then scaled\n");
        measure("fullscreen fit on 3840x2160", board, window, scale, screen, 40);
        measure_sets("fullscreen fit on 3840x2160", board, window, sets, scale, screen, 10);
    }
    std::printf("-- now: decorations at the screen's resolution, the device scaled over them\n");
    measure_scene("fullscreen fit on 3840x2160", board, window, nullptr, scale, screen, 40);
    measure_scene("fullscreen fit on 3840x2160", board, window, &sets, scale, screen, 40);
    // The other fullscreen scales the desktop can reach on this screen.
    for (double s : {2.0, 1.5}) {
        double fixed = s;
        env.screen_for_device = [&](PixelSize) { return screen_in_design(screen, fixed); };
        Load_Skin(board, window, env, messages);
        sets.load(env, board);
        char label[64];
        std::snprintf(label, sizeof label, "fullscreen at %.1f on 3840x2160", s);
        measure_scene(label, board, window, &sets, s, screen, 40);
    }
    // The same screen at the design size, for comparison.
    env.screen_for_device = nullptr;
    Load_Skin(board, window, env, messages);
    measure("fullscreen 100 % on 3840x2160", board, window, 1.0, screen, 40);
    measure_scene("fullscreen 100 % on 3840x2160", board, window, nullptr, 1.0, screen, 40);
    if (messages.count) std::printf("(%d skin messages)\n", messages.count);
    return 0;
}
