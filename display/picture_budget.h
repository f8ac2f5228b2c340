#pragma once
// How much memory decoded pictures may take, and the pictures of one load shared by every
// segment that names the same file.
//
// A skin is a text file naming pictures, and a picture a few kilobytes long can declare
// gigabytes of pixels. The skin (segments, backdrop and logo) and the manual pages together
// get one budget; a picture that would pass it is refused before it is decoded.
#include "display/picture_file.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>

namespace q50 {

constexpr std::int64_t kPictureBudgetBytes = 256ll * 1024 * 1024;

class PictureBudget {
  public:
    // The skin's larger drawings (its sets) are an owner of their own: they are loaded after
    // the skin, and dropping them must not give back what the skin itself holds.
    enum class Owner { Skin, Manual, Sets };

    explicit PictureBudget(std::int64_t limit = kPictureBudgetBytes) : limit_(limit) {}
    std::int64_t limit() const { return limit_; }
    std::int64_t used() const { return used_[0] + used_[1] + used_[2]; }
    std::int64_t left() const { return limit_ > used() ? limit_ - used() : 0; }
    void charge(Owner owner, std::int64_t bytes) { used_[std::size_t(owner)] += bytes; }
    // A new load replaces every picture the owner's previous load made.
    void clear(Owner owner) { used_[std::size_t(owner)] = 0; }
    // A picture the owner let go before its next load.
    void give_back(Owner owner, std::int64_t bytes) {
        std::int64_t& u = used_[std::size_t(owner)];
        u = u > bytes ? u - bytes : 0;
    }

    // Which file a picture came from, for what is said about it after its load (a copy of it at
    // the screen's scale that cannot be made). Empty when not known or the picture is gone.
    void name(const Picture& picture, const std::string& file);
    std::string file_of(const Image* picture) const;

  private:
    struct Named {
        std::weak_ptr<const Image> picture;
        std::string file;
    };
    std::int64_t limit_;
    std::array<std::int64_t, 3> used_{};
    std::unordered_map<const Image*, Named> names_;
    std::size_t names_kept_ = 0; // after the last pruning of pictures gone
};

// The pictures of one load. Each file is decoded once (per transparency) and the picture is
// shared by every segment that names it; what is kept is charged to the budget.
class PictureReadAhead;
class WaitingPictures;

class PictureShelf {
  public:
    enum class Start {
        Afresh, // the owner's earlier charge is given back
        Adding, // the owner's earlier charge stays (one owner loading in parts)
    };
    PictureShelf(PictureBudget& budget, PictureBudget::Owner owner, Start start = Start::Afresh);

    // The picture of `file`; `key_transparent` makes every pixel of a bitmap's bottom-left
    // colour see-through. On failure the error names the file (and the budget, when that is
    // what refused it).
    // With `may_wait` and a WaitingPictures given, a picture whose header tells its size is
    // handed out without its pixels (charged to the budget all the same).
    PictureLoad get(const std::filesystem::path& file, bool key_transparent, bool may_wait = false);

    int decodes() const { return decodes_; }
    // Pictures decoded ahead on a second thread (may be null): a file found there is taken from
    // it when it was decoded and still fits the budget, and decoded here otherwise.
    void read_ahead(PictureReadAhead* ahead) { ahead_ = ahead; }
    // Where pictures that may wait go (null: every picture is decoded when asked for).
    void waiting(WaitingPictures* waiting) { waiting_ = waiting; }

  private:
    PictureBudget& budget_;
    PictureBudget::Owner owner_;
    std::map<std::pair<std::string, bool>, PictureLoad> loaded_;
    int decodes_ = 0;
    PictureReadAhead* ahead_ = nullptr;
    WaitingPictures* waiting_ = nullptr;
};

// "12 MB" (rounded up, so that a refusal never reads "needs 0 MB").
std::string megabytes(std::int64_t bytes);

} // namespace q50
