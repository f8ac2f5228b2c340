#include "display/skin_sets.h"

#include "display/ini_file.h"
#include "display/picture_file.h"

#include <algorithm>
#include <set>

namespace q50 {

namespace fs = std::filesystem;

namespace {

bool names_set_picture(const std::string& v) {
    return !v.empty() && v != "nil";
}

class StandardErrorSink : public MessageSink {
  public:
    void error(const std::string& text) override { write_notice(text); }
};

} // namespace

void SkinSets::clear() {
    sets_.clear();
    offered_.clear();
    drawn_.clear();
    keep_.clear();
    if (budget_) budget_->clear(PictureBudget::Owner::Sets);
    budget_ = nullptr;
    own_budget_ = PictureBudget();
    messages_ = nullptr;
}

void SkinSets::load(const SkinEnvironment& env, const Board& board, MessageSink* messages) {
    offer(env, board, messages);
    while (!offered_.empty()) read(offered_.begin()->first);
    messages_ = nullptr;
}

void SkinSets::offer(const SkinEnvironment& env, const Board& board, MessageSink* messages) {
    clear();
    std::string error;
    const auto ini = IniFile::load(env.executable_dir / "Config.ini", &error);
    if (!ini) return;
    budget_ = env.budget;
    messages_ = messages;
    for (int k = 2; k <= 4; ++k) {
        const std::string key = "SkinDir" + std::to_string(k) + "x";
        const std::string value = ini->read_string("Scaled", key, "");
        const std::string decorations_key = "BackdropDir" + std::to_string(k) + "x";
        const std::string decorations = ini->read_string("Scaled", decorations_key, "");
        if (value.empty() && decorations.empty()) continue;
        const auto folder = [&](const std::string& v) {
            return v.empty() ? fs::path() : skin_directory(v, env.current_dir);
        };
        offered_[k] =
            Offer{folder(value), folder(decorations), value.empty() ? decorations_key : key};
    }
    if (offered_.empty()) return;
    for (int i = 1; i <= kSkinImageCount; ++i) {
        const std::string file = ini->read_string("Image" + std::to_string(i), "Filename", "");
        if (!names_set_picture(file)) continue;
        const Segment& s = board.get(skin_image_control(i));
        if (s.picture) drawn_.push_back(Drawn{s.picture, file, s.transparent, false});
    }
    // The fullscreen backdrop and logo: the file names of [Fullscreen].
    for (const auto& [segment, key] : {std::pair{SegmentId("im_backdrop"), "BackdropFile"},
                                       std::pair{SegmentId("im_backdrop_logo"), "LogoFile"}}) {
        const std::string file = ini->read_string("Fullscreen", key, "");
        const Segment& s = board.get(segment);
        if (names_set_picture(file) && s.picture)
            drawn_.push_back(Drawn{s.picture, file, s.transparent, true});
    }
}

int SkinSets::wanted(double total) const {
    int best = 0;
    for (const auto& [k, set] : sets_)
        if (k <= total + 1e-9) best = std::max(best, k);
    for (const auto& [k, offer] : offered_)
        if (k <= total + 1e-9) best = std::max(best, k);
    return best;
}

bool SkinSets::prepare(double total) {
    bool read_one = false;
    // A set given up is no longer offered, so the next smaller one is wanted instead.
    for (int k = wanted(total); k && offered_.count(k); k = wanted(total)) {
        read(k);
        read_one = true;
    }
    return read_one;
}

void SkinSets::read(int k) {
    const auto it = offered_.find(k);
    if (it == offered_.end()) return;
    const Offer offer = it->second;
    offered_.erase(it);
    StandardErrorSink standard_error;
    MessageSink& out = messages_ ? *messages_ : standard_error;
    PictureBudget& b = budget();
    std::string why;
    if (!load_set(k, offer, b, out, why)) {
        sets_.erase(k);
        out.notice("The pictures drawn at " + std::to_string(k) + " times the size ([Scaled] " +
                   offer.key + ") are not used: " + why +
                   ". The pictures are shown scaled from their design size instead.");
    }
    if (sets_.count(k) && sets_[k].empty()) sets_.erase(k);
    // What a set held while it was read (a set given up, a drawing of the wrong size) is
    // freed by now: the budget keeps only what the sets keep.
    b.clear(PictureBudget::Owner::Sets);
    b.charge(PictureBudget::Owner::Sets, kept_bytes());
}

bool SkinSets::load_set(int k, const Offer& offer, PictureBudget& budget, MessageSink& messages,
                        std::string& why) {
    // One decode per file of the set, counted against what the skin, the manual and the sets
    // read before this one have left.
    PictureShelf shelf(budget, PictureBudget::Owner::Sets, PictureShelf::Start::Adding);
    std::set<std::string> told;
    auto& set = sets_[k];
    for (const Drawn& d : drawn_) {
        const fs::path& dir = d.decoration ? offer.decorations_dir : offer.dir;
        if (dir.empty() || set.count(d.design.get())) continue;
        bool found = false;
        const fs::path path = find_skin_picture(dir, d.file, messages, told, &found);
        if (!found) continue; // this one picture is shown scaled
        const PictureLoad loaded = shelf.get(path, d.transparent);
        if (!loaded) {
            // Not every decoder error names the file; the reader must know which one it was.
            why = loaded.error;
            if (why.find(path.string()) == std::string::npos)
                why = "\"" + path.string() + "\": " + why;
            return false;
        }
        const Picture& big = loaded.picture;
        if (big->width != d.design->width * k || big->height != d.design->height * k) continue;
        set[d.design.get()] = big;
        keep_.push_back(d.design);
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
