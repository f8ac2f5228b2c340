// Under double points the score blinks: blank on odd steps, shown on even ones.
#include "board/render_ops.h"
#include "game/device.h"

namespace q50 {

void Device::Timer_Score_BlinkTimer() {
    Vid_Show_Panel_Score(board, Score, Score_Blink_Step % 2 == 0);
    Score_Blink_Step = Score_Blink_Step >= 2 ? 1 : Score_Blink_Step + 1;
}

} // namespace q50
