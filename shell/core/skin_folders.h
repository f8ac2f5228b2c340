#pragma once
// Skins of one's own: folders holding a Config.ini and its pictures, found under
// $XDG_DATA_HOME/quendrix50/skins/ and the same place in every folder of $XDG_DATA_DIRS.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace q50 {

struct UserSkin {
    std::string name; // the folder's name, which the menu shows and the store keeps
    std::filesystem::path dir;
};

// The user's own data of this program: $XDG_DATA_HOME/quendrix50 (~/.local/share when
// XDG_DATA_HOME is unset, empty or relative).
std::filesystem::path user_data_home();
// The folder where a user's own skins are made: $XDG_DATA_HOME/quendrix50/skins
// (~/.local/share when XDG_DATA_HOME is unset, empty or relative).
std::filesystem::path user_skins_home();
// That folder first, then <dir>/quendrix50/skins for each absolute folder of $XDG_DATA_DIRS
// (/usr/local/share and /usr/share when it is unset or empty).
std::vector<std::filesystem::path> skin_search_path();

// Every <root>/<name>/Config.ini, sorted by name; a name found in an earlier root hides the
// same name in a later one, as a user's own data hides the system's.
std::vector<UserSkin> find_user_skins(const std::vector<std::filesystem::path>& roots);
std::optional<UserSkin> find_user_skin(const std::vector<std::filesystem::path>& roots,
                                       const std::string& name);

// Copies the delivered skin (its Config.ini and the picture folders it names below `data_dir`)
// into a new folder under `skins_home` named "My skin", "My skin 2", ... The copy reads its
// pictures from its own folders, so it can be changed freely. Nothing is left behind on a
// failure, whose reason goes to *error.
std::optional<UserSkin> copy_delivered_skin(const std::filesystem::path& data_dir,
                                            const std::filesystem::path& skins_home,
                                            std::string* error);

} // namespace q50
