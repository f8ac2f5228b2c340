// The hand-over: the right partner takes the bomb from the hero, worth five point-steps.
#include "board/render_ops.h"
#include "game/device.h"
#include "game/scoring.h"

namespace q50 {

void Device::Gam_Execute_Bonus() {
    // The step that completed this hand-over has just started a chance time: let it run, the
    // hand-over follows its jingle.
    if (timers.enabled(TimerId::Chance)) {
        Chance_Resume = chance_resume::Hand_Over;
        return;
    }
    Gam_Stop_All_Timers();
    sound().silence();
    Play_Active = false;
    sound().play(Sample::Bonus0);
    Bonus_Phase_1_Step = 1;
    timers.start(TimerId::Bonus_Phase_1, 1);
}

void Device::Timer_Bonus_Phase_1Timer() {
    const std::int32_t step = Bonus_Phase_1_Step;
    if (step == 1) {
        timers.set_interval(TimerId::Bonus_Phase_1, 300);
    } else if (step == 2) {
        board.hide("im_pelko_5_bomb");
        board.hide("im_partner_right_2");
        board.show("im_partner_right_3");
        board.show("im_partner_right_4");
        timers.set_interval(TimerId::Bonus_Phase_1, 85);
    } else if (step >= 3 && step <= 7) {
        bonus_point_step(*this, chance_resume::Bonus_Phase_1);
    } else if (step == 8) {
        Bonus_Phase_2_Step = 1;
        timers.start(TimerId::Bonus_Phase_2, 1);
        timers.disable(TimerId::Bonus_Phase_1);
    }
    // A chance time started by the point-step has stopped this timer; the counter still moves
    // on, so that the phase continues with its next step when the jingle ends.
    ++Bonus_Phase_1_Step;
}

} // namespace q50
