#include "tools/trace/runner.h"

#include "display/lcd_look.h"
#include "display/manual_pages.h"
#include "display/painter.h"
#include "display/png_writer.h"
#include "display/skin_loader.h"
#include "game/device.h"
#include "input/dispatch.h"
#include "input/pad.h"
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

RunResult run_script(const Script& script, std::ostream& out, const RunOptions& options) {
    Rig rig;
    Device& d = rig.dev;
    for (const auto& [name, text] : script.store) rig.store.preset(name, text);
    if (script.time) rig.clock.set_ms_of_day(script.time->ms_of_day());

    EventPrinter printer(out, d);
    printer.attach();
    rig.sound.on_call = [&printer](const RecordingSound::Call& c) { printer.sound(c.what); };
    rig.store.on_write = [&printer](const std::string& name, const std::string& text) {
        printer.stored(name, text);
    };

    LcdLook look;
    look.set_shadow(options.lcd_shadow);
    look.set_fade(options.lcd_fade);
    look.update(d.board, d.now());
    FadeClock fade_clock(printer, look, d);
    if (look.fade() > 0) d.board.set_observer(&fade_clock);

    Presentation& presentation = rig.presentation;
    WindowModel window;
    PictureBudget budget;
    // At start, and again at a presentation switch.
    auto load_skin = [&]() -> bool {
        if (options.load_skin) {
            options.load_skin(d, printer);
            return false;
        }
        if (options.skin_dir.empty()) return false;
        SkinEnvironment env;
        env.executable_dir = env.current_dir = options.skin_dir;
        env.Fullscreen_Mode = presentation.Fullscreen_Mode;
        env.screen_width = options.screen_width;
        env.screen_height = options.screen_height;
        env.budget = &budget;
        // A missing Config.ini would end the program after its message; the tool reports
        // the message and plays on, so that the script's later lines still show something.
        return !Load_Skin(d.board, window, env, printer).terminate_requested;
    };
    // The main window's creation, then the splash window's Play; nothing of them draws a random
    // number, so the script's seed may be sown first.
    rig.random.seed(script.seed.value_or(kDefaultSeed));
    rig.start([&] {
        presentation.Fullscreen_Mode = options.fullscreen || script.fullscreen;
        load_skin();
        // The manual opened at once and closed again: its pages take their share of the budget
        // the skin left, and give it back.
        if (!options.manual_dir.empty()) {
            load_manual_pages(read_manual_settings(options.manual_dir, options.manual_dir, printer),
                              budget, printer);
            budget.clear(PictureBudget::Owner::Manual);
        }
    });

    DeviceTarget target(d, &presentation);
    InputDispatch input(target, rig.keys);
    PadAssignments pads;
    pads.load(rig.store);
    PadDispatch pad_input(target, pads);

    DrawLines draws;
    for (const Step& step : script.steps) {
        try {
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
                    rig.random.script(std::int32_t(v));
                    draws.lines.push_back(step.line);
                    ++draws.queued;
                }
                break;
            case Command::Dump:
                printer.dump();
                break;
            case Command::Snapshot: {
                Painter painter;
                if (look.active()) {
                    look.update(d.board, d.now());
                    painter.set_lcd_look(&look);
                }
                const Image& frame = painter.paint(d.board, window);
                if (options.goldens) {
                    options.goldens->check(frame, step.line);
                    break;
                }
                std::string why;
                if (!write_png(frame, step.name, &why))
                    return {false, "at " + std::to_string(d.now()) + ": snapshot on line " +
                                       std::to_string(step.line) + ": " + why};
                break;
            }
            case Command::End:
                return {};
            case Command::KeyDown:
                input.key_down(std::uint16_t(step.values[0]));
                break;
            case Command::KeyUp:
                input.key_up(std::uint16_t(step.values[0]));
                break;
            case Command::MouseDown:
                input.mouse_down(d.board.id_of(d.board.named(step.name)), MouseButton::Left, 0, 0);
                break;
            case Command::MouseUp:
                input.mouse_up(MouseButton::Left, d.board.id_of(d.board.named(step.name)));
                break;
            case Command::PadDown:
                pad_input.button_down(step.pad, PadButton(step.pad_item));
                break;
            case Command::PadUp:
                pad_input.button_up(step.pad, PadButton(step.pad_item));
                break;
            case Command::PadAxis:
                pad_input.axis(step.pad, PadAxis(step.pad_item), int(step.values[0]));
                break;
            case Command::PadRemove:
                pad_input.pad_removed(step.pad);
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
                rig.clock.shift(step.values[0]);
                if (d.Game_State == 4) d.Timer_ClockTimer();
                break;
            }
        } catch (const DeviceRandom::OutOfRange& e) {
            out.flush();
            return {false, "at " + std::to_string(d.now()) + ": " + e.what() + " (draws on line " +
                               std::to_string(draws.line_of_failed(rig.random.scripted_left())) +
                               ")"};
        }
    }
    return {};
}

} // namespace q50::trace
