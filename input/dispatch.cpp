#include "input/dispatch.h"

#include <array>

namespace q50 {

namespace {

using B = Button;

const std::array<MouseControl, 17> kMouseControls = {{
    {"btn_open", pressed(B::Open), std::nullopt},
    {"btn_game_a_top", pressed(B::Game_A), released(B::Game_A)},
    {"btn_game_b_top", pressed(B::Game_B), released(B::Game_B)},
    {"btn_time_top", pressed(B::Time), released(B::Time)},
    {"btn_acl_top", pressed(B::Acl), released(B::Acl)},
    {"btn_bomb_top", pressed(B::Bomb), released(B::Bomb)},
    {"btn_ctrlr_overlay_left", pressed(B::Left), released(B::Left)},
    {"btn_ctrlr_overlay_right", pressed(B::Right), released(B::Right)},
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

std::string action_name(ButtonAction a) {
    return "Inp_" + std::string(button_word(a.button)) + (a.down ? "_down" : "_up");
}

ButtonAction assignment_down_action(int n, std::int32_t game_state) {
    if (n == 4 && game_state == 0) return pressed(B::Open);
    return pressed(assignment(n).button);
}

std::optional<ButtonAction> assignment_up_action(int n, std::int32_t game_state) {
    if (n == 4 && game_state <= 0) return std::nullopt;
    return released(assignment(n).button);
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
        return released(assignment(n).button);
    }
    return std::nullopt;
}

const MouseControl* mouse_control(SegmentId control) {
    for (const MouseControl& c : kMouseControls)
        if (c.control == control) return &c;
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
    if (!presses_enabled_) return std::nullopt;
    auto a = key_down_action(keys_, code, target_.game_state());
    if (a) target_.perform(*a);
    return a;
}

std::optional<ButtonAction> InputDispatch::key_up(std::uint16_t code) {
    auto a = key_up_action(keys_, code, target_.game_state());
    if (a) target_.perform(*a);
    return a;
}

bool InputDispatch::mouse_down(SegmentId control, MouseButton button, int x, int y) {
    // Only the left button acts; the right one belongs to the context menu.
    if (button != MouseButton::Left) return false;
    pressed_ = control;
    const MouseControl* c = mouse_control(control);
    if (!c) return false;
    press_acted_ = presses_enabled_;
    if (c->press && presses_enabled_) target_.perform(*c->press);
    if (c->drags && !target_.fullscreen_mode()) {
        Drag_Origin_X = x;
        Drag_Origin_Y = y;
        return true;
    }
    return false;
}

void InputDispatch::mouse_move(bool left_held, int x, int y) {
    if (!pressed_ || !left_held || !window_) return;
    const MouseControl* c = mouse_control(*pressed_);
    if (!c || !c->drags || target_.fullscreen_mode()) return;
    window_->set_top(window_->top() + y - Drag_Origin_Y);
    window_->set_left(window_->left() + x - Drag_Origin_X);
}

void InputDispatch::release(MouseButton button, std::optional<SegmentId> over) {
    if (button != MouseButton::Left || !pressed_) return;
    const SegmentId control = *pressed_;
    pressed_.reset();
    const MouseControl* c = mouse_control(control);
    if (!c) return;
    if (c->release && press_acted_) target_.perform(*c->release);
    if (c->game_menu && over == control && on_game_menu_click) on_game_menu_click();
}

} // namespace q50
