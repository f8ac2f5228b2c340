// The trace tool's script parser on arbitrary bytes: it must never crash, and it either gives
// a script within its own limits or an error that names a line of the text.
#include "tools/trace/script.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void require(bool ok) {
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const q50::trace::ParseResult r = q50::trace::parse_script(text);
    const int lines = int(std::count(text.begin(), text.end(), '\n')) + 1;
    if (!r.script) {
        require(r.error.line >= 1 && r.error.line <= lines);
        require(!r.error.message.empty());
        return 0;
    }
    std::int64_t previous = 0;
    int previous_line = 0;
    for (const q50::trace::Step& s : r.script->steps) {
        require(s.time >= previous && s.time <= q50::trace::kMaxTime);
        require(s.line > previous_line && s.line <= lines);
        previous = s.time;
        previous_line = s.line;
        if (s.command == q50::trace::Command::Set)
            for (std::int64_t v : s.values)
                require(v >= -q50::trace::kMaxSetValue && v <= q50::trace::kMaxSetValue);
    }
    if (r.script->time) require(r.script->time->hour < 24 && r.script->time->minute < 60);
    return 0;
}
