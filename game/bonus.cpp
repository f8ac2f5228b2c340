// NOT YET BUILT: placeholder bodies so that the tree links; replaced by the real rules.
#include "game/device.h"

namespace q50 {

void Device::Gam_Execute_Bonus() {}
void Device::Timer_Bonus_Phase_1Timer() {}
void Device::Timer_Bonus_Phase_2Timer() {}
void Device::Timer_Bonus_Phase_3Timer() {}
void Device::Timer_Bonus_Phase_4Timer() {}

} // namespace q50
