#include "shell/core/state_slot.h"

#include "shell/core/device_state.h"
#include "shell/core/replace_file.h"
#include "shell/core/skin_folders.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace q50 {

namespace fs = std::filesystem;

fs::path state_slot_path() {
    return user_data_home() / "state.q50s";
}

bool write_state_slot(const fs::path& file, std::span<const std::uint8_t> state, std::string& why) {
    std::error_code ec;
    if (file.has_parent_path()) fs::create_directories(file.parent_path(), ec);
    const std::string_view bytes(reinterpret_cast<const char*>(state.data()), state.size());
    return replace_file(file, bytes, 0600, why);
}

std::optional<std::vector<std::uint8_t>> read_state_slot(const fs::path& file, std::string& why) {
    // Without blocking: a FIFO put there would hold an ordinary open forever.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        why = errno == ENOENT ? std::string("no state has been saved")
                              : file.string() + " cannot be read (" + std::strerror(errno) + ")";
        return std::nullopt;
    }
    struct stat st {};
    std::optional<std::vector<std::uint8_t>> out;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        why = file.string() + " is not a regular file";
    } else if (std::size_t(st.st_size) != kDeviceStateBytes) {
        why = file.string() + " is damaged (it is not the size of a saved state)";
    } else {
        std::vector<std::uint8_t> bytes(kDeviceStateBytes);
        std::size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += std::size_t(n);
        }
        if (got == bytes.size())
            out = std::move(bytes);
        else
            why = file.string() + " cannot be read whole";
    }
    ::close(fd);
    return out;
}

} // namespace q50
