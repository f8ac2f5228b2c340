// Audio latency: from a key press reaching the program (the input dispatch, as the main window
// hands it every key event) to the first non-silent sample of the sound it plays, on SDL's
// disk driver, which stands for a sound card that plays each mixed buffer as it is handed over.
// Also watches the mixer's rhythm: a buffer mixed more than two periods after the one before
// would have left a double-buffered device without sound (an underrun).
//
//   bench_audio_latency [DATA_DIR] [--presses N] [--load THREADS | --nice-load THREADS]
//
// DATA_DIR holds Sound/ (default "data"); --load runs that many busy threads beside it at the
// program's priority, --nice-load at nice 10 (a build in the background).
#include "input/dispatch.h"
#include "shell/core/device_target.h"
#include "shell/core/rig.h"
#include "sound/sound_output.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace q50;
using Clock = std::chrono::steady_clock;

namespace {

struct PrintedMessages : MessageSink {
    void error(const std::string& text) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
    }
};

double ms_since(Clock::time_point t0, Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(t - t0).count();
}

// Filled by the mixer's thread after every mixed buffer.
struct MixWatch {
    std::atomic<bool> armed{false};
    std::atomic<bool> heard{false};
    Clock::time_point mixed_at; // when the buffer that carries the sound was mixed
    int first_frame = 0;        // its first non-silent frame within that buffer
    Clock::time_point last_mix;
    bool started = false;
    long buffers = 0;
    long late = 0; // gaps of more than two periods
    double longest_gap_ms = 0;
    double period_ms = 0;
    int channels = 2;
};

MixWatch watch;

void after_mix(void*, Uint8* stream, int len) {
    const Clock::time_point now = Clock::now();
    if (watch.started) {
        const double gap = ms_since(watch.last_mix, now);
        watch.longest_gap_ms = std::max(watch.longest_gap_ms, gap);
        if (gap > 2 * watch.period_ms) ++watch.late;
    }
    watch.started = true;
    watch.last_mix = now;
    ++watch.buffers;
    if (!watch.armed.load() || watch.heard.load()) return;
    const auto* s = reinterpret_cast<const Sint16*>(stream);
    const int samples = len / 2;
    for (int i = 0; i < samples; ++i)
        if (s[i] != 0) {
            watch.mixed_at = now;
            watch.first_frame = i / watch.channels;
            watch.heard.store(true);
            return;
        }
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(p * double(v.size() - 1) + 0.5))];
}

} // namespace

int main(int argc, char** argv) {
    std::string data = "data";
    int presses = 200, load = 0;
    bool nice_load = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--presses" && i + 1 < argc)
            presses = std::max(1, std::atoi(argv[++i]));
        else if ((a == "--load" || a == "--nice-load") && i + 1 < argc) {
            load = std::max(0, std::atoi(argv[++i]));
            nice_load = a == "--nice-load";
        } else
            data = a;
    }
    const std::filesystem::path raw = std::filesystem::temp_directory_path() /
                                      ("q50-latency-" + std::to_string(getpid()) + ".raw");
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    std::filesystem::current_path(data);

    std::atomic<bool> stop{false};
    std::vector<std::thread> hogs;
    for (int i = 0; i < load; ++i)
        hogs.emplace_back([&] {
            // A build in the background: busy, at a lower priority than the program.
            if (nice_load) setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), 10);
            volatile unsigned long x = 0;
            while (!stop.load(std::memory_order_relaxed)) x = x + 1;
        });

    PrintedMessages messages;
    BasicRig<SoundOutput, SystemClock> rig(1, messages);
    SoundOutput& out = rig.sound;
    Device& dev = rig.dev;
    if (!out.Snd_Init(0)) {
        std::fprintf(stderr, "bench_audio_latency: no sound: %s\n", out.device_error().c_str());
        return 1;
    }
    int rate = 0, channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&rate, &format, &channels);
    watch.channels = channels;
    watch.period_ms = 1000.0 * SoundOutput::kBufferFrames / rate;
    Mix_SetPostMix(after_mix, nullptr);

    rig.form_create();
    DeviceTarget target(dev);
    InputDispatch input(target, rig.keys);

    std::mt19937 rng(7);
    std::vector<double> latency;
    long missed = 0;
    for (int n = 0; n < presses; ++n) {
        out.Snd_Silence();
        // In play, the hero at 1 with nothing that could end the step in a miss or a bonus.
        dev.Game_State = 6;
        dev.Play_Active = true;
        dev.Move_Lock = false;
        dev.Pelko_Pos = 1;
        dev.Pelko_Hold = 0;
        dev.Score = 0;
        dev.Score_Step = 1;
        dev.Next_Chance_Score = 300;
        // A press at any moment of the mixer's period.
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<int>(40000, 90000)(rng)));
        watch.heard = false;
        watch.armed = true;
        const Clock::time_point pressed = Clock::now();
        input.key_down(39); // Right: a step and its sound
        input.key_up(39);
        while (!watch.heard.load() && ms_since(pressed, Clock::now()) < 1000)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        watch.armed = false;
        if (!watch.heard.load()) {
            ++missed;
            continue;
        }
        latency.push_back(ms_since(pressed, watch.mixed_at) + 1000.0 * watch.first_frame / rate);
    }
    out.Snd_Close();
    stop = true;
    for (auto& t : hogs) t.join();
    std::filesystem::remove(raw);

    if (latency.empty()) {
        std::printf("audio latency: no press was heard\n");
        return 1;
    }
    std::printf(
        "audio latency, key press to first non-silent sample (%d presses, %d Hz, buffer "
        "%d frames = %.1f ms, %d busy threads%s): median %.1f ms, p90 %.1f ms, max %.1f ms; "
        "%ld not heard\n",
        presses, rate, SoundOutput::kBufferFrames, watch.period_ms, load,
        nice_load ? " at nice 10" : "", percentile(latency, 0.5), percentile(latency, 0.9),
        percentile(latency, 1.0), missed);
    // A card that plays what it is handed holds one more buffer in its queue before this one.
    std::vector<double> heard;
    for (double l : latency) heard.push_back(l + watch.period_ms);
    std::printf("heard on a double-buffered card (one more buffer queued): median %.1f ms, p90 "
                "%.1f ms\n",
                percentile(heard, 0.5), percentile(heard, 0.9));
    std::printf("mixer rhythm: %ld buffers, longest gap %.1f ms, %ld gaps over two periods "
                "(underruns on a double-buffered device)\n",
                watch.buffers, watch.longest_gap_ms, watch.late);
    return 0;
}
