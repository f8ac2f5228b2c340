// Core speed: simulated device time per second of CPU for random play. A player presses a
// random button every 50..1500 ms, and starts a new game whenever the device waits for one.
#include "shell/core/rig.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

using namespace q50;

namespace {

class QuietSound : public SoundSink {
  public:
    void play(Sample) override { ++plays; }
    void silence() override {}
    long plays = 0;
};

double cpu_seconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

struct Run {
    double device_hours;
    double cpu;
    long steps;
    long presses;
};

Run soak(std::uint32_t seed, double hours) {
    BasicRig<QuietSound> rig{seed};
    rig.start();
    Device& d = rig.dev;
    d.Inp_open_down();

    std::mt19937 rng(seed);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const std::int64_t end = std::int64_t(hours * 3600e3);
    long steps = 0, presses = 0;
    const double cpu0 = cpu_seconds();
    std::int64_t press_at = 500;
    while (d.now() < end) {
        const std::int64_t due = d.next_due().value_or(press_at);
        if (due < press_at) {
            d.advance_to(due);
            ++steps;
            continue;
        }
        d.advance_to(press_at);
        ++presses;
        const int s = d.Game_State;
        if (s == 2 || s == 4 || s == 9) {
            if (pick(0, 1)) {
                d.Inp_game_a_down();
                d.Inp_game_a_up();
            } else {
                d.Inp_game_b_down();
                d.Inp_game_b_up();
            }
        } else {
            switch (pick(0, 2)) {
            case 0:
                d.Inp_left_down();
                d.Inp_left_up();
                break;
            case 1:
                d.Inp_right_down();
                d.Inp_right_up();
                break;
            default:
                d.Inp_bomb_down();
                d.Inp_bomb_up();
                break;
            }
        }
        press_at = d.now() + pick(50, 1500);
    }
    return {double(d.now()) / 3600e3, cpu_seconds() - cpu0, steps, presses};
}

} // namespace

int main() {
    constexpr double kHours = 20.0;
    std::vector<double> ratios;
    Run last{};
    for (std::uint32_t seed = 1; seed <= 5; ++seed) {
        last = soak(seed, kHours);
        ratios.push_back(last.device_hours * 3600.0 / last.cpu);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("core speed, random play: %.0fx real time per CPU second (median of %zu runs of "
                "%.0f simulated hours; range %.0fx..%.0fx; %ld steps, %ld presses a run)\n",
                ratios[ratios.size() / 2], ratios.size(), kHours, ratios.front(), ratios.back(),
                last.steps, last.presses);
    return 0;
}
