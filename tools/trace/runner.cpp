#include "tools/trace/runner.h"

#include "display/lcd_look.h"
#include "display/manual_pages.h"
#include "display/png_writer.h"
#include "display/presenter.h"
#include "display/skin_loader.h"
#include "display/skin_sets.h"
#include "game/device.h"
#include "input/dispatch.h"
#include "input/pad.h"
#include "shell/core/catch_up.h"
#include "shell/core/device_target.h"
#include "shell/core/event_printer.h"
#include "shell/core/form_create.h"
#include "shell/core/menu_commands.h"
#include "tools/trace/pixel_goldens.h"
#include "tools/trace/rig.h"

#include <algorithm>

namespace q50::trace {

namespace {

void set_variable(Device& d, const Step& s) {
    if (s.name == "Enemy_Flame") {
        for (int n = 1; n <= 5; ++n) d.Enemy_Flame[std::size_t(n)] = std::int32_t(s.values[n - 1]);
        return;
    }
    for (const VariableRef& v : d.variables()) {
        if (v.name != s.name) continue;
        if (v.flag)
            *v.flag = s.values[0] != 0;
        else
            *v.integer = std::int32_t(s.values[0]);
    }
}

// Which script line queued each scripted draw, so that a draw out of range can be traced
// back to its line.
struct DrawLines {
    std::vector<int> lines;
    std::size_t queued = 0;
    int line_of_failed(std::size_t left_after) const {
        const std::size_t taken = queued - left_after; // the failed one included
        return taken == 0 || taken > lines.size() ? 0 : lines[taken - 1];
    }
};

// Tells the LCD look when each segment switched, in device time, so that a snapshot taken
// during a fade shows it as far along as it is; everything goes on to the printer.
class FadeClock : public BoardObserver {
  public:
    FadeClock(BoardObserver& next, LcdLook& look, const Device& d)
        : next_(next), look_(look), d_(d) {}
    void shown_changed(const Segment& s) override {
        look_.switched(d_.board, s, d_.now());
        next_.shown_changed(s);
    }
    void picture_changed(const Segment& s) override { next_.picture_changed(s); }
    void rect_changed(const Segment& s) override { next_.rect_changed(s); }

  private:
    BoardObserver& next_;
    LcdLook& look_;
    const Device& d_;
};

} // namespace

namespace {

// One run: the start of the script, then its steps one at a time, as the parse hands them on.
class Runner {
  public:
    Runner(const ScriptStart& script, std::ostream& out, const RunOptions& options);
    // False once the run is over (an `end`, or an error in result()).
    bool step(const Step& step);
    const RunResult& result() const { return result_; }

  private:
    bool load_skin();
    bool run(const Step& step);

    const RunOptions& options_;
    std::ostream& out_;
    Rig rig_;
    Device& d_ = rig_.dev;
    EventPrinter printer_;
    WindowModel window_;
    // Snapshots are the frames the desktop's window would show, made by the same code, from
    // the skin's larger drawings too (read when a snapshot's zoom first needs one).
    SkinSets sets_;
    Presenter presenter_{d_.board, window_};
    LcdLook& look_ = presenter_.lcd_look();
    FadeClock fade_clock_;
    PictureBudget budget_;
    DeviceTarget target_;
    InputDispatch input_;
    PadAssignments pads_;
    PadDispatch pad_input_;
    DrawLines draws_;
    RunResult result_;
};

Runner::Runner(const ScriptStart& script, std::ostream& out, const RunOptions& options)
    : options_(options), out_(out), printer_(out, d_), fade_clock_(printer_, look_, d_),
      target_(d_, &rig_.presentation), input_(target_, rig_.keys), pad_input_(target_, pads_) {
    for (const auto& [name, text] : script.store) rig_.store.preset(name, text);
    if (script.time) rig_.clock.set_ms_of_day(script.time->ms_of_day());

    printer_.attach();
    rig_.sound.on_call = [this](const RecordingSound::Call& c) { printer_.sound(c.what); };
    rig_.store.on_write = [this](const std::string& name, const std::string& text) {
        printer_.stored(name, text);
    };

    presenter_.first_frame_shown();
    presenter_.set_screen({options.screen_width, options.screen_height});
    presenter_.set_scale(options.zoom, 1.0);
    presenter_.set_view(options.view);
    look_.set_shadow(options.lcd_shadow);
    look_.set_fade(options.lcd_fade);
    look_.update(d_.board, d_.now());
    if (look_.fade() > 0) d_.board.set_observer(&fade_clock_);

    // The main window's creation, then the splash window's Play; nothing of them draws a random
    // number, so the script's seed may be sown first.
    rig_.random.seed(script.seed.value_or(kDefaultSeed));
    rig_.start([&] {
        rig_.presentation.Fullscreen_Mode = options.fullscreen || script.fullscreen;
        load_skin();
        // The manual opened at once and closed again: its pages take their share of the budget
        // the skin left, and give it back.
        if (!options.manual_dir.empty()) {
            load_manual_pages(
                read_manual_settings(options.manual_dir, options.manual_dir, printer_), budget_,
                printer_);
            budget_.clear(PictureBudget::Owner::Manual);
        }
    });
    pads_.load(rig_.store);
}

// At start, and again at a presentation switch.
bool Runner::load_skin() {
    if (options_.load_skin) {
        options_.load_skin(d_, printer_);
        return false;
    }
    if (options_.skin_dir.empty()) return false;
    SkinEnvironment env;
    env.executable_dir = env.current_dir = options_.skin_dir;
    env.Fullscreen_Mode = rig_.presentation.Fullscreen_Mode;
    env.screen_width = options_.screen_width;
    env.screen_height = options_.screen_height;
    env.budget = &budget_;
    // A fullscreen device at a zoom is laid out on the screen measured at that zoom; in the LCD
    // view the device is laid out at its fit, as the desktop does, and the LCD is brought to
    // the zoom on its own.
    const PixelSize screen{options_.screen_width, options_.screen_height};
    if (options_.view == View::Lcd)
        env.screen_for_device = [screen](PixelSize device) {
            return screen_in_design(screen, fullscreen_total_scale(kZoomFit, device, screen, 1.0));
        };
    else if (options_.zoom != 1.0)
        env.screen_for_device = [screen, zoom = options_.zoom](PixelSize) {
            return screen_in_design(screen, zoom);
        };
    // A missing Config.ini would end the program after its message; the tool reports
    // the message and plays on, so that the script's later lines still show something.
    const bool loaded = !Load_Skin(d_.board, window_, env, printer_).terminate_requested;
    sets_.offer(env, d_.board, &printer_);
    presenter_.set_skin_sets(&sets_);
    return loaded;
}

bool Runner::step(const Step& step) {
    try {
        const bool more = run(step);
        // The recorder's own list of sounds would grow with the run; the printer has had them.
        rig_.sound.calls.clear();
        return more;
    } catch (const DeviceRandom::OutOfRange& e) {
        out_.flush();
        result_ = {false, "at " + std::to_string(d_.now()) + ": " + e.what() + " (draws on line " +
                              std::to_string(draws_.line_of_failed(rig_.random.scripted_left())) +
                              ")"};
        return false;
    }
}

bool Runner::run(const Step& step) {
    Device& d = d_;
    Presentation& presentation = rig_.presentation;
    // A catch-up's device time was exact only up to where the stall began.
    if (step.command == Command::CatchUp)
        replay_stall(d, {step.time, step.values[0]});
    else
        d.advance_to(step.time);
    switch (step.command) {
    case Command::Press:
        d.press(step.button);
        break;
    case Command::Release:
        d.release(step.button);
        break;
    case Command::Set:
        set_variable(d, step);
        break;
    case Command::Show:
        d.board.show(d.board.named(step.name));
        break;
    case Command::Hide:
        d.board.hide(d.board.named(step.name));
        break;
    case Command::Draws:
        for (std::int64_t v : step.values) {
            rig_.random.script(std::int32_t(v));
            draws_.lines.push_back(step.line);
            ++draws_.queued;
        }
        break;
    case Command::Dump:
        printer_.dump();
        break;
    case Command::Snapshot: {
        presenter_.present(d.now());
        const Image& frame = presenter_.frame();
        if (options_.goldens) {
            options_.goldens->check(frame, step.line);
            break;
        }
        std::string why;
        if (!write_png(frame, step.name, &why)) {
            result_ = {false, "at " + std::to_string(d.now()) + ": snapshot on line " +
                                  std::to_string(step.line) + ": " + why};
            return false;
        }
        break;
    }
    case Command::End:
        return false;
    case Command::KeyDown:
        input_.key_down(std::uint16_t(step.values[0]));
        break;
    case Command::KeyUp:
        input_.key_up(std::uint16_t(step.values[0]));
        break;
    case Command::MouseDown:
        input_.mouse_down(d.board.id_of(d.board.named(step.name)), MouseButton::Left, 0, 0);
        break;
    case Command::MouseUp:
        input_.mouse_up(MouseButton::Left, d.board.id_of(d.board.named(step.name)));
        break;
    case Command::PadDown:
        pad_input_.button_down(step.pad, PadButton(step.pad_item));
        break;
    case Command::PadUp:
        pad_input_.button_up(step.pad, PadButton(step.pad_item));
        break;
    case Command::PadAxis:
        pad_input_.axis(step.pad, PadAxis(step.pad_item), int(step.values[0]));
        break;
    case Command::PadRemove:
        pad_input_.pad_removed(step.pad);
        break;
    case Command::Hiscores:
        reset_high_scores(d);
        break;
    case Command::Overlays:
        show_controller_overlays(d, presentation, step.values[0] != 0);
        break;
    case Command::Fullscreen:
        set_fullscreen(d, presentation, step.values[0] != 0);
        load_skin();
        break;
    case Command::Pause:
        break; // device time stands still until the resume's time, which is the same
    case Command::Resume:
        // The time of day went on through the pause; the clock shows it at once.
        rig_.clock.shift(step.values[0]);
        if (d.Game_State == 4) d.Timer_ClockTimer();
        break;
    case Command::CatchUp:
        break; // caught up above
    }
    return true;
}

} // namespace

RunResult run_script(const Script& script, std::ostream& out, const RunOptions& options) {
    Runner runner(script, out, options);
    for (const Step& step : script.steps)
        if (!runner.step(step)) break;
    return runner.result();
}

RunResult run_script_text(std::string_view text, const ScriptStart& start, std::ostream& out,
                          const RunOptions& options) {
    Runner runner(start, out, options);
    ScriptStart again;
    scan_script(text, again, [&runner](const Step& step) { return runner.step(step); });
    return runner.result();
}

} // namespace q50::trace
