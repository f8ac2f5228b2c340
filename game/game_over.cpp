// The game-over display: the tune, then the explosion at the fort replayed every five seconds
// for four minutes, then the clock.
#include "game/device.h"
#include "game/fort.h"

namespace q50 {

namespace {
constexpr std::int32_t kLastTick = 241;
}

void Device::Timer_Game_OverTimer() {
    const std::int32_t step = Game_Over_Step;
    switch (step) {
    case 1:
        sound().play(Sample::Gameover);
        timers.set_interval(TimerId::Game_Over, 4300);
        break;
    case 2:
        hide_fort_group(board);
        Game_State = 9;
        Gam_Set_Mode();
        Game_Over_Ticks = 0;
        timers.set_interval(TimerId::Game_Over, 1000);
        break;
    case 3:
        show_hero_at_fort(board);
        board.show("im_partner_left_1");
        board.show("im_partner_left_fort");
        break;
    case 4:
        board.show("im_pelko_0_boom_1");
        break;
    case 5:
        board.hide("im_pelko_0_head");
        board.hide("im_pelko_0_up");
        board.show("im_pelko_0_boom_2");
        break;
    case 6:
        board.hide("im_partner_left_1");
        board.hide("im_partner_left_fort");
        board.show("im_partner_left_boom");
        break;
    case 7:
        hide_fort_group(board);
        break;
    default:
        break;
    }
    Game_Over_Step = step == 7 ? 3 : step + 1;
    if (step < 2) return;
    Game_Over_Ticks += 1;
    if (Game_Over_Ticks >= kLastTick) {
        Game_State = 4;
        Gam_Set_Mode();
        timers.disable(TimerId::Game_Over);
    }
}

} // namespace q50
