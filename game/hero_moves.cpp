// The hero's three buttons: left, right and the bomb hold, with their shared lock.
#include "board/render_ops.h"
#include "game/device.h"

namespace q50 {

namespace {

// The hero obeys only in play, and one accepted press locks all three buttons until a
// release (or, after a step, Timer_Pelko_Move).
bool take_press(Device& d) {
    if (!(d.Game_State == 6 || d.Game_State == 8) || !d.Play_Active || d.Move_Lock) return false;
    d.Move_Lock = true;
    return true;
}

bool bomb_caught(const Device& d) {
    return (d.Pelko_Hold == 2 && d.Gam_Check_Collision_Bomb_Down()) ||
           (d.Pelko_Hold == 3 && d.Gam_Check_Collision_Bomb_Up());
}

void step_hero(Device& d, std::int32_t by) {
    Vid_Show_Pelko(d.board, d.Pelko_Pos, d.Pelko_Hold, false);
    d.Pelko_Pos += by;
    Vid_Show_Pelko(d.board, d.Pelko_Pos, d.Pelko_Hold, true);
    d.sound().play(Sample::Move);
}

} // namespace

void Device::Inp_left_down() {
    board.copy_picture(board.get("btn_move_top"), board.get("btn_move_down_left"));
    if (!take_press(*this)) return;
    if (Pelko_Pos <= 1) return;
    step_hero(*this, -1);
    if (bomb_caught(*this)) {
        Gam_Execute_Miss_Phase_1();
        return;
    }
    timers.start(TimerId::Pelko_Move, 300);
}

void Device::Inp_right_down() {
    board.copy_picture(board.get("btn_move_top"), board.get("btn_move_down_right"));
    if (!take_press(*this)) return;
    if (Pelko_Pos >= 5) return;
    // A low bomb over a burning floor cannot be carried off it.
    if (Pelko_Hold == 2 && Gam_Check_Collision_Bomb_Down()) {
        Gam_Execute_Miss_Phase_1();
        return;
    }
    step_hero(*this, +1);
    if (bomb_caught(*this)) {
        Gam_Execute_Miss_Phase_1();
        return;
    }
    Score += Score_Step;
    Vid_Show_Panel_Score(board, Score, true);
    Chance_Resume = 0;
    Gam_Check_Chance_Time();
    // Set after the chance test, so that a chance time it starts does not stop it; and it
    // does not restart a period still running from an earlier step.
    timers.start(TimerId::Pelko_Move, 300);
    if (Pelko_Hold == 3 && Gam_Check_Collision_Bomb_Partner()) Gam_Execute_Bonus();
}

void Device::Inp_bomb_down() {
    board.show("btn_bomb_down");
    if (!take_press(*this)) return;
    Pelko_Hold = Pelko_Hold == 2 ? 3 : 2;
    Vid_Show_Pelko(board, Pelko_Pos, Pelko_Hold, true);
    if (bomb_caught(*this)) {
        Gam_Execute_Miss_Phase_1();
        return;
    }
    if (Gam_Check_Collision_Bomb_Partner()) {
        Gam_Execute_Bonus();
        return;
    }
    sound().play(Sample::Movebomb);
}

void Device::Inp_left_up() {
    board.clear_picture(board.get("btn_move_top"));
    Move_Lock = false;
}

void Device::Inp_right_up() {
    board.clear_picture(board.get("btn_move_top"));
    Move_Lock = false;
}

void Device::Inp_bomb_up() {
    board.hide("btn_bomb_down");
    Move_Lock = false;
}

void Device::Timer_Pelko_MoveTimer() {
    Move_Lock = false;
    timers.disable(TimerId::Pelko_Move);
}

} // namespace q50
