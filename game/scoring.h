#pragma once
// Scoring by point-steps, and what a chance time continues with when its jingle ends (the
// values of Chance_Resume).
#include "board/render_ops.h"
#include "game/device.h"

#include <cstdint>

namespace q50 {

namespace chance_resume {
constexpr std::int32_t Main_Tick = 0;
constexpr std::int32_t Bonus_Phase_1 = 1;
constexpr std::int32_t Bonus_Phase_4 = 2;
// A hand-over that fell due on the very step that started the chance time. Starting it there
// would stop the chance time before its jingle, so it waits and begins when the jingle ends.
constexpr std::int32_t Hand_Over = 3;
} // namespace chance_resume

// One point-step of a bonus: the score goes up and may start a chance time, which then
// continues with `resume`.
inline void bonus_point_step(Device& d, std::int32_t resume) {
    d.Score += d.Score_Step;
    Vid_Show_Panel_Score(d.board, d.Score, true);
    d.Chance_Resume = resume;
    d.Gam_Check_Chance_Time();
}

} // namespace q50
