#include "shell/core/skin_folders.h"

#include "display/ini_file.h"
#include "display/skin_loader.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <system_error>
#include <tuple>

namespace q50 {

namespace fs = std::filesystem;

namespace {

fs::path absolute_env(const char* name) {
    const char* v = std::getenv(name);
    if (!v || !*v) return {};
    const fs::path p(v);
    return p.is_absolute() ? p : fs::path();
}

// A relative folder of the delivered Config.ini, as a path below the data folder; nothing for
// an absolute folder or one that leaves the data folder (the copy can use those as they are).
std::optional<fs::path> inside(const fs::path& data_dir, const std::string& value) {
    std::string v = value;
    std::replace(v.begin(), v.end(), '\\', '/');
    const fs::path p(v);
    if (p.empty() || p.is_absolute()) return std::nullopt;
    const fs::path rel = p.lexically_normal();
    if (rel.empty() || *rel.begin() == "..") return std::nullopt;
    std::error_code ec;
    if (!fs::is_directory(data_dir / rel, ec)) return std::nullopt;
    return rel;
}

} // namespace

fs::path user_data_home() {
    fs::path base = absolute_env("XDG_DATA_HOME");
    if (base.empty()) {
        const fs::path home = absolute_env("HOME");
        base = (home.empty() ? fs::path("/tmp") : home) / ".local/share";
    }
    return base / "quendrix50";
}

fs::path user_skins_home() {
    return user_data_home() / "skins";
}

std::vector<fs::path> skin_search_path() {
    std::vector<fs::path> roots{user_skins_home()};
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::string list = dirs && *dirs ? dirs : "/usr/local/share:/usr/share";
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        const fs::path p(list.substr(start, end - start));
        if (p.is_absolute()) roots.push_back(p / "quendrix50" / "skins");
        start = end + 1;
    }
    return roots;
}

std::vector<UserSkin> find_user_skins(const std::vector<fs::path>& roots) {
    std::vector<UserSkin> skins;
    std::set<std::string> seen;
    for (const fs::path& root : roots) {
        std::error_code ec;
        for (auto it = fs::directory_iterator(root, ec); !ec && it != fs::directory_iterator();
             it.increment(ec)) {
            std::error_code e2;
            const std::string name = it->path().filename().string();
            if (!fs::is_regular_file(it->path() / "Config.ini", e2)) continue;
            if (seen.insert(name).second) skins.push_back({name, it->path()});
        }
    }
    std::sort(skins.begin(), skins.end(),
              [](const UserSkin& a, const UserSkin& b) { return a.name < b.name; });
    return skins;
}

std::optional<UserSkin> find_user_skin(const std::vector<fs::path>& roots,
                                       const std::string& name) {
    if (name.empty()) return std::nullopt;
    for (UserSkin& s : find_user_skins(roots))
        if (s.name == name) return s;
    return std::nullopt;
}

std::optional<UserSkin> copy_delivered_skin(const fs::path& data_dir, const fs::path& skins_home,
                                            std::string* error) {
    std::error_code ec;
    fs::create_directories(skins_home, ec);
    if (ec) {
        if (error) *error = skins_home.string() + ": " + ec.message();
        return std::nullopt;
    }
    UserSkin skin;
    for (int n = 1;; ++n) {
        skin.name = n == 1 ? "My skin" : "My skin " + std::to_string(n);
        skin.dir = skins_home / skin.name;
        // create_directory is false for a folder that exists, so two copies never share one.
        if (fs::create_directory(skin.dir, ec)) break;
        if (ec) {
            if (error) *error = skin.dir.string() + ": " + ec.message();
            return std::nullopt;
        }
    }
    auto fail = [&](const std::string& why) -> std::optional<UserSkin> {
        if (error) *error = why;
        std::error_code ignored;
        fs::remove_all(skin.dir, ignored);
        return std::nullopt;
    };

    const fs::path config = data_dir / "Config.ini";
    fs::copy_file(config, skin.dir / "Config.ini", ec);
    if (ec) return fail(config.string() + ": " + ec.message());
    std::string why;
    const std::optional<IniFile> ini = IniFile::load(config, &why);
    if (!ini) return fail(why);
    // The pictures, the backdrop and the larger drawings of the same pictures.
    for (const auto& [section, key, fallback] :
         {std::tuple{"Common", "SkinDir", "Graphics\\Skin\\"},
          std::tuple{"Fullscreen", "BackdropDir", "Graphics\\Backdrop\\"},
          std::tuple{"Scaled", "SkinDir2x", ""}, std::tuple{"Scaled", "SkinDir3x", ""},
          std::tuple{"Scaled", "SkinDir4x", ""}}) {
        const std::optional<fs::path> rel =
            inside(data_dir, ini->read_string(section, key, fallback));
        if (!rel || fs::exists(skin.dir / *rel, ec)) continue;
        fs::create_directories((skin.dir / *rel).parent_path(), ec);
        if (!ec) fs::copy(data_dir / *rel, skin.dir / *rel, fs::copy_options::recursive, ec);
        if (ec) return fail((data_dir / *rel).string() + ": " + ec.message());
    }
    // The copied files keep the installation's modes; the user must be able to change them.
    for (auto it = fs::recursive_directory_iterator(skin.dir, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code e2;
        fs::permissions(it->path(), fs::perms::owner_read | fs::perms::owner_write,
                        fs::perm_options::add, e2);
    }
    return skin;
}

} // namespace q50
