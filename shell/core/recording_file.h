#pragma once
// Reads a recording of a run (what "Record this run" writes) for playing it back in the
// window. Only the lines a recording holds are taken; anything else, or a file that is not a
// recording at all, is refused with the line and the reason. The file is read as a stream and
// its lines kept in a compact form, so that a long recording takes about its own size in memory.
#include "input/run_log.h"
#include "shell/core/catch_up.h"
#include "shell/core/menu_commands.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <istream>
#include <optional>
#include <string>
#include <string_view>

namespace q50 {

// One timed line of a recording: a button action, a menu command or a catch-up after a stall.
struct RecordedLine {
    enum class Kind : std::uint8_t { Button, Command, CatchUp };
    std::int64_t time = 0;
    // A command's value (overlays and fullscreen 0 or 1, a resume's pause in ms); a catch-up's gap.
    std::int64_t value = 0;
    Kind kind = Kind::Button;
    std::uint8_t code = 0; // the Button, or the MenuCommand
    bool down = false;     // a button's press
    ButtonAction action() const { return {Button(code), down}; }
    MenuCommand command() const { return MenuCommand(code); }
    Stall stall() const { return {time, value}; }
    // The line's command as the script spells it, after `at T `.
    std::string text() const;
    bool operator==(const RecordedLine&) const = default;
};

struct Recording {
    RunStart start;
    std::deque<RecordedLine> entries; // in time order; grown without copying what it holds
    std::optional<std::int64_t> end;  // the `at T end` line, if there is one
};

struct RecordingRead {
    std::optional<Recording> recording; // set exactly when there is no error
    std::string error;                  // "line 12: ..." or what is wrong with the file
};

RecordingRead parse_recording(std::string_view text);
RecordingRead parse_recording(std::istream& in);
// A file larger than this is not a recording of ours (a minute of play is a few kB).
constexpr std::uintmax_t kMaxRecordingBytes = 64u << 20;
RecordingRead read_recording(const std::filesystem::path& file);

} // namespace q50
