// Median time to paint the everything-on display at the default size, from scratch and for
// one segment switched, with pictures shaped like a real skin's: opaque device pictures, LCD
// segments that are opaque inside a soft edge and transparent around it, and a screen overlay
// that is transparent but for its frame.
#include "display/painter.h"
#include "display/render_ops.h"

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

int main() {
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
        if (s.name == "im_background_screen_top")
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
    return 0;
}
