#pragma once
// Keys and mouse clicks on the main window turned into device-button actions, and the window
// drag by the device body. Toolkit-free: the desktop and the trace tool both feed it.
#include "board/board.h"
#include "host/button.h"
#include "input/keys.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace q50 {

// One edge of one device button: what a key, a click or a controller button does.
struct ButtonAction {
    Button button = Button::Open;
    bool down = true;
    bool operator==(const ButtonAction&) const = default;
};
constexpr ButtonAction pressed(Button b) {
    return {b, true};
}
constexpr ButtonAction released(Button b) {
    return {b, false};
}
// "Inp_open_down", "Inp_game_a_up", ...
std::string action_name(ButtonAction a);

// What the dispatch needs of the device: the mode that decides assignment 4, the presentation
// mode that switches the drag off, and the actions themselves.
class ButtonTarget {
  public:
    virtual ~ButtonTarget() = default;
    virtual std::int32_t game_state() const = 0;
    virtual bool fullscreen_mode() const = 0;
    virtual void perform(ButtonAction a) = 0;
};

// What assignment n (1..7) does on press and on release in this mode: assignment 4 opens the
// closed device on press, and its release is the ACL only while the device is open (nothing
// otherwise). Keys and controller buttons share it.
ButtonAction assignment_down_action(int n, std::int32_t game_state);
std::optional<ButtonAction> assignment_up_action(int n, std::int32_t game_state);

// The key rule alone: the first of the seven assignments whose code matches acts. Assignment 4
// opens the closed device on press; on release it is the ACL only while the device is open,
// and otherwise does not match at all, so that a later assignment with the same code can.
std::optional<ButtonAction> key_down_action(const KeyAssignments& keys, std::uint16_t code,
                                            std::int32_t game_state);
std::optional<ButtonAction> key_up_action(const KeyAssignments& keys, std::uint16_t code,
                                          std::int32_t game_state);

// How a control of the main window reacts to the pointer.
struct MouseControl {
    SegmentId control;
    std::optional<ButtonAction> press;   // left press
    std::optional<ButtonAction> release; // left release, delivered to the pressed control
    bool drags = false;                  // the device body: press and move drag the window
    bool game_menu = false;              // a click toggles the in-game menu
};
// The reacting controls; null for controls that take the pointer without doing anything.
const MouseControl* mouse_control(SegmentId control);

// The topmost shown control whose rectangle holds the point (client coordinates), or null.
// Controls take the pointer by their rectangles, whatever their pictures look like there.
const Segment* control_at(const Board& board, int x, int y);

enum class MouseButton { Left, Right, Middle, Other };

// The window the drag moves.
class WindowMover {
  public:
    virtual ~WindowMover() = default;
    virtual int left() const = 0;
    virtual int top() const = 0;
    virtual void set_left(int left) = 0;
    virtual void set_top(int top) = 0;
};

class InputDispatch {
  public:
    InputDispatch(ButtonTarget& target, const KeyAssignments& keys)
        : target_(target), keys_(keys) {}

    void set_window(WindowMover* w) { window_ = w; }
    // While off (the device's time stands still), key presses and presses on the device's
    // buttons do nothing; releases, drags and the menu button still work, so nothing held
    // stays held.
    void set_presses_enabled(bool on) { presses_enabled_ = on; }
    bool presses_enabled() const { return presses_enabled_; }
    // A click on the in-game menu button.
    std::function<void()> on_game_menu_click;

    // Each returns the action it performed, if any. An auto-repeated press is simply another
    // key_down.
    std::optional<ButtonAction> key_down(std::uint16_t code);
    std::optional<ButtonAction> key_up(std::uint16_t code);

    // A press on a control, at (x, y) relative to that control. Returns true when the press
    // began a window drag.
    bool mouse_down(SegmentId control, MouseButton button, int x, int y);
    // The pointer moved to (x, y) relative to the control that got the press.
    void mouse_move(bool left_held, int x, int y);
    // A release goes to the control that got the press, wherever the pointer is now;
    // `over` is the control under the pointer at the release (none: outside every control).
    void mouse_up(MouseButton button, SegmentId over) { release(button, over); }
    void mouse_up(MouseButton button) { release(button, std::nullopt); }

    // The control that got the current left press (none while the button is up).
    std::optional<SegmentId> pressed_control() const { return pressed_; }

    std::int32_t Drag_Origin_X = 0;
    std::int32_t Drag_Origin_Y = 0;

  private:
    ButtonTarget& target_;
    const KeyAssignments& keys_;
    WindowMover* window_ = nullptr;
    bool presses_enabled_ = true;
    void release(MouseButton button, std::optional<SegmentId> over);

    std::optional<SegmentId> pressed_; // the control that got the left press
    bool press_acted_ = false;         // the current left press performed its control's press
};

} // namespace q50
