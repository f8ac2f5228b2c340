#pragma once
// Reads a recording of a run (what "Record this run" writes) for playing it back in the
// window. Only the lines a recording holds are taken; anything else, or a file that is not a
// recording at all, is refused with the line and the reason.
#include "input/run_log.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace q50 {

struct Recording {
    RunStart start;
    std::vector<RunLog::Entry> entries; // in time order; a command's text as the script has it
    std::optional<std::int64_t> end;    // the `at T end` line, if there is one
};

struct RecordingRead {
    std::optional<Recording> recording; // set exactly when there is no error
    std::string error;                  // "line 12: ..." or what is wrong with the file
};

RecordingRead parse_recording(std::string_view text);
// A file larger than this is not a recording of ours (a minute of play is a few kB).
constexpr std::uintmax_t kMaxRecordingBytes = 64u << 20;
RecordingRead read_recording(const std::filesystem::path& file);

} // namespace q50
