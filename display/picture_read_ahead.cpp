#include "display/picture_read_ahead.h"

#include <set>

namespace q50 {

PictureReadAhead::PictureReadAhead(const std::vector<std::filesystem::path>& files,
                                   std::int64_t max_bytes)
    : max_bytes_(max_bytes) {
    std::set<std::string> seen;
    for (const auto& f : files) {
        std::string key = f.lexically_normal().string();
        if (seen.insert(key).second)
            jobs_.push_back(Job{std::move(key), f, State::Waiting, PictureLoad{}});
    }
    // One picture is no work to share.
    if (jobs_.size() > 1) helper_ = std::thread([this] { help(); });
}

PictureReadAhead::~PictureReadAhead() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    if (helper_.joinable()) helper_.join();
}

void PictureReadAhead::help() {
    for (std::size_t i = jobs_.size(); i-- > 0;) {
        Job& job = jobs_[i];
        {
            std::lock_guard lock(mutex_);
            if (stop_) return;
            if (job.state != State::Waiting) continue;
            job.state = State::Decoding;
        }
        // The helper's share is claimed when the decoder knows the picture's size, so that a
        // picture is refused here before it is allocated.
        std::int64_t claimed = 0;
        auto claim = [&](std::int64_t bytes) {
            std::lock_guard lock(mutex_);
            if (load_needs_ > 0 || bytes > free_bytes()) return false;
            helper_claimed_ += bytes;
            claimed += bytes;
            return true;
        };
        PictureLoad load = load_picture_file(job.file, max_bytes_, claim);
        {
            std::lock_guard lock(mutex_);
            helper_claimed_ -= claimed;
            if (load.over_budget) {
                job.state = State::Waiting; // no room here: the load decodes it itself
            } else {
                if (load) held_ += picture_bytes(load.picture->width, load.picture->height);
                job.load = std::move(load);
                job.state = State::Done;
                ++decoded_ahead_;
            }
        }
        done_.notify_all();
    }
}

void PictureReadAhead::make_room_for_load(std::unique_lock<std::mutex>& lock, std::int64_t bytes) {
    load_needs_ = bytes;
    while (bytes > free_bytes()) {
        if (held_ > 0) {
            for (Job& job : jobs_) {
                if (job.state != State::Done || !job.load) continue;
                held_ -= picture_bytes(job.load.picture->width, job.load.picture->height);
                job.load = PictureLoad{};
                job.state = State::Waiting;
            }
        } else if (helper_claimed_ > 0) {
            done_.wait(lock); // the helper's picture in the making, then dropped
        } else {
            break; // only the load's own pictures are left: `room` decides
        }
    }
    load_needs_ = 0;
}

PictureLoad PictureReadAhead::decode(const std::filesystem::path& file, std::int64_t room) {
    std::int64_t claimed = 0;
    auto claim = [&](std::int64_t bytes) {
        std::unique_lock lock(mutex_);
        make_room_for_load(lock, bytes);
        load_claimed_ += bytes;
        claimed += bytes;
        return true;
    };
    PictureLoad load = load_picture_file(file, room, claim);
    {
        std::lock_guard lock(mutex_);
        load_claimed_ -= claimed;
        if (load) given_ += picture_bytes(load.picture->width, load.picture->height);
    }
    done_.notify_all();
    return load;
}

std::optional<PictureLoad> PictureReadAhead::take(const std::filesystem::path& file,
                                                  std::int64_t room) {
    const std::string key = file.lexically_normal().string();
    std::unique_lock lock(mutex_);
    for (Job& job : jobs_) {
        if (job.key != key) continue;
        done_.wait(lock, [&] { return job.state != State::Decoding; });
        if (job.state == State::Taken) return std::nullopt;
        if (job.state == State::Waiting) {
            job.state = State::Taken;
            lock.unlock();
            return decode(job.file, room);
        }
        job.state = State::Taken;
        if (job.load) {
            const std::int64_t bytes =
                picture_bytes(job.load.picture->width, job.load.picture->height);
            held_ -= bytes;
            given_ += bytes;
        }
        return std::move(job.load);
    }
    return std::nullopt;
}

int PictureReadAhead::decoded_ahead() const {
    std::lock_guard lock(mutex_);
    return decoded_ahead_;
}

} // namespace q50
