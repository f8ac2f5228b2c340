#include "host/regular_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace q50 {

namespace {

std::string failed(const char* what, int error) {
    return std::string(what) + " (" + std::strerror(error) + ")";
}

} // namespace

std::string size_text(std::size_t bytes) {
    constexpr std::size_t mb = std::size_t(1) << 20;
    return bytes % mb == 0 ? std::to_string(bytes / mb) + " MB" : std::to_string(bytes) + " bytes";
}

FileBytes read_regular_file(const std::string& path, std::size_t max_bytes, WhenLarger larger) {
    FileBytes out;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        out.error = errno == ENOENT ? std::string("is missing") : failed("cannot be opened", errno);
        return out;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        out.error = failed("cannot be read", errno);
    } else if (!S_ISREG(st.st_mode)) {
        out.error = "is not a regular file";
    } else {
        out.size = std::uint64_t(st.st_size);
        std::size_t want = std::size_t(out.size);
        if (out.size > max_bytes) {
            if (larger == WhenLarger::Refuse) out.error = "is larger than " + size_text(max_bytes);
            out.cut = larger == WhenLarger::Cut;
            want = max_bytes;
        }
        try {
            if (out.error.empty()) out.bytes.resize(want);
        } catch (const std::bad_alloc&) {
            out.error = "cannot be read (not enough memory)";
        }
        std::size_t done = 0;
        while (out.error.empty() && done < out.bytes.size()) {
            const ssize_t n = ::read(fd, out.bytes.data() + done, out.bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                out.error = failed("cannot be read", errno);
                break;
            }
            if (n == 0) break; // cut short since its size was read: what is there is taken
            done += std::size_t(n);
        }
        out.bytes.resize(out.error.empty() ? done : 0);
    }
    ::close(fd);
    return out;
}

} // namespace q50
