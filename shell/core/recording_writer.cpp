#include "shell/core/recording_writer.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace q50 {

RecordingWriter::~RecordingWriter() {
    close();
}

bool RecordingWriter::open(const std::filesystem::path& file) {
    close();
    error_.clear();
    written_ = 0;
    file_ = file;
    fd_ = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        error_ = std::strerror(errno);
        return false;
    }
    return true;
}

bool RecordingWriter::write(std::string_view lines) {
    if (fd_ < 0) return false;
    std::size_t done = 0;
    while (done < lines.size()) {
        const ssize_t n = ::write(fd_, lines.data() + done, lines.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            fail(n < 0 ? errno : ENOSPC);
            return false;
        }
        done += std::size_t(n);
    }
    written_ += lines.size();
    return true;
}

void RecordingWriter::fail(int err) {
    error_ = std::strerror(err);
    // Part of a line may have gone in before the write stopped: the file keeps whole lines.
    if (::ftruncate(fd_, off_t(written_)) != 0) {
        // Then the file ends in part of a line, which the message about it covers.
    }
    // Not one whole line in it: an empty file would only look like a recording (a device
    // such as /dev/full is no file of ours to remove).
    struct stat st {};
    const bool remove = written_ == 0 && ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd_);
    fd_ = -1;
    if (remove) ::unlink(file_.c_str());
}

bool RecordingWriter::close() {
    if (fd_ < 0) return error_.empty();
    const int fd = fd_;
    fd_ = -1;
    // A file system that writes late (over the network, a quota) reports a lost write here.
    if (::close(fd) != 0) {
        error_ = std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace q50
