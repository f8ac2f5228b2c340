#pragma once
// The device as a web page runs it: one run from its switch-on, in virtual time that the page's
// clock drives, with the store kept as the text of the desktop's settings file, the events in the
// trace tool's format, the painted frame, and the run recorded as a trace script. A recording
// played back is a run of its own that starts from the recording's store, seed and time of day,
// so the player's store is not touched.
#include "display/presenter.h"
#include "display/skin_sets.h"
#include "display/window_model.h"
#include "game/device_services.h"
#include "input/dispatch.h"
#include "input/pad.h"
#include "shell/core/catch_up.h"
#include "shell/core/device_target.h"
#include "shell/core/event_printer.h"
#include "shell/core/rig.h"
#include "shell/core/run_recording.h"
#include "shell/core/store_text.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace q50::web {

struct RunSetup {
    std::string store_text; // the settings file's text the run starts from
    std::uint32_t seed = 1;
    std::int64_t ms_of_day = 0;
    std::string skin_dir; // holds Config.ini; empty: the device without pictures
    int screen_width = 1024;
    int screen_height = 768;
    // The page shows the device windowed; a recording made in fullscreen plays as it was made.
    bool fullscreen = false;
};

class PageDevice {
  public:
    // Creates the main window's device and switches it on at device time 0. `keep_store` is
    // told the whole settings text after each write that changed it (never for a playback).
    PageDevice(const RunSetup& setup, std::function<void(const std::string&)> keep_store);
    // A playback of `recording`, with the skin and screen of `setup` and its own presentation.
    PageDevice(const Recording& recording, const RunSetup& setup);
    PageDevice(const PageDevice&) = delete;
    PageDevice& operator=(const PageDevice&) = delete;

    // Runs every step (and every recorded line) due up to device time `t`; a stall is caught up
    // as the desktop does it, and written into the run's recording. Returns the device time of
    // the next due step or line.
    std::optional<std::int64_t> advance(std::int64_t t);
    std::int64_t now() const { return rig_.dev.now(); }

    // Inputs at the current device time; ignored while a recording plays.
    void key_down(std::uint16_t code);
    void key_up(std::uint16_t code);
    // A pointer (the mouse or one finger) pressed or let go at a design position; each pointer
    // presses its own control. Returns whether the press met a control.
    bool pointer_down(int pointer, int x, int y);
    void pointer_up(int pointer, int x, int y);
    // Every held pointer let go where it is (the page lost the focus).
    void pointers_cancelled();
    // A game controller (the Gamepad API's index tells them apart): a button, an axis's new
    // position in SDL's range, or the controller gone. Ignored while a recording plays.
    void pad_button(int pad, PadButton b, bool down);
    void pad_axis(int pad, PadAxis a, int value);
    void pad_removed(int pad);
    // Assignment n (1..7) pressed or let go by a control of the page's own (the LCD-only
    // view's touch areas), as a key with that assignment would.
    void assignment(int n, bool down);
    // The dialog's text of the key that assignment n (1..7) has.
    std::string key_text(int n) const;
    // The key dialog: assignment n's key (1..44) and controller button, and Accept, which
    // stores all seven keys and, when they changed, the seven buttons, as the desktop's does.
    // False (nothing changed) when two assignments share a key or a button.
    int key_choice(int n) const;
    PadButton pad_choice(int n) const { return pads_.Pad[std::size_t(n)]; }
    bool assign(const std::array<int, 8>& keys, const std::array<PadButton, 8>& pads);
    // Told of a click on the in-game menu button (fullscreen mode shows it).
    std::function<void()> on_game_menu;

    // The context menu's device commands, recorded as the desktop records them.
    void reset_high_scores();
    void show_overlays(bool on);
    bool overlays_shown() const { return rig_.presentation.Ctrlr_Overlay; }
    std::int32_t high_score_a() const { return rig_.dev.Hi_Score_A; }
    // A setting of the page's own (Volume, Muted) in the run's store.
    std::int32_t read_int(std::string_view name, std::int32_t dflt) {
        return rig_.store.read_int(name, dflt);
    }
    void write_int(std::string_view name, std::int32_t value);
    // A hidden page: device time stands still from `pause` to `resume`, and the time of day goes
    // on through it as it does on the desktop.
    void pause();
    void resume(std::int64_t paused_ms);

    // How the page shows the device: physical pixels per design pixel, physical pixels per
    // CSS pixel, and the whole device or the LCD alone. In fullscreen mode the scale is the
    // device's own (set_screen).
    void set_output(double total_scale, double ratio, View view);
    // The page's full screen (the Fullscreen API) is the device's fullscreen mode: recorded,
    // stored and laid out for the screen as the desktop does it. Ignored while a recording
    // plays, which switches as it was made.
    void set_fullscreen(bool on);
    bool fullscreen() const { return rig_.presentation.Fullscreen_Mode; }
    double view_scale() const { return presenter_.view_scale(); }
    std::int32_t game_state() const { return rig_.dev.Game_State; }
    // The screen in CSS pixels, its pixel ratio, the stored FullscreenZoom (fit or 100) and the
    // view: in fullscreen mode the skin is laid out anew for them when they changed.
    void set_screen(PixelSize screen, double ratio, int fullscreen_zoom, View view);
    // Brings the frame (physical pixels) up to date; `parts` receives the rectangles that
    // changed, the whole frame when it took a new size.
    const Image& paint(std::vector<Rect>& parts);
    // A position on the canvas in CSS pixels as the design pixel under it, and back.
    DesignPoint to_design(double x, double y) const { return presenter_.to_design(x, y); }
    Rect to_window(Rect design) const { return presenter_.to_window(design); }
    const WindowModel& window() const { return window_; }
    const Board& board() const { return rig_.dev.board; }

    // The events since the last call, one line each.
    std::string take_events();
    // The run as a recording: what the desktop's "Record this run" writes, ending now.
    std::string recording() const;
    bool playing() const { return playback_.playing(); }
    std::string store_text() const { return text_.serialize(); }
    // Told of each sample (or "silence") with the device time it is due at.
    std::function<void(const std::string& what, std::int64_t time)> on_sound;

  private:
    void start(const RunSetup& setup);
    // Loads the skin for the presentation in use (at start, and at each switch).
    void load_skin();

    Rig rig_;
    StoreText text_;
    std::function<void(const std::string&)> keep_store_;
    std::ostringstream events_;
    EventPrinter printer_{events_, rig_.dev};
    WindowModel window_;
    DeviceTarget device_target_{rig_.dev, &rig_.presentation};
    LoggingTarget target_{device_target_};
    InputDispatch keys_{target_, rig_.keys};
    std::map<int, std::unique_ptr<InputDispatch>> pointers_;
    PadAssignments pads_;
    PadDispatch pad_input_{target_, pads_};
    SkinSets sets_;
    Presenter presenter_{rig_.dev.board, window_};
    std::string skin_dir_;
    PixelSize screen_;
    double ratio_ = 1.0;
    int fullscreen_zoom_ = kZoomFit;
    RunRecorder recorder_;
    CatchUp catch_up_{rig_.dev};
    Playback playback_{rig_.dev, device_target_, rig_.presentation};
    // While a preference of the player's is written (sound, zoom, view, keys): kept in the
    // store, not printed as the device's event.
    bool preference_ = false;
    struct PreferenceWrite {
        explicit PreferenceWrite(bool& on) : on_(on) { on_ = true; }
        ~PreferenceWrite() { on_ = false; }
        PreferenceWrite(const PreferenceWrite&) = delete;
        PreferenceWrite& operator=(const PreferenceWrite&) = delete;
        bool& on_;
    };
};

} // namespace q50::web
