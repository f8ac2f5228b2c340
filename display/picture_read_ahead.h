#pragma once
// Pictures a load is about to ask for, decoded by a second thread while the load decodes the
// first ones itself: the load goes from the first picture on, the helper from the last one
// back, and a picture is decoded once, by whichever comes to it first. The load still takes
// every picture in its own order and handles every failure as before (PictureShelf asks for
// a picture again, the usual way, when one from here failed or no longer fits the budget).
// Without a second thread the load decodes every picture itself.
#include "board/board.h"
#include "display/picture_file.h"

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

namespace q50 {

class PictureReadAhead {
  public:
    // Starts on `files` (duplicates are decoded once). What both threads decode during the
    // load, handed over or held, stays within `max_bytes` together: a hostile skin of many huge
    // pictures costs no more than the budget. A picture the helper has no room for is left to
    // the load, and when the load needs the room, the pictures the helper holds are dropped
    // (the load decodes them itself later, as it would have without a helper).
    PictureReadAhead(const std::vector<std::filesystem::path>& files, std::int64_t max_bytes);
    // Waits for the picture the helper is decoding, if any; the rest are not decoded.
    ~PictureReadAhead();
    PictureReadAhead(const PictureReadAhead&) = delete;
    PictureReadAhead& operator=(const PictureReadAhead&) = delete;

    // The decoded `file`, once (the picture is handed over): decoded now, within `room`, when
    // the helper has not started it, waited for when it has. Nothing for a file not named at
    // the start or already taken.
    std::optional<PictureLoad> take(const std::filesystem::path& file, std::int64_t room);
    // The load's own decode of a file the helper does not hand over, within `room` and
    // counted with the helper's pictures.
    PictureLoad decode(const std::filesystem::path& file, std::int64_t room);
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
    // Room for `bytes` of the load's picture: the helper's pictures give way (caller holds
    // the lock).
    void make_room_for_load(std::unique_lock<std::mutex>& lock, std::int64_t bytes);
    std::int64_t free_bytes() const {
        return max_bytes_ - given_ - held_ - helper_claimed_ - load_claimed_;
    }

    std::int64_t max_bytes_;
    std::vector<Job> jobs_;
    mutable std::mutex mutex_;
    std::condition_variable done_;
    bool stop_ = false;
    int decoded_ahead_ = 0;
    std::int64_t held_ = 0;           // the bytes of the pictures decoded ahead, not yet taken
    std::int64_t given_ = 0;          // the bytes of the pictures handed to the load
    std::int64_t helper_claimed_ = 0; // the bytes of the pictures being decoded now, by
    std::int64_t load_claimed_ = 0;   // either thread
    std::int64_t load_needs_ = 0;     // the load waits for this much room: the helper stands back
    std::thread helper_;
};

// Pictures a load hands out before their pixels: what nothing shows yet need not hold up the
// first frame. Only the file's header is read at the load (its size is charged to the budget
// there, so refusals fall as they would); the pictures keep their identity and take their
// pixels in place at finish(), which decodes them on two threads. Until then each one is an
// empty picture, which draws nothing.
class WaitingPictures {
  public:
    WaitingPictures() = default;
    WaitingPictures(const WaitingPictures&) = delete;
    WaitingPictures& operator=(const WaitingPictures&) = delete;

    // A picture of `file` that takes its pixels at finish(), with the bytes they will take; null
    // when the header does not tell the size for certain or the pixels would pass `max_bytes`
    // (the file is then decoded at once, the usual way, with the usual message).
    Picture wait_for(const std::filesystem::path& file, std::int64_t max_bytes,
                     std::int64_t* bytes);
    bool any() const { return !items_.empty() || !failures_.empty(); }
    bool holds(const Image* picture) const { return waiting_.count(picture) != 0; }
    // Whether a shown segment of `board` (a copy of a picture too) has a picture still waiting.
    bool shown_on(const Board& board) const;
    // Every picture takes its pixels, or with `shown_on` only those a shown segment of that
    // board draws. Returns the failures' texts (a damaged file whose header was sound); such a
    // picture stays empty.
    std::vector<std::string> finish(const Board* shown_on = nullptr);
    // This one picture takes its pixels now (the load has to look at them before the first
    // frame). False when it is not waiting or its file fails; a failure's text comes with the
    // next finish(), when it would have come without this.
    bool finish_one(const Image* picture);

  private:
    struct Item {
        std::shared_ptr<Image> picture;
        std::filesystem::path file;
        int width = 0, height = 0; // as the header declared them
    };
    // Takes `item`'s pixels; the failure's text when it fails.
    static std::optional<std::string> fill(Item& item, std::optional<PictureLoad> load);

    std::vector<Item> items_;
    std::unordered_set<const Image*> waiting_;
    std::vector<std::string> failures_;
};

// The size a PNG file declares, read from its header alone; false when the file is not a PNG
// whose header a decode would accept as it is.
bool png_declared_size(const std::filesystem::path& file, int* width, int* height);

} // namespace q50
