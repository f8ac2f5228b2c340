#pragma once
// Plays a parsed script against the device in virtual time and prints what happens.
#include "host/services.h"
#include "tools/trace/script.h"

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

namespace q50 {
class Device;
}

namespace q50::trace {

class PixelGoldens;

struct RunOptions {
    // Runs where the main window's creation loads the skin, between the steps before it and
    // those after it. Messages it reports are printed as "T message TEXT". Without it the
    // board keeps its design rectangles and no pictures.
    std::function<void(Device&, MessageSink&)> load_skin;
    // The folder that holds Config.ini (--skin); pictures are resolved from there as the
    // current directory. Empty: no skin is loaded, unless load_skin is given.
    std::filesystem::path skin_dir;
    // The folder whose Config.ini's [Manual] section names the manual (--manual), read as the
    // program's "View manual" reads it from its delivered data: once, right after the start,
    // into the picture budget the skin shares, and let go again. Empty: no manual is read (the
    // program reads it only when the manual opens).
    std::filesystem::path manual_dir;
    // FullscreenMode at start (--fullscreen); the tool otherwise starts windowed.
    bool fullscreen = false;
    // The screen the skin loader sees (--screen WxH).
    int screen_width = 1024;
    int screen_height = 768;
    // How snapshots paint the liquid crystal (--lcd-shadow, --lcd-fade): the unlit segments'
    // shadow in percent of their ink and the fade time in milliseconds; 0 is off.
    int lcd_shadow = 0;
    int lcd_fade = 0;
    // Snapshots compared with the pictures kept for them (--goldens) instead of written.
    PixelGoldens* goldens = nullptr;
};

struct RunResult {
    bool ok = true;
    std::string error; // why the run stopped, when it did not finish
};

RunResult run_script(const Script& script, std::ostream& out, const RunOptions& options = {});

// The default seed of a script without a `seed` line, so that every run can be repeated.
constexpr std::uint32_t kDefaultSeed = 1;

} // namespace q50::trace
