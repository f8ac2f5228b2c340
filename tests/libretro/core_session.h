#pragma once
// What the core's tests share: a system folder that holds the delivered data, the buttons of
// a scripted game, and the trace tool run on the same input for its snapshots.
#include "board/image.h"
#include "board/rect.h"
#include "tests/libretro/core_frontend.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace q50::test {

// The seed and time of day the core takes from the environment instead of the clock.
inline constexpr std::uint32_t kCoreSeed = 7;
inline constexpr const char* kCoreTime = "10:30";
void fix_core_clock();

// A system folder whose quendrix50/ is the build's run folder.
std::filesystem::path core_system_dir();

// One edge of a RetroPad button at the start of a frame.
struct PadEdge {
    int frame;
    unsigned button; // RETRO_DEVICE_ID_JOYPAD_*
    bool down;
};
// Open, Game A, and then moves and bombs for `frames` frames, the same every time.
std::vector<PadEdge> scripted_game(int frames, std::uint32_t seed = 1);

// Runs `frames` frames with the edges, calling `each(n)` after frame n.
template <class F>
void play(CoreFrontend& f, const std::vector<PadEdge>& edges, int from, int to, F&& each) {
    std::size_t next = 0;
    while (next < edges.size() && edges[next].frame < from) ++next;
    for (int n = from; n < to; ++n) {
        for (; next < edges.size() && edges[next].frame == n; ++next) {
            const std::uint16_t bit = std::uint16_t(1u << edges[next].button);
            f.pads[0] = edges[next].down ? f.pads[0] | bit : f.pads[0] & ~bit;
        }
        f.run();
        each(n);
    }
}

// The trace tool's snapshots of the same input: frame n's snapshot is the device at the time
// frame n shows, floor((n + 1) * 1000 / 60). Also the sounds it printed, by time.
struct TraceRun {
    std::map<int, Image> snapshots;
    std::vector<std::pair<std::int64_t, std::string>> sounds;
};
// `options` are further command-line options of the trace tool (--lcd-shadow 30, ...).
TraceRun trace_snapshots(const std::vector<PadEdge>& edges, const std::vector<int>& frames,
                         int last_frame, const std::string& options = "");

// A picture as the core shows it (laid over black) at a whole scale, cut to `crop` (in the
// scaled picture's pixels; empty: all of it).
CoreFrame as_core_frame(const Image& snapshot, int scale = 1, Rect crop = {});

} // namespace q50::test
