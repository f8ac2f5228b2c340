#pragma once
// The operations that light and darken groups of segments and draw numbers, the hero and the
// enemy flames. They hold no state of their own, start no timer and play no sound.
#include "board/board.h"

#include <cstdint>

namespace q50 {

void Vid_Display_Ctrl_Overlay(Board& b, bool ctrlr_overlay);
void Vid_Show_All(Board& b, bool show);
void Vid_Show_All_Enemy(Board& b, bool show);
void Vid_Show_All_Enemy_Bomb(Board& b, bool show);
void Vid_Show_All_Enemy_Boom(Board& b, bool show);
void Vid_Show_All_Enemy_Down(Board& b, bool show);
void Vid_Show_All_Enemy_Flame(Board& b, bool show);
void Vid_Show_All_Enemy_Up(Board& b, bool show);
void Vid_Show_All_Flame(Board& b, bool show);
void Vid_Show_All_Pelko(Board& b, bool show);
void Vid_Show_All_Partner(Board& b, bool show);
void Vid_Show_Panel_Miss(Board& b, std::int32_t count);
// Three digits, leftmost position blank. A negative value (only possible from an edited
// store) is shown as 000 rather than selecting a glyph that does not exist.
void Vid_Show_Panel_Score(Board& b, std::int32_t value, bool show);
void Vid_Show_Pelko(Board& b, std::int32_t position, std::int32_t hold, bool show);
void Vid_Show_Enemy_Flame(Board& b, std::int32_t enemy, std::int32_t frame, bool show);
void Vid_Show_Enemy_Flame_Frame(Board& b, std::int32_t enemy, std::int32_t step);

} // namespace q50
