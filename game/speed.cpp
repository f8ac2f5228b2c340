#include "game/device.h"

namespace q50 {

void Device::Fill_Speed_Table() {
    for (int k = 0; k < 20; ++k) {
        std::int32_t ms = 180;
        if (k <= 1)
            ms = 435;
        else if (k <= 3)
            ms = 360;
        else if (k <= 5)
            ms = 300;
        else if (k <= 7)
            ms = 240;
        Speed_Table[std::size_t(k)] = ms;
    }
}

void Device::Gam_Set_Difficulty() {
    std::int32_t n = Score;
    while (n > 1999) n -= 2000;
    std::int32_t k = 0;
    while (n > 99) {
        n -= 100;
        ++k;
    }
    std::int32_t within_hundred = 0;
    if (n >= 90)
        within_hundred = 100;
    else if (n >= 60)
        within_hundred = 80;
    else if (n >= 30)
        within_hundred = 60;
    // Two settings, as the rule has them: on a running timer a changed interval restarts its
    // period, and this is only called from the tick itself or while the tick is stopped.
    timers.set_interval(TimerId::Game, Speed_Table[std::size_t(k)] - within_hundred);
    std::int32_t ms = timers.interval(TimerId::Game) - 80 * (Stage_Ticks / 36);
    if (ms < 90) ms = 90;
    timers.set_interval(TimerId::Game, ms);
}

} // namespace q50
