// NOT YET BUILT: placeholder bodies so that the tree links; replaced by the real rules.
#include "game/device.h"

namespace q50 {

bool Device::Gam_Check_Collision_Bomb_Up() const {
    return false;
}
bool Device::Gam_Check_Collision_Bomb_Down() const {
    return false;
}
bool Device::Gam_Check_Collision_Bomb_Partner() const {
    return false;
}

} // namespace q50
