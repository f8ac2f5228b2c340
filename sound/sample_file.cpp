#include "sound/sample_file.h"

#include "host/regular_file.h"

namespace q50 {

SampleBytes read_sample_file(const std::string& path) {
    FileBytes file = read_regular_file(path, kMaxSampleBytes);
    SampleBytes out;
    out.error = std::move(file.error);
    if (out.error.empty() && file.bytes.empty()) out.error = "is empty";
    if (out.error.empty()) out.bytes = std::move(file.bytes);
    return out;
}

} // namespace q50
