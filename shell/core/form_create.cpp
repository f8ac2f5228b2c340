#include "shell/core/form_create.h"

#include "board/render_ops.h"
#include "host/setting_names.h"

namespace q50 {

void form_create_before_skin(Device& d, Presentation& p) {
    d.Fill_Speed_Table();
    p.Fullscreen_Mode = d.store().read_bool(setting::FullscreenMode, true);
}

void form_create_after_skin(Device& d, Presentation& p, KeyAssignments& keys) {
    keys.Keys_Load(d.store(), d.board);
    p.Ctrlr_Overlay = d.store().read_bool(setting::CtrlrOverlay, true);
    Vid_Display_Ctrl_Overlay(d.board, p.Ctrlr_Overlay);
    d.Hi_Score_A = d.store().read_int(setting::HiScore1, d.Hi_Score_A);
    d.Hi_Score_B = d.store().read_int(setting::HiScore2, d.Hi_Score_B);
    d.Play_Active = false;
    d.Move_Lock = false;
}

void form_create(Device& d, Presentation& p, KeyAssignments& keys,
                 const std::function<void()>& load_skin) {
    form_create_before_skin(d, p);
    if (load_skin) load_skin();
    form_create_after_skin(d, p, keys);
}

} // namespace q50
