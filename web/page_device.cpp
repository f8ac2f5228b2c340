#include "web/page_device.h"

#include "display/skin_loader.h"
#include "host/setting_names.h"
#include "input/assignments.h"
#include "input/keys.h"
#include "shell/core/menu_commands.h"

#include <cmath>

namespace q50::web {

PageDevice::PageDevice(const RunSetup& setup, std::function<void(const std::string&)> keep_store)
    : keep_store_(std::move(keep_store)) {
    text_ = parse_store_text(setup.store_text);
    for (const StoreLine& line : text_.lines)
        if (line.is_value) rig_.store.preset(line.name, line.text);
    rig_.random.seed(setup.seed);
    rig_.clock.set_ms_of_day(setup.ms_of_day);
    start(setup);
    RunStart begin;
    begin.store = run_start_values(rig_.store);
    begin.seed = setup.seed;
    begin.ms_of_day = setup.ms_of_day;
    // No skin line: the page's folder means nothing elsewhere; a replay shows the delivered skin.
    recorder_.begin(std::move(begin));
    target_.on_action = [this](ButtonAction a) { recorder_.action(now(), a); };
    pads_.load(rig_.store);
    catch_up_.on_stall = [this](const Stall& st) { recorder_.stall(st); };
}

PageDevice::PageDevice(const Recording& recording, const RunSetup& setup) {
    for (const auto& [name, text] : recording.start.store) {
        rig_.store.preset(name, text);
        text_.set(name, text);
    }
    rig_.random.seed(recording.start.seed);
    rig_.clock.set_ms_of_day(recording.start.ms_of_day);
    RunSetup as_made = setup;
    as_made.fullscreen = recording.start.fullscreen;
    start(as_made);
    // As the trace tool switches: the page shows the recorded presentation in its canvas.
    playback_.on_fullscreen = [this](bool on) {
        q50::set_fullscreen(rig_.dev, rig_.presentation, on);
        load_skin();
    };
    playback_.on_resume = [this](std::int64_t paused_ms) { rig_.clock.shift(paused_ms); };
    playback_.load(recording);
    playback_.start(0);
    playback_.drive(catch_up_);
}

void PageDevice::start(const RunSetup& setup) {
    printer_.attach();
    rig_.sound.on_call = [this](const RecordingSound::Call& c) {
        printer_.sound(c.what);
        if (on_sound) on_sound(c.what, c.time);
    };
    rig_.store.on_write = [this](const std::string& name, const std::string& text) {
        if (!preference_) printer_.stored(name, text);
        const std::string before = text_.serialize();
        text_.set(name, text);
        if (keep_store_ && text_.serialize() != before) keep_store_(text_.serialize());
    };
    const auto menu = [this] {
        if (on_game_menu) on_game_menu();
    };
    keys_.on_game_menu_click = menu;
    pad_input_.on_guide = menu;
    skin_dir_ = setup.skin_dir;
    screen_ = {setup.screen_width, setup.screen_height};
    rig_.start([&] {
        // As the trace tool starts: the presentation of the run, not the stored one.
        rig_.presentation.Fullscreen_Mode = setup.fullscreen;
        load_skin();
    });
}

std::optional<std::int64_t> PageDevice::advance(std::int64_t t) {
    catch_up_.to(t);
    // The recorder's own list of sounds would grow with the run; the printer has had them.
    rig_.sound.calls.clear();
    return catch_up_.next_due();
}

void PageDevice::load_skin() {
    if (skin_dir_.empty()) return;
    const bool fullscreen = rig_.presentation.Fullscreen_Mode;
    SkinEnvironment env;
    env.Fullscreen_Mode = fullscreen;
    env.executable_dir = env.current_dir = skin_dir_;
    env.screen_width = screen_.width;
    env.screen_height = screen_.height;
    // As the desktop lays a fullscreen device out: on the screen measured in design pixels at
    // the scale it is drawn at, at fit the whole scale above when only clear margins overflow.
    double scale = ratio_;
    double snap = 0;
    const PixelSize physical{int(std::lround(screen_.width * ratio_)),
                             int(std::lround(screen_.height * ratio_))};
    if (fullscreen) {
        env.screen_for_device = [&](PixelSize device) {
            scale = fullscreen_total_scale(fullscreen_zoom_, device, screen_, ratio_);
            return screen_in_design(physical, scale);
        };
        env.snapped_screen_for_device = [&](PixelSize device) -> std::optional<PixelSize> {
            if (fullscreen_zoom_ != kZoomFit) return std::nullopt;
            snap = fullscreen_snap_scale(device, physical);
            if (snap <= 0) return std::nullopt;
            return screen_in_design(physical, snap);
        };
    }
    const SkinLoadResult r = Load_Skin(rig_.dev.board, window_, env, printer_);
    // The skin's larger drawings, read when a scale first needs them.
    sets_.offer(env, rig_.dev.board, &printer_);
    presenter_.set_skin_sets(&sets_);
    if (!fullscreen) return;
    if (r.snapped) scale = snap;
    // The LCD alone fills the screen by its own size.
    if (const Rect lcd = presenter_.view_area();
        !(lcd.width == window_.client_width && lcd.height == window_.client_height))
        scale = fullscreen_total_scale(fullscreen_zoom_, {lcd.width, lcd.height}, screen_, ratio_);
    presenter_.set_screen(screen_);
    presenter_.set_scale(scale, ratio_);
}

void PageDevice::set_fullscreen(bool on) {
    if (playing() || on == fullscreen()) return;
    recorder_.command(now(), menu_command_text(MenuCommand::Fullscreen, on));
    q50::set_fullscreen(rig_.dev, rig_.presentation, on);
    load_skin();
}

void PageDevice::set_screen(PixelSize screen, double ratio, int fullscreen_zoom, View view) {
    fullscreen_zoom = valid_fullscreen_zoom(fullscreen_zoom);
    const bool changed = screen != screen_ || ratio != ratio_ ||
                         fullscreen_zoom != fullscreen_zoom_ || view != presenter_.view();
    screen_ = screen;
    ratio_ = ratio;
    fullscreen_zoom_ = fullscreen_zoom;
    presenter_.set_view(view);
    if (changed && fullscreen()) load_skin();
}

void PageDevice::key_down(std::uint16_t code) {
    if (!playing()) keys_.key_down(code);
}

void PageDevice::key_up(std::uint16_t code) {
    if (!playing()) keys_.key_up(code);
}

bool PageDevice::pointer_down(int pointer, int x, int y) {
    if (playing()) return false;
    const Segment* s = control_at(rig_.dev.board, x, y);
    if (!s) return false;
    auto& dispatch = pointers_[pointer];
    if (!dispatch) {
        dispatch = std::make_unique<InputDispatch>(target_, rig_.keys);
        dispatch->on_game_menu_click = keys_.on_game_menu_click;
    }
    dispatch->mouse_down(rig_.dev.board.id_of(*s), MouseButton::Left, x - s->rect.left,
                         y - s->rect.top);
    return true;
}

void PageDevice::pointer_up(int pointer, int x, int y) {
    const auto it = pointers_.find(pointer);
    if (it == pointers_.end()) return;
    if (const Segment* s = control_at(rig_.dev.board, x, y))
        it->second->mouse_up(MouseButton::Left, rig_.dev.board.id_of(*s));
    else
        it->second->mouse_up(MouseButton::Left);
    pointers_.erase(it);
}

void PageDevice::pointers_cancelled() {
    for (auto& [id, dispatch] : pointers_) dispatch->mouse_up(MouseButton::Left);
    pointers_.clear();
}

void PageDevice::pad_button(int pad, PadButton b, bool down) {
    if (playing()) return;
    if (down)
        pad_input_.button_down(pad, b);
    else
        pad_input_.button_up(pad, b);
}

void PageDevice::pad_axis(int pad, PadAxis a, int value) {
    if (!playing()) pad_input_.axis(pad, a, value);
}

void PageDevice::pad_removed(int pad) {
    pad_input_.pad_removed(pad);
}

void PageDevice::assignment(int n, bool down) {
    if (playing() || n < 1 || n > kAssignmentCount) return;
    if (down) {
        target_.perform(assignment_down_action(n, rig_.dev.Game_State));
    } else if (const auto a = assignment_up_action(n, rig_.dev.Game_State)) {
        target_.perform(*a);
    }
}

std::string PageDevice::key_text(int n) const {
    if (n < 1 || n > kAssignmentCount) return {};
    const int choice = rig_.keys.Key_Binding[std::size_t(n)].Choice;
    return choice >= 1 && choice <= kAssignableKeyCount
               ? std::string(assignable_key(choice).dialog_text)
               : std::string();
}

int PageDevice::key_choice(int n) const {
    return n >= 1 && n <= kAssignmentCount ? rig_.keys.Key_Binding[std::size_t(n)].Choice : 0;
}

bool PageDevice::assign(const std::array<int, 8>& keys, const std::array<PadButton, 8>& pads) {
    for (int j = 1; j <= kAssignmentCount; ++j) {
        const int pad = int(pads[std::size_t(j)]);
        if (keys[std::size_t(j)] < 1 || keys[std::size_t(j)] > kAssignableKeyCount || pad < 0 ||
            pad >= kPadButtonCount || pads[std::size_t(j)] == PadButton::guide)
            return false;
        for (int k = j + 1; k <= kAssignmentCount; ++k)
            if (keys[std::size_t(j)] == keys[std::size_t(k)] ||
                pads[std::size_t(j)] == pads[std::size_t(k)])
                return false;
    }
    // The player's choice, not the device's doing: kept, and no event of the run (the desktop's
    // dialog writes the program's store, which its event log does not show either).
    const PreferenceWrite quiet(preference_);
    for (int n = 1; n <= kAssignmentCount; ++n)
        rig_.keys.assign(rig_.store, n, keys[std::size_t(n)]);
    rig_.keys.Keys_Build_Hints(rig_.dev.board);
    // Written only when changed: a store that never had them keeps the defaults unwritten.
    bool pads_changed = false;
    for (int n = 1; n <= kAssignmentCount; ++n)
        pads_changed = pads_changed || pads[std::size_t(n)] != pads_.Pad[std::size_t(n)];
    if (pads_changed) {
        for (int n = 1; n <= kAssignmentCount; ++n)
            pads_.Pad[std::size_t(n)] = pads[std::size_t(n)];
        pads_.save(rig_.store);
    }
    return true;
}

void PageDevice::write_int(std::string_view name, std::int32_t value) {
    // Written only when it changes, as every new setting is; a preference of the player's, so
    // no event of the run, as on the desktop.
    const PreferenceWrite quiet(preference_);
    if (rig_.store.read_int(name, value - 1) != value) rig_.store.write_int(name, value);
}

void PageDevice::reset_high_scores() {
    if (playing()) return;
    recorder_.command(now(), menu_command_text(MenuCommand::ResetHiscores));
    q50::reset_high_scores(rig_.dev);
}

void PageDevice::show_overlays(bool on) {
    if (playing()) return;
    recorder_.command(now(), menu_command_text(MenuCommand::Overlays, on));
    show_controller_overlays(rig_.dev, rig_.presentation, on);
}

void PageDevice::pause() {
    if (!playing()) recorder_.pause(now());
}

void PageDevice::resume(std::int64_t paused_ms) {
    if (playing()) return;
    recorder_.resume(now(), paused_ms);
    rig_.clock.shift(paused_ms);
    if (rig_.dev.Game_State == 4) rig_.dev.Timer_ClockTimer();
}

void PageDevice::set_output(double total_scale, double ratio, View view) {
    presenter_.set_scale(total_scale, ratio);
    presenter_.set_view(view);
}

const Image& PageDevice::paint(std::vector<Rect>& parts) {
    Presenter::Update u = presenter_.present(now());
    if (!presenter_.shown_once()) presenter_.first_frame_shown();
    // A larger drawing the scale needs is read once the first frame is out, then shown.
    if (presenter_.prepare_sets()) {
        const Presenter::Update again = presenter_.present(now());
        u.laid_out = u.laid_out || again.laid_out;
        u.changed.insert(u.changed.end(), again.changed.begin(), again.changed.end());
    }
    const Image& frame = presenter_.frame();
    if (u.laid_out)
        parts.assign(1, Rect{0, 0, frame.width, frame.height});
    else
        parts = std::move(u.changed);
    return frame;
}

std::string PageDevice::take_events() {
    std::string text = events_.str();
    events_.str({});
    return text;
}

std::string PageDevice::recording() const {
    return recorder_.text("a run of the browser edition; replay it with quendrix-trace < this file",
                          now());
}

} // namespace q50::web
