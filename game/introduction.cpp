// The scripted scene that opens every game, on two timers running side by side.
#include "board/render_ops.h"
#include "game/bomb_drop.h"
#include "game/device.h"

namespace q50 {

namespace {

// Erase the hero where he stands, put him at `pos` with `hold` and draw him there.
void move_hero(Device& d, std::int32_t pos, std::int32_t hold) {
    Vid_Show_Pelko(d.board, d.Pelko_Pos, d.Pelko_Hold, false);
    d.Pelko_Pos = pos;
    d.Pelko_Hold = hold;
    Vid_Show_Pelko(d.board, d.Pelko_Pos, d.Pelko_Hold, true);
}

} // namespace

void Device::Timer_Game_StartTimer() {
    Board& b = board;
    switch (Game_Start_Phase) {
    case 1:
        b.show({"im_partner_left_1", "im_partner_left_2", "im_partner_right_1",
                "im_partner_right_3", "im_flame_9", "im_flame_10", "im_pelko_1_body",
                "im_pelko_1_left"});
        sound().play(Sample::Start);
        timers.set_interval(TimerId::Game_Start, 320);
        break;
    case 2:
        bomb_drop_falls(b);
        break;
    case 3:
        bomb_drop_lands(b);
        timers.set_interval(TimerId::Game_Start, 450);
        break;
    case 4:
        hero_takes_new_bomb(*this);
        timers.set_interval(TimerId::Game_Start, 650);
        break;
    case 5:
        move_hero(*this, 2, 2);
        Game_Start_Enemy_Phase = 1;
        timers.start(TimerId::Game_Start_Enemy, 300);
        break;
    case 6:
        move_hero(*this, 3, 2);
        break;
    case 7:
        // The bomb goes up while the hold stays low; the next erase clears both arms.
        b.hide("im_pelko_3_down");
        b.show("im_pelko_3_up");
        break;
    case 8:
        move_hero(*this, 4, 3);
        break;
    case 9:
        move_hero(*this, 5, 3);
        timers.disable(TimerId::Game_Start);
        break;
    default:
        break;
    }
    ++Game_Start_Phase;
}

void Device::Timer_Game_Start_EnemyTimer() {
    Board& b = board;
    switch (Game_Start_Enemy_Phase) {
    case 1:
        b.show("im_enemy_1_up");
        break;
    case 2:
        b.hide("im_enemy_1_up");
        b.show("im_enemy_2_up");
        break;
    case 3:
        b.hide("im_enemy_2_up");
        b.show("im_enemy_3_up");
        break;
    case 4:
        b.hide("im_enemy_3_up");
        b.show("im_enemy_4_up");
        b.hide("im_partner_right_3");
        b.show("im_partner_right_2");
        break;
    case 5:
        b.hide("im_enemy_4_up");
        b.show("im_enemy_5_up");
        break;
    case 6:
        Vid_Show_Enemy_Flame(b, 5, 1, true);
        break;
    case 7:
        Vid_Show_Enemy_Flame(b, 5, 1, false);
        Vid_Show_Enemy_Flame(b, 5, 2, true);
        break;
    case 8:
        Vid_Show_Enemy_Flame(b, 5, 2, false);
        Vid_Show_Enemy_Flame(b, 5, 3, true);
        b.hide("im_partner_right_2");
        b.show("im_partner_right_3");
        timers.set_interval(TimerId::Game_Start_Enemy, 415);
        break;
    case 9:
    case 11:
        b.hide("im_enemy_5_flame_4");
        break;
    case 10:
        b.show("im_enemy_5_flame_4");
        break;
    case 12:
        b.hide("im_enemy_5_flame_3");
        move_hero(*this, 4, 3);
        b.show("im_enemy_4_flame_4");
        sound().play(Sample::Miss2);
        timers.set_interval(TimerId::Game_Start_Enemy, 300);
        break;
    case 13:
        move_hero(*this, 3, 3);
        b.hide("im_enemy_4_flame_4");
        b.show("im_enemy_3_flame_4");
        break;
    case 14:
        move_hero(*this, 2, 3);
        b.hide("im_enemy_3_flame_4");
        b.show("im_enemy_2_flame_4");
        b.hide("im_enemy_5_up");
        b.show("im_enemy_5_down");
        break;
    case 15:
        move_hero(*this, 1, 3);
        b.hide("im_enemy_2_flame_4");
        b.show("im_enemy_1_flame_4");
        break;
    case 16:
        Vid_Show_Pelko(b, Pelko_Pos, Pelko_Hold, false);
        b.show("im_pelko_0_body");
        b.show("im_pelko_0_head");
        b.show("im_pelko_0_up");
        b.hide("im_enemy_1_flame_4");
        break;
    case 17:
        b.show("im_pelko_0_boom_1");
        timers.set_interval(TimerId::Game_Start_Enemy, 150);
        break;
    case 19:
        b.hide("im_pelko_0_head");
        b.hide("im_pelko_0_up");
        b.show("im_pelko_0_boom_2");
        sound().play(Sample::Miss3);
        timers.set_interval(TimerId::Game_Start_Enemy, 580);
        break;
    case 20:
        b.hide("im_partner_left_fort");
        b.hide("im_partner_left_1");
        b.show("im_partner_left_boom");
        timers.set_interval(TimerId::Game_Start_Enemy, 800);
        break;
    case 21:
        b.hide(
            {"im_pelko_0_body", "im_pelko_0_boom_1", "im_pelko_0_boom_2", "im_partner_left_boom"});
        timers.set_interval(TimerId::Game_Start_Enemy, 500);
        break;
    case 22:
        b.hide("im_enemy_5_down");
        Stage_Init_Phase = 1;
        timers.start(TimerId::Stage_Init, 150);
        timers.disable(TimerId::Game_Start_Enemy);
        break;
    default:
        break;
    }
    ++Game_Start_Enemy_Phase;
}

} // namespace q50
