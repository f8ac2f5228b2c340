#include "display/skin_check.h"

#include "board/board.h"
#include "display/case_lookup.h"
#include "display/ini_file.h"
#include "display/manual_pages.h"
#include "display/picture_budget.h"
#include "display/picture_file.h"
#include "display/skin_loader.h"
#include "host/regular_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string_view>
#include <system_error>

namespace q50 {

namespace fs = std::filesystem;

namespace {

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool same_ignoring_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() && lower(a) == lower(b);
}

std::string_view trim_space(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

// The keys each section may hold, as the loader and the manual viewer read them.
const std::vector<std::string>& keys_of_common() {
    static const std::vector<std::string> k{"SkinDir", "GameHeight", "GameWidth"};
    return k;
}
const std::vector<std::string>& keys_of_fullscreen() {
    static const std::vector<std::string> k{"BackdropDir", "BackdropFile", "BackdropStretch",
                                            "BgColor",     "GameOffsetX",  "GameOffsetY",
                                            "LogoFile",    "LogoPosition"};
    return k;
}
const std::vector<std::string>& keys_of_video() {
    static const std::vector<std::string> k{"TranspColor"};
    return k;
}
const std::vector<std::string>& keys_of_manual() {
    static const std::vector<std::string> k{"ManualDir", "ManualDir2x", "ManualHeight",
                                            "ManualWidth"};
    return k;
}
// Folders of the same pictures drawn larger, read by the desktop for a scaled device.
const std::vector<std::string>& keys_of_scaled() {
    static const std::vector<std::string> k{"BackdropDir2x", "BackdropDir3x", "BackdropDir4x",
                                            "SkinDir2x",     "SkinDir3x",     "SkinDir4x"};
    return k;
}
const std::vector<std::string>& keys_of_image() {
    static const std::vector<std::string> k{"Filename", "Left", "Top", "Width", "Height"};
    return k;
}

// The segment index of "Image<i>" (1..129, no leading zeros), 0 for any other name.
int image_index(std::string_view section) {
    if (section.size() < 6 || !same_ignoring_case(section.substr(0, 5), "image")) return 0;
    const std::string_view digits = section.substr(5);
    if (digits.empty() || digits.size() > 3 || digits.front() == '0') return 0;
    int i = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return 0;
        i = i * 10 + (c - '0');
    }
    return i <= kSkinImageCount ? i : 0;
}

const std::vector<std::string>* keys_of(std::string_view section) {
    if (same_ignoring_case(section, "Common")) return &keys_of_common();
    if (same_ignoring_case(section, "Fullscreen")) return &keys_of_fullscreen();
    if (same_ignoring_case(section, "VideoMode")) return &keys_of_video();
    if (same_ignoring_case(section, "Manual")) return &keys_of_manual();
    if (same_ignoring_case(section, "Scaled")) return &keys_of_scaled();
    if (image_index(section)) return &keys_of_image();
    return nullptr;
}

std::size_t edit_distance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                              std::tolower(static_cast<unsigned char>(b[j - 1]));
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::string suggestion(std::string_view name, const std::vector<std::string>& known) {
    for (const std::string& k : known)
        if (edit_distance(name, k) <= 2) return " (did you mean '" + k + "'?)";
    return {};
}

std::string read_all(const fs::path& p) {
    const FileBytes file = read_regular_file(p.string(), IniFile::kMaxFileBytes, WhenLarger::Cut);
    return std::string(file.bytes.begin(), file.bytes.end());
}

// Section and key names as written, line by line, the way the reader splits the file. Names are
// plain ASCII, so a UTF-16 file is narrowed by dropping its high bytes.
void check_names(const std::string& raw, SkinReport& r) {
    std::string text = raw;
    if (text.size() >= 2 && ((std::uint8_t(text[0]) == 0xFF && std::uint8_t(text[1]) == 0xFE) ||
                             (std::uint8_t(text[0]) == 0xFE && std::uint8_t(text[1]) == 0xFF))) {
        const std::size_t low = std::uint8_t(text[0]) == 0xFF ? 0 : 1;
        std::string narrow;
        for (std::size_t i = 2 + low; i < text.size(); i += 2) narrow += text[i];
        text = narrow;
    } else if (text.rfind("\xEF\xBB\xBF", 0) == 0) {
        text.erase(0, 3);
    }
    std::vector<std::string> section_names{"Common", "Fullscreen", "VideoMode",
                                           "Manual", "Scaled",     "Image1"};
    std::string section;
    bool known_section = false;
    std::istringstream lines(text);
    std::string line_text;
    int line = 0;
    while (std::getline(lines, line_text)) {
        ++line;
        // Old Mac files end lines with CR alone.
        std::istringstream parts(line_text);
        std::string part;
        while (std::getline(parts, part, '\r')) {
            const std::string_view l = trim_space(part);
            if (l.empty() || l.front() == ';' || l.front() == '#') continue;
            const std::string where = "line " + std::to_string(line);
            if (l.front() == '[') {
                std::string_view name = l.substr(1);
                const std::size_t close = name.rfind(']');
                if (close != std::string_view::npos) name = name.substr(0, close);
                section = std::string(trim_space(name));
                known_section = keys_of(section) != nullptr;
                if (!known_section)
                    r.errors.push_back(where + ": unknown section [" + section + "]" +
                                       suggestion(section, section_names) +
                                       "; the program ignores it");
                continue;
            }
            const std::size_t eq = l.find('=');
            if (eq == std::string_view::npos) continue;
            const std::string key(trim_space(l.substr(0, eq)));
            if (key.empty() || (!known_section && !section.empty())) continue;
            if (section.empty()) {
                r.errors.push_back(where + ": key '" + key +
                                   "' comes before any section; the program ignores it");
                continue;
            }
            const auto& known = *keys_of(section);
            if (std::none_of(known.begin(), known.end(),
                             [&](const std::string& k) { return same_ignoring_case(k, key); }))
                r.errors.push_back(where + ": unknown key '" + key + "' in [" + section + "]" +
                                   suggestion(key, known) + "; the program ignores it");
        }
    }
}

std::string with_slashes(std::string s) {
    std::replace(s.begin(), s.end(), '\\', '/');
    return s;
}

bool is_picture_value(const std::string& v) {
    return !v.empty() && v != "nil";
}

std::string rect_text(int l, int t, int w, int h) {
    // Appended: GCC 12 at -O3 warns (-Wrestrict, falsely) on a literal + a temporary.
    return std::string("(").append(std::to_string(l)) + ", " + std::to_string(t) + ", " +
           std::to_string(w) + "x" + std::to_string(h) + ")";
}

std::string colour_text(Colour c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%08x", c);
    return buf;
}

bool is_shell_picture(std::string_view name) {
    return name == "im_background_bottom" || name == "im_background_back" ||
           name == "im_background_front";
}

class Check {
  public:
    Check(const fs::path& dir, SkinReport& r)
        : dir_(dir), r_(r), shelf_(budget_, PictureBudget::Owner::Skin) {}
    void run();

  private:
    // A warning said once per check however many pictures it concerns.
    void warn_once(const std::string& text) {
        if (told_.insert(text).second) r_.warnings.push_back(text);
    }
    void folder_in_other_case(const fs::path& written, const fs::path& found);
    void case_differences(const std::string& label, const fs::path& written,
                          const CaseLookup& look);
    std::optional<Picture> picture(const std::string& label, const fs::path& base,
                                   const std::string& name, bool transparent, bool required);
    void segment(int i, const std::string& name);
    bool colour(std::string_view section, std::string_view key, std::string_view fallback,
                Colour& out);

    fs::path dir_;
    SkinReport& r_;
    // Decoded as the loader decodes: once per file, within the same budget.
    PictureBudget budget_;
    PictureShelf shelf_;
    std::set<std::string> told_;
    std::optional<IniFile> ini_;
    fs::path skin_dir_;
    int width_ = 0, height_ = 0;
    Colour key_colour_ = 0xff00ff;
    bool key_colour_known_ = false;
};

void Check::run() {
    const fs::path config = dir_ / "Config.ini";
    std::error_code ec;
    if (!fs::is_regular_file(config, ec)) {
        std::string e = "no Config.ini in " + dir_.string();
        if (auto other = differing_only_in_case(config))
            e += " (" + other->filename().string() + " differs only in letter case)";
        r_.errors.push_back(e);
        return;
    }
    std::string reason;
    ini_ = IniFile::load(config, &reason);
    if (!ini_) {
        r_.errors.push_back("Config.ini cannot be read: " + reason);
        return;
    }
    check_names(read_all(config), r_);

    skin_dir_ = skin_directory(ini_->read_string("Common", "SkinDir", "Graphics\\Skin\\"), dir_);
    if (!fs::is_directory(skin_dir_, ec)) {
        // The loader finds a folder named in another letter case; only a folder that is not
        // there at all leaves every segment a red square.
        const auto other = differing_only_in_case(skin_dir_.parent_path());
        if (other && fs::is_directory(*other, ec))
            folder_in_other_case(skin_dir_.parent_path(), *other);
        else
            r_.errors.push_back("[Common] SkinDir: the folder " + skin_dir_.string() +
                                " does not exist");
    }
    // The sizes as the loader and the manual read them: a value it replaces by the default
    // still gives a working window, but not the one the skin's author asked for.
    struct Warnings : MessageSink {
        SkinReport& r;
        explicit Warnings(SkinReport& report) : r(report) {}
        void error(const std::string& text) override { r.errors.push_back(text); }
        void notice(const std::string& text) override { r.warnings.push_back(text); }
    } sizes(r_);
    width_ = read_skin_side(*ini_, "Common", "GameWidth", kDefaultGameWidth, sizes);
    height_ = read_skin_side(*ini_, "Common", "GameHeight", kDefaultGameHeight, sizes);
    read_skin_side(*ini_, "Manual", "ManualWidth", ManualSettings{}.width, sizes);
    read_skin_side(*ini_, "Manual", "ManualHeight", ManualSettings{}.height, sizes);

    Colour c;
    key_colour_known_ = colour("VideoMode", "TranspColor", "$00ff00ff", key_colour_);
    colour("Fullscreen", "BgColor", "$00000000", c);

    const fs::path backdrop_dir = skin_directory(
        ini_->read_string("Fullscreen", "BackdropDir", "Graphics\\Backdrop\\"), dir_);
    for (const char* key : {"BackdropFile", "LogoFile"}) {
        const std::string file = ini_->read_string("Fullscreen", key, "nil");
        if (is_picture_value(file))
            picture(std::string("[Fullscreen] ") + key, backdrop_dir, file, false, false);
    }

    const auto& names = skin_image_names();
    for (int i = 1; i <= kSkinImageCount; ++i) segment(i, std::string(names[std::size_t(i)]));
}

bool Check::colour(std::string_view section, std::string_view key, std::string_view fallback,
                   Colour& out) {
    const std::string text = ini_->read_string(section, key, fallback);
    const std::optional<std::int32_t> v = strict_integer(text);
    if (!v) {
        r_.errors.push_back("[" + std::string(section) + "] " + std::string(key) + ": " +
                            invalid_integer_message(text) +
                            " (decimal, or hexadecimal after '$'); the load stops here");
        return false;
    }
    out = Colour(std::uint32_t(*v) & 0x00FFFFFFu);
    return true;
}

void Check::folder_in_other_case(const fs::path& written, const fs::path& found) {
    warn_once("the folder " + written.string() + " is found as " + found.string() +
              " (the names differ only in letter case; renaming it to match makes the skin "
              "independent of that lookup)");
}

// What the lookup without regard to case had to do to find a picture: every folder and the
// file whose written name differs from the one on disk in letter case, and every name that
// several entries matched.
void Check::case_differences(const std::string& label, const fs::path& written,
                             const CaseLookup& look) {
    for (const std::string& a : look.ambiguities) warn_once(label + ": " + a);
    if (!look.case_differs) return;
    const std::vector<fs::path> w(written.begin(), written.end());
    const std::vector<fs::path> f(look.path.begin(), look.path.end());
    if (w.size() != f.size()) { // not expected of the lookup; still say what was found
        warn_once(label + ": the picture " + written.string() + " is found as " +
                  look.path.string() + " (the names differ only in letter case)");
        return;
    }
    fs::path written_so_far, found_so_far;
    for (std::size_t i = 0; i < w.size(); ++i) {
        written_so_far /= w[i];
        found_so_far /= f[i];
        if (w[i] == f[i]) continue;
        if (i + 1 < w.size())
            folder_in_other_case(written_so_far, found_so_far);
        else
            r_.warnings.push_back(label + ": the picture " + written.string() + " is found as " +
                                  f[i].string() + " (the names differ only in letter case)");
    }
}

std::optional<Picture> Check::picture(const std::string& label, const fs::path& base,
                                      const std::string& name, bool transparent, bool required) {
    const fs::path written = base / with_slashes(name);
    // Found as the loader finds it: as written, else without regard to letter case.
    const CaseLookup look = find_ignoring_case(written);
    if (!look.found) {
        std::string e = label + ": the picture " + written.string() + " does not exist";
        e += required ? " (a red square shows instead)" : " (nothing shows)";
        (required ? r_.errors : r_.warnings).push_back(e);
        return std::nullopt;
    }
    case_differences(label, written, look);
    ++r_.pictures_checked;
    PictureLoad loaded = shelf_.get(look.path, transparent);
    if (!loaded) {
        r_.errors.push_back(label + ": " + loaded.error + " (the load stops at this picture)");
        return std::nullopt;
    }
    return loaded.picture;
}

void Check::segment(int i, const std::string& name) {
    const std::string section = "Image" + std::to_string(i);
    const std::string label = "[" + section + "] " + name;
    const bool has_section =
        std::any_of(keys_of_image().begin(), keys_of_image().end(),
                    [&](const std::string& k) { return ini_->has_key(section, k); });
    if (!has_section) {
        // The digit positions show copies of the glyphs; every other segment needs a place.
        r_.errors.push_back(label + ": no section [" + section +
                            "] (or an empty one): the segment has no place and never shows");
        return;
    }
    const int left = ini_->read_integer(section, "Left", 0);
    const int top = ini_->read_integer(section, "Top", 0);
    const int width = ini_->read_integer(section, "Width", 0);
    const int height = ini_->read_integer(section, "Height", 0);
    if (width < 0 || height < 0 || left < 0 || top < 0 || std::int64_t(left) + width > width_ ||
        std::int64_t(top) + height > height_)
        r_.errors.push_back(label + ": the rectangle " + rect_text(left, top, width, height) +
                            " is not inside the client area " + std::to_string(width_) + "x" +
                            std::to_string(height_));

    const std::string file = ini_->read_string(section, "Filename", "");
    if (!is_picture_value(file)) return;
    const bool lcd = is_lcd_segment(name);
    const std::optional<Picture> p = picture(label, skin_dir_, file, lcd, true);
    if (!p) return;
    const Image& img = **p;
    if (img.width > width || img.height > height)
        r_.warnings.push_back(label + ": the picture is " + std::to_string(img.width) + "x" +
                              std::to_string(img.height) + ", larger than its rectangle " +
                              std::to_string(width) + "x" + std::to_string(height) +
                              "; only its top-left part shows");
    if (lcd && key_colour_known_) {
        const Argb key = opaque_from_colour(key_colour_) & 0x00FFFFFFu;
        const auto n = std::count_if(img.pixels.begin(), img.pixels.end(), [key](Argb px) {
            return alpha_of(px) != 0 && (px & 0x00FFFFFFu) == key;
        });
        if (n)
            r_.warnings.push_back(
                label + ": " + std::to_string(n) + " pixels have the see-through colour " +
                colour_text(key_colour_) + "; they show as holes in the windowed presentation");
    }
    if (is_shell_picture(name)) {
        const auto n = std::count_if(img.pixels.begin(), img.pixels.end(), [](Argb px) {
            return alpha_of(px) != 0 && alpha_of(px) != 0xff;
        });
        if (n)
            r_.warnings.push_back(label + ": " + std::to_string(n) +
                                  " half-transparent pixels; a soft edge of the device's outline "
                                  "shows a fringe of the see-through colour in the windowed "
                                  "presentation");
    }
}

} // namespace

std::optional<fs::path> differing_only_in_case(const fs::path& path) {
    std::error_code ec;
    if (path.empty() || fs::exists(path, ec)) return std::nullopt;
    const fs::path parent = path.parent_path();
    if (parent == path) return std::nullopt;
    fs::path base = parent;
    if (!fs::is_directory(parent, ec)) {
        const std::optional<fs::path> p = differing_only_in_case(parent);
        if (!p || !fs::is_directory(*p, ec)) return std::nullopt;
        base = *p;
    }
    const std::string wanted = path.filename().string();
    for (auto it = fs::directory_iterator(base, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        if (same_ignoring_case(it->path().filename().string(), wanted)) return it->path();
    }
    return std::nullopt;
}

std::string SkinReport::summary() const {
    auto count = [](std::size_t n, const char* one) {
        return std::to_string(n) + " " + one + (n == 1 ? "" : "s");
    };
    return count(errors.size(), "error") + ", " + count(warnings.size(), "warning") + ", " +
           count(std::size_t(pictures_checked), "picture") +
           " checked: " + (sound() ? "the skin is sound" : "the skin has errors");
}

std::string SkinReport::text() const {
    std::string out;
    for (const std::string& e : errors) out += "error: " + e + "\n";
    for (const std::string& w : warnings) out += "warning: " + w + "\n";
    return out + summary() + "\n";
}

SkinReport check_skin(const fs::path& dir) {
    SkinReport r;
    Check(dir, r).run();
    return r;
}

} // namespace q50
