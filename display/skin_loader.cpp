#include "display/skin_loader.h"

#include "display/case_lookup.h"
#include "display/ini_file.h"
#include "display/picture_file.h"
#include "display/picture_read_ahead.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <system_error>

namespace q50 {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kNoPicture = "nil";

std::string with_slashes(std::string_view s) {
    std::string out(s);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

bool names_picture(const std::string& value) {
    return !value.empty() && value != kNoPicture;
}

// A named pipe or a device as Config.ini counts as there (and is refused when read).
bool file_exists(const fs::path& p) {
    std::error_code ec;
    const fs::file_status st = fs::status(p, ec);
    return !ec && fs::exists(st) && !fs::is_directory(st);
}

int saturate(std::int64_t v) {
    return int(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(),
                                        std::numeric_limits<int>::max()));
}

int client_side(std::int32_t v) {
    return std::clamp<int>(v, 0, kMaxClientSide);
}

std::string shown_path(const fs::path& p) {
    // Built by appending: GCC 12 at -O3 warns (-Wrestrict, falsely) on a literal + a temporary.
    return std::string("\"").append(p.string()).append("\"");
}

// "Center", "0" and any text that is not an integer centre the device.
int offset_from(const std::string& text, int screen, int client) {
    const std::optional<std::int32_t> v = strict_integer(text);
    if (v && *v != 0) return *v;
    return int((std::int64_t(screen) - client) / 2); // truncates towards zero
}

class Load {
  public:
    Load(Board& b, WindowModel& w, const SkinEnvironment& e, MessageSink& m)
        : board_(b), window_(w), env_(e), messages_(m),
          shelf_(e.budget ? *e.budget : own_budget_, PictureBudget::Owner::Skin) {}

    SkinLoadResult run();

  private:
    bool apply_config(const IniFile& ini);
    bool fullscreen_setup(const IniFile& ini);
    bool windowed_setup(const IniFile& ini);
    bool load_segments(const IniFile& ini);
    void place_logo(const IniFile& ini);
    // Lays the device out at the desktop's whole scale instead of the fit when nothing of it
    // that can show would leave the screen there.
    void snap(const IniFile& ini);
    // Whether `s`, moved by (dx, dy), shows a pixel that is not wholly see-through outside
    // the screen (design pixels from its top-left corner).
    bool shows_outside(const Segment& s, int dx, int dy, PixelSize screen);
    // Whether its picture shows anything at all (a waiting one is taken to).
    bool has_ink(const Segment& s) const;
    // The picture files the load will decode, in its order.
    std::vector<fs::path> pictures_to_read(const IniFile& ini) const;
    std::int64_t shelf_budget_left() const {
        return (env_.budget ? *env_.budget : own_budget_).left();
    }
    bool read_colour(const IniFile& ini, std::string_view section, std::string_view key,
                     std::string_view fallback, Colour& out);
    // Decodes into *out (or, with `can_wait`, leaves the pixels for later); false after
    // showing the failure.
    bool load_picture(const fs::path& file, bool transparent, Picture& out, bool can_wait = false);
    // A segment the first frame will not show, whose pixels can wait.
    bool may_wait(const Segment& s) const { return env_.waiting && !s.shown; }
    // The backdrop or the logo: its file as found, or nothing (told) when it is missing.
    std::optional<fs::path> find_decoration(const fs::path& dir, const std::string& name,
                                            std::string_view what);
    void set_client_size(int width, int height);
    void finish();

    fs::path find_picture(const fs::path& dir, const std::string& name, bool& found) {
        return find_skin_picture(dir, name, messages_, told_, &found);
    }

    Board& board_;
    WindowModel& window_;
    const SkinEnvironment& env_;
    MessageSink& messages_;
    PictureBudget own_budget_;
    PictureShelf shelf_;
    std::set<std::string> told_;
    Picture placeholder_, keyed_placeholder_;
    std::array<Segment*, kSkinImageCount + 1> Skin_Image{};
    fs::path skin_dir_;
    int offset_x_ = 0;
    int offset_y_ = 0;
    PixelSize device_;
    bool logo_loaded_ = false;
    bool snapped_ = false;
};

SkinLoadResult Load::run() {
    for (int i = 1; i <= kSkinImageCount; ++i) Skin_Image[i] = &board_.get(skin_image_control(i));

    SkinLoadResult result;
    const fs::path config = env_.executable_dir / "Config.ini";
    std::string error;
    std::optional<IniFile> ini;
    if (file_exists(config)) ini = open_skin_file(config, &error, messages_);
    if (!ini) {
        // A file there that cannot be read is named, with why.
        if (error.empty())
            messages_.error(std::string(kConfigMissingMessage));
        else
            messages_.detailed_error(std::string(kConfigMissingMessage), error);
        result.status = SkinLoadStatus::ConfigMissing;
        result.terminate_requested = true;
    } else if (!apply_config(*ini)) {
        result.status = SkinLoadStatus::Stopped;
    }
    result.snapped = snapped_;
    finish();
    return result;
}

bool Load::apply_config(const IniFile& ini) {
    skin_dir_ =
        skin_directory(ini.read_string("Common", "SkinDir", "Graphics\\Skin\\"), env_.current_dir);
    const int height = read_skin_side(ini, "Common", "GameHeight", kDefaultGameHeight, messages_);
    set_client_size(window_.client_width, height);
    const int width = read_skin_side(ini, "Common", "GameWidth", kDefaultGameWidth, messages_);
    set_client_size(width, height);
    device_ = {width, height};

    // Every picture the load will decode, shared with a second thread that starts from the
    // last one; the load asks for them in its order and meets the helper half-way.
    PictureReadAhead ahead(pictures_to_read(ini), shelf_budget_left());
    shelf_.read_ahead(&ahead);
    shelf_.waiting(env_.waiting);
    const bool ok = env_.Fullscreen_Mode ? fullscreen_setup(ini) : windowed_setup(ini);
    const bool loaded = ok && load_segments(ini);
    if (loaded && env_.Fullscreen_Mode) snap(ini);
    shelf_.read_ahead(nullptr);
    return loaded;
}

std::vector<fs::path> Load::pictures_to_read(const IniFile& ini) const {
    std::vector<fs::path> files;
    auto add = [&](const fs::path& dir, const std::string& name) {
        if (!names_picture(name)) return;
        // Looked up without a word: the load tells what is missing or ambiguous itself.
        const CaseLookup look = find_ignoring_case(dir / with_slashes(name));
        if (look.found) files.push_back(look.path);
    };
    if (env_.Fullscreen_Mode) {
        const fs::path dir = skin_directory(
            ini.read_string("Fullscreen", "BackdropDir", "Graphics\\Backdrop\\"), env_.current_dir);
        add(dir, ini.read_string("Fullscreen", "BackdropFile", kNoPicture));
        add(dir, ini.read_string("Fullscreen", "LogoFile", kNoPicture));
    }
    for (int i = 1; i <= kSkinImageCount; ++i)
        if (!may_wait(*Skin_Image[i]))
            add(skin_dir_, ini.read_string("Image" + std::to_string(i), "Filename", ""));
    return files;
}

bool Load::fullscreen_setup(const IniFile& ini) {
    const fs::path dir = skin_directory(
        ini.read_string("Fullscreen", "BackdropDir", "Graphics\\Backdrop\\"), env_.current_dir);
    Segment& backdrop = board_.get("im_backdrop");
    Segment& logo = board_.get("im_backdrop_logo");

    const std::string backdrop_file = ini.read_string("Fullscreen", "BackdropFile", kNoPicture);
    if (const auto found = find_decoration(dir, backdrop_file, "backdrop")) {
        Picture p;
        if (!load_picture(*found, backdrop.transparent, p)) return false;
        board_.set_picture(backdrop, std::move(p));
        window_.backdrop_stretch =
            (ini.read_integer("Fullscreen", "BackdropStretch", 0) & 0xFF) != 0;
        board_.show(backdrop);
    }

    Colour colour;
    if (!read_colour(ini, "Fullscreen", "BgColor", "$00000000", colour)) return false;
    window_.colour = colour;
    window_.key_on = false;

    PixelSize screen{env_.screen_width, env_.screen_height};
    if (env_.screen_for_device)
        screen = env_.screen_for_device({window_.client_width, window_.client_height});
    offset_x_ = offset_from(ini.read_string("Fullscreen", "GameOffsetX", "Center"), screen.width,
                            window_.client_width);
    offset_y_ = offset_from(ini.read_string("Fullscreen", "GameOffsetY", "Center"), screen.height,
                            window_.client_height);

    set_client_size(client_side(screen.width), window_.client_height);
    set_client_size(window_.client_width, client_side(screen.height));

    const std::string logo_file = ini.read_string("Fullscreen", "LogoFile", kNoPicture);
    if (const auto found = find_decoration(dir, logo_file, "logo")) {
        Picture p;
        if (!load_picture(*found, logo.transparent, p)) return false;
        const int w = p->width, h = p->height;
        board_.set_picture(logo, std::move(p));
        Rect r = logo.rect;
        r.width = w;
        r.height = h;
        board_.set_rect(logo, r);
        board_.show(logo);
        logo_loaded_ = true;
        place_logo(ini);
    }
    return true;
}

void Load::place_logo(const IniFile& ini) {
    Segment& logo = board_.get("im_backdrop_logo");
    Rect r = logo.rect;
    const int right = window_.client_width - r.width, bottom = window_.client_height - r.height;
    switch (ini.read_integer("Fullscreen", "LogoPosition", 1)) {
    case 0:
        r.left = 0, r.top = 0;
        break;
    case 1:
        r.left = right, r.top = 0;
        break;
    case 2:
        r.left = 0, r.top = bottom;
        break;
    case 3:
        r.left = right, r.top = bottom;
        break;
    default:
        break; // stays where it is
    }
    board_.set_rect(logo, r);
}

bool Load::shows_outside(const Segment& s, int dx, int dy, PixelSize screen) {
    if (!s.picture) return false;
    const Rect& r = s.rect;
    // A picture still waiting for its pixels needs them only when its rectangle leaves the
    // screen.
    const std::int64_t left = std::int64_t(r.left) + dx, top = std::int64_t(r.top) + dy;
    const bool rect_inside = r.width <= 0 || r.height <= 0 ||
                             (left >= 0 && top >= 0 && left + r.width <= screen.width &&
                              top + r.height <= screen.height);
    if (rect_inside) return false;
    if (env_.waiting && env_.waiting->holds(s.picture.get()) &&
        !env_.waiting->finish_one(s.picture.get()))
        return true; // its pixels are unknown
    const Image& p = *s.picture;
    const int w = std::min(p.width, std::max(r.width, 0));
    const int h = std::min(p.height, std::max(r.height, 0));
    // The part of the picture on the screen; everything around it must be see-through.
    const auto on = [](std::int64_t at, int size, int screen_size, int& from, int& to) {
        from = int(std::clamp<std::int64_t>(-at, 0, size));
        to = int(std::clamp<std::int64_t>(screen_size - at, from, size));
    };
    int x0, x1, y0, y1;
    on(left, w, screen.width, x0, x1);
    on(top, h, screen.height, y0, y1);
    for (int y = 0; y < h; ++y) {
        const Argb* row = p.pixels.data() + std::size_t(y) * std::size_t(p.width);
        const bool inside_row = y >= y0 && y < y1;
        for (int x = 0; x < w; ++x) {
            if (inside_row && x == x0) x = x1; // the part on the screen
            if (x < w && alpha_of(row[x]) != 0) return true;
        }
    }
    return false;
}

bool Load::has_ink(const Segment& s) const {
    if (!s.picture || s.rect.width <= 0 || s.rect.height <= 0) return false;
    if (env_.waiting && env_.waiting->holds(s.picture.get())) return true; // a PNG of some size
    const Image& p = *s.picture;
    const int w = std::min(p.width, s.rect.width), h = std::min(p.height, s.rect.height);
    for (int y = 0; y < h; ++y) {
        const Argb* row = p.pixels.data() + std::size_t(y) * std::size_t(p.width);
        for (int x = 0; x < w; ++x)
            if (alpha_of(row[x]) != 0) return true;
    }
    return false;
}

void Load::snap(const IniFile& ini) {
    if (!env_.snapped_screen_for_device) return;
    const std::optional<PixelSize> screen = env_.snapped_screen_for_device(device_);
    if (!screen) return;
    const int ox = offset_from(ini.read_string("Fullscreen", "GameOffsetX", "Center"),
                               screen->width, device_.width);
    const int oy = offset_from(ini.read_string("Fullscreen", "GameOffsetY", "Center"),
                               screen->height, device_.height);
    const int dx = ox - offset_x_, dy = oy - offset_y_;
    const PixelSize client{client_side(screen->width), client_side(screen->height)};
    for (int i = 1; i <= kSkinImageCount; ++i)
        if (shows_outside(*Skin_Image[i], dx, dy, client)) return;
    // A device with nothing to see has no extent to go by.
    if (std::none_of(Skin_Image.begin() + 1, Skin_Image.end(),
                     [this](const Segment* s) { return has_ink(*s); }))
        return;
    for (int i = 1; i <= kSkinImageCount; ++i) {
        Segment& seg = *Skin_Image[i];
        const Rect r = seg.rect;
        board_.set_rect(seg, Rect{saturate(std::int64_t(r.left) + dx),
                                  saturate(std::int64_t(r.top) + dy), r.width, r.height});
    }
    offset_x_ = ox;
    offset_y_ = oy;
    set_client_size(client.width, client.height);
    if (logo_loaded_) place_logo(ini);
    snapped_ = true;
}

bool Load::windowed_setup(const IniFile& ini) {
    offset_x_ = offset_y_ = 0;
    Colour colour;
    if (!read_colour(ini, "VideoMode", "TranspColor", "$00ff00ff", colour)) return false;
    window_.colour = colour;
    if (!read_colour(ini, "VideoMode", "TranspColor", "$00ff00ff", colour)) return false;
    window_.key_colour = colour;
    window_.key_on = true;
    board_.hide("im_backdrop");
    board_.hide("im_backdrop_logo");
    return true;
}

bool Load::load_segments(const IniFile& ini) {
    for (int i = 1; i <= kSkinImageCount; ++i) {
        const std::string section = "Image" + std::to_string(i);
        Segment& seg = *Skin_Image[i];
        const std::string file = ini.read_string(section, "Filename", "");
        if (names_picture(file)) {
            bool found = false;
            const fs::path path = find_picture(skin_dir_, file, found);
            Picture p;
            if (!found) {
                messages_.notice(shown_path(path) + " (" + section +
                                 ") not found; shown as a red square");
                Picture& shared = seg.transparent ? keyed_placeholder_ : placeholder_;
                if (!shared) {
                    shared = placeholder_picture();
                    if (seg.transparent)
                        shared = std::make_shared<const Image>(
                            with_bottom_left_colour_transparent(*shared));
                }
                p = shared;
            } else if (!load_picture(path, seg.transparent, p, may_wait(seg))) {
                return false;
            }
            board_.set_picture(seg, std::move(p));
        }
        const std::int32_t height = ini.read_integer(section, "Height", 0);
        const std::int32_t left = ini.read_integer(section, "Left", 0);
        const std::int32_t top = ini.read_integer(section, "Top", 0);
        const std::int32_t width = ini.read_integer(section, "Width", 0);
        board_.set_rect(seg, Rect{saturate(std::int64_t(left) + offset_x_),
                                  saturate(std::int64_t(top) + offset_y_), width, height});
    }
    return true;
}

bool Load::read_colour(const IniFile& ini, std::string_view section, std::string_view key,
                       std::string_view fallback, Colour& out) {
    const std::string text = ini.read_string(section, key, fallback);
    const std::optional<std::int32_t> v = strict_integer(text);
    if (!v) {
        messages_.error(invalid_integer_message(text));
        return false;
    }
    // The highest byte selects system colours on the original platform; only RGB is kept.
    out = Colour(std::uint32_t(*v) & 0x00FFFFFFu);
    return true;
}

bool Load::load_picture(const fs::path& file, bool transparent, Picture& out, bool can_wait) {
    PictureLoad loaded = shelf_.get(file, transparent, can_wait);
    if (!loaded) {
        messages_.error(loaded.error);
        return false;
    }
    out = std::move(loaded.picture);
    return true;
}

std::optional<fs::path> Load::find_decoration(const fs::path& dir, const std::string& name,
                                              std::string_view what) {
    if (!names_picture(name)) return std::nullopt;
    bool found = false;
    fs::path path = find_picture(dir, name, found);
    if (found) return path;
    messages_.notice(shown_path(path) + " (the " + std::string(what) + ") not found; not shown");
    return std::nullopt;
}

void Load::set_client_size(int width, int height) {
    window_.client_width = width;
    window_.client_height = height;
    // im_backdrop is anchored to all four edges of the window.
    board_.set_rect(board_.get("im_backdrop"), Rect{0, 0, width, height});
}

void Load::finish() {
    Segment& top = board_.get("btn_game_menu_top");
    Segment& background = board_.get("btn_game_menu_background");
    board_.set_shown(top, env_.Fullscreen_Mode);
    board_.set_shown(background, env_.Fullscreen_Mode);
    Rect r = background.rect;
    r.height = 32;
    r.width = 36;
    board_.set_rect(background, r);
}

} // namespace

bool presentation_segment(std::string_view name) {
    return name == "im_backdrop" || name == "im_backdrop_logo" || name == "btn_game_menu_top" ||
           name == "btn_game_menu_background";
}

int read_skin_side(const IniFile& ini, std::string_view section, std::string_view key, int fallback,
                   MessageSink& messages) {
    const std::int32_t v = ini.read_integer(section, key, fallback);
    if (v >= 1 && v <= kMaxSkinSide) return v;
    messages.notice("Config.ini: " + std::string(key) + "=" + std::to_string(v) +
                    " is outside 1.." + std::to_string(kMaxSkinSide) + "; using " +
                    std::to_string(fallback));
    return fallback;
}

std::optional<IniFile> open_skin_file(const fs::path& config, std::string* error,
                                      MessageSink& messages) {
    std::string cut;
    std::optional<IniFile> ini = IniFile::load(config, error, &cut);
    if (!cut.empty()) messages.notice(cut);
    return ini;
}

fs::path find_skin_picture(const fs::path& dir, std::string_view name, MessageSink& messages,
                           std::set<std::string>& told, bool* found) {
    const CaseLookup look = find_ignoring_case(dir / with_slashes(name));
    for (const std::string& text : look.ambiguities)
        if (told.insert(text).second) messages.notice(text);
    if (found) *found = look.found;
    return look.path;
}

fs::path skin_directory(std::string_view value, const fs::path& current_dir) {
    std::string dir = with_slashes(value);
    if (dir.empty()) return current_dir;
    if (dir.back() != '/') dir += '/';
    const fs::path p(dir);
    return p.is_absolute() ? p : current_dir / p;
}

SkinLoadResult Load_Skin(Board& board, WindowModel& window, const SkinEnvironment& env,
                         MessageSink& messages) {
    return Load(board, window, env, messages).run();
}

} // namespace q50
