#include "sound/sample_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace q50 {

namespace {

std::string failed(const char* what) {
    return std::string(what) + " (" + std::strerror(errno) + ")";
}

} // namespace

SampleBytes read_sample_file(const std::string& path) {
    SampleBytes out;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        out.error = errno == ENOENT ? std::string("is missing") : failed("cannot be opened");
        return out;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        out.error = failed("cannot be read");
    } else if (!S_ISREG(st.st_mode)) {
        out.error = "is not a regular file";
    } else if (st.st_size == 0) {
        out.error = "is empty";
    } else if (std::size_t(st.st_size) > kMaxSampleBytes) {
        out.error = "is larger than " + std::to_string(kMaxSampleBytes >> 20) + " MB";
    } else {
        out.bytes.resize(std::size_t(st.st_size));
        std::size_t done = 0;
        while (done < out.bytes.size()) {
            const ssize_t n = ::read(fd, out.bytes.data() + done, out.bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                out.error = failed("cannot be read");
                break;
            }
            if (n == 0) break; // cut short since its size was read: what is there is decoded
            done += std::size_t(n);
        }
        out.bytes.resize(done);
        if (out.error.empty() && done == 0) out.error = "is empty";
        if (!out.error.empty()) out.bytes.clear();
    }
    ::close(fd);
    return out;
}

} // namespace q50
