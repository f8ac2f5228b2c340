#include "display/picture_budget.h"

#include "display/picture_read_ahead.h"

namespace q50 {

std::string megabytes(std::int64_t bytes) {
    constexpr std::int64_t mb = 1024 * 1024;
    return std::to_string((bytes + mb - 1) / mb) + " MB";
}

namespace {

// What is left is rounded down, what is needed up: a refusal never reads "needs 16 MB, 16 MB
// left".
std::string megabytes_left(std::int64_t bytes) {
    return std::to_string(bytes / (1024 * 1024)) + " MB";
}

} // namespace

void PictureBudget::name(const Picture& picture, const std::string& file) {
    if (!picture) return;
    // Pictures of earlier loads go when the board lets them go; their names go with them here,
    // once the table has doubled since it was last pruned.
    if (names_.size() >= 2 * names_kept_ + 64) {
        std::erase_if(names_, [](const auto& e) { return e.second.picture.expired(); });
        names_kept_ = names_.size();
    }
    names_[picture.get()] = Named{picture, file};
}

std::string PictureBudget::file_of(const Image* picture) const {
    const auto it = names_.find(picture);
    if (it == names_.end()) return {};
    // An address may be taken again by a later picture: only a living one is named.
    const Picture alive = it->second.picture.lock();
    return alive.get() == picture ? it->second.file : std::string();
}

PictureShelf::PictureShelf(PictureBudget& budget, PictureBudget::Owner owner, Start start)
    : budget_(budget), owner_(owner) {
    if (start == Start::Afresh) budget_.clear(owner_);
}

PictureLoad PictureShelf::get(const std::filesystem::path& file, bool key_transparent,
                              bool may_wait) {
    auto key = std::make_pair(file.lexically_normal().string(), key_transparent);
    if (auto it = loaded_.find(key); it != loaded_.end()) return it->second;

    std::int64_t bytes = 0;
    if (may_wait && waiting_) {
        if (Picture later = waiting_->wait_for(file, budget_.left(), &bytes)) {
            // Only PNG files wait, and those serve both kinds of segment.
            ++decodes_;
            PictureLoad load;
            load.picture = std::move(later);
            load.kind = PictureKind::Png;
            budget_.charge(owner_, bytes);
            budget_.name(load.picture, file.string());
            loaded_.emplace(std::make_pair(key.first, !key.second), load);
            loaded_.emplace(std::move(key), load);
            return load;
        }
    }

    ++decodes_;
    PictureLoad load;
    std::optional<PictureLoad> early = ahead_ ? ahead_->take(file, budget_.left()) : std::nullopt;
    // Read ahead within the budget as it was then: a picture is used only when it fits what is
    // left now, else decoded as if nothing had been read ahead (same refusal, same error). A
    // failure is the one a decode now would give. While a helper reads ahead, its pictures and
    // ours share the room.
    if (early &&
        (!*early || picture_bytes(early->picture->width, early->picture->height) <= budget_.left()))
        load = std::move(*early);
    else if (ahead_)
        load = ahead_->decode(file, budget_.left());
    else
        load = load_picture_file(file, budget_.left());
    if (load.over_budget) {
        load.error = "\"" + file.string() + "\" is not loaded: " + load.error + " (" +
                     megabytes(load.refused_bytes) + ", " + megabytes_left(budget_.left()) +
                     " left of the " + megabytes(budget_.limit()) +
                     " that the skin and the manual may take for pictures)";
    }
    if (load && key_transparent && load.kind == PictureKind::Bitmap) {
        // The decoded picture is ours alone until it is handed out: key it in place rather
        // than holding two copies.
        key_bottom_left_colour(*std::const_pointer_cast<Image>(load.picture));
    }
    if (load) {
        budget_.charge(owner_, picture_bytes(load.picture->width, load.picture->height));
        budget_.name(load.picture, file.string());
    }
    // Only bitmaps differ by transparency; any other picture serves both kinds of segment.
    if (load.kind != PictureKind::Bitmap)
        loaded_.emplace(std::make_pair(key.first, !key.second), load);
    loaded_.emplace(std::move(key), load);
    return load;
}

} // namespace q50
