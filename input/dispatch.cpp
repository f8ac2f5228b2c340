#include "input/dispatch.h"

#include <array>

namespace q50 {

namespace {

constexpr std::array<std::string_view, 15> kActionNames = {
    "Inp_open_down", "Inp_game_a_down", "Inp_game_a_up", "Inp_game_b_down", "Inp_game_b_up",
    "Inp_time_down", "Inp_time_up",     "Inp_acl_down",  "Inp_acl_up",      "Inp_left_down",
    "Inp_left_up",   "Inp_right_down",  "Inp_right_up",  "Inp_bomb_down",   "Inp_bomb_up",
};

using A = ButtonAction;

// Assignments 1..7 with their press and release actions; 4 is decided by the device's mode.
constexpr std::array<A, 8> kKeyDown = {A::open_down, A::game_a_down, A::game_b_down, A::time_down,
                                       A::acl_down,  A::left_down,   A::right_down,  A::bomb_down};
constexpr std::array<A, 8> kKeyUp = {A::open_down, A::game_a_up, A::game_b_up, A::time_up,
                                     A::acl_up,    A::left_up,   A::right_up,  A::bomb_up};

const std::array<MouseControl, 17> kMouseControls = {{
    {"btn_open", A::open_down, std::nullopt},
    {"btn_game_a_top", A::game_a_down, A::game_a_up},
    {"btn_game_b_top", A::game_b_down, A::game_b_up},
    {"btn_time_top", A::time_down, A::time_up},
    {"btn_acl_top", A::acl_down, A::acl_up},
    {"btn_bomb_top", A::bomb_down, A::bomb_up},
    {"btn_ctrlr_overlay_left", A::left_down, A::left_up},
    {"btn_ctrlr_overlay_right", A::right_down, A::right_up},
    {"btn_move_top", std::nullopt, std::nullopt, true},
    {"btn_alarm_top", std::nullopt, std::nullopt, true},
    {"im_background_bottom", std::nullopt, std::nullopt, true},
    {"im_background_back", std::nullopt, std::nullopt, true},
    {"im_background_front", std::nullopt, std::nullopt, true},
    {"im_background_screen_top", std::nullopt, std::nullopt, true},
    {"btn_game_menu_top", std::nullopt, std::nullopt, false, true},
    // The backing lies beneath the menu button; it takes clicks on the open menu's panel
    // without acting.
    {"btn_game_menu_background", std::nullopt, std::nullopt},
    {"im_backdrop", std::nullopt, std::nullopt},
}};

} // namespace

std::string_view action_name(ButtonAction a) {
    return kActionNames[std::size_t(a)];
}

ButtonAction assignment_down_action(int n, std::int32_t game_state) {
    if (n == 4 && game_state == 0) return A::open_down;
    return kKeyDown[std::size_t(n)];
}

std::optional<ButtonAction> assignment_up_action(int n, std::int32_t game_state) {
    if (n == 4 && game_state <= 0) return std::nullopt;
    return kKeyUp[std::size_t(n)];
}

std::optional<ButtonAction> key_down_action(const KeyAssignments& keys, std::uint16_t code,
                                            std::int32_t game_state) {
    for (int n = 1; n <= kAssignmentCount; ++n) {
        if (keys.Key_Binding[std::size_t(n)].Code != code) continue;
        return assignment_down_action(n, game_state);
    }
    return std::nullopt;
}

std::optional<ButtonAction> key_up_action(const KeyAssignments& keys, std::uint16_t code,
                                          std::int32_t game_state) {
    for (int n = 1; n <= kAssignmentCount; ++n) {
        if (keys.Key_Binding[std::size_t(n)].Code != code) continue;
        if (n == 4 && game_state <= 0) continue;
        return kKeyUp[std::size_t(n)];
    }
    return std::nullopt;
}

const MouseControl* mouse_control(std::string_view name) {
    for (const MouseControl& c : kMouseControls)
        if (c.name == name) return &c;
    return nullptr;
}

const Segment* control_at(const Board& board, int x, int y) {
    const Segment* best = nullptr;
    for (const Segment& s : board.segments()) {
        if (!s.shown) continue;
        const Rect& r = s.rect;
        if (x < r.left || y < r.top || x >= r.left + r.width || y >= r.top + r.height) continue;
        if (!best || s.layer > best->layer) best = &s;
    }
    return best;
}

std::optional<ButtonAction> InputDispatch::key_down(std::uint16_t code) {
    auto a = key_down_action(keys_, code, target_.game_state());
    if (a) target_.perform(*a);
    return a;
}

std::optional<ButtonAction> InputDispatch::key_up(std::uint16_t code) {
    auto a = key_up_action(keys_, code, target_.game_state());
    if (a) target_.perform(*a);
    return a;
}

bool InputDispatch::mouse_down(std::string_view control, MouseButton button, int x, int y) {
    // Only the left button acts; the right one belongs to the context menu.
    if (button != MouseButton::Left) return false;
    pressed_ = std::string(control);
    const MouseControl* c = mouse_control(control);
    if (!c) return false;
    if (c->press) target_.perform(*c->press);
    if (c->drags && !target_.fullscreen_mode()) {
        Drag_Origin_X = x;
        Drag_Origin_Y = y;
        return true;
    }
    return false;
}

void InputDispatch::mouse_move(bool left_held, int x, int y) {
    if (pressed_.empty() || !left_held || !window_) return;
    const MouseControl* c = mouse_control(pressed_);
    if (!c || !c->drags || target_.fullscreen_mode()) return;
    window_->set_top(window_->top() + y - Drag_Origin_Y);
    window_->set_left(window_->left() + x - Drag_Origin_X);
}

void InputDispatch::mouse_up(MouseButton button, std::string_view over) {
    if (button != MouseButton::Left || pressed_.empty()) return;
    const std::string control = std::move(pressed_);
    pressed_.clear();
    const MouseControl* c = mouse_control(control);
    if (!c) return;
    if (c->release) target_.perform(*c->release);
    if (c->game_menu && over == control && on_game_menu_click) on_game_menu_click();
}

} // namespace q50
