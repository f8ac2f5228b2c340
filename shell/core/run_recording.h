#pragma once
// A run as every front end records it and plays it back. The recorder keeps the run's lines
// from its switch-on (button actions, menu commands, pauses, stalls caught up) and, while asked
// to, writes them to a file as they happen; its text is what the trace tool replays. The
// playback runs a recording's lines at their device times on the front end's clock, so that one
// recording gives one event stream in every front end.
#include "game/device.h"
#include "input/dispatch.h"
#include "input/run_log.h"
#include "shell/core/catch_up.h"
#include "shell/core/presentation.h"
#include "shell/core/recording_file.h"
#include "shell/core/recording_writer.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace q50 {

class SettingsStore;

// The stored values a run starts from that its replay needs: the high scores, the controller
// overlays and the key assignments, those the store holds.
std::vector<std::pair<std::string, std::string>> run_start_values(SettingsStore& store);

class RunRecorder {
  public:
    // The device came on afresh at device time `base`: a new run, whose lines count from there.
    void begin(RunStart start, std::int64_t base = 0);
    std::int64_t base() const { return base_; }

    // What happened at device time `at`.
    void action(std::int64_t at, ButtonAction a);
    void command(std::int64_t at, std::string command);
    void stall(const Stall& s);
    void pause(std::int64_t at);
    // The run resumed after `paused_ms` of the time of day went by.
    void resume(std::int64_t at, std::int64_t paused_ms);

    const RunLog& log() const { return log_; }
    // The whole recording, ending at device time `end`: `comment` (one line, without its '#'),
    // the start and every line so far.
    std::string text(std::string_view comment, std::int64_t end) const;

    // Writes the recording into `file` from now on: create_file(), then write_so_far() with
    // the start and what the run holds so far, then every line as it comes. False from
    // create_file(), with file().error(), when the file cannot be made; a write that fails is
    // told through on_file_failed.
    bool create_file(const std::filesystem::path& file);
    bool write_so_far(std::string_view comment);
    bool writing() const { return file_.is_open(); }
    // Ends the file with `at T end`; false when it did not all reach the file.
    bool end_file(std::int64_t end);
    // The file being written, or the last one: its name, bytes and the reason it failed.
    const RecordingWriter& file() const { return file_; }
    // Told once when a write failed: the file is closed then, holding the run's whole lines
    // up to that moment.
    std::function<void()> on_file_failed;

  private:
    void add(RunLog::Entry e);
    std::string so_far(std::string_view comment) const;
    std::string end_line(std::int64_t end) const;
    bool write(const std::string& lines);

    RunLog log_;
    std::int64_t base_ = 0;
    RecordingWriter file_;
};

class Playback {
  public:
    // Recorded inputs go to `target` (the device itself, not what a player's input goes
    // through); commands act on the device and its presentation.
    Playback(Device& d, ButtonTarget& target, Presentation& p)
        : device_(d), target_(target), presentation_(p) {}

    // Holds `r` to play; nothing is due until start().
    void load(Recording r);
    const Recording& recording() const { return recording_; }
    // The recording's time 0 is device time `origin` (the device has just come on as the
    // recorded run did): from here on its lines are due.
    void start(std::int64_t origin);
    // Lets the recording go; nothing is due any more.
    void stop();
    bool playing() const { return playing_; }
    // Every line has run (the device plays on live).
    bool finished() const { return playing_ && next_ >= recording_.entries.size(); }

    // The schedule of a front end's clock (CatchUp, the desktop's driver): the next line's
    // device time, and running it.
    std::optional<ReplayDue> due() const;
    void run_due();
    template <class Clock> void drive(Clock& clock) {
        clock.set_schedule([this] { return due(); }, [this] { run_due(); });
    }

    // The recorded run's time of day at device time `t`: it went on through the recorded
    // pauses.
    std::int64_t ms_of_day(std::int64_t t) const {
        return recording_.start.ms_of_day + (t - origin_) + paused_ms_;
    }
    // A recorded switch of the presentation (the front end shows it, or not).
    std::function<void(bool fullscreen)> on_fullscreen;
    // A recorded resume: the front end's time of day goes on by the pause.
    std::function<void(std::int64_t paused_ms)> on_resume;

  private:
    void apply(const RecordedLine& e);

    Device& device_;
    ButtonTarget& target_;
    Presentation& presentation_;
    Recording recording_;
    std::size_t next_ = 0;
    std::int64_t origin_ = 0;
    std::int64_t paused_ms_ = 0;
    bool playing_ = false;
};

} // namespace q50
