#include "display/picture_read_ahead.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <set>
#include <system_error>
#include <utility>

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
    // One picture is no work to share. Where no thread can be started (the system's limit of
    // threads reached, a browser without shared memory), every picture stays waiting and
    // take() decodes it on the load's own thread.
    if (jobs_.size() > 1) {
        try {
            helper_ = std::thread([this] { help(); });
        } catch (const std::system_error&) {
        }
    }
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

namespace {

std::uint32_t big_endian(const unsigned char* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}

// The bit depths PNG allows for each colour type; anything else the decoder refuses.
bool png_depth_allowed(int colour_type, int depth) {
    switch (colour_type) {
    case 0:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6:
        return depth == 8 || depth == 16;
    default:
        return false;
    }
}

} // namespace

bool png_declared_size(const std::filesystem::path& file, int* width, int* height) {
    std::string ext = picture_extension(file);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (ext != "png") return false;
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec || size > kMaxPictureFileBytes) return false;
    // The signature, then IHDR: its length (13), its type, width, height, depth, colour type,
    // compression, filter and interlace method.
    std::array<unsigned char, 29> head{};
    std::ifstream in(file, std::ios::binary);
    if (!in.read(reinterpret_cast<char*>(head.data()), std::streamsize(head.size()))) return false;
    static constexpr unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n',
                                                   0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    if (!std::equal(std::begin(kSignature), std::end(kSignature), head.begin())) return false;
    const std::uint32_t w = big_endian(&head[16]), h = big_endian(&head[20]);
    if (w == 0 || h == 0 || w > std::uint32_t(kMaxPictureSide) ||
        h > std::uint32_t(kMaxPictureSide))
        return false;
    if (!png_depth_allowed(head[25], head[24]) || head[26] != 0 || head[27] != 0 || head[28] > 1)
        return false;
    *width = int(w);
    *height = int(h);
    return true;
}

Picture WaitingPictures::wait_for(const std::filesystem::path& file, std::int64_t max_bytes,
                                  std::int64_t* bytes) {
    int w = 0, h = 0;
    if (!png_declared_size(file, &w, &h)) return nullptr;
    DecodeLimits limits;
    limits.max_bytes = max_bytes;
    std::string refusal;
    if (!picture_fits(w, h, &limits, refusal)) return nullptr;
    auto picture = std::make_shared<Image>();
    items_.push_back(Item{picture, file, w, h});
    waiting_.insert(picture.get());
    *bytes = picture_bytes(w, h);
    return picture;
}

bool WaitingPictures::shown_on(const Board& board) const {
    if (waiting_.empty()) return false;
    for (const Segment& s : board.segments())
        if (s.shown && s.picture && holds(s.picture.get())) return true;
    return false;
}

std::optional<std::string> WaitingPictures::fill(Item& item, std::optional<PictureLoad> load) {
    if (!load || !*load)
        return load ? load->error : "\"" + item.file.string() + "\" could not be read again";
    const Image& got = *load->picture;
    // Replaced since the load: what it charged to the budget would no longer hold.
    if (got.width != item.width || got.height != item.height)
        return "\"" + item.file.string() + "\" changed while the skin was loaded";
    // Pictures are never changed once handed out, except this once: nothing has drawn this
    // one, because it was empty until now.
    *item.picture = std::move(*std::const_pointer_cast<Image>(load->picture));
    return std::nullopt;
}

bool WaitingPictures::finish_one(const Image* picture) {
    const auto it = std::find_if(items_.begin(), items_.end(),
                                 [&](const Item& i) { return i.picture.get() == picture; });
    if (it == items_.end()) return false;
    Item item = std::move(*it);
    items_.erase(it);
    waiting_.erase(picture);
    const std::int64_t bytes = picture_bytes(item.width, item.height);
    std::optional<std::string> failure = fill(item, load_picture_file(item.file, bytes));
    if (failure) failures_.push_back(std::move(*failure));
    return !failure;
}

std::vector<std::string> WaitingPictures::finish(const Board* shown_on) {
    std::vector<std::string> failures = std::exchange(failures_, {});
    std::vector<Item> now;
    if (shown_on) {
        std::unordered_set<const Image*> shown;
        for (const Segment& s : shown_on->segments())
            if (s.shown && s.picture) shown.insert(s.picture.get());
        std::vector<Item> later;
        for (Item& item : items_)
            (shown.count(item.picture.get()) ? now : later).push_back(std::move(item));
        items_ = std::move(later);
    } else {
        now = std::move(items_);
        items_.clear();
    }
    if (now.empty()) return failures;
    std::vector<std::filesystem::path> files;
    files.reserve(now.size());
    std::int64_t bytes = 0;
    for (const Item& item : now) {
        files.push_back(item.file);
        bytes += picture_bytes(item.width, item.height);
        waiting_.erase(item.picture.get());
    }
    // Within what the load charged for them: each decodes to the size its header declared.
    PictureReadAhead ahead(files, bytes);
    for (Item& item : now)
        if (std::optional<std::string> failure = fill(item, ahead.take(item.file, bytes)))
            failures.push_back(std::move(*failure));
    return failures;
}

} // namespace q50
