#include "game/device.h"

namespace q50 {

Device::Device(Services services) : services_(services) {}

void Device::advance_to(std::int64_t t) {
    timers.advance_to(t, [this](TimerId id) { fire(id); });
}

void Device::catch_up_to(std::int64_t t) {
    timers.catch_up_to(t, kStallMs, [this](TimerId id) { fire(id); });
}

void Device::fire(TimerId id) {
    if (on_step) on_step(id);
    switch (id) {
    case TimerId::Bonus_Phase_1:
        Timer_Bonus_Phase_1Timer();
        break;
    case TimerId::Bonus_Phase_2:
        Timer_Bonus_Phase_2Timer();
        break;
    case TimerId::Bonus_Phase_3:
        Timer_Bonus_Phase_3Timer();
        break;
    case TimerId::Bonus_Phase_4:
        Timer_Bonus_Phase_4Timer();
        break;
    case TimerId::Chance:
        Timer_ChanceTimer();
        break;
    case TimerId::Clock:
        Timer_ClockTimer();
        break;
    case TimerId::Game:
        Timer_GameTimer();
        break;
    case TimerId::Game_Over:
        Timer_Game_OverTimer();
        break;
    case TimerId::Game_Start:
        Timer_Game_StartTimer();
        break;
    case TimerId::Game_Start_Enemy:
        Timer_Game_Start_EnemyTimer();
        break;
    case TimerId::Pelko_Move:
        Timer_Pelko_MoveTimer();
        break;
    case TimerId::Miss_Phase_1:
        Timer_Miss_Phase_1Timer();
        break;
    case TimerId::Miss_Phase_2:
        Timer_Miss_Phase_2Timer();
        break;
    case TimerId::Miss_Phase_3:
        Timer_Miss_Phase_3Timer();
        break;
    case TimerId::Score_Blink:
        Timer_Score_BlinkTimer();
        break;
    case TimerId::Stage_Init:
        Timer_Stage_InitTimer();
        break;
    }
}

std::vector<VariableRef> Device::variables() {
    return {
        {"Game_State", &Game_State},
        {"Score", &Score},
        {"Score_Step", &Score_Step},
        {"Next_Chance_Score", &Next_Chance_Score},
        {"Hi_Score_A", &Hi_Score_A},
        {"Hi_Score_B", &Hi_Score_B},
        {"Pelko_Pos", &Pelko_Pos},
        {"Pelko_Hold", &Pelko_Hold},
        {"Misses", &Misses},
        {"Bombs_Delivered", &Bombs_Delivered},
        {"Chance_Resume", &Chance_Resume},
        {"Partner_Period", &Partner_Period},
        {"Partner_Count", &Partner_Count},
        {"Tick_Phase", &Tick_Phase},
        {"Stage_Ticks", &Stage_Ticks},
        {"Play_Active", nullptr, &Play_Active},
        {"Move_Lock", nullptr, &Move_Lock},
        {"Double_Points", nullptr, &Double_Points},
        {"Game_Start_Phase", &Game_Start_Phase},
        {"Game_Start_Enemy_Phase", &Game_Start_Enemy_Phase},
        {"Stage_Init_Phase", &Stage_Init_Phase},
        {"Miss_Phase_1_Step", &Miss_Phase_1_Step},
        {"Miss_Phase_2_Step", &Miss_Phase_2_Step},
        {"Miss_Phase_3_Step", &Miss_Phase_3_Step},
        {"Game_Over_Step", &Game_Over_Step},
        {"Game_Over_Ticks", &Game_Over_Ticks},
        {"Bonus_Phase_1_Step", &Bonus_Phase_1_Step},
        {"Bonus_Phase_2_Step", &Bonus_Phase_2_Step},
        {"Bonus_Phase_3_Step", &Bonus_Phase_3_Step},
        {"Bonus_Phase_4_Step", &Bonus_Phase_4_Step},
        {"Chance_Step", &Chance_Step},
        {"Score_Blink_Step", &Score_Blink_Step},
    };
}

} // namespace q50
