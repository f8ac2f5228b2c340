#include "display/skin_sets.h"

#include "display/ini_file.h"
#include "display/picture_file.h"

#include <algorithm>

namespace q50 {

namespace fs = std::filesystem;

namespace {

bool names_picture(const std::string& v) {
    return !v.empty() && v != "nil";
}

fs::path with_slashes(std::string name) {
    std::replace(name.begin(), name.end(), '\\', '/');
    return fs::path(name);
}

} // namespace

void SkinSets::clear() {
    sets_.clear();
    keep_.clear();
}

void SkinSets::load(const SkinEnvironment& env, const Board& board) {
    clear();
    std::string error;
    const auto ini = IniFile::load(env.executable_dir / "Config.ini", &error);
    if (!ini) return;
    for (int k = 2; k <= 4; ++k) {
        const std::string value =
            ini->read_string("Scaled", "SkinDir" + std::to_string(k) + "x", "");
        if (value.empty()) continue;
        const fs::path dir = skin_directory(value, env.current_dir);
        auto& set = sets_[k];
        for (int i = 1; i <= kSkinImageCount; ++i) {
            const std::string section = "Image" + std::to_string(i);
            const std::string file = ini->read_string(section, "Filename", "");
            if (!names_picture(file)) continue;
            const Segment* s = board.find(skin_image_names()[std::size_t(i)]);
            if (!s || !s->picture || set.count(s->picture.get())) continue;
            std::error_code ec;
            const fs::path path = dir / with_slashes(file);
            if (!fs::is_regular_file(path, ec)) continue;
            PictureLoad loaded = load_picture_file(path);
            if (!loaded) continue;
            Picture big = loaded.picture;
            if (big->width != s->picture->width * k || big->height != s->picture->height * k)
                continue;
            if (s->transparent && loaded.kind == PictureKind::Bitmap)
                big = std::make_shared<const Image>(with_bottom_left_colour_transparent(*big));
            set[s->picture.get()] = std::move(big);
            keep_.push_back(s->picture);
        }
        if (set.empty()) sets_.erase(k);
    }
}

Picture SkinSets::find(const Image* picture, int scale) const {
    const auto set = sets_.find(scale);
    if (set == sets_.end()) return nullptr;
    const auto it = set->second.find(picture);
    return it == set->second.end() ? nullptr : it->second;
}

int SkinSets::pick(double total) const {
    int best = 0;
    for (const auto& [k, set] : sets_)
        if (k <= total + 1e-9) best = k;
    return best;
}

std::map<int, int> SkinSets::counts() const {
    std::map<int, int> n;
    for (const auto& [k, set] : sets_) n[k] = int(set.size());
    return n;
}

} // namespace q50
