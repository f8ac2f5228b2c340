// NOT YET BUILT: placeholder bodies so that the tree links; replaced by the real rules.
#include "game/device.h"

namespace q50 {

void Device::Gam_Set_Difficulty() {}
void Device::Fill_Speed_Table() {}

} // namespace q50
