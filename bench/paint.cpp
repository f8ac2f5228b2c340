// Median time to paint the everything-on display at the default size, from scratch and for
// one segment switched, with pictures shaped like a real skin's: opaque device pictures, LCD
// segments that are opaque inside a soft edge and transparent around it, and a screen overlay
// that is transparent but for its frame.
#include "board/render_ops.h"
#include "display/painter.h"
#include "display/skin_loader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace q50;

namespace {

Picture shaped(int w, int h, Argb colour) {
    Image img(w, h);
    const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double dx = (x - cx) / (cx + 0.5), dy = (y - cy) / (cy + 0.5);
            const double d = dx * dx + dy * dy;
            const int a = d < 0.7 ? 255 : d < 1.0 ? int((1.0 - d) / 0.3 * 255) : 0;
            img.at(x, y) = (colour & 0x00FFFFFF) | (Argb(a) << 24);
        }
    return std::make_shared<const Image>(std::move(img));
}

Picture framed(int w, int h) {
    Image img(w, h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (x < 8 || y < 8 || x >= w - 8 || y >= h - 8) img.at(x, y) = argb(200, 40, 40, 40);
    return std::make_shared<const Image>(std::move(img));
}

double median_ms(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

struct QuietMessages : MessageSink {
    int count = 0;
    void error(const std::string&) override { ++count; }
};

// The delivered skin loaded for a fullscreen 1920x1080 screen, everything shown.
void fullscreen_reload(const char* data_dir) {
    Board board;
    WindowModel window;
    QuietMessages messages;
    SkinEnvironment env;
    env.executable_dir = env.current_dir = data_dir;
    env.screen_width = 1920;
    env.screen_height = 1080;
    env.Fullscreen_Mode = false;
    Load_Skin(board, window, env, messages);
    env.Fullscreen_Mode = true;
    const auto r0 = std::chrono::steady_clock::now();
    Load_Skin(board, window, env, messages);
    const double reload =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - r0).count();
    for (Segment& s : board.segments()) board.show(s);
    Painter painter;
    std::vector<double> full;
    for (int i = 0; i < 100; ++i) {
        painter.invalidate();
        const auto t0 = std::chrono::steady_clock::now();
        painter.paint(board, window);
        full.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                .count());
    }
    std::printf("paint %dx%d after a fullscreen reload of the delivered skin (reload %.1f ms, %d "
                "messages), every segment shown: full repaint median %.3f ms (%zu runs)\n",
                window.client_width, window.client_height, reload, messages.count, median_ms(full),
                full.size());
}

int main(int argc, char** argv) {
    Board board;
    WindowModel window;
    window.client_width = 498;
    window.client_height = 770;
    window.key_on = true;
    window.colour = window.key_colour = 0x00FF00FF;
    for (Segment& s : board.segments()) {
        const Rect& r = s.rect;
        if (r.width <= 0 || r.height <= 0) continue;
        Picture p;
        if (&s == &board.get("im_background_screen_top"))
            p = framed(r.width, r.height);
        else if (s.transparent || s.name.rfind("btn_", 0) == 0)
            p = shaped(r.width, r.height, 0x334455);
        else
            p = std::make_shared<const Image>(r.width, r.height, argb(255, 180, 170, 160));
        board.set_picture(s, std::move(p));
    }
    // Everything on, the lid and the glyph sources included: the worst case.
    for (Segment& s : board.segments()) board.show(s);

    Painter painter;
    painter.paint(board, window);
    std::vector<double> full, one;
    Segment& flame = board.get("im_flame_3");
    for (int i = 0; i < 300; ++i) {
        painter.invalidate();
        auto t0 = std::chrono::steady_clock::now();
        painter.paint(board, window);
        auto t1 = std::chrono::steady_clock::now();
        full.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());

        board.set_shown(flame, !flame.shown);
        t0 = std::chrono::steady_clock::now();
        painter.paint(board, window);
        t1 = std::chrono::steady_clock::now();
        one.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::printf("paint 498x770, every segment shown: full repaint median %.3f ms, "
                "one segment switched median %.4f ms (%zu runs)\n",
                median_ms(full), median_ms(one), full.size());
    if (argc > 1) fullscreen_reload(argv[1]);
    return 0;
}
