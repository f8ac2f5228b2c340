// NOT YET BUILT: placeholder bodies so that the tree links; replaced by the real rules.
#include "game/device.h"

namespace q50 {

void Device::Timer_Game_StartTimer() {}
void Device::Timer_Game_Start_EnemyTimer() {}

} // namespace q50
