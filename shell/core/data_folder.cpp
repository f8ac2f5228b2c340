#include "shell/core/data_folder.h"

#include <system_error>

namespace q50 {

namespace fs = std::filesystem;

DataFolder find_data_folder(const fs::path& executable_dir) {
    std::error_code ec;
    if (fs::exists(executable_dir / "Config.ini", ec)) return {executable_dir, false};
    const fs::path shared = executable_dir.parent_path() / "share" / "quendrix50";
    if (fs::is_regular_file(shared / "Config.ini", ec)) {
        const fs::path canonical = fs::weakly_canonical(shared, ec);
        return {ec ? shared : canonical, true};
    }
    return {executable_dir, false};
}

} // namespace q50
