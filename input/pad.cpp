#include "input/pad.h"

#include "host/setting_names.h"

#include <algorithm>

namespace q50 {

namespace {

constexpr std::array<std::string_view, kPadButtonCount> kButtonNames = {"a",
                                                                        "b",
                                                                        "x",
                                                                        "y",
                                                                        "back",
                                                                        "guide",
                                                                        "start",
                                                                        "leftstick",
                                                                        "rightstick",
                                                                        "leftshoulder",
                                                                        "rightshoulder",
                                                                        "dpup",
                                                                        "dpdown",
                                                                        "dpleft",
                                                                        "dpright",
                                                                        "misc1",
                                                                        "paddle1",
                                                                        "paddle2",
                                                                        "paddle3",
                                                                        "paddle4",
                                                                        "touchpad"};
constexpr std::array<std::string_view, kPadAxisCount> kAxisNames = {
    "leftx", "lefty", "rightx", "righty", "lefttrigger", "righttrigger"};

// Second buttons for moving and the bomb, so that either hand's habit works.
struct Extra {
    PadButton button;
    int assignment;
};
constexpr std::array<Extra, 3> kExtras = {{
    {PadButton::leftshoulder, 5},
    {PadButton::rightshoulder, 6},
    {PadButton::b, 7},
}};

} // namespace

std::string_view pad_button_name(PadButton b) {
    return kButtonNames[std::size_t(b)];
}

std::optional<PadButton> pad_button_by_name(std::string_view name) {
    for (std::size_t i = 0; i < kButtonNames.size(); ++i)
        if (kButtonNames[i] == name) return PadButton(i);
    return std::nullopt;
}

std::string_view pad_axis_name(PadAxis a) {
    return kAxisNames[std::size_t(a)];
}

std::optional<PadAxis> pad_axis_by_name(std::string_view name) {
    for (std::size_t i = 0; i < kAxisNames.size(); ++i)
        if (kAxisNames[i] == name) return PadAxis(i);
    return std::nullopt;
}

void PadAssignments::load(SettingsStore& store) {
    for (int n = 1; n <= kAssignmentCount; ++n) {
        Pad[std::size_t(n)] = assignment(n).default_pad;
        const auto text = store.read_text(setting::pad(n));
        if (!text) continue;
        if (auto b = pad_button_by_name(*text)) Pad[std::size_t(n)] = *b;
    }
}

void PadAssignments::save(SettingsStore& store) const {
    for (int n = 1; n <= kAssignmentCount; ++n)
        store.write_text(setting::pad(n), pad_button_name(Pad[std::size_t(n)]));
}

int PadAssignments::assignment_of(PadButton b) const {
    for (int n = 1; n <= kAssignmentCount; ++n)
        if (Pad[std::size_t(n)] == b) return n;
    for (const Extra& e : kExtras)
        if (e.button == b) return e.assignment;
    return 0;
}

std::optional<ButtonAction> PadDispatch::press(std::int32_t pad, int source, int assignment) {
    for (const Held& h : held_)
        if (h.pad == pad && h.source == source) return std::nullopt;
    held_.push_back({pad, source, assignment});
    if (assignment == 0) return std::nullopt;
    const ButtonAction a = assignment_down_action(assignment, target_.game_state());
    target_.perform(a);
    return a;
}

std::optional<ButtonAction> PadDispatch::release(std::int32_t pad, int source) {
    auto it = std::find_if(held_.begin(), held_.end(),
                           [&](const Held& h) { return h.pad == pad && h.source == source; });
    if (it == held_.end()) return std::nullopt;
    const int assignment = it->assignment;
    held_.erase(it);
    if (assignment == 0) return std::nullopt;
    const auto a = assignment_up_action(assignment, target_.game_state());
    if (a) target_.perform(*a);
    return a;
}

std::optional<ButtonAction> PadDispatch::button_down(std::int32_t pad, PadButton b) {
    if (b == PadButton::guide) {
        // Held like any button, so a second press event without a release is no second click.
        const bool fresh = !std::any_of(held_.begin(), held_.end(), [&](const Held& h) {
            return h.pad == pad && h.source == int(b);
        });
        press(pad, int(b), 0);
        if (fresh && on_guide) on_guide();
        return std::nullopt;
    }
    return press(pad, int(b), pads_.assignment_of(b));
}

std::optional<ButtonAction> PadDispatch::button_up(std::int32_t pad, PadButton b) {
    return release(pad, int(b));
}

void PadDispatch::axis(std::int32_t pad, PadAxis a, int value) {
    if (a != PadAxis::leftx) return;
    // Releases first: a stick flicked from one side to the other lets go before it presses.
    if (value > -kStickRelease) release(pad, kStickLeft);
    if (value < kStickRelease) release(pad, kStickRight);
    if (value <= -kStickPress) press(pad, kStickLeft, 5);
    if (value >= kStickPress) press(pad, kStickRight, 6);
}

void PadDispatch::pad_removed(std::int32_t pad) {
    std::vector<int> sources;
    for (const Held& h : held_)
        if (h.pad == pad) sources.push_back(h.source);
    for (int s : sources) release(pad, s);
}

bool PadDispatch::holding(std::int32_t pad) const {
    return std::any_of(held_.begin(), held_.end(), [&](const Held& h) { return h.pad == pad; });
}

} // namespace q50
