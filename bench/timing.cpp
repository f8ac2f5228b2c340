// Timing fidelity in real time: the desktop's real-time driver (one precise single-shot timer
// re-armed to the next due step) runs the introduction and 60 s of scripted play headless.
// Every timer step is timed against its device time, which is the ideal schedule; halfway
// through play the thread is blocked for 2 s, after which no timer may burst.
#include "shell/core/rig.h"
#include "shell/realtime_driver.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

using namespace q50;

namespace {

class QuietSound : public SoundSink {
  public:
    void play(Sample) override {}
    void silence() override {}
};

struct StepRecord {
    TimerId id;
    std::int64_t device_ms;
    double real_ms;
};

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(p * double(v.size() - 1) + 0.5))];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);

    BasicRig<QuietSound> rig{20261209};
    rig.form_create();
    Device& d = rig.dev;

    // The driver's own clock, read to the nanosecond, is the ideal schedule's time line.
    RealtimeDriver driver(d);
    auto real_ms = [&driver] { return double(driver.clock_ns()) / 1e6; };

    std::vector<StepRecord> steps;
    steps.reserve(100000);
    d.on_step = [&](TimerId id) { steps.push_back({id, d.now(), real_ms()}); };

    driver.run([&] {
        d.power_on();
        d.Inp_open_down();
    });
    driver.run([&] {
        d.Inp_game_a_down();
        d.Inp_game_a_up();
    });

    // Play: a press every 350 ms once play is active, held 80 ms, in a fixed pattern.
    constexpr double kPlayMs = 60000, kStallAfterMs = 30000, kStallMs = 2000;
    double play_start = -1, stall_at = -1, stall_end = -1;
    int stall_mode = -1;
    int presses = 0;
    QTimer player;
    player.setTimerType(Qt::PreciseTimer);
    player.setInterval(350);
    const std::array<int, 8> pattern = {1, 1, 2, 1, 2, 0, 1, 2};
    QObject::connect(&player, &QTimer::timeout, [&] {
        if (!d.Play_Active && play_start < 0) return;
        if (play_start < 0) play_start = real_ms();
        const double in_play = real_ms() - play_start;
        if (in_play >= kStallAfterMs && stall_at < 0 && d.Play_Active) {
            stall_at = real_ms();
            stall_mode = d.Game_State;
            std::this_thread::sleep_for(std::chrono::milliseconds(int(kStallMs)));
            stall_end = real_ms();
            return;
        }
        if (in_play >= kPlayMs + kStallMs) {
            driver.poll();
            QCoreApplication::quit();
            return;
        }
        // A game that ended is started again, so that the minute is played.
        if (d.Game_State == 9 || d.Game_State == 2 || !d.next_due()) {
            driver.run([&d] {
                d.Inp_game_a_down();
                d.Inp_game_a_up();
            });
            return;
        }
        const int b = pattern[std::size_t(presses++) % pattern.size()];
        driver.run([&d, b] {
            if (b == 0) d.Inp_left_down();
            if (b == 1) d.Inp_right_down();
            if (b == 2) d.Inp_bomb_down();
        });
        QTimer::singleShot(80, Qt::PreciseTimer, &driver, [&d, &driver, b] {
            driver.run([&d, b] {
                if (b == 0) d.Inp_left_up();
                if (b == 1) d.Inp_right_up();
                if (b == 2) d.Inp_bomb_up();
            });
        });
    });
    player.start();
    QCoreApplication::exec();

    // Lateness of every step against its device time; the steps the stall held up are
    // counted apart.
    std::vector<double> late;
    int stalled = 0;
    for (const StepRecord& s : steps) {
        const double l = s.real_ms - double(s.device_ms);
        // Steps overdue by the stall fire once, at the time the driver catches up.
        if (stall_end >= 0 && s.real_ms >= stall_end && s.real_ms < stall_end + 20) ++stalled;
        late.push_back(l);
    }
    // A burst: one timer stepping twice within half its interval of real time.
    int bursts = 0, bursts_after_stall = 0;
    std::array<const StepRecord*, kTimerCount> last{};
    for (const StepRecord& s : steps) {
        const StepRecord*& prev = last[std::size_t(s.id)];
        if (prev && s.real_ms - prev->real_ms < 0.5 * double(s.device_ms - prev->device_ms)) {
            ++bursts;
            if (s.real_ms >= stall_end && s.real_ms < stall_end + 3000) ++bursts_after_stall;
        }
        prev = &s;
    }
    const double drift = real_ms() - double(d.now());
    std::array<int, kTimerCount> per_timer{};
    for (const StepRecord& s : steps) ++per_timer[std::size_t(s.id)];
    std::string counts;
    for (int i = 0; i < kTimerCount; ++i)
        if (per_timer[std::size_t(i)])
            counts.append(" ")
                .append(timer_name(TimerId(i)))
                .append(" ")
                .append(std::to_string(per_timer[std::size_t(i)]));
    std::printf("timing: steps by timer:%s; mode %d at the stall, %d at the end (Play_Active %d, "
                "Misses %d, a step due: %s)\n",
                counts.c_str(), stall_mode, d.Game_State, int(d.Play_Active), d.Misses,
                d.next_due() ? "yes" : "no");
    if (std::getenv("Q50_TIMING_TRACE"))
        for (const StepRecord& s : steps)
            std::printf("step %lld %s\n", (long long)s.device_ms,
                        std::string(timer_name(s.id)).c_str());
    std::printf("timing: %zu timer steps in %.1f s (introduction and %.0f s of play, %d presses)\n",
                steps.size(), real_ms() / 1000, kPlayMs / 1000, presses);
    std::printf("timing: step lateness median %.3f ms\n", percentile(late, 0.5));
    std::printf("timing: step lateness p99 %.3f ms\n", percentile(late, 0.99));
    std::printf("timing: step lateness max %.3f ms\n",
                late.empty() ? 0 : *std::max_element(late.begin(), late.end()));
    std::printf("timing: %llu timer wakes for %zu steps\n", (unsigned long long)driver.wakes(),
                steps.size());
    std::printf("timing: drift at end (monotonic clock minus device time) %.3f ms\n", drift);
    std::printf("timing: forced stall %.0f ms: %d steps ran as it ended (one per overdue timer), "
                "%d bursts after it, %d in the whole run\n",
                stall_end - stall_at, stalled, bursts_after_stall, bursts);
    return 0;
}
