// NOT YET BUILT: placeholder bodies so that the tree links; replaced by the real rules.
#include "game/device.h"

namespace q50 {

void Device::Inp_left_down() {}
void Device::Inp_left_up() {}
void Device::Inp_right_down() {}
void Device::Inp_right_up() {}
void Device::Inp_bomb_down() {}
void Device::Inp_bomb_up() {}
void Device::Timer_Pelko_MoveTimer() {}

} // namespace q50
