#include "shell/core/file_store.h"
#include "shell/core/replace_file.h"

#include "host/services.h"
#include "shell/core/store_text.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace q50 {

namespace fs = std::filesystem;

namespace {

// Set from a signal handler: every wait for the lock ends at once.
std::atomic<bool> g_stop_waiting{false};
static_assert(std::atomic<bool>::is_always_lock_free);

std::string reason() {
    return std::strerror(errno);
}

constexpr std::string_view kNewFileHeader = "# Quendrix50 settings, one Name=Text per line";

class UniqueFd {
  public:
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    // Closes now and tells whether the close succeeded (a late write error shows here).
    bool close() {
        int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

  private:
    int fd_;
};

struct FileContent {
    enum Status { Missing, Read, Unreadable } status = Missing;
    std::string text; // the content; why it is unreadable
};

FileContent read_whole(const fs::path& path) {
    const std::string too_large =
        "is larger than " + std::to_string(FileStore::kMaxFileSize / 1024) + " KB";
    // Non-blocking so that a FIFO put in place of the file cannot hang the program.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.ok()) {
        if (errno == ENOENT) return {FileContent::Missing, {}};
        return {FileContent::Unreadable, "cannot be read (" + reason() + ")"};
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return {FileContent::Unreadable, "cannot be read"};
    if (!S_ISREG(st.st_mode)) return {FileContent::Unreadable, "is not a regular file"};
    if (std::size_t(st.st_size) > FileStore::kMaxFileSize)
        return {FileContent::Unreadable, too_large};
    FileContent out{FileContent::Read, {}};
    char buf[8192];
    for (;;) {
        ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return {FileContent::Unreadable, "cannot be read (" + reason() + ")"};
        if (n == 0) break;
        out.text.append(buf, std::size_t(n));
        if (out.text.size() > FileStore::kMaxFileSize) return {FileContent::Unreadable, too_large};
    }
    return out;
}

bool write_all(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data.remove_prefix(std::size_t(n));
    }
    return true;
}

// Tries for the lock until `wait` has passed: a writer holds it for milliseconds, so a lock
// held longer belongs to a stuck process, and waiting for it would hang this one.
enum class Locked { Yes, Held, Failed };
Locked lock_exclusive(int fd, std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return Locked::Yes;
        if (errno != EWOULDBLOCK && errno != EINTR) return Locked::Failed;
        if (g_stop_waiting.load() || std::chrono::steady_clock::now() >= deadline)
            return Locked::Held;
        const timespec pause{0, 5'000'000};
        ::nanosleep(&pause, nullptr);
    }
}

// The lock file, opened without blocking (a FIFO put there would block an ordinary open
// forever) and used only when it is a regular file; -1 with the reason in `why` otherwise.
int open_lock(const fs::path& path, std::string& why) {
    const int fd =
        ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0600);
    if (fd < 0) {
        // A folder there: open() with O_CREAT refuses it as such.
        why = errno == EISDIR ? std::string("is not a regular file")
                              : "cannot be opened (" + reason() + ")";
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        why = "is not a regular file";
        return -1;
    }
    return fd;
}

// ".Quendrix50.conf.XXXXXX": the temporary files replace_file makes for `target`.
bool is_temporary_of(const std::string& entry, const std::string& target) {
    const std::string prefix = "." + target + ".";
    return entry.size() == prefix.size() + 6 && entry.compare(0, prefix.size(), prefix) == 0;
}

// Removes what writers killed between their mkstemp and their rename left behind. Called
// under the lock, so no live writer of this program is between those two steps for long.
void remove_stale_temporaries(const fs::path& target, std::chrono::seconds age) {
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    const std::string name = target.filename().string();
    const std::time_t now = std::time(nullptr);
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (!is_temporary_of(entry, name)) continue;
        struct stat st {};
        if (::lstat(it->path().c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (now - st.st_mtime >= age.count()) ::unlink(it->path().c_str());
    }
}

// Where a write goes: the store file itself, or, when it is a symbolic link, the file at the
// end of the links, whether or not that file exists yet.
std::optional<fs::path> write_target(const fs::path& file) {
    fs::path target = file;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(target, ec))) return target;
        const fs::path next = fs::read_symlink(target, ec);
        if (ec) return std::nullopt;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return std::nullopt; // a loop of links
}

} // namespace

bool replace_file(const fs::path& target, std::string_view content, mode_t mode, std::string& why) {
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    std::string tmp = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    UniqueFd fd(::mkostemp(tmp.data(), O_CLOEXEC));
    if (!fd.ok()) {
        why = "no file can be made in " + dir.string() + " (" + reason() + ")";
        return false;
    }
    bool ok =
        write_all(fd.get(), content) && ::fchmod(fd.get(), mode) == 0 && ::fsync(fd.get()) == 0;
    ok = fd.close() && ok;
    if (!ok) {
        // The target's name, not the temporary's: the same failure is the same reason, told once.
        why = "writing " + target.string() + " failed (" + reason() + ")";
        ::unlink(tmp.c_str());
        return false;
    }
    if (::rename(tmp.c_str(), target.c_str()) != 0) {
        why = target.string() + " cannot be replaced (" + reason() + ")";
        ::unlink(tmp.c_str());
        return false;
    }
    // Makes the rename itself durable; the new content is in place either way.
    UniqueFd dirfd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirfd.ok()) ::fsync(dirfd.get());
    return true;
}

FileStore::FileStore(fs::path file) : FileStore(std::move(file), kLockWait) {}

FileStore::FileStore(fs::path file, std::chrono::milliseconds lock_wait)
    : file_(std::move(file)), lock_wait_(lock_wait) {
    std::error_code ec;
    if (file_.has_parent_path()) fs::create_directories(file_.parent_path(), ec);
}

fs::path FileStore::default_path() {
    fs::path base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg && fs::path(xdg).is_absolute()) {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd* pw = ::getpwuid(::getuid());
            home = pw ? pw->pw_dir : nullptr;
        }
        base = fs::path(home && *home ? home : ".") / ".config";
    }
    return base / "Vantorel" / "Quendrix50.conf";
}

fs::path FileStore::lock_path() const {
    fs::path p = file_;
    p += ".lock";
    return p;
}

std::optional<std::string> FileStore::read_text(std::string_view name) {
    FileContent cur = read_whole(file_);
    if (cur.status != FileContent::Read) return std::nullopt;
    return parse_store_text(cur.text).find(name);
}

bool FileStore::write_text(std::string_view name, std::string_view text) {
    return change_text(
        name,
        [text = std::string(text)](const std::optional<std::string>&) {
            return std::optional<std::string>(text);
        },
        true);
}

void FileStore::stop_waiting() {
    g_stop_waiting.store(true);
}

bool FileStore::refuse(const std::string& why) {
    // Each reason once while it lasts: a start makes a dozen writes.
    const std::string text = "settings not saved: " + why;
    if (told_.insert(text).second) write_notice(text);
    last_reason_ = why;
    return false;
}

void FileStore::keep_pending(std::string name, TextChange change, bool replaces) {
    const bool fresh = std::none_of(pending_.begin(), pending_.end(),
                                    [&](const Pending& p) { return p.name == name; });
    // A plain write makes every earlier change of the value moot (a window dragged about
    // writes its place again and again).
    if (replaces) std::erase_if(pending_, [&](const Pending& p) { return p.name == name; });
    pending_.push_back({name, std::move(change)});
    if (fresh && on_not_saved) on_not_saved(name, last_reason_);
}

bool FileStore::update_text(std::string_view name, const TextChange& change) {
    return change_text(name, change, false);
}

bool FileStore::change_text(std::string_view name, const TextChange& change, bool replaces) {
    if (!storable_name(name)) return false;
    bool unfit = false;
    const bool kept_it = rewrite([&](StoreText& store, std::string& why) {
        const std::optional<std::string> text = change(store.find(name));
        if (!text) return Edit::Unchanged;
        if (!storable_text(*text)) {
            why = "the value of " + std::string(name) + " does not fit on one line";
            unfit = true;
            return Edit::Refused;
        }
        store.set(name, *text);
        return Edit::Changed;
    });
    // The disk, the folder or the lock failed it: it waits for the next write that succeeds.
    if (!kept_it && !unfit && !too_large_) keep_pending(std::string(name), change, replaces);
    return kept_it;
}

bool FileStore::write_texts(const Texts& values) {
    // A value write_text would refuse is left out, and told after the others are kept.
    bool all = true;
    std::string unfit;
    const bool kept_others = rewrite([&](StoreText& store, std::string&) {
        Edit done = Edit::Unchanged;
        for (const auto& [name, text] : values) {
            if (!storable_name(name)) {
                all = false;
            } else if (!storable_text(text)) {
                all = false;
                if (unfit.empty())
                    unfit = "the value of " + std::string(name) + " does not fit on one line";
            } else {
                store.set(name, text);
                done = Edit::Changed;
            }
        }
        return done;
    });
    if (!kept_others && !too_large_)
        for (const auto& [name, text] : values)
            if (storable_name(name) && storable_text(text))
                keep_pending(
                    std::string(name),
                    [text = text](const std::optional<std::string>&) {
                        return std::optional<std::string>(text);
                    },
                    true);
    if (!unfit.empty()) refuse(unfit);
    return kept_others && all;
}

bool FileStore::retry() {
    if (pending_.empty()) return true;
    return rewrite([](StoreText&, std::string&) { return Edit::Unchanged; });
}

std::vector<std::string> FileStore::pending_names() const {
    std::vector<std::string> names;
    for (const Pending& p : pending_)
        if (std::find(names.begin(), names.end(), p.name) == names.end()) names.push_back(p.name);
    return names;
}

bool FileStore::rewrite(const Editor& edit) {
    too_large_ = false;
    // A store file kept elsewhere through a symbolic link stays a link to the new content.
    const std::optional<fs::path> target = write_target(file_);
    if (!target) return refuse(file_.string() + " is a loop of symbolic links");
    std::error_code ec;
    if (file_.has_parent_path()) fs::create_directories(file_.parent_path(), ec);

    std::string why;
    UniqueFd lock(open_lock(lock_path(), why));
    if (!lock.ok()) return refuse(lock_path().string() + " " + why);
    // A lock held past the wait belongs to a stuck process: later writes do not wait for it
    // again (a start makes a dozen), only try, until it is free.
    const Locked locked =
        lock_exclusive(lock.get(), lock_stuck_ ? std::min(lock_wait_, kStuckLockWait) : lock_wait_);
    if (locked == Locked::Held) {
        lock_stuck_ = true;
        return refuse(lock_path().string() + " is held by another process; settings and high " +
                      "scores are not saved while it is");
    }
    if (locked == Locked::Failed) return refuse(lock_path().string() + " cannot be locked");
    lock_stuck_ = false;
    remove_stale_temporaries(*target, kStaleTemporaryAge);

    FileContent cur = read_whole(*target);
    if (cur.status == FileContent::Unreadable) return refuse(target->string() + " " + cur.text);
    StoreText store;
    mode_t mode = 0600;
    if (cur.status == FileContent::Read) {
        store = parse_store_text(cur.text);
        struct stat st {};
        if (::stat(target->c_str(), &st) == 0) mode = st.st_mode & 07777;
    } else {
        store = parse_store_text(kNewFileHeader);
    }
    // What earlier writes could not store goes first, in their order, on the values as they
    // are now (a high score kept waiting still gives way to a higher one stored meanwhile).
    bool changed = false;
    for (const Pending& p : pending_)
        if (std::optional<std::string> text = p.change(store.find(p.name));
            text && storable_text(*text)) {
            store.set(p.name, *text);
            changed = true;
        }
    std::string refusal;
    const Edit done = edit(store, refusal);
    changed = changed || done == Edit::Changed;
    if (!changed) return done == Edit::Refused ? refuse(refusal) : kept();
    std::string content = store.serialize();
    if (cur.status == FileContent::Read && content == cur.text)
        return done == Edit::Refused ? refuse(refusal) : kept();
    // A file this store would refuse to read would lose every value at the next start. No
    // later write would get through with these values waiting: they are given up.
    if (content.size() > kMaxFileSize) {
        too_large_ = true;
        pending_.clear();
        return refuse(target->string() + " would grow past " + std::to_string(kMaxFileSize / 1024) +
                      " KB");
    }
    if (!replace_file(*target, content, mode, why)) return refuse(why);
    if (done == Edit::Refused) {
        // The waiting values are stored; only this one was not.
        settled();
        return refuse(refusal);
    }
    return kept();
}

bool FileStore::kept() {
    told_.clear(); // a failure that comes back is told again
    settled();
    return true;
}

void FileStore::settled() {
    if (pending_.empty()) return;
    pending_.clear();
    if (on_saved) on_saved();
}

} // namespace q50
