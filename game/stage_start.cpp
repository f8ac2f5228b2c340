// The left partner hands the hero a bomb, the enemy flames are dealt and play begins.
#include "board/render_ops.h"
#include "game/bomb_drop.h"
#include "game/device.h"

namespace q50 {

void Device::Timer_Stage_InitTimer() {
    Board& b = board;
    switch (Stage_Init_Phase) {
    case 1:
        Vid_Show_All_Enemy_Bomb(b, false);
        b.hide("im_flame_1");
        b.hide("im_flame_2");
        b.show({"im_partner_left_fort", "im_partner_left_1", "im_partner_left_2", "im_pelko_1_body",
                "im_pelko_1_left"});
        Vid_Show_All_Enemy_Up(b, true);
        timers.set_interval(TimerId::Stage_Init, 300);
        break;
    case 2:
        bomb_drop_falls(b);
        sound().play(Sample::Bombfall);
        break;
    case 3:
        bomb_drop_lands(b);
        break;
    case 4:
        hero_takes_new_bomb(*this);
        for (int n = 1; n <= 4; ++n) Enemy_Flame[std::size_t(n)] = random().uniform(1, 5);
        Enemy_Flame[5] = 5;
        for (int n = 1; n <= 5; ++n) Vid_Show_Enemy_Flame_Frame(b, n, Enemy_Flame[std::size_t(n)]);
        Bombs_Delivered = 0;
        Partner_Count = 1;
        Tick_Phase = 1;
        Stage_Ticks = 1;
        Gam_Set_Difficulty();
        timers.enable(TimerId::Game);
        Play_Active = true;
        timers.disable(TimerId::Stage_Init);
        break;
    default:
        break;
    }
    ++Stage_Init_Phase;
}

} // namespace q50
