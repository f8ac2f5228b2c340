#pragma once
// Puts a harness's device into play the way a player does: open, start a game at time 0, and
// run the introduction and the stage start.
#include "board/render_ops.h"
#include "device_harness.h"

#include <initializer_list>

namespace q50::testing {

// Device time of the stage start's step 4 for a game started at 0, and of the first main tick
// (one 435 ms period later at score 0).
constexpr std::int64_t kPlayStarts = 10531;
constexpr std::int64_t kFirstTick = kPlayStarts + 435;

// `game` is 'A' or 'B'; `deal` the four counters of enemies 1..4 at the stage start.
inline void start_play(DeviceHarness& h, char game = 'A',
                       std::initializer_list<int> deal = {1, 1, 1, 1}) {
    h.start();
    h.dev.Inp_open_down();
    if (game == 'A') {
        h.dev.Inp_game_a_down();
        h.dev.Inp_game_a_up();
    } else {
        h.dev.Inp_game_b_down();
        h.dev.Inp_game_b_up();
    }
    for (int v : deal) h.random.script(v);
    h.dev.advance_to(kPlayStarts);
}

// Moves the hero without any rule running, keeping the picture consistent.
inline void place_hero(DeviceHarness& h, int pos, int hold) {
    Vid_Show_Pelko(h.dev.board, h.dev.Pelko_Pos, h.dev.Pelko_Hold, false);
    h.dev.Pelko_Pos = pos;
    h.dev.Pelko_Hold = hold;
    Vid_Show_Pelko(h.dev.board, pos, hold, true);
}

inline std::array<int, 5> counters(const DeviceHarness& h) {
    std::array<int, 5> out{};
    for (int n = 1; n <= 5; ++n) out[std::size_t(n - 1)] = h.dev.Enemy_Flame[std::size_t(n)];
    return out;
}

} // namespace q50::testing
