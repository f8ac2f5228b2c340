#include "shell/core/device_target.h"

#include "game/device.h"

namespace q50 {

void perform(Device& d, ButtonAction a) {
    switch (a) {
    case ButtonAction::open_down:
        d.Inp_open_down();
        break;
    case ButtonAction::game_a_down:
        d.Inp_game_a_down();
        break;
    case ButtonAction::game_a_up:
        d.Inp_game_a_up();
        break;
    case ButtonAction::game_b_down:
        d.Inp_game_b_down();
        break;
    case ButtonAction::game_b_up:
        d.Inp_game_b_up();
        break;
    case ButtonAction::time_down:
        d.Inp_time_down();
        break;
    case ButtonAction::time_up:
        d.Inp_time_up();
        break;
    case ButtonAction::acl_down:
        d.Inp_acl_down();
        break;
    case ButtonAction::acl_up:
        d.Inp_acl_up();
        break;
    case ButtonAction::left_down:
        d.Inp_left_down();
        break;
    case ButtonAction::left_up:
        d.Inp_left_up();
        break;
    case ButtonAction::right_down:
        d.Inp_right_down();
        break;
    case ButtonAction::right_up:
        d.Inp_right_up();
        break;
    case ButtonAction::bomb_down:
        d.Inp_bomb_down();
        break;
    case ButtonAction::bomb_up:
        d.Inp_bomb_up();
        break;
    }
}

std::int32_t DeviceTarget::game_state() const {
    return d_.Game_State;
}
bool DeviceTarget::fullscreen_mode() const {
    return d_.Fullscreen_Mode;
}
void DeviceTarget::perform(ButtonAction a) {
    q50::perform(d_, a);
}

} // namespace q50
