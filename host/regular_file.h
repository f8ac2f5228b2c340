#pragma once
// A file read into memory from a regular file only. It is opened without blocking: a named pipe
// or a device put in its place would otherwise hold the reader until something writes to it,
// and a start waiting there could not even be ended by a signal.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace q50 {

struct FileBytes {
    std::vector<unsigned char> bytes;
    std::uint64_t size = 0; // the file's size when it was opened
    // Why nothing was read: "is missing", "is not a regular file", "cannot be opened (...)",
    // "cannot be read (...)", or, for a file larger than the limit that is not to be cut, "is
    // larger than ...". Empty on success (an empty file included).
    std::string error;
    bool cut = false; // only the first bytes up to the limit were read
};

enum class WhenLarger { Refuse, Cut };

// At most `max_bytes` of `path`; a larger file is refused unread, or cut to its first
// `max_bytes`.
FileBytes read_regular_file(const std::string& path, std::size_t max_bytes,
                            WhenLarger larger = WhenLarger::Refuse);

// "16 MB", or "1000 bytes" when not a whole number of megabytes.
std::string size_text(std::size_t bytes);

} // namespace q50
