// Whether the hero's bomb meets a hazard; they read shown flags and change nothing. Outside
// the walkway (positions other than 1..5) nothing can meet the bomb.
#include "game/device.h"

namespace q50 {

namespace {
bool on_walkway(std::int32_t pos) {
    return pos >= 1 && pos <= 5;
}
} // namespace

bool Device::Gam_Check_Collision_Bomb_Up() const {
    return Pelko_Hold == 3 && on_walkway(Pelko_Pos) && board.Seg_Enemy(Pelko_Pos, 6).shown;
}

bool Device::Gam_Check_Collision_Bomb_Down() const {
    return Pelko_Hold == 2 && on_walkway(Pelko_Pos) && board.Seg_Flame[Pelko_Pos].shown;
}

bool Device::Gam_Check_Collision_Bomb_Partner() const {
    return Pelko_Hold == 3 && Pelko_Pos == 5 && board.shown("im_partner_right_2");
}

} // namespace q50
