#pragma once
// The seven assignments, each a key and a controller button: the device button they press, the
// key dialog's label and the defaults. Everything the program keeps per assignment is read from
// this one table.
#include "host/button.h"
#include "host/setting_names.h"
#include "input/pad_button.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace q50 {

struct Assignment {
    std::string_view label; // the key dialog's row
    // The device button; assignment 4 presses the open button instead while the lid is closed.
    Button button;
    std::int32_t default_key; // the number 1..44 of an assignable key (input/keys.h)
    PadButton default_pad;
};

constexpr int kAssignmentCount = 7;
inline constexpr std::array<Assignment, kAssignmentCount> kAssignments = {{
    {"Game A", Button::Game_A, 2, PadButton::start},
    {"Game B", Button::Game_B, 3, PadButton::back},
    {"Time", Button::Time, 4, PadButton::y},
    {"Open the game/ACL", Button::Acl, 6, PadButton::x},
    {"Left", Button::Left, 39, PadButton::dpleft},
    {"Right", Button::Right, 40, PadButton::dpright},
    {"Bomb", Button::Bomb, 42, PadButton::a},
}};
// Their values in the store: setting::key(n) and setting::pad(n).
static_assert(setting::kKeyNames.size() == kAssignmentCount &&
              setting::kPadNames.size() == kAssignmentCount);

// Assignment n, 1..7.
constexpr const Assignment& assignment(int n) {
    return kAssignments[std::size_t(n - 1)];
}

// The controller's defaults as the assignments keep their buttons, by number (entry 0 unused).
inline constexpr std::array<PadButton, kAssignmentCount + 1> kDefaultPad = [] {
    std::array<PadButton, kAssignmentCount + 1> out{};
    for (int n = 1; n <= kAssignmentCount; ++n) out[std::size_t(n)] = assignment(n).default_pad;
    return out;
}();

} // namespace q50
