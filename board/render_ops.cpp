#include "board/render_ops.h"

namespace q50 {

void Vid_Display_Ctrl_Overlay(Board& b, bool ctrlr_overlay) {
    b.set_shown(b.get("btn_ctrlr_overlay_left"), ctrlr_overlay);
    b.set_shown(b.get("btn_ctrlr_overlay_right"), ctrlr_overlay);
}

void Vid_Show_All(Board& b, bool show) {
    for (int i = 1; i <= 4; ++i) b.show(b.Seg_Digit[i]);
    if (show) {
        b.copy_picture(b.Seg_Digit[1], b.Seg_Number[1]);
        b.copy_picture(b.Seg_Digit[2], b.Seg_Number[2]);
        b.copy_picture(b.Seg_Digit[3], b.Seg_Number[0]);
        b.copy_picture(b.Seg_Digit[4], b.Seg_Number[0]);
    } else {
        for (int i = 1; i <= 4; ++i) b.clear_picture(b.Seg_Digit[i]);
    }
    Vid_Show_Panel_Miss(b, show ? 3 : 0);
    for (int i = 1; i <= 3; ++i) b.set_shown(b.Seg_Alarm[i], show);
    b.set_shown(b.get("im_game_background"), show);
    b.set_shown(b.get("im_panel_time_am"), show);
    b.hide("im_panel_time_pm");
    b.set_shown(b.get("im_panel_time_colon"), show);
    b.set_shown(b.get("im_panel_game_a"), show);
    b.set_shown(b.get("im_panel_game_b"), show);
    Vid_Show_All_Enemy(b, show);
    Vid_Show_All_Flame(b, show);
    Vid_Show_All_Pelko(b, show);
    Vid_Show_All_Partner(b, show);
}

void Vid_Show_All_Enemy(Board& b, bool show) {
    Vid_Show_All_Enemy_Bomb(b, show);
    Vid_Show_All_Enemy_Boom(b, show);
    Vid_Show_All_Enemy_Down(b, show);
    Vid_Show_All_Enemy_Flame(b, show);
    Vid_Show_All_Enemy_Up(b, show);
}

void Vid_Show_All_Enemy_Bomb(Board& b, bool show) {
    for (int n = 1; n <= 5; ++n) b.set_shown(b.Seg_Enemy(n, 0), show);
}

void Vid_Show_All_Enemy_Boom(Board& b, bool show) {
    b.set_shown(b.Seg_Enemy_Boom[1], show);
    b.set_shown(b.Seg_Enemy_Boom[2], show);
}

void Vid_Show_All_Enemy_Down(Board& b, bool show) {
    for (int n = 1; n <= 5; ++n) b.set_shown(b.Seg_Enemy(n, 1), show);
}

void Vid_Show_All_Enemy_Flame(Board& b, bool show) {
    for (int n = 1; n <= 5; ++n)
        for (int p = 3; p <= 6; ++p) b.set_shown(b.Seg_Enemy(n, p), show);
}

void Vid_Show_All_Enemy_Up(Board& b, bool show) {
    for (int n = 1; n <= 5; ++n) b.set_shown(b.Seg_Enemy(n, 2), show);
}

void Vid_Show_All_Flame(Board& b, bool show) {
    for (int i = 1; i <= 10; ++i) b.set_shown(b.Seg_Flame[i], show);
}

void Vid_Show_All_Pelko(Board& b, bool show) {
    b.set_shown(b.Seg_Pelko(1, 0), show);
    b.set_shown(b.Seg_Pelko(5, 0), show);
    for (int p = 1; p <= 5; ++p)
        for (int c = 1; c <= 3; ++c) b.set_shown(b.Seg_Pelko(p, c), show);
    for (int c = 1; c <= 5; ++c) b.set_shown(b.Seg_Pelko(0, c), show);
}

void Vid_Show_All_Partner(Board& b, bool show) {
    for (int side = 0; side <= 1; ++side)
        for (int slot = 0; slot <= 4; ++slot) b.set_shown(b.Seg_Partner(side, slot), show);
    b.set_shown(b.Seg_Partner(0, 5), show);
    b.set_shown(b.Seg_Partner(0, 6), show);
}

void Vid_Show_Panel_Miss(Board& b, std::int32_t count) {
    b.set_shown(b.Seg_Miss[0], count > 0);
    for (int i = 1; i <= 3; ++i) b.set_shown(b.Seg_Miss[i], count >= i);
}

void Vid_Show_Panel_Score(Board& b, std::int32_t value, bool show) {
    // Same result as subtracting 1000 while the value is at least 1000, without the loop.
    const std::int32_t v = value < 0 ? 0 : value % 1000;
    b.clear_picture(b.Seg_Digit[1]);
    if (show) {
        b.copy_picture(b.Seg_Digit[2], b.Seg_Number[(v / 100) % 10]);
        b.copy_picture(b.Seg_Digit[3], b.Seg_Number[(v / 10) % 10]);
        b.copy_picture(b.Seg_Digit[4], b.Seg_Number[v % 10]);
    } else {
        for (int i = 2; i <= 4; ++i) b.clear_picture(b.Seg_Digit[i]);
    }
}

void Vid_Show_Pelko(Board& b, std::int32_t position, std::int32_t hold, bool show) {
    if (position == 5) b.set_shown(b.Seg_Pelko(5, 0), show && hold == 3);
    b.set_shown(b.Seg_Pelko(position, 1), show);
    b.set_shown(b.Seg_Pelko(position, 2), show && hold == 2);
    b.set_shown(b.Seg_Pelko(position, 3), show && hold == 3);
}

void Vid_Show_Enemy_Flame(Board& b, std::int32_t enemy, std::int32_t frame, bool show) {
    switch (frame) {
    case 1:
        b.set_shown(b.Seg_Enemy(enemy, 3), show);
        break;
    case 2:
        b.set_shown(b.Seg_Enemy(enemy, 4), show);
        break;
    case 3:
        b.set_shown(b.Seg_Enemy(enemy, 5), show);
        b.set_shown(b.Seg_Enemy(enemy, 6), show);
        break;
    default:
        break;
    }
}

void Vid_Show_Enemy_Flame_Frame(Board& b, std::int32_t enemy, std::int32_t step) {
    static constexpr int kFrame[12] = {0, 0, 0, 0, 0, 0, 1, 2, 3, 3, 2, 1};
    if (step < 0 || step > 11) return;
    const int frame = kFrame[step];
    for (int f = 1; f <= 3; ++f) Vid_Show_Enemy_Flame(b, enemy, f, f == frame);
}

} // namespace q50
