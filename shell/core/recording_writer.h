#pragma once
// Writes a recording of a run line by line, so that a line is on disk as soon as it happened
// (a crash loses nothing before it), and says when the file cannot take a line: a full disk or
// a size limit cuts a recording, and the player must learn that it is cut. The file then ends
// with the last whole line, so that what it holds still plays.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace q50 {

class RecordingWriter {
  public:
    RecordingWriter() = default;
    ~RecordingWriter();
    RecordingWriter(const RecordingWriter&) = delete;
    RecordingWriter& operator=(const RecordingWriter&) = delete;

    // A new file (an existing one is replaced). False, with error(), when it cannot be made.
    bool open(const std::filesystem::path& file);
    bool is_open() const { return fd_ >= 0; }
    const std::filesystem::path& file() const { return file_; }

    // Writes whole lines. False once a write failed: nothing more is written, the file is cut
    // back to the lines written before and closed (removed when that is none), and error()
    // says why.
    bool write(std::string_view lines);
    // Closes the file; false, with error(), when its last writes did not reach it.
    bool close();

    const std::string& error() const { return error_; }
    // Bytes in the file: every line written whole.
    std::uint64_t written() const { return written_; }

  private:
    void fail(int err);

    int fd_ = -1;
    std::filesystem::path file_;
    std::uint64_t written_ = 0;
    std::string error_;
};

} // namespace q50
