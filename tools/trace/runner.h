#pragma once
// Plays a parsed script against the device in virtual time and prints what happens.
#include "game/services.h"
#include "tools/trace/script.h"

#include <functional>
#include <ostream>
#include <string>

namespace q50 {
class Device;
}

namespace q50::trace {

struct RunOptions {
    // Runs where the main window's creation loads the skin, between the steps before it and
    // those after it. Messages it reports are printed as "T message TEXT". Without it the
    // board keeps its design rectangles and no pictures.
    std::function<void(Device&, MessageSink&)> load_skin;
};

struct RunResult {
    bool ok = true;
    std::string error; // why the run stopped, when it did not finish
};

RunResult run_script(const Script& script, std::ostream& out, const RunOptions& options = {});

// The default seed of a script without a `seed` line, so that every run can be repeated.
constexpr std::uint32_t kDefaultSeed = 1;

} // namespace q50::trace
