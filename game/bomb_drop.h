#pragma once
// The left partner drops a new bomb to the hero at position 1, in three frames: the same at
// the opening of a game, at every stage start and after a delivered bomb.
#include "board/render_ops.h"
#include "game/device.h"

namespace q50 {

// The bomb leaves the partner's hands.
inline void bomb_drop_falls(Board& b) {
    b.hide("im_partner_left_2");
    b.show("im_partner_left_3");
    b.show("im_partner_left_4");
}

// The bomb comes down beside the hero.
inline void bomb_drop_lands(Board& b) {
    b.hide("im_partner_left_4");
    b.show("im_partner_left_5");
}

// The hero, turned to the partner until now, stands at position 1 holding the bomb low.
inline void hero_takes_new_bomb(Device& d) {
    d.board.hide("im_partner_left_3");
    d.board.hide("im_partner_left_5");
    d.board.hide("im_pelko_1_left");
    d.Pelko_Pos = 1;
    d.Pelko_Hold = 2;
    Vid_Show_Pelko(d.board, d.Pelko_Pos, d.Pelko_Hold, true);
}

} // namespace q50
