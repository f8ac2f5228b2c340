#include "shell/core/device_target.h"

#include "game/device.h"

namespace q50 {

std::int32_t DeviceTarget::game_state() const {
    return d_.Game_State;
}
bool DeviceTarget::fullscreen_mode() const {
    return p_ && p_->Fullscreen_Mode;
}
void DeviceTarget::perform(ButtonAction a) {
    if (a.down)
        d_.press(a.button);
    else
        d_.release(a.button);
}

} // namespace q50
