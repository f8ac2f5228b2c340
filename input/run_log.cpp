#include "input/run_log.h"

#include <cstdio>

namespace q50 {

std::string script_command(ButtonAction a) {
    return (a.down ? "press " : "release ") + std::string(button_word(a.button));
}

std::string time_of_day_text(std::int64_t ms) {
    ms = ((ms % 86400000) + 86400000) % 86400000;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", int(ms / 3600000), int(ms / 60000 % 60),
                  int(ms / 1000 % 60), int(ms % 1000));
    return text;
}

void RunLog::begin(RunStart start) {
    start_ = std::move(start);
    entries_.clear();
}

std::string RunLog::header() const {
    std::string out;
    if (!start_.skin.empty()) out += "skin " + start_.skin + '\n';
    for (const auto& [name, text] : start_.store) out += "store " + name + ' ' + text + '\n';
    out += "seed " + std::to_string(start_.seed) + '\n';
    out += "time " + time_of_day_text(start_.ms_of_day) + '\n';
    if (start_.fullscreen) out += "fullscreen\n";
    return out;
}

std::string RunLog::line(const Entry& e) {
    return "at " + std::to_string(e.time) + ' ' +
           (e.command.empty() ? script_command(e.action) : e.command) + '\n';
}

} // namespace q50
