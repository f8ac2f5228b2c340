// NOT YET BUILT: placeholder bodies so that the tree links; replaced by the real rules.
#include "game/device.h"

namespace q50 {

void Device::Gam_Check_Chance_Time() {}
void Device::Timer_ChanceTimer() {}

} // namespace q50
