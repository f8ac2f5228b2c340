#include "shell/core/file_store.h"

#include "shell/core/store_text.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace q50 {

namespace fs = std::filesystem;

namespace {

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
    std::string text;
};

FileContent read_whole(const fs::path& path) {
    // Non-blocking so that a FIFO put in place of the file cannot hang the program.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.ok()) return {errno == ENOENT ? FileContent::Missing : FileContent::Unreadable, {}};
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        std::size_t(st.st_size) > FileStore::kMaxFileSize)
        return {FileContent::Unreadable, {}};
    FileContent out{FileContent::Read, {}};
    char buf[8192];
    for (;;) {
        ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return {FileContent::Unreadable, {}};
        if (n == 0) break;
        out.text.append(buf, std::size_t(n));
        if (out.text.size() > FileStore::kMaxFileSize) return {FileContent::Unreadable, {}};
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

bool lock_exclusive(int fd) {
    while (::flock(fd, LOCK_EX) != 0)
        if (errno != EINTR) return false;
    return true;
}

// Writes `content` to a new file in `dir`, flushed to the disk, and renames it onto `target`.
bool replace_file(const fs::path& target, std::string_view content, mode_t mode) {
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    std::string tmp = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    UniqueFd fd(::mkostemp(tmp.data(), O_CLOEXEC));
    if (!fd.ok()) return false;
    bool ok =
        write_all(fd.get(), content) && ::fchmod(fd.get(), mode) == 0 && ::fsync(fd.get()) == 0;
    ok = fd.close() && ok;
    if (!ok || ::rename(tmp.c_str(), target.c_str()) != 0) {
        ::unlink(tmp.c_str());
        return false;
    }
    // Makes the rename itself durable; the new content is in place either way.
    UniqueFd dirfd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirfd.ok()) ::fsync(dirfd.get());
    return true;
}

} // namespace

FileStore::FileStore(fs::path file) : file_(std::move(file)) {
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
    if (!storable_name(name) || !storable_text(text)) return false;

    // A store file kept elsewhere through a symbolic link stays a link to the new content.
    fs::path target = file_;
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(file_, ec))) {
        target = fs::canonical(file_, ec);
        if (ec) return false;
    }
    if (file_.has_parent_path()) fs::create_directories(file_.parent_path(), ec);

    UniqueFd lock(::open(lock_path().c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600));
    if (!lock.ok() || !lock_exclusive(lock.get())) return false;

    FileContent cur = read_whole(target);
    if (cur.status == FileContent::Unreadable) return false;
    StoreText store;
    mode_t mode = 0600;
    if (cur.status == FileContent::Read) {
        store = parse_store_text(cur.text);
        struct stat st {};
        if (::stat(target.c_str(), &st) == 0) mode = st.st_mode & 07777;
    } else {
        store = parse_store_text(kNewFileHeader);
    }
    store.set(name, text);
    std::string content = store.serialize();
    if (cur.status == FileContent::Read && content == cur.text) return true;
    return replace_file(target, content, mode);
}

} // namespace q50
