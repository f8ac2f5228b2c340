// The delivered bomb is carried along the enemy row and set down above the next enemy in turn.
#include "game/device.h"

namespace q50 {

namespace {

Segment& placed_bomb(Device& d, int enemy) {
    return d.board.Seg_Enemy(enemy, 0);
}

void carry(Device& d, int from, int to) {
    d.board.hide(placed_bomb(d, from));
    d.board.show(placed_bomb(d, to));
}

} // namespace

void Device::Timer_Bonus_Phase_2Timer() {
    const TimerId me = TimerId::Bonus_Phase_2;
    switch (Bonus_Phase_2_Step) {
    case 1:
        timers.set_interval(me, 155);
        break;
    case 2:
        sound().play(Sample::Bonus1);
        timers.set_interval(me, 190);
        break;
    case 3:
        board.hide("im_partner_right_4");
        board.show("im_partner_right_5");
        board.show(placed_bomb(*this, 5));
        timers.set_interval(me, 370);
        break;
    case 4:
        board.hide("im_partner_right_5");
        carry(*this, 5, 4);
        sound().play(Sample::Bonus2);
        timers.set_interval(me, 400);
        break;
    case 5:
        carry(*this, 4, 3);
        sound().play(Sample::Bonus3);
        break;
    case 6:
        carry(*this, 3, 2);
        sound().play(Sample::Bonus4);
        break;
    case 7:
        carry(*this, 2, 1);
        sound().play(Sample::Bonus5);
        break;
    default:
        break;
    }
    ++Bonus_Phase_2_Step;
    // The n-th bomb of a stage stops above enemy n; bombs placed earlier sit further left and
    // are never passed over.
    if (Bonus_Phase_2_Step != 8 - Bombs_Delivered) return;
    Bombs_Delivered += 1;
    if (Bombs_Delivered < 5) {
        Bonus_Phase_3_Step = 1;
        timers.start(TimerId::Bonus_Phase_3, 1);
    } else {
        Bonus_Phase_4_Step = 1;
        timers.start(TimerId::Bonus_Phase_4, 1);
    }
    timers.disable(me);
}

} // namespace q50
