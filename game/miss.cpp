// NOT YET BUILT: placeholder bodies so that the tree links; replaced by the real rules.
#include "game/device.h"

namespace q50 {

void Device::Gam_Execute_Miss_Phase_1() {}
void Device::Gam_Reprise_After_Miss() {}
void Device::Timer_Miss_Phase_1Timer() {}
void Device::Timer_Miss_Phase_2Timer() {}
void Device::Timer_Miss_Phase_3Timer() {}

} // namespace q50
