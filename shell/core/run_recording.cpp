#include "shell/core/run_recording.h"

#include "host/setting_names.h"
#include "host/settings_store.h"
#include "input/assignments.h"
#include "shell/core/menu_commands.h"

namespace q50 {

std::vector<std::pair<std::string, std::string>> run_start_values(SettingsStore& store) {
    std::vector<std::string> names{std::string(setting::HiScore1), std::string(setting::HiScore2),
                                   std::string(setting::CtrlrOverlay)};
    for (int n = 1; n <= kAssignmentCount; ++n) names.emplace_back(setting::key(n));
    std::vector<std::pair<std::string, std::string>> values;
    for (const std::string& name : names)
        if (auto text = store.read_text(name)) values.emplace_back(name, *text);
    return values;
}

void RunRecorder::begin(RunStart start, std::int64_t base) {
    base_ = base;
    log_.begin(std::move(start));
}

void RunRecorder::action(std::int64_t at, ButtonAction a) {
    add({at, a, {}});
}

void RunRecorder::command(std::int64_t at, std::string command) {
    add({at, {}, std::move(command)});
}

void RunRecorder::stall(const Stall& s) {
    command(s.at, catch_up_command(s));
}

void RunRecorder::pause(std::int64_t at) {
    command(at, menu_command_text(MenuCommand::Pause));
}

void RunRecorder::resume(std::int64_t at, std::int64_t paused_ms) {
    command(at, menu_command_text(MenuCommand::Resume) + ' ' + std::to_string(paused_ms));
}

void RunRecorder::add(RunLog::Entry e) {
    e.time -= base_;
    if (e.command.empty())
        log_.add(e.time, e.action);
    else
        log_.add_command(e.time, e.command);
    if (file_.is_open()) write(RunLog::line(e));
}

std::string RunRecorder::so_far(std::string_view comment) const {
    std::string text = "# " + std::string(comment) + '\n' + log_.header();
    for (const RunLog::Entry& e : log_.entries()) text += RunLog::line(e);
    return text;
}

std::string RunRecorder::text(std::string_view comment, std::int64_t end) const {
    return so_far(comment) + end_line(end);
}

std::string RunRecorder::end_line(std::int64_t end) const {
    return "at " + std::to_string(end - base_) + " end\n";
}

bool RunRecorder::create_file(const std::filesystem::path& file) {
    return !file_.is_open() && file_.open(file);
}

bool RunRecorder::write_so_far(std::string_view comment) {
    return file_.is_open() && write(so_far(comment));
}

bool RunRecorder::end_file(std::int64_t end) {
    if (!file_.is_open()) return false;
    if (!write(end_line(end))) return false;
    if (file_.close()) return true;
    if (on_file_failed) on_file_failed();
    return false;
}

bool RunRecorder::write(const std::string& lines) {
    if (file_.write(lines)) return true;
    // The writer has closed the file: nothing more is written, and this is told once.
    if (on_file_failed) on_file_failed();
    return false;
}

void Playback::load(Recording r) {
    recording_ = std::move(r);
    next_ = recording_.entries.size();
    paused_ms_ = 0;
    playing_ = false;
}

void Playback::start(std::int64_t origin) {
    origin_ = origin;
    next_ = 0;
    playing_ = true;
}

void Playback::stop() {
    playing_ = false;
    // A long recording's lines are let go at once.
    recording_.entries = {};
    next_ = 0;
}

std::optional<ReplayDue> Playback::due() const {
    if (!playing_ || next_ >= recording_.entries.size()) return std::nullopt;
    return recording_.entries[next_].due(origin_);
}

void Playback::run_due() {
    // Counted first: the line may stop the playback, or run the front end's clock in turn.
    const RecordedLine e = recording_.entries[next_++];
    apply(e);
}

void Playback::apply(const RecordedLine& e) {
    switch (e.kind) {
    case RecordedLine::Kind::Button:
        target_.perform(e.action());
        return;
    case RecordedLine::Kind::CatchUp:
        replay_stall(device_, {origin_ + e.time, e.value});
        return;
    case RecordedLine::Kind::Command:
        break;
    }
    switch (e.command()) {
    case MenuCommand::ResetHiscores:
        reset_high_scores(device_);
        break;
    case MenuCommand::Overlays:
        show_controller_overlays(device_, presentation_, e.value == 1);
        break;
    case MenuCommand::Fullscreen:
        if (on_fullscreen) on_fullscreen(e.value == 1);
        break;
    case MenuCommand::Pause:
        break; // device time stood still until the resume, which follows at the same time
    case MenuCommand::Resume:
        paused_ms_ += e.value;
        if (on_resume) on_resume(e.value);
        // The clock shows the time of day as it is after the pause.
        if (device_.Game_State == 4) device_.Timer_ClockTimer();
        break;
    }
}

} // namespace q50
