#pragma once
// The trace tool's script: what a run sets up before device time 0, then timed commands.
#include "host/button.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace q50::trace {

// Everything a timed line can ask for. Key and mouse commands go through the input dispatch
// with the current assignments, as the main window's handlers do.
enum class Command {
    Press,
    Release,
    KeyDown,
    KeyUp,
    MouseDown,
    MouseUp,
    Set,
    Show,
    Hide,
    Draws,
    Dump,
    Snapshot,
    End,
    PadDown,
    PadUp,
    PadAxis,
    PadRemove,
    // The program's own commands a recording holds: "Reset Hiscores", "Display controller
    // overlays", the presentation switch, and a pause and its end.
    Hiscores,
    Overlays,
    Fullscreen,
    Pause,
    Resume,
    // The real-time driver caught the device up after a stall (shell/core/catch_up.h).
    CatchUp,
};

struct Step {
    int line = 0;          // in the script, from 1
    std::int64_t time = 0; // absolute device time, ms
    Command command = Command::Dump;
    Button button = Button::Open; // Press, Release
    std::string name; // Set (variable), Show/Hide (segment), Mouse (control), Snapshot (file)
    // Set, Draws; KeyDown/KeyUp: the code; PadAxis: the value; Overlays/Fullscreen: 0 or 1;
    // Resume: the pause's length in ms; CatchUp: the stall's length in ms
    std::vector<std::int64_t> values;
    int pad_item = 0;     // PadDown/PadUp: the button; PadAxis: the axis
    std::int32_t pad = 0; // Pad commands: which controller
};

struct TimeOfDaySetting {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    std::int64_t ms_of_day() const {
        return ((std::int64_t(hour) * 60 + minute) * 60 + second) * 1000 + millisecond;
    }
};

// What a run sets up before device time 0.
struct ScriptStart {
    std::vector<std::pair<std::string, std::string>> store; // stored texts, in order
    std::optional<std::uint32_t> seed;
    std::optional<TimeOfDaySetting> time;
    bool fullscreen = false; // a `fullscreen` line: start in fullscreen presentation
    std::string skin;        // a `skin DIR` line: the skin to load unless --skin names one
};

struct Script : ScriptStart {
    std::vector<Step> steps;
};

struct ParseError {
    int line = 0;
    std::string message;
};

struct ParseResult {
    std::optional<Script> script; // set exactly when there is no error
    ParseError error;
};

ParseResult parse_script(std::string_view text);

// The same parse without keeping the steps: `start` takes the lines before the first `at`, and
// each timed line is handed to `step` as it is read, until `step` says no. A long script is
// checked whole first this way, then run from its text, holding one step at a time.
ParseError scan_script(std::string_view text, ScriptStart& start,
                       const std::function<bool(const Step&)>& step = {});

constexpr std::int64_t kMaxTime = 1'000'000'000'000; // about 31 years of device time
constexpr std::int64_t kMaxSetValue = 1'000'000'000; // keeps the device's arithmetic in range

} // namespace q50::trace
