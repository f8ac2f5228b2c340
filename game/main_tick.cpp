// NOT YET BUILT: placeholder bodies so that the tree links; replaced by the real rules.
#include "game/device.h"

namespace q50 {

void Device::Timer_GameTimer() {}

} // namespace q50
