#pragma once
// A sample's file read whole into memory before the mixer decodes it, from a regular file only
// and without blocking (host/regular_file.h).
#include <cstddef>
#include <string>
#include <vector>

namespace q50 {

struct SampleBytes {
    std::vector<unsigned char> bytes;
    // Why the file gives no bytes ("is missing", "is not a regular file", "is empty", ...);
    // empty when `bytes` holds the file.
    std::string error;
};

// No sample the program plays comes near this; a larger file is refused instead of read.
inline constexpr std::size_t kMaxSampleBytes = std::size_t(16) << 20;

SampleBytes read_sample_file(const std::string& path);

} // namespace q50
