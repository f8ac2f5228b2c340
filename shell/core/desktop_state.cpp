#include "shell/core/desktop_state.h"

#include "display/skin_loader.h"
#include "host/setting_names.h"
#include "shell/core/device_state.h"
#include "shell/core/skin_folders.h"
#include "sound/mixer/software_mixer.h"

#include <cstring>
#include <optional>

namespace q50 {

namespace {

constexpr char kTag[4] = {'Q', 'D', 'S', 'K'};
constexpr std::size_t kFadeBytes = 1 + 8 + 8;

void put(std::vector<std::uint8_t>& out, std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
}
std::uint64_t get(const std::uint8_t* at, int n) {
    std::uint64_t v = 0;
    for (int i = 0; i < n; ++i) v |= std::uint64_t(at[i]) << (8 * i);
    return v;
}

// By memcpy, not std::bit_cast: the browser build's older libc++ has no bit_cast.
std::uint64_t bits_of(double d) {
    std::uint64_t v;
    std::memcpy(&v, &d, sizeof v);
    return v;
}
double double_of(std::uint64_t v) {
    double d;
    std::memcpy(&d, &v, sizeof d);
    return d;
}

std::vector<std::uint8_t> front_part(const LcdLook& look) {
    const auto fades = look.fades();
    std::vector<std::uint8_t> out(kTag, kTag + 4);
    put(out, fades.size(), 4);
    for (const LcdLook::Fade& f : fades) {
        out.push_back(f.target ? 1 : 0);
        put(out, bits_of(f.from), 8);
        put(out, std::uint64_t(f.start), 8);
    }
    return out;
}

// The fades of a desktop part that fits `segments` and device time `now`; why not otherwise.
bool read_front(std::span<const std::uint8_t> f, std::size_t segments, std::int64_t now,
                std::vector<LcdLook::Fade>& fades, std::string& why) {
    if (f.size() < 8 || std::memcmp(f.data(), kTag, 4) != 0) {
        why = "it was saved by another front end (such as the RetroArch core), not the desktop";
        return false;
    }
    const std::size_t count = std::size_t(get(f.data() + 4, 4));
    // The look follows no segment until it first paints with a shadow or a fade.
    if ((count != 0 && count != segments) || f.size() != 8 + kFadeBytes * count) {
        why = "its LCD part is damaged";
        return false;
    }
    fades.assign(count, {});
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* at = f.data() + 8 + kFadeBytes * i;
        LcdLook::Fade& fade = fades[i];
        fade.target = at[0] == 1;
        fade.from = double_of(get(at + 1, 8));
        fade.start = std::int64_t(get(at + 9, 8));
        if (at[0] > 1 || !(fade.from >= 0 && fade.from <= 1) || fade.start < 0 ||
            fade.start > now) {
            why = "its LCD part is damaged";
            return false;
        }
    }
    return true;
}

// The segments that show the presentation and the player's choice of the controller overlays,
// not the game: a state saved in the other presentation or with the other choice leaves them.
bool kept_at_load(const Segment& s) {
    return presentation_segment(s.name) || s.name == "btn_ctrlr_overlay_left" ||
           s.name == "btn_ctrlr_overlay_right";
}

struct KeptSegment {
    std::size_t index;
    bool shown;
    std::optional<SegmentId> source;
    Picture picture;
};

} // namespace

std::vector<std::uint8_t> save_desktop_state(const DesktopStateParts& parts,
                                             std::int64_t ms_of_day) {
    SettableClock clock;
    clock.set_ms_of_day(ms_of_day - parts.device.now());
    SoftwareMixer no_voices;
    DeviceParts dp{parts.device, parts.random, clock, no_voices, parts.own_pictures};
    return save_device_state(dp, front_part(parts.look));
}

bool load_desktop_state(std::span<const std::uint8_t> bytes, DesktopStateParts& parts,
                        std::string& why) {
    SettableClock clock;
    SoftwareMixer mixer;
    DeviceParts dp{parts.device, parts.random, clock, mixer, parts.own_pictures};
    const std::size_t segments = parts.device.board.segments().size();
    std::vector<LcdLook::Fade> fades;
    std::string front_why;
    const auto fits = [&](std::span<const std::uint8_t> f, std::int64_t now) {
        return read_front(f, segments, now, fades, front_why);
    };
    Device& d = parts.device;
    Board& board = d.board;
    std::vector<KeptSegment> kept;
    for (std::size_t i = 0; i < segments; ++i)
        if (const Segment& s = board.segments()[i]; kept_at_load(s))
            kept.push_back({i, s.shown, s.picture_source, s.picture});
    std::vector<std::uint8_t> front;
    if (!load_device_state(bytes, dp, front, why, fits)) {
        if (!front_why.empty()) why = front_why;
        return false;
    }
    for (const KeptSegment& k : kept) {
        Segment& s = board.segments()[k.index];
        if (k.source)
            board.copy_picture(s, board.get(*k.source));
        else if (!k.picture)
            board.clear_picture(s);
        else if (s.picture_source || s.picture != k.picture)
            board.set_picture(s, k.picture);
        board.set_shown(s, k.shown);
    }
    d.Hi_Score_A = d.store().read_int(setting::HiScore1, 0);
    d.Hi_Score_B = d.store().read_int(setting::HiScore2, 0);
    if (!fades.empty()) parts.look.restore_fades(d.board, fades, d.now());
    return true;
}

bool game_under_way(const Device& d) {
    return d.Game_State >= 5 && d.Game_State <= 8;
}

std::filesystem::path resume_file_path() {
    return user_data_home() / "resume.q50s";
}

} // namespace q50
