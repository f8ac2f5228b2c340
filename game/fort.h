#pragma once
// The spot beside the left partner's fort, where a miss ends: the hero standing there, his two
// explosion frames, and the fort's own explosion.
#include "board/board.h"

namespace q50 {

inline void show_hero_at_fort(Board& b) {
    b.show("im_pelko_0_body");
    b.show("im_pelko_0_head");
    b.show("im_pelko_0_up");
}

// The hero at the fort with both explosion frames, and the exploded fort.
inline void hide_fort_group(Board& b) {
    for (int c = 1; c <= 5; ++c) b.hide(b.Seg_Pelko(0, c));
    b.hide("im_partner_left_boom");
}

} // namespace q50
