#pragma once
// Game controllers: buttons and the left stick of any number of pads turned into the same
// device-button actions as the seven key assignments. Toolkit-free; the desktop feeds it from
// SDL's game-controller events and the trace tool from its script. Buttons and axes carry
// SDL's names and numbering, so stored assignments read like SDL's own mapping strings.
#include "host/settings_store.h"
#include "input/assignments.h"
#include "input/dispatch.h"
#include "input/pad_button.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace q50 {

// In SDL's order (SDL_GameControllerAxis).
enum class PadAxis : int { leftx, lefty, rightx, righty, lefttrigger, righttrigger };
constexpr int kPadAxisCount = 6;

std::string_view pad_button_name(PadButton b); // "a", "start", "dpleft", ...
std::optional<PadButton> pad_button_by_name(std::string_view name);
std::string_view pad_axis_name(PadAxis a); // "leftx", ...
std::optional<PadAxis> pad_axis_by_name(std::string_view name);

// The stick's dead zone: it presses left or right beyond half its travel and lets go again
// only inside a quarter, so a stick resting near the threshold does not chatter.
constexpr int kStickPress = 16384;
constexpr int kStickRelease = 8192;

// Assignment n (1..7, as the keys) takes one controller button, stored as Pad1..Pad7 by SDL's
// button name; the defaults are the assignments' own (input/assignments.h).
class PadAssignments {
  public:
    std::array<PadButton, 8> Pad = kDefaultPad; // index 1..7

    // Reads Pad1..Pad7; a missing or unknown name keeps that assignment's default. Nothing is
    // written: the values appear in the store only once the player changes them.
    void load(SettingsStore& store);
    // Writes all seven (the key dialog's Accept).
    void save(SettingsStore& store) const;

    // The assignment a button drives, 0 for none. A button assigned to an action drives it;
    // the shoulders and B are second left, right and bomb buttons while nothing else has them.
    int assignment_of(PadButton b) const;
};

class PadDispatch {
  public:
    PadDispatch(ButtonTarget& target, const PadAssignments& pads) : target_(target), pads_(pads) {}

    // Guide: the in-game menu (the desktop opens and closes it in fullscreen mode).
    std::function<void()> on_guide;

    // `pad` tells controllers apart (SDL's instance id). A press of a button already held on
    // that pad does nothing: there is no auto-repeat from a pad. Each returns the action it
    // performed, if any.
    std::optional<ButtonAction> button_down(std::int32_t pad, PadButton b);
    std::optional<ButtonAction> button_up(std::int32_t pad, PadButton b);
    // A new axis position; the left stick's x axis is a left and a right button.
    void axis(std::int32_t pad, PadAxis a, int value);
    // A controller went away: every button it held is released.
    void pad_removed(std::int32_t pad);

    bool holding(std::int32_t pad) const;

  private:
    // A source is a button's number, or the stick's left or right half.
    static constexpr int kStickLeft = kPadButtonCount;
    static constexpr int kStickRight = kPadButtonCount + 1;
    struct Held {
        std::int32_t pad;
        int source;
        int assignment; // the one the press drove, so that its release matches it
    };
    std::optional<ButtonAction> press(std::int32_t pad, int source, int assignment);
    std::optional<ButtonAction> release(std::int32_t pad, int source);

    ButtonTarget& target_;
    const PadAssignments& pads_;
    std::vector<Held> held_;
};

} // namespace q50
