#include "display/skin_sets.h"

#include "display/ini_file.h"
#include "display/picture_file.h"

#include <set>

namespace q50 {

namespace fs = std::filesystem;

namespace {

bool names_picture(const std::string& v) {
    return !v.empty() && v != "nil";
}

class StandardErrorSink : public MessageSink {
  public:
    void error(const std::string& text) override { write_notice(text); }
};

} // namespace

void SkinSets::clear() {
    sets_.clear();
    keep_.clear();
    if (budget_) budget_->clear(PictureBudget::Owner::Sets);
    budget_ = nullptr;
}

void SkinSets::load(const SkinEnvironment& env, const Board& board, MessageSink* messages) {
    clear();
    StandardErrorSink standard_error;
    MessageSink& out = messages ? *messages : standard_error;
    std::string error;
    const auto ini = IniFile::load(env.executable_dir / "Config.ini", &error);
    if (!ini) return;
    PictureBudget own_budget;
    PictureBudget& budget = env.budget ? *env.budget : own_budget;
    budget_ = env.budget;
    for (int k = 2; k <= 4; ++k) {
        const std::string key = "SkinDir" + std::to_string(k) + "x";
        const std::string value = ini->read_string("Scaled", key, "");
        const std::string decorations_key = "BackdropDir" + std::to_string(k) + "x";
        const std::string decorations = ini->read_string("Scaled", decorations_key, "");
        if (value.empty() && decorations.empty()) continue;
        std::string why;
        const auto folder = [&](const std::string& v) {
            return v.empty() ? fs::path() : skin_directory(v, env.current_dir);
        };
        if (!load_set(k, folder(value), folder(decorations), *ini, board, budget, out, why)) {
            sets_.erase(k);
            out.notice("The pictures drawn at " + std::to_string(k) + " times the size ([Scaled] " +
                       (value.empty() ? decorations_key : key) + ") are not used: " + why +
                       ". The pictures are shown scaled from their design size instead.");
        }
        if (sets_.count(k) && sets_[k].empty()) sets_.erase(k);
        // What a set held while it was read (a set given up, a drawing of the wrong size) is
        // freed by now: the budget keeps only what the sets keep.
        budget.clear(PictureBudget::Owner::Sets);
        budget.charge(PictureBudget::Owner::Sets, kept_bytes());
    }
}

bool SkinSets::load_set(int k, const fs::path& dir, const fs::path& decorations_dir,
                        const IniFile& ini, const Board& board, PictureBudget& budget,
                        MessageSink& messages, std::string& why) {
    // One decode per file of the set, counted against what the skin, the manual and the sets
    // loaded before this one have left.
    PictureShelf shelf(budget, PictureBudget::Owner::Sets, PictureShelf::Start::Adding);
    std::set<std::string> told;
    auto& set = sets_[k];
    // The larger drawing of segment `s`'s picture: false when the set must not be used.
    const auto take = [&](const Segment* s, const fs::path& folder, const std::string& file) {
        if (!s || !s->picture || set.count(s->picture.get())) return true;
        bool found = false;
        const fs::path path = find_skin_picture(folder, file, messages, told, &found);
        if (!found) return true; // this one picture is shown scaled
        const PictureLoad loaded = shelf.get(path, s->transparent);
        if (!loaded) {
            // Not every decoder error names the file; the reader must know which one it was.
            why = loaded.error;
            if (why.find(path.string()) == std::string::npos)
                why = "\"" + path.string() + "\": " + why;
            return false;
        }
        const Picture& big = loaded.picture;
        if (big->width != s->picture->width * k || big->height != s->picture->height * k)
            return true;
        set[s->picture.get()] = big;
        keep_.push_back(s->picture);
        return true;
    };
    for (int i = 1; i <= kSkinImageCount && !dir.empty(); ++i) {
        const std::string file = ini.read_string("Image" + std::to_string(i), "Filename", "");
        if (!names_picture(file)) continue;
        if (!take(board.find(skin_image_names()[std::size_t(i)]), dir, file)) return false;
    }
    // The fullscreen backdrop and logo: the file names of [Fullscreen].
    if (decorations_dir.empty()) return true;
    for (const auto& [segment, key] :
         {std::pair{"im_backdrop", "BackdropFile"}, std::pair{"im_backdrop_logo", "LogoFile"}}) {
        const std::string file = ini.read_string("Fullscreen", key, "");
        if (names_picture(file) && !take(board.find(segment), decorations_dir, file)) return false;
    }
    return true;
}

std::int64_t SkinSets::kept_bytes() const {
    std::set<const Image*> seen;
    std::int64_t bytes = 0;
    for (const auto& [k, set] : sets_)
        for (const auto& [design, big] : set)
            if (seen.insert(big.get()).second) bytes += picture_bytes(big->width, big->height);
    return bytes;
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
