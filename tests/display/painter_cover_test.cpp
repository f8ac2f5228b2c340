// What a higher layer covers opaquely is not painted underneath: checked against a plain
// compositor that paints every layer in full, with random layers, holes and translucent runs.
#include "display/painter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace q50 {
namespace {

const char* const kNames[] = {"im_background_bottom",
                              "im_background_back",
                              "im_background_front",
                              "im_background_screen_top",
                              "im_game_background",
                              "im_flame_1",
                              "im_flame_2",
                              "im_flame_3",
                              "btn_open",
                              "btn_game_a_top"};

// src over an opaque dst, each channel rounded to the nearest.
Argb reference_blend(Argb s, Argb d) {
    const std::uint32_t a = s >> 24;
    auto ch = [&](int shift) {
        return (((s >> shift) & 0xFF) * a + ((d >> shift) & 0xFF) * (255 - a) + 127) / 255;
    };
    return argb(255, std::uint8_t(ch(16)), std::uint8_t(ch(8)), std::uint8_t(ch(0)));
}

Image reference(const Board& board, const WindowModel& window, const Image* base) {
    Image f =
        base ? *base
             : Image(window.client_width, window.client_height, opaque_from_colour(window.colour));
    std::vector<const Segment*> order;
    for (const Segment& s : board.segments()) order.push_back(&s);
    std::stable_sort(order.begin(), order.end(),
                     [](const Segment* a, const Segment* b) { return a->layer < b->layer; });
    for (const Segment* s : order) {
        if (!s->shown || !s->picture) continue;
        const Image& p = *s->picture;
        for (int y = 0; y < std::min(p.height, s->rect.height); ++y)
            for (int x = 0; x < std::min(p.width, s->rect.width); ++x) {
                const int fx = s->rect.left + x, fy = s->rect.top + y;
                if (fx < 0 || fy < 0 || fx >= f.width || fy >= f.height) continue;
                f.at(fx, fy) = reference_blend(p.at(x, y), f.at(fx, fy));
            }
    }
    return f;
}

// Rows of opaque runs with holes, translucent stretches and see-through ends.
Picture random_picture(std::mt19937& rng, int w, int h) {
    Image img(w, h);
    for (int y = 0; y < h; ++y) {
        int x = 0;
        while (x < w) {
            const int n = 1 + int(rng() % unsigned(w));
            const unsigned kind = rng() % 4;
            for (int i = x; i < std::min(w, x + n); ++i) {
                const std::uint32_t a = kind == 0 ? 0 : kind == 3 ? 1 + rng() % 254 : 255;
                img.at(i, y) = a ? (a << 24) | (rng() & 0xFFFFFFu) : 0;
            }
            x += n;
        }
    }
    return std::make_shared<const Image>(std::move(img));
}

void shuffle_board(Board& board, std::mt19937& rng) {
    for (const char* name : kNames) {
        Segment& s = board.named(name);
        const int w = 3 + int(rng() % 30), h = 1 + int(rng() % 20);
        board.set_rect(s, Rect{int(rng() % 40) - 5, int(rng() % 30) - 5, w, h});
        board.set_picture(s, random_picture(rng, w + int(rng() % 3), h));
        board.set_shown(s, rng() % 4 != 0);
    }
}

TEST(PainterCoverTest, SkippingCoveredLayersPaintsWhatPaintingEveryLayerPaints) {
    for (bool on_base : {false, true}) {
        for (unsigned seed = 1; seed <= 40; ++seed) {
            std::mt19937 rng(seed);
            Board board;
            for (Segment& s : board.segments()) board.hide(s);
            WindowModel window;
            window.client_width = 40;
            window.client_height = 30;
            window.key_on = false;
            window.colour = 0x00123456;
            // On a base: the frame is a window at (3, 2) into a larger target over a picture.
            Image target(46, 34), under(46, 34);
            for (Argb& p : under.pixels) p = 0xFF000000u | (rng() & 0xFFFFFFu);
            Image base(40, 30);
            for (int y = 0; y < 30; ++y)
                for (int x = 0; x < 40; ++x) base.at(x, y) = under.at(x + 3, y + 2);
            Painter painter;
            if (on_base) painter.set_target(&target, &under, 3, 2);
            const auto painted = [&] {
                const Image& f = painter.paint(board, window);
                if (!on_base) return f;
                Image window_part(40, 30);
                for (int y = 0; y < 30; ++y)
                    for (int x = 0; x < 40; ++x) window_part.at(x, y) = f.at(x + 3, y + 2);
                return window_part;
            };
            shuffle_board(board, rng);
            ASSERT_EQ(painted().pixels, reference(board, window, on_base ? &base : nullptr).pixels)
                << "seed " << seed << " base " << on_base;
            // Incremental repaints: segments switched, moved and given new pictures.
            for (int step = 0; step < 6; ++step) {
                Segment& s = board.named(kNames[rng() % std::size(kNames)]);
                switch (rng() % 3) {
                case 0:
                    board.set_shown(s, !s.shown);
                    break;
                case 1:
                    board.set_rect(
                        s, Rect{s.rect.left + 2, s.rect.top - 1, s.rect.width, s.rect.height});
                    break;
                default:
                    board.set_picture(s, random_picture(rng, s.rect.width, s.rect.height));
                }
                ASSERT_EQ(painted().pixels,
                          reference(board, window, on_base ? &base : nullptr).pixels)
                    << "seed " << seed << " base " << on_base << " step " << step;
            }
        }
    }
}

} // namespace
} // namespace q50
