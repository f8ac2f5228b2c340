// Chance time at 300, 1300, 2300, ... points: play pauses for a jingle that takes the misses
// away one by one, or, with none on the panel, doubles every point from then on.
#include "board/render_ops.h"
#include "game/device.h"
#include "game/scoring.h"

namespace q50 {

void Device::Gam_Check_Chance_Time() {
    if (Game_State != 6 && Game_State != 8) return;
    if (Score < Next_Chance_Score) return;
    Gam_Stop_All_Timers();
    sound().silence();
    Play_Active = false;
    Next_Chance_Score += 1000;
    Double_Points = Misses == 0;
    Chance_Step = 3 - Misses;
    timers.start(TimerId::Chance, 500);
}

namespace {

void end_chance_time(Device& d) {
    // Off first: a waiting hand-over must see the chance time as over.
    d.timers.disable(TimerId::Chance);
    if (d.Double_Points) {
        d.Score_Step = 2;
        d.Score_Blink_Step = 1;
        d.timers.start(TimerId::Score_Blink, 700);
    }
    switch (d.Chance_Resume) {
    case chance_resume::Main_Tick:
        d.Gam_Set_Difficulty();
        d.timers.enable(TimerId::Game);
        d.Play_Active = true;
        break;
    case chance_resume::Bonus_Phase_1:
        d.timers.enable(TimerId::Bonus_Phase_1);
        break;
    case chance_resume::Bonus_Phase_4:
        d.timers.enable(TimerId::Bonus_Phase_4);
        break;
    case chance_resume::Hand_Over:
        d.Gam_Execute_Bonus();
        break;
    default:
        break;
    }
}

} // namespace

void Device::Timer_ChanceTimer() {
    switch (Chance_Step) {
    case 1:
    case 2:
        Misses -= 1;
        Vid_Show_Panel_Miss(board, Misses);
        [[fallthrough]];
    case 3:
        sound().play(Sample::Chance);
        timers.set_interval(TimerId::Chance, 1800);
        break;
    case 4:
        end_chance_time(*this);
        break;
    default:
        break;
    }
    ++Chance_Step;
}

} // namespace q50
