#pragma once
// Every device-button action of a run with its device time, and what a replay needs before
// device time 0 (stored values, the random seed, the time of day), written as a script of the
// trace tool: `quendrix-trace < recording` replays the run.
#include "input/dispatch.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace q50 {

// "press open", "press game_a", "release game_a", ...
std::string script_command(ButtonAction a);
// "HH:MM:SS.mmm" of milliseconds since midnight.
std::string time_of_day_text(std::int64_t ms_of_day);

struct RunStart {
    std::vector<std::pair<std::string, std::string>> store; // values the run starts from
    std::uint32_t seed = 1;
    std::int64_t ms_of_day = 0; // local time of day at device time 0
    bool fullscreen = false;    // the presentation at device time 0
    // The folder of the Config.ini the run was shown with, so that a replay loads the same skin
    // (written as a `skin` line when not empty).
    std::string skin;
};

class RunLog {
  public:
    struct Entry {
        std::int64_t time;
        ButtonAction action;
        // A command of the program's own instead of a button action (a menu command, a pause),
        // as the script spells it: "hiscores", "overlays 1", "resume 1200".
        std::string command;
    };
    void begin(RunStart start);
    void add(std::int64_t time, ButtonAction a) { entries_.push_back({time, a, {}}); }
    void add_command(std::int64_t time, std::string command) {
        entries_.push_back({time, {}, std::move(command)});
    }
    const std::vector<Entry>& entries() const { return entries_; }

    // The lines before the first timed one.
    std::string header() const;
    static std::string line(const Entry& e);

  private:
    RunStart start_;
    std::vector<Entry> entries_;
};

// Hands every action on to another target and tells a listener first.
class LoggingTarget : public ButtonTarget {
  public:
    explicit LoggingTarget(ButtonTarget& inner) : inner_(inner) {}
    std::int32_t game_state() const override { return inner_.game_state(); }
    bool fullscreen_mode() const override { return inner_.fullscreen_mode(); }
    void perform(ButtonAction a) override {
        if (passes && !passes()) return;
        if (on_action) on_action(a);
        inner_.perform(a);
    }
    std::function<void(ButtonAction)> on_action;
    // While this says no, actions go nowhere (a recording plays back: the player's input is
    // not the device's).
    std::function<bool()> passes;

  private:
    ButtonTarget& inner_;
};

} // namespace q50
