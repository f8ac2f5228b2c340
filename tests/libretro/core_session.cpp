#include "tests/libretro/core_session.h"

#include "display/decoders.h"
#include "libretro/frame_view.h"
#include "libretro/handheld.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace q50::test {

void fix_core_clock() {
    setenv("QUENDRIX50_SEED", std::to_string(kCoreSeed).c_str(), 1);
    setenv("QUENDRIX50_TIME_OF_DAY", kCoreTime, 1);
}

std::filesystem::path core_system_dir() {
    const auto dir = std::filesystem::path(Q50_BINARY_DIR) / "libretro-system";
    const auto link = dir / "quendrix50";
    if (!std::filesystem::exists(link)) {
        std::filesystem::create_directories(dir);
        // Tests run side by side: another may make the same link first, which is as good.
        std::error_code made;
        std::filesystem::create_directory_symlink(Q50_RUN_DIR, link, made);
        if (made && std::filesystem::read_symlink(link) != Q50_RUN_DIR)
            throw std::filesystem::filesystem_error("cannot make the core's system folder", link,
                                                    made);
    }
    return dir;
}

std::vector<PadEdge> scripted_game(int frames, std::uint32_t seed) {
    std::vector<PadEdge> e;
    e.push_back({3, RETRO_DEVICE_ID_JOYPAD_Y, true}); // open the lid
    e.push_back({6, RETRO_DEVICE_ID_JOYPAD_Y, false});
    e.push_back({40, RETRO_DEVICE_ID_JOYPAD_START, true}); // Game A
    e.push_back({45, RETRO_DEVICE_ID_JOYPAD_START, false});
    const unsigned moves[] = {RETRO_DEVICE_ID_JOYPAD_LEFT, RETRO_DEVICE_ID_JOYPAD_RIGHT,
                              RETRO_DEVICE_ID_JOYPAD_B};
    std::uint32_t x = seed;
    for (int n = 120; n + 8 < frames;) {
        x = x * 1664525u + 1013904223u;
        const unsigned b = moves[(x >> 16) % 3];
        const int hold = 2 + int((x >> 8) % 6);
        e.push_back({n, b, true});
        e.push_back({n + hold, b, false});
        n += hold + 1 + int((x >> 24) % 20);
    }
    return e;
}

namespace {

const char* trace_pad_name(unsigned button) {
    switch (button) {
    case RETRO_DEVICE_ID_JOYPAD_B:
        return "a";
    case RETRO_DEVICE_ID_JOYPAD_A:
        return "b";
    case RETRO_DEVICE_ID_JOYPAD_Y:
        return "x";
    case RETRO_DEVICE_ID_JOYPAD_X:
        return "y";
    case RETRO_DEVICE_ID_JOYPAD_START:
        return "start";
    case RETRO_DEVICE_ID_JOYPAD_SELECT:
        return "back";
    case RETRO_DEVICE_ID_JOYPAD_LEFT:
        return "dpleft";
    case RETRO_DEVICE_ID_JOYPAD_RIGHT:
        return "dpright";
    default:
        throw std::logic_error("no trace name for that button");
    }
}

} // namespace

TraceRun trace_snapshots(const std::vector<PadEdge>& edges, const std::vector<int>& frames,
                         int last_frame, const std::string& options) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("q50-core-trace-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    // Lines of the same time run in script order. Frame n - 1 shows time t(n) and frame n's
    // input acts at t(n) after it, so a snapshot goes before an input of its time.
    struct Line {
        std::int64_t time;
        int order; // snapshots first at a time they share with an input
        std::string text;
    };
    std::vector<Line> lines;
    for (const PadEdge& e : edges)
        lines.push_back(
            {frame_time(e.frame), 1,
             std::string(e.down ? "paddown " : "padup ") + trace_pad_name(e.button) + " 0"});
    for (int n : frames)
        lines.push_back(
            {frame_time(n + 1), 0, "snapshot " + (dir / (std::to_string(n) + ".png")).string()});
    std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) {
        return a.time != b.time ? a.time < b.time : a.order < b.order;
    });
    std::ostringstream script;
    script << "seed " << kCoreSeed << "\ntime " << kCoreTime << "\n";
    for (const Line& l : lines) script << "at " << l.time << " " << l.text << "\n";
    script << "at " << frame_time(last_frame + 1) << " end\n";
    { std::ofstream(dir / "script") << script.str(); }
    const std::string command = std::string(Q50_TRACE_PATH) + " --skin " + Q50_RUN_DIR + " " +
                                options + " < " + (dir / "script").string() + " > " +
                                (dir / "out").string();
    if (std::system(command.c_str()) != 0) throw std::runtime_error("the trace tool failed");

    TraceRun run;
    std::ifstream out(dir / "out");
    std::string line;
    while (std::getline(out, line)) {
        std::istringstream words(line);
        std::int64_t t = 0;
        std::string what, name;
        if (!(words >> t >> what)) continue;
        if (what == "silence") run.sounds.push_back({t, what});
        if (what == "sound" && words >> name) run.sounds.push_back({t, name});
    }
    for (int n : frames) {
        std::ifstream png(dir / (std::to_string(n) + ".png"), std::ios::binary);
        std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(png)), {});
        Image image;
        std::string why;
        if (!decode_png(bytes, image, why)) throw std::runtime_error("snapshot: " + why);
        run.snapshots[n] = std::move(image);
    }
    std::filesystem::remove_all(dir);
    return run;
}

CoreFrame as_core_frame(const Image& s, int scale, Rect crop) {
    if (is_empty(crop)) crop = {0, 0, s.width * scale, s.height * scale};
    CoreFrame f;
    f.width = unsigned(crop.width);
    f.height = unsigned(crop.height);
    for (int y = crop.top; y < crop.top + crop.height; ++y)
        for (int x = crop.left; x < crop.left + crop.width; ++x)
            f.pixels.push_back(xrgb_over_black(s.at(x / scale, y / scale)));
    return f;
}

} // namespace q50::test
