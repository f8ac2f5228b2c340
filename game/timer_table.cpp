// The sixteen timers in one table: the id, the name the trace tool prints and the handler
// each step runs. Nothing else lists them.
#include "game/device.h"

#include <array>

namespace q50 {

namespace {

struct TimerEntry {
    TimerId id;
    std::string_view name;
    void (Device::*handler)();
};

using D = Device;
using T = TimerId;

constexpr std::array<TimerEntry, kTimerCount> kTimers = {{
    {T::Bonus_Phase_1, "Timer_Bonus_Phase_1", &D::Timer_Bonus_Phase_1Timer},
    {T::Bonus_Phase_2, "Timer_Bonus_Phase_2", &D::Timer_Bonus_Phase_2Timer},
    {T::Bonus_Phase_3, "Timer_Bonus_Phase_3", &D::Timer_Bonus_Phase_3Timer},
    {T::Bonus_Phase_4, "Timer_Bonus_Phase_4", &D::Timer_Bonus_Phase_4Timer},
    {T::Chance, "Timer_Chance", &D::Timer_ChanceTimer},
    {T::Clock, "Timer_Clock", &D::Timer_ClockTimer},
    {T::Game, "Timer_Game", &D::Timer_GameTimer},
    {T::Game_Over, "Timer_Game_Over", &D::Timer_Game_OverTimer},
    {T::Game_Start, "Timer_Game_Start", &D::Timer_Game_StartTimer},
    {T::Game_Start_Enemy, "Timer_Game_Start_Enemy", &D::Timer_Game_Start_EnemyTimer},
    {T::Pelko_Move, "Timer_Pelko_Move", &D::Timer_Pelko_MoveTimer},
    {T::Miss_Phase_1, "Timer_Miss_Phase_1", &D::Timer_Miss_Phase_1Timer},
    {T::Miss_Phase_2, "Timer_Miss_Phase_2", &D::Timer_Miss_Phase_2Timer},
    {T::Miss_Phase_3, "Timer_Miss_Phase_3", &D::Timer_Miss_Phase_3Timer},
    {T::Score_Blink, "Timer_Score_Blink", &D::Timer_Score_BlinkTimer},
    {T::Stage_Init, "Timer_Stage_Init", &D::Timer_Stage_InitTimer},
}};

// Steps due at the same millisecond run in the order of TimerId, so the table must follow it.
constexpr bool in_id_order() {
    for (std::size_t i = 0; i < kTimers.size(); ++i)
        if (kTimers[i].id != TimerId(i)) return false;
    return true;
}
static_assert(in_id_order(), "kTimers must list the timers in the order of TimerId");

} // namespace

std::string_view timer_name(TimerId id) {
    return kTimers[std::size_t(id)].name;
}

void Device::fire(TimerId id) {
    if (on_step) on_step(id);
    (this->*kTimers[std::size_t(id)].handler)();
}

} // namespace q50
