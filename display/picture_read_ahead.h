#pragma once
// Pictures a load is about to ask for, decoded by a second thread while the load decodes the
// first ones itself: the load goes from the first picture on, the helper from the last one
// back, and a picture is decoded once, by whichever comes to it first. The load still takes
// every picture in its own order and handles every failure as before (PictureShelf asks for
// a picture again, the usual way, when one from here failed or no longer fits the budget).
#include "display/picture_file.h"

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace q50 {

class PictureReadAhead {
  public:
    // Starts on `files` (duplicates are decoded once). The pictures decoded ahead and not yet
    // taken hold at most `max_bytes` together: a hostile skin of many huge pictures costs no
    // more than the budget (a picture that does not fit is left to the load).
    PictureReadAhead(const std::vector<std::filesystem::path>& files, std::int64_t max_bytes);
    // Waits for the picture the helper is decoding, if any; the rest are not decoded.
    ~PictureReadAhead();
    PictureReadAhead(const PictureReadAhead&) = delete;
    PictureReadAhead& operator=(const PictureReadAhead&) = delete;

    // The decoded `file`, once (the picture is handed over): decoded now when the helper has
    // not started it, waited for when it has. Nothing for a file not named at the start or
    // already taken.
    std::optional<PictureLoad> take(const std::filesystem::path& file);
    // How many of the pictures the helper thread decoded (for tests).
    int decoded_ahead() const;

  private:
    enum class State { Waiting, Decoding, Done, Taken };
    struct Job {
        std::string key; // the path, normalised
        std::filesystem::path file;
        State state = State::Waiting;
        PictureLoad load;
    };
    void help();

    std::int64_t max_bytes_;
    std::vector<Job> jobs_;
    mutable std::mutex mutex_;
    std::condition_variable done_;
    bool stop_ = false;
    int decoded_ahead_ = 0;
    std::int64_t held_ = 0; // the bytes of the pictures decoded ahead, not yet taken
    std::thread helper_;
};

} // namespace q50
