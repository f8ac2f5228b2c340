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
        std::int64_t room = 0;
        {
            std::lock_guard lock(mutex_);
            if (stop_) return;
            if (job.state != State::Waiting) continue;
            job.state = State::Decoding;
            room = max_bytes_ - held_;
        }
        PictureLoad load = load_picture_file(job.file, room);
        {
            std::lock_guard lock(mutex_);
            if (load) held_ += picture_bytes(load.picture->width, load.picture->height);
            job.load = std::move(load);
            job.state = State::Done;
            ++decoded_ahead_;
        }
        done_.notify_all();
    }
}

std::optional<PictureLoad> PictureReadAhead::take(const std::filesystem::path& file) {
    const std::string key = file.lexically_normal().string();
    std::unique_lock lock(mutex_);
    for (Job& job : jobs_) {
        if (job.key != key) continue;
        if (job.state == State::Taken) return std::nullopt;
        if (job.state == State::Waiting) {
            job.state = State::Taken;
            lock.unlock();
            return load_picture_file(job.file, max_bytes_);
        }
        done_.wait(lock, [&] { return job.state == State::Done; });
        job.state = State::Taken;
        if (job.load) held_ -= picture_bytes(job.load.picture->width, job.load.picture->height);
        return std::move(job.load);
    }
    return std::nullopt;
}

int PictureReadAhead::decoded_ahead() const {
    std::lock_guard lock(mutex_);
    return decoded_ahead_;
}

} // namespace q50
