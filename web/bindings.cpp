// The page's calls into the device (exported to the script) and the device's calls out to the
// page (the store, the sound). One device at a time: the player's run, or a recording playing.
#include "web/page_device.h"

#include "input/assignments.h"
#include "input/keys.h"

#include <emscripten.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace {

std::unique_ptr<q50::web::PageDevice> device;
q50::web::RunSetup setup;
std::vector<q50::Rect> parts;
std::vector<std::uint8_t> rgba; // the frame as the canvas takes it
std::vector<std::int32_t> part_numbers;
int frame_width = 0;
int frame_height = 0;
std::string text; // the last text handed out
std::string error;

// Texts cross with their length: a stored text may hold any byte, a NUL among them.
EM_JS(void, page_keep_store, (const char* text, int length),
      { Module.keepStore(new TextDecoder().decode(HEAPU8.subarray(text, text + length))); });
EM_JS(void, page_sound, (const char* what, double time),
      { Module.playSound(UTF8ToString(what), time); });
EM_JS(void, page_game_menu, (), { Module.openGameMenu(); });

void hook(q50::web::PageDevice& d) {
    d.on_sound = [](const std::string& what, std::int64_t time) {
        page_sound(what.c_str(), double(time));
    };
    d.on_game_menu = [] { page_game_menu(); };
}

// The settings of the page's own that keep the desktop's names: the sound, the zoom, the view.
bool page_setting(std::string_view n) {
    return n == "Volume" || n == "Muted" || n == "Zoom" || n == "FullscreenZoom" || n == "View";
}

double due_or_none(std::optional<std::int64_t> due) {
    return due ? double(*due) : -1;
}

const char* hand_out(std::string s) {
    text = std::move(s);
    return text.c_str();
}

} // namespace

extern "C" {

// Switches the player's device on at device time 0 from the stored text.
EMSCRIPTEN_KEEPALIVE void q50_start(const char* store_text, int length, std::uint32_t seed,
                                    double ms_of_day, int screen_width, int screen_height) {
    setup.store_text.assign(store_text, std::size_t(length));
    setup.seed = seed;
    setup.ms_of_day = std::int64_t(ms_of_day);
    setup.skin_dir = "/data";
    setup.screen_width = screen_width;
    setup.screen_height = screen_height;
    device.reset();
    rgba.clear();
    device = std::make_unique<q50::web::PageDevice>(
        setup, [](const std::string& t) { page_keep_store(t.data(), int(t.size())); });
    hook(*device);
}

// Plays a recording instead: 1 when it started, 0 with q50_error() when it cannot be read
// (the device in use is then left as it is).
EMSCRIPTEN_KEEPALIVE int q50_play(const char* recording, int length, int screen_width,
                                  int screen_height) {
    q50::RecordingRead read =
        q50::parse_recording(std::string_view(recording, std::size_t(length)));
    if (!read.recording) {
        error = read.error;
        return 0;
    }
    // A replay link opened first plays before any switch-on: the skin and screen are its own.
    setup.skin_dir = "/data";
    setup.screen_width = screen_width;
    setup.screen_height = screen_height;
    device.reset();
    rgba.clear();
    device = std::make_unique<q50::web::PageDevice>(*read.recording, setup);
    hook(*device);
    return 1;
}

EMSCRIPTEN_KEEPALIVE const char* q50_error() {
    return error.c_str();
}

EMSCRIPTEN_KEEPALIVE int q50_playing() {
    return device && device->playing();
}

EMSCRIPTEN_KEEPALIVE double q50_advance(double t) {
    return device ? due_or_none(device->advance(std::int64_t(t))) : -1;
}

EMSCRIPTEN_KEEPALIVE double q50_now() {
    return device ? double(device->now()) : 0;
}

EMSCRIPTEN_KEEPALIVE void q50_key(int code, int down) {
    if (!device) return;
    if (down)
        device->key_down(std::uint16_t(code));
    else
        device->key_up(std::uint16_t(code));
}

EMSCRIPTEN_KEEPALIVE int q50_pointer(int pointer, int down, int x, int y) {
    if (!device) return 0;
    if (down) return device->pointer_down(pointer, x, y);
    device->pointer_up(pointer, x, y);
    return 1;
}

EMSCRIPTEN_KEEPALIVE void q50_pointers_cancelled() {
    if (device) device->pointers_cancelled();
}

// Whether a control lies at the design position (the page keeps touches there from scrolling).
EMSCRIPTEN_KEEPALIVE int q50_control_at(int x, int y) {
    return device && q50::control_at(device->board(), x, y) != nullptr;
}

// Whether a button that presses something lies at the design position (a finger held there is
// a held press, not the long press that opens the menu; the device's body only drags).
EMSCRIPTEN_KEEPALIVE int q50_button_at(int x, int y) {
    const q50::Segment* s = device ? q50::control_at(device->board(), x, y) : nullptr;
    const q50::MouseControl* c = s ? q50::mouse_control(device->board().id_of(*s)) : nullptr;
    return c && (c->press || c->game_menu);
}

// A controller's button (SDL's number) pressed or let go.
EMSCRIPTEN_KEEPALIVE void q50_pad_button(int pad, int button, int down) {
    if (device && button >= 0 && button < q50::kPadButtonCount)
        device->pad_button(pad, q50::PadButton(button), down != 0);
}

// A controller's axis (SDL's number) at a position in -32768..32767.
EMSCRIPTEN_KEEPALIVE void q50_pad_axis(int pad, int axis, int value) {
    if (device && axis >= 0 && axis < q50::kPadAxisCount)
        device->pad_axis(pad, q50::PadAxis(axis), value);
}

EMSCRIPTEN_KEEPALIVE void q50_pad_removed(int pad) {
    if (device) device->pad_removed(pad);
}

EMSCRIPTEN_KEEPALIVE void q50_assignment(int n, int down) {
    if (device) device->assignment(n, down != 0);
}

EMSCRIPTEN_KEEPALIVE const char* q50_key_name(int n) {
    return hand_out(device ? device->key_text(n) : std::string());
}

// The key dialog: assignment n's key (1..44) and controller button (SDL's number).
EMSCRIPTEN_KEEPALIVE int q50_key_choice(int n) {
    return device ? device->key_choice(n) : 0;
}

EMSCRIPTEN_KEEPALIVE int q50_pad_choice(int n) {
    return device && n >= 1 && n <= q50::kAssignmentCount ? int(device->pad_choice(n)) : 0;
}

// The dialog's text of assignable key `choice` (1..44), and SDL's name of a button.
EMSCRIPTEN_KEEPALIVE const char* q50_key_text(int choice) {
    return hand_out(choice >= 1 && choice <= q50::kAssignableKeyCount
                        ? std::string(q50::assignable_key(choice).dialog_text)
                        : std::string());
}

EMSCRIPTEN_KEEPALIVE const char* q50_pad_button_name(int b) {
    return hand_out(b >= 0 && b < q50::kPadButtonCount
                        ? std::string(q50::pad_button_name(q50::PadButton(b)))
                        : std::string());
}

// Accept: `keys` and `pads` hold assignments 1..7 at [1..7]; 0 when two share one.
EMSCRIPTEN_KEEPALIVE int q50_assign(const std::int32_t* keys, const std::int32_t* pads) {
    if (!device) return 0;
    std::array<int, 8> k{};
    std::array<q50::PadButton, 8> p{};
    for (std::size_t n = 1; n < 8; ++n) {
        k[n] = keys[n];
        if (pads[n] < 0 || pads[n] >= q50::kPadButtonCount) return 0;
        p[n] = q50::PadButton(pads[n]);
    }
    return device->assign(k, p);
}

// The rectangle of the control named (design pixels: left, top, width, height; with `shown`,
// in CSS pixels on the canvas), all 0 when there is none.
EMSCRIPTEN_KEEPALIVE void q50_rect_of(const char* name, int shown, std::int32_t* out) {
    const q50::Segment* s = device ? device->board().find(name) : nullptr;
    const q50::Rect r = !s ? q50::Rect{} : shown ? device->to_window(s->rect) : s->rect;
    out[0] = r.left;
    out[1] = r.top;
    out[2] = r.width;
    out[3] = r.height;
}

// Volume (0..100, default 100), Muted (0 or 1, default 0), Zoom, FullscreenZoom and View, as
// the desktop stores them.
EMSCRIPTEN_KEEPALIVE int q50_read_setting(const char* name, int dflt) {
    const std::string_view n(name);
    if (!device || !page_setting(n)) return dflt;
    return device->read_int(n, dflt);
}

EMSCRIPTEN_KEEPALIVE void q50_write_setting(const char* name, int value) {
    const std::string_view n(name);
    if (device && page_setting(n)) device->write_int(n, value);
}

EMSCRIPTEN_KEEPALIVE void q50_reset_high_scores() {
    if (device) device->reset_high_scores();
}

EMSCRIPTEN_KEEPALIVE int q50_overlays() {
    return device && device->overlays_shown();
}

EMSCRIPTEN_KEEPALIVE int q50_high_score_a() {
    return device ? device->high_score_a() : 0;
}

EMSCRIPTEN_KEEPALIVE void q50_show_overlays(int on) {
    if (device) device->show_overlays(on != 0);
}

EMSCRIPTEN_KEEPALIVE void q50_pause() {
    if (device) device->pause();
}

EMSCRIPTEN_KEEPALIVE void q50_resume(double paused_ms) {
    if (device) device->resume(std::int64_t(paused_ms));
}

// How the windowed device is shown (physical pixels per design pixel, per CSS pixel; the view).
EMSCRIPTEN_KEEPALIVE void q50_set_output(double total_scale, double ratio, int view) {
    if (device) device->set_output(total_scale, ratio, q50::valid_view(view));
}

// The device's fullscreen mode, which the page's full screen switches.
EMSCRIPTEN_KEEPALIVE void q50_set_fullscreen(int on) {
    if (device) device->set_fullscreen(on != 0);
}

EMSCRIPTEN_KEEPALIVE int q50_fullscreen() {
    return device && device->fullscreen();
}

// CSS pixels per design pixel as the device is shown.
EMSCRIPTEN_KEEPALIVE double q50_view_scale() {
    return device ? device->view_scale() : 1;
}

// The device's mode (0: the lid closed).
EMSCRIPTEN_KEEPALIVE int q50_game_state() {
    return device ? device->game_state() : 0;
}

// The screen (CSS pixels), its ratio, the stored FullscreenZoom and the view, for fullscreen.
EMSCRIPTEN_KEEPALIVE void q50_set_screen(int width, int height, double ratio, int zoom, int view) {
    if (device) device->set_screen({width, height}, ratio, zoom, q50::valid_view(view));
}

// Paints; returns how many rectangles changed (q50_parts: left, top, width, height each, in
// the frame's pixels). The frame is q50_frame_width() x q50_frame_height() RGBA bytes at
// q50_frame().
EMSCRIPTEN_KEEPALIVE int q50_paint() {
    if (!device) return 0;
    const q50::Image& frame = device->paint(parts);
    frame_width = frame.width;
    frame_height = frame.height;
    const std::size_t size = std::size_t(frame.width) * std::size_t(frame.height);
    if (rgba.size() != size * 4) {
        rgba.assign(size * 4, 0);
        parts.assign(1, q50::Rect{0, 0, frame.width, frame.height});
    }
    part_numbers.clear();
    for (const q50::Rect& r : parts) {
        for (int y = r.top; y < r.top + r.height; ++y) {
            const q50::Argb* from = frame.pixels.data() + std::size_t(y) * std::size_t(frame.width);
            std::uint8_t* to = rgba.data() + std::size_t(y) * std::size_t(frame.width) * 4;
            for (int x = r.left; x < r.left + r.width; ++x) {
                const q50::Argb p = from[x];
                to[x * 4] = std::uint8_t(p >> 16);
                to[x * 4 + 1] = std::uint8_t(p >> 8);
                to[x * 4 + 2] = std::uint8_t(p);
                to[x * 4 + 3] = std::uint8_t(p >> 24);
            }
        }
        part_numbers.insert(part_numbers.end(), {r.left, r.top, r.width, r.height});
    }
    return int(parts.size());
}

EMSCRIPTEN_KEEPALIVE const std::int32_t* q50_parts() {
    return part_numbers.data();
}

EMSCRIPTEN_KEEPALIVE const std::uint8_t* q50_frame() {
    return rgba.data();
}

EMSCRIPTEN_KEEPALIVE int q50_frame_width() {
    return frame_width;
}

EMSCRIPTEN_KEEPALIVE int q50_frame_height() {
    return frame_height;
}

// The device's size in design pixels.
EMSCRIPTEN_KEEPALIVE int q50_client_width() {
    return device ? device->window().client_width : 0;
}

EMSCRIPTEN_KEEPALIVE int q50_client_height() {
    return device ? device->window().client_height : 0;
}

// A canvas position in CSS pixels as a design pixel (out: x, y; far off the board when it is
// off the part in view).
EMSCRIPTEN_KEEPALIVE void q50_to_design(double x, double y, std::int32_t* out) {
    const q50::DesignPoint p = device ? device->to_design(x, y) : q50::kOffBoard;
    out[0] = p.x;
    out[1] = p.y;
}

EMSCRIPTEN_KEEPALIVE const char* q50_take_events() {
    return hand_out(device ? device->take_events() : std::string());
}

EMSCRIPTEN_KEEPALIVE const char* q50_recording() {
    return hand_out(device ? device->recording() : std::string());
}

} // extern "C"
