// After the first to fourth bomb of a stage: the left partner drops a new bomb to the hero at
// position 1 and play resumes where it stood.
#include "board/render_ops.h"
#include "game/bomb_drop.h"
#include "game/device.h"

namespace q50 {

namespace {

void resume_play(Device& d) {
    d.Partner_Period = d.Partner_Period == 3 ? 5 : 3;
    d.Partner_Count = 1;
    d.Tick_Phase = 1;
    d.Stage_Ticks = 1;
    d.Gam_Set_Difficulty();
    d.timers.enable(TimerId::Game);
    // Double points go on blinking from where the blink stood at the hand-over.
    if (d.Double_Points) d.timers.start(TimerId::Score_Blink, 700);
    d.Play_Active = true;
}

} // namespace

void Device::Timer_Bonus_Phase_3Timer() {
    const TimerId me = TimerId::Bonus_Phase_3;
    switch (Bonus_Phase_3_Step) {
    case 1:
        timers.set_interval(me, 1450);
        break;
    case 2:
        Vid_Show_Pelko(board, Pelko_Pos, Pelko_Hold, false);
        board.show("im_pelko_1_body");
        board.show("im_pelko_1_left");
        board.show("im_partner_left_2");
        board.hide("im_flame_1");
        board.hide("im_flame_2");
        timers.set_interval(me, 300);
        break;
    case 3:
        bomb_drop_falls(board);
        sound().play(Sample::Bombfall);
        break;
    case 4:
        bomb_drop_lands(board);
        break;
    case 5:
        hero_takes_new_bomb(*this);
        resume_play(*this);
        timers.disable(me);
        break;
    default:
        break;
    }
    ++Bonus_Phase_3_Step;
}

} // namespace q50
