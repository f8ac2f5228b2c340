// q50-e2e-frames: renders, with the painter and the delivered skin, the frames the program
// should show at the end-to-end test's moments, and compares screenshots against them.
//
//   q50-e2e-frames RUN_DIR WxH closed|open SCREENSHOT OUT.png
//       the whole screen must match the frame of the closed device, or of every segment lit
//   q50-e2e-frames RUN_DIR WxH windowed X Y SCREENSHOT OUT.png
//       the closed device in windowed mode with its client area at (X, Y): the device's opaque
//       pixels must match, and its see-through pixels must show the screen behind (black)
//   q50-e2e-frames RUN_DIR WxH hiscore|hiscore-b|alarm SCREENSHOT OUT.png
//       the whole screen must match the opened device with Game A held (its high score shown),
//       with Game B held (the high score of Game B), or with Time held (the alarm time)
//   q50-e2e-frames RUN_DIR WxH hero POS [high] [score N] [left-held|right-held] SCREENSHOT OUT.png
//       the hero's pixels at walkway position POS (low hold, or high, just after the
//       introduction and POS-1 steps to the right), the score panel's digits (POS-1 points, or
//       N) and the movement pad and bomb button (released, or the pad showing a step to the
//       left or right held) must match; the rest of the game is random and not compared
//
// The device is run in virtual time through the same actions the test gives the program.
// Exit status 0 when the screenshot matches, 1 when it does not, 2 on a usage error.
#include "board/render_ops.h"
#include "display/painter.h"
#include "display/picture_file.h"
#include "display/png_writer.h"
#include "display/skin_loader.h"
#include "shell/core/rig.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace q50;

struct Messages : MessageSink {
    void error(const std::string& text) override { std::cerr << "message: " << text << '\n'; }
};

// The program's own clock, so that a frame showing the time shows the program's time.
struct FramesRig : BasicRig<RecordingSound, SystemClock> {
    WindowModel window;
    Messages messages;

    // What the program does from its start to the closed device, with a clean store.
    bool start(const std::string& run_dir, int w, int h, bool windowed) {
        if (windowed) store.preset("FullscreenMode", "0");
        bool loaded = false;
        BasicRig::start([&] {
            SkinEnvironment env;
            env.executable_dir = run_dir;
            env.current_dir = run_dir;
            env.Fullscreen_Mode = presentation.Fullscreen_Mode;
            env.screen_width = w;
            env.screen_height = h;
            loaded = Load_Skin(dev.board, window, env, messages).status == SkinLoadStatus::Complete;
            // The menu button's backing: the one picture the window has built in.
            if (PictureLoad l =
                    load_picture_file(Q50_SOURCE_DIR "/shell/pictures/menu_backing.png"))
                dev.board.set_picture(dev.board.get("btn_game_menu_background"), l.picture);
        });
        return loaded;
    }
};

bool close_enough(Argb a, Argb b) {
    auto d = [](Argb x, Argb y, int shift) {
        return std::abs(int((x >> shift) & 0xff) - int((y >> shift) & 0xff));
    };
    return d(a, b, 16) <= 8 && d(a, b, 8) <= 8 && d(a, b, 0) <= 8;
}

Picture load_screenshot(const std::string& path) {
    PictureLoad l = load_picture_file(path);
    if (!l) std::cerr << "q50-e2e-frames: " << l.error << '\n';
    return l.picture;
}

int compare_windowed(const Image& frame, const Image& got, int left, int top) {
    std::size_t opaque = 0, opaque_same = 0, clear = 0, clear_same = 0;
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x) {
            const int sx = left + x, sy = top + y;
            if (sx < 0 || sy < 0 || sx >= got.width || sy >= got.height) continue;
            const Argb f = frame.at(x, y), g = got.at(sx, sy);
            if (alpha_of(f) == 255) {
                ++opaque;
                if (close_enough(f, g)) ++opaque_same;
            } else if (alpha_of(f) == 0) {
                ++clear;
                if (close_enough(0xff000000, g)) ++clear_same;
            }
        }
    std::printf("opaque %zu matching %.4f, see-through %zu showing the screen %.4f\n", opaque,
                opaque ? double(opaque_same) / double(opaque) : 0.0, clear,
                clear ? double(clear_same) / double(clear) : 0.0);
    return opaque > 0 && clear > 0 && opaque_same >= 0.999 * double(opaque) &&
                   clear_same >= 0.999 * double(clear)
               ? 0
               : 1;
}

int compare_whole(const Image& want, const Image& got) {
    if (want.width != got.width || want.height != got.height) {
        std::cerr << "screenshot is " << got.width << "x" << got.height << ", frame is "
                  << want.width << "x" << want.height << '\n';
        return 1;
    }
    std::size_t same = 0;
    for (std::size_t i = 0; i < want.pixels.size(); ++i)
        if (close_enough(want.pixels[i], got.pixels[i])) ++same;
    const double share = double(same) / double(want.pixels.size());
    std::printf("matching pixels %.4f\n", share);
    return share >= 0.999 ? 0 : 1;
}

// The pixels where the hero's pictures are drawn (body and both arm segments, and the bomb at
// 5) and no other LCD segment could be lit over them, whatever the game's random state.
std::vector<std::pair<int, int>> hero_pixels(const Board& b, int pos) {
    std::vector<std::pair<int, int>> out;
    for (int column = 1; column <= 3; ++column) {
        const Segment* s = b.Seg_Pelko.slot(pos, column);
        if (!s || !s->picture) continue;
        const Image& p = *s->picture;
        for (int y = 0; y < std::min(p.height, s->rect.height); ++y)
            for (int x = 0; x < std::min(p.width, s->rect.width); ++x) {
                if (alpha_of(p.at(x, y)) < 200) continue;
                const int sx = s->rect.left + x, sy = s->rect.top + y;
                bool covered = false;
                for (const Segment& o : b.segments()) {
                    if (!is_lcd_segment(o.name) || o.layer <= s->layer) continue;
                    if (o.name.rfind("im_pelko_", 0) == 0) continue;
                    const Rect& r = o.rect;
                    if (sx >= r.left && sy >= r.top && sx < r.left + r.width &&
                        sy < r.top + r.height)
                        covered = true;
                }
                if (!covered) out.emplace_back(sx, sy);
            }
    }
    return out;
}

// Adds the pixels of r that lie in both pictures to n, and those that match to same.
void count_matching(const Rect& r, const Image& want, const Image& got, std::size_t& n,
                    std::size_t& same) {
    for (int y = r.top; y < r.top + r.height; ++y)
        for (int x = r.left; x < r.left + r.width; ++x) {
            if (x < 0 || y < 0 || x >= got.width || y >= got.height || x >= want.width ||
                y >= want.height)
                continue;
            ++n;
            if (close_enough(want.at(x, y), got.at(x, y))) ++same;
        }
}

// Share of the pixels of the named segments' rectangles that match (controls outside the LCD,
// which nothing random covers).
double rects_matching(const Board& b, std::initializer_list<const char*> names, const Image& want,
                      const Image& got) {
    std::size_t n = 0, same = 0;
    for (const char* name : names) {
        const Segment* s = b.find(name);
        if (!s) continue;
        count_matching(s->rect, want, got, n, same);
    }
    return n ? double(same) / double(n) : 0.0;
}

// Share of the score digits' pixels that match: the digits are never covered in play.
double digits_matching(const Board& b, const Image& want, const Image& got) {
    std::size_t n = 0, same = 0;
    for (int k = decltype(b.Seg_Digit)::first(); k <= decltype(b.Seg_Digit)::last(); ++k) {
        const Segment* s = b.Seg_Digit.slot(k);
        if (!s) continue;
        count_matching(s->rect, want, got, n, same);
    }
    return n ? double(same) / double(n) : 0.0;
}

int compare_hero(FramesRig& rig, int pos, Painter& painter, const Image& got) {
    const Image want = painter.paint(rig.dev.board, rig.window);
    const double digits = digits_matching(rig.dev.board, want, got);
    const double controls =
        rects_matching(rig.dev.board, {"btn_move_top", "btn_bomb_down"}, want, got);
    const auto pixels = hero_pixels(rig.dev.board, pos);
    // The same pixels with the hero in the other hold, and with him dark: the check must tell
    // the three apart.
    Device& d = rig.dev;
    const int hold = d.Pelko_Hold;
    Vid_Show_Pelko(d.board, pos, hold == 3 ? 2 : 3, true);
    Painter other;
    const Image other_hold = other.paint(d.board, rig.window);
    Vid_Show_Pelko(d.board, pos, hold, false);
    Painter dark;
    const Image without = dark.paint(d.board, rig.window);
    std::size_t same = 0, not_other_hold = 0, not_dark = 0;
    for (auto [x, y] : pixels) {
        if (x < 0 || y < 0 || x >= got.width || y >= got.height) continue;
        if (close_enough(want.at(x, y), got.at(x, y))) ++same;
        if (!close_enough(want.at(x, y), other_hold.at(x, y))) ++not_other_hold;
        if (!close_enough(want.at(x, y), without.at(x, y))) ++not_dark;
    }
    const double n = pixels.empty() ? 1.0 : double(pixels.size());
    std::printf("hero pixels %zu, matching %.3f, unlike the other hold %.3f, unlike no hero "
                "%.3f; score digits matching %.3f; movement pad and bomb button matching %.3f\n",
                pixels.size(), same / n, not_other_hold / n, not_dark / n, digits, controls);
    // Of the pixels that tell the holds apart, too many unlike the screen fail the check.
    return !pixels.empty() && double(same) >= n - 0.1 * double(not_other_hold) &&
                   not_dark >= 0.3 * n && not_other_hold > 0 && digits >= 0.99 && controls >= 0.99
               ? 0
               : 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> a(argv + 1, argv + argc);
    int w = 0, h = 0;
    if (a.size() < 5 || std::sscanf(a[1].c_str(), "%dx%d", &w, &h) != 2 || w <= 0 || h <= 0) {
        std::cerr << "usage: q50-e2e-frames RUN_DIR WxH closed|open|hiscore|hiscore-b|alarm|"
                     "windowed X Y|hero POS [high] SCREENSHOT OUT.png\n";
        return 2;
    }
    const std::string& state = a[2];
    const bool hero = state == "hero";
    const bool windowed = state == "windowed";
    if (hero && a.size() < 6) return 2;
    if (windowed && a.size() != 7) return 2;
    // The hero's words between his position and the two files.
    bool high = false;
    const char* held_step = nullptr; // the movement pad's picture of a step held
    int score = -1;
    if (hero) {
        for (std::size_t i = 4; i + 2 < a.size(); ++i) {
            if (a[i] == "high")
                high = true;
            else if (a[i] == "left-held")
                held_step = "btn_move_down_left";
            else if (a[i] == "right-held")
                held_step = "btn_move_down_right";
            else if (a[i] == "score" && i + 3 < a.size())
                score = std::atoi(a[++i].c_str());
            else
                return 2;
        }
    }
    const std::size_t file_arg = hero ? a.size() - 2 : windowed ? 5 : 3;
    const std::string screenshot = a[file_arg];
    const std::string out = a[file_arg + 1];
    FramesRig rig;
    if (!rig.start(a[0], w, h, windowed)) return 2;

    Device& d = rig.dev;
    const bool held = state == "hiscore" || state == "hiscore-b" || state == "alarm";
    if (state == "open" || held || hero) d.Inp_open_down();
    if (state == "hiscore") d.Inp_game_a_down();
    if (state == "hiscore-b") d.Inp_game_b_down();
    if (state == "alarm") d.Inp_time_down();
    int pos = 0;
    if (hero) {
        pos = std::atoi(a[3].c_str());
        if (pos < 1 || pos > 5) return 2;
        d.Inp_game_a_down();
        d.Inp_game_a_up();
        std::int64_t t = d.now() + 11000;
        d.advance_to(t);
        for (int i = 1; i < pos; ++i) {
            d.Inp_right_down();
            d.Inp_right_up();
            d.advance_to(t += 500);
        }
        if (d.Pelko_Pos != pos) {
            std::cerr << "the reference device did not reach position " << pos << '\n';
            return 2;
        }
        // Drawn as the buttons leave them: no collision of the reference's own game decides.
        if (high) {
            d.Pelko_Hold = 3;
            Vid_Show_Pelko(d.board, pos, 3, true);
        }
        if (score >= 0) {
            d.Score = score;
            Vid_Show_Panel_Score(d.board, score, true);
        }
        if (held_step) d.board.copy_picture(d.board.get("btn_move_top"), *d.board.find(held_step));
    } else if (state != "closed" && state != "open" && !held && !windowed) {
        return 2;
    }

    Painter painter;
    const Image& frame = painter.paint(d.board, rig.window);
    std::string error;
    if (!write_png(frame, out, &error)) std::cerr << "q50-e2e-frames: " << error << '\n';
    const Picture got = load_screenshot(screenshot);
    if (!got) return 1;
    if (windowed)
        return compare_windowed(frame, *got, std::atoi(a[3].c_str()), std::atoi(a[4].c_str()));
    return hero ? compare_hero(rig, pos, painter, *got) : compare_whole(frame, *got);
}
