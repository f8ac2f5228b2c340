// After the fifth bomb of a stage: the placed bombs flash, the enemies are blown up for ten
// point-steps, and a new stage starts.
#include "board/render_ops.h"
#include "game/device.h"
#include "game/scoring.h"

namespace q50 {

void Device::Timer_Bonus_Phase_4Timer() {
    const TimerId me = TimerId::Bonus_Phase_4;
    const std::int32_t step = Bonus_Phase_4_Step;
    switch (step) {
    case 1:
        timers.set_interval(me, 320);
        break;
    case 2:
        Vid_Show_All_Enemy_Bomb(board, false);
        timers.set_interval(me, 200);
        break;
    case 3:
        Vid_Show_All_Enemy_Bomb(board, true);
        board.hide("im_partner_right_5");
        sound().play(Sample::Bonus2);
        timers.set_interval(me, 380);
        break;
    case 4:
        Vid_Show_All_Enemy_Bomb(board, false);
        timers.set_interval(me, 200);
        break;
    case 5:
        Vid_Show_All_Enemy_Bomb(board, true);
        sound().play(Sample::Bonus3);
        timers.set_interval(me, 1020);
        break;
    case 6:
        sound().play(Sample::Bonus6);
        timers.set_interval(me, 300);
        break;
    case 7:
        Vid_Show_All_Enemy_Flame(board, false);
        Vid_Show_All_Enemy_Up(board, false);
        board.show(board.Seg_Enemy_Boom[1]);
        timers.set_interval(me, 470);
        break;
    case 8:
        Vid_Show_All_Enemy_Bomb(board, false);
        board.hide(board.Seg_Enemy_Boom[1]);
        board.show(board.Seg_Enemy_Boom[2]);
        timers.set_interval(me, 1);
        break;
    case 19:
        timers.set_interval(me, 650);
        break;
    case 20:
        sound().play(Sample::Bonus7);
        timers.set_interval(me, 3300);
        break;
    case 21:
        board.hide(board.Seg_Enemy_Boom[2]);
        Vid_Show_Pelko(board, Pelko_Pos, Pelko_Hold, false);
        board.hide("im_pelko_5_bomb");
        board.show("im_partner_left_2");
        board.show("im_pelko_1_body");
        board.show("im_pelko_1_left");
        Vid_Show_All_Enemy_Up(board, true);
        board.hide("im_flame_1");
        board.hide("im_flame_2");
        Stage_Init_Phase = 1;
        timers.start(TimerId::Stage_Init, 400);
        if (Double_Points) timers.start(TimerId::Score_Blink, 700);
        timers.disable(me);
        break;
    default:
        if (step >= 9 && step <= 18) {
            // Set before the point-step: a chance time it starts stops this timer, and the
            // phase must then go on 55 ms after the jingle.
            timers.set_interval(me, 55);
            bonus_point_step(*this, chance_resume::Bonus_Phase_4);
        }
        break;
    }
    ++Bonus_Phase_4_Step;
}

} // namespace q50
