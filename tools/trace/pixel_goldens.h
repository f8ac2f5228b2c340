#pragma once
// Snapshots compared with pictures kept beside the trace script (NAME.0001.png for the first
// snapshot, and so on), so that a fault of the painter fails a trace as a wrong event does. The
// file a snapshot names is then not written: a test run leaves the source tree alone.
#include "board/image.h"

#include <filesystem>
#include <string>
#include <vector>

namespace q50::trace {

// How two pictures differ: the number of differing pixels (a pixel that only one of them has
// counts too) and a picture of where, the size of both together: the differing pixels red,
// the others a dim grey of the kept picture's brightness.
struct PixelDifference {
    long pixels = 0;
    Image picture;
};
PixelDifference compare_pixels(const Image& kept, const Image& painted);

class PixelGoldens {
  public:
    enum class Renew {
        None,    // compare with every kept picture; a missing one fails
        All,     // write every kept picture anew
        Missing, // write those that are missing, compare with the others
    };
    // `base`: the kept pictures are base.NNNN.png. `failed`: where a failing comparison writes
    // what was painted (failed.NNNN.png) and the difference (failed.NNNN.diff.png).
    PixelGoldens(std::filesystem::path base, std::filesystem::path failed, Renew renew);

    // The next snapshot of the script, taken on script line `line`.
    void check(const Image& frame, int line);
    // One text per snapshot that did not match or could not be kept.
    const std::vector<std::string>& failures() const { return failures_; }

  private:
    std::filesystem::path numbered(const std::filesystem::path& base, const char* ending) const;

    std::filesystem::path base_;
    std::filesystem::path failed_;
    Renew renew_;
    int count_ = 0;
    std::vector<std::string> failures_;
};

} // namespace q50::trace
