#include "board/render_ops.h"
#include "game/device.h"

namespace q50 {

namespace {

// The digits read 12:00 (the alarm time, and the everything-on display).
void show_twelve_hundred(Board& b) {
    b.copy_picture(b.Seg_Digit[1], b.Seg_Number[1]);
    b.copy_picture(b.Seg_Digit[2], b.Seg_Number[2]);
    b.copy_picture(b.Seg_Digit[3], b.Seg_Number[0]);
    b.copy_picture(b.Seg_Digit[4], b.Seg_Number[0]);
}

bool accepts_game_or_time(std::int32_t mode) {
    return mode == 2 || mode == 4 || mode == 9;
}

} // namespace

void Device::Gam_Set_Mode() {
    if (on_set_mode) on_set_mode(Game_State);
    Board& b = board;
    switch (Game_State) {
    case 1:
        // ACL held: everything freezes where it is.
        Gam_Stop_All_Timers();
        sound().silence();
        Play_Active = false;
        Double_Points = false;
        break;
    case 2:
        Vid_Show_All(b, true);
        break;
    case 3:
        Gam_Stop_All_Timers();
        Vid_Show_All(b, false);
        b.show("im_game_background");
        b.show("im_partner_left_fort");
        b.show("im_panel_alarm_1");
        b.show("im_panel_time_pm");
        b.show("im_panel_time_colon");
        show_twelve_hundred(b);
        Play_Active = false;
        break;
    case 4:
        Gam_Stop_All_Timers();
        Vid_Show_All(b, false);
        b.show("im_game_background");
        b.show("im_partner_left_fort");
        b.hide("im_panel_alarm_1");
        b.show("im_panel_time_colon");
        timers.start(TimerId::Clock, 1);
        Play_Active = false;
        break;
    case 5:
    case 7:
        Gam_Stop_All_Timers();
        Vid_Show_All(b, false);
        b.show(Game_State == 5 ? SegmentId("im_panel_game_a") : SegmentId("im_panel_game_b"));
        Vid_Show_Panel_Score(b, Game_State == 5 ? Hi_Score_A : Hi_Score_B, true);
        Play_Active = false;
        break;
    case 6:
    case 8:
        // Entered only from 5 or 7, which stopped the timers and cleared the display; the
        // game caption lit there stays lit for the whole game.
        b.show("im_game_background");
        b.show("im_partner_left_fort");
        Misses = 0;
        Score = 0;
        Vid_Show_Panel_Score(b, Score, true);
        Score_Step = 1;
        Next_Chance_Score = 300;
        Bombs_Delivered = 0;
        Partner_Period = 3;
        Double_Points = false;
        Game_Start_Phase = 1;
        timers.start(TimerId::Game_Start, 1);
        Move_Lock = false;
        break;
    default:
        break;
    }
}

void Device::Gam_Stop_All_Timers() {
    for (int i = 0; i < kTimerCount; ++i) timers.disable(TimerId(i));
}

void Device::Inp_open_down() {
    board.hide("btn_open");
    board.hide("im_background_front");
    board.show("im_background_back");
    board.show("im_background_screen_top");
    Game_State = 2;
    Gam_Set_Mode();
}

void Device::Inp_game_a_down() {
    board.show("btn_game_a_down");
    if (accepts_game_or_time(Game_State)) {
        Game_State = 5;
        Gam_Set_Mode();
    }
}

void Device::Inp_game_a_up() {
    board.hide("btn_game_a_down");
    if (Game_State == 5) {
        Game_State = 6;
        Gam_Set_Mode();
    }
}

void Device::Inp_game_b_down() {
    board.show("btn_game_b_down");
    if (accepts_game_or_time(Game_State)) {
        Game_State = 7;
        Gam_Set_Mode();
    }
}

void Device::Inp_game_b_up() {
    board.hide("btn_game_b_down");
    if (Game_State == 7) {
        Game_State = 8;
        Gam_Set_Mode();
    }
}

void Device::Inp_time_down() {
    board.show("btn_time_down");
    if (accepts_game_or_time(Game_State)) {
        Game_State = 3;
        Gam_Set_Mode();
    }
}

void Device::Inp_time_up() {
    board.hide("btn_time_down");
    if (Game_State == 3) {
        Game_State = 4;
        Gam_Set_Mode();
    }
}

void Device::Inp_acl_down() {
    board.show("btn_acl_down");
    if (Game_State != 0) {
        Game_State = 1;
        Gam_Set_Mode();
    }
}

void Device::Inp_acl_up() {
    board.hide("btn_acl_down");
    if (Game_State == 1) {
        Game_State = 2;
        Gam_Set_Mode();
    }
}

} // namespace q50
