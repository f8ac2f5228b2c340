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
        auto& set = sets_[k];
        // The larger drawing of segment `s`'s picture from `path`, when it is exactly k times.
        const auto take = [&](const Segment* s, const fs::path& path) {
            if (!s || !s->picture || set.count(s->picture.get())) return;
            std::error_code ec;
            if (!fs::is_regular_file(path, ec)) return;
            PictureLoad loaded = load_picture_file(path);
            if (!loaded) return;
            Picture big = loaded.picture;
            if (big->width != s->picture->width * k || big->height != s->picture->height * k)
                return;
            if (s->transparent && loaded.kind == PictureKind::Bitmap)
                big = std::make_shared<const Image>(with_bottom_left_colour_transparent(*big));
            set[s->picture.get()] = std::move(big);
            keep_.push_back(s->picture);
        };
        const std::string value =
            ini->read_string("Scaled", "SkinDir" + std::to_string(k) + "x", "");
        if (!value.empty()) {
            const fs::path dir = skin_directory(value, env.current_dir);
            for (int i = 1; i <= kSkinImageCount; ++i) {
                const std::string file =
                    ini->read_string("Image" + std::to_string(i), "Filename", "");
                if (!names_picture(file)) continue;
                take(board.find(skin_image_names()[std::size_t(i)]), dir / with_slashes(file));
            }
        }
        // The fullscreen backdrop and logo: the same file names as in [Fullscreen].
        const std::string decorations =
            ini->read_string("Scaled", "BackdropDir" + std::to_string(k) + "x", "");
        if (!decorations.empty()) {
            const fs::path dir = skin_directory(decorations, env.current_dir);
            for (const auto& [segment, key] : {std::pair{"im_backdrop", "BackdropFile"},
                                               std::pair{"im_backdrop_logo", "LogoFile"}}) {
                const std::string file = ini->read_string("Fullscreen", key, "");
                if (names_picture(file)) take(board.find(segment), dir / with_slashes(file));
            }
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
