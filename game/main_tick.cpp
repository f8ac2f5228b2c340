// The main tick: enemy step, floor-flame step, enemy step, partner step, over and over.
#include "board/render_ops.h"
#include "game/device.h"

namespace q50 {

namespace {

// Three neighbouring enemies never run in step: the leftmost equal triple is broken up.
void neighbour_rule(std::array<std::int32_t, 6>& f) {
    if (f[1] == f[2] && f[2] == f[3])
        f[2] = 4;
    else if (f[2] == f[3] && f[3] == f[4])
        f[3] = 1;
    else if (f[3] == f[4] && f[4] == f[5])
        f[4] = 2;
}

} // namespace

void Device::Timer_GameTimer() {
    Board& b = board;
    switch (Tick_Phase) {
    case 1:
    case 3:
        if (Gam_Check_Collision_Bomb_Up()) {
            Gam_Execute_Miss_Phase_1();
            break;
        }
        for (int n = 1; n <= 5; ++n) {
            std::int32_t& counter = Enemy_Flame[std::size_t(n)];
            ++counter;
            if ((Game_State == 6 && counter > 11) || (Game_State == 8 && counter > 9))
                counter = random().uniform(1, 4);
            neighbour_rule(Enemy_Flame);
            Vid_Show_Enemy_Flame_Frame(b, n, counter);
        }
        sound().play(Sample::Enemy);
        break;
    case 2: {
        if (b.shown("im_partner_right_2")) {
            b.hide("im_partner_right_2");
            b.show("im_partner_right_3");
        }
        if (Gam_Check_Collision_Bomb_Down()) {
            Gam_Execute_Miss_Phase_1();
            break;
        }
        for (int i = 1; i <= 7; ++i) b.set_shown(b.Seg_Flame[i], b.Seg_Flame[i + 1].shown);
        if (b.Seg_Flame[8].shown) {
            b.hide(b.Seg_Flame[8]);
            b.show(b.Seg_Flame[9]);
        }
        bool walkway_empty = true;
        for (int i = 2; i <= 8; ++i) walkway_empty = walkway_empty && !b.Seg_Flame[i].shown;
        if (walkway_empty) {
            b.hide(b.Seg_Flame[9]);
            b.show(b.Seg_Flame[8]);
        }
        break;
    }
    case 4:
        if (Partner_Count == Partner_Period) {
            b.hide("im_partner_right_3");
            b.show("im_partner_right_2");
            if (Gam_Check_Collision_Bomb_Partner()) {
                Gam_Execute_Bonus();
            } else {
                Partner_Period = Partner_Period == 3 ? 5 : 3;
                Partner_Count = 0;
            }
        }
        ++Partner_Count;
        break;
    default:
        break;
    }
    ++Tick_Phase;
    ++Stage_Ticks;
    Gam_Set_Difficulty();
    if (Tick_Phase == 5) Tick_Phase = 1;
}

} // namespace q50
