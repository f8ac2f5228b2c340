// NOT YET BUILT: placeholder bodies so that the tree links; replaced by the real rules.
#include "game/device.h"

namespace q50 {

void Device::Gam_Set_Mode() {}
void Device::Gam_Stop_All_Timers() {}
void Device::Inp_open_down() {}
void Device::Inp_game_a_down() {}
void Device::Inp_game_a_up() {}
void Device::Inp_game_b_down() {}
void Device::Inp_game_b_up() {}
void Device::Inp_time_down() {}
void Device::Inp_time_up() {}
void Device::Inp_acl_down() {}
void Device::Inp_acl_up() {}

} // namespace q50
