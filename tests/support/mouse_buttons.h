#pragma once
// The pictured buttons a left click presses, and the device calls each gives (press, then
// release): one table for the dispatch's own test and for the window that feeds it real clicks.
#include "board/segment_id.h"

#include <string>
#include <vector>

namespace q50::test {

struct MouseButtonRow {
    SegmentId control;
    std::vector<std::string> calls;
};

inline const std::vector<MouseButtonRow>& mouse_buttons() {
    static const std::vector<MouseButtonRow> rows = {
        {"btn_game_a_top", {"Inp_game_a_down", "Inp_game_a_up"}},
        {"btn_game_b_top", {"Inp_game_b_down", "Inp_game_b_up"}},
        {"btn_time_top", {"Inp_time_down", "Inp_time_up"}},
        {"btn_acl_top", {"Inp_acl_down", "Inp_acl_up"}},
        {"btn_bomb_top", {"Inp_bomb_down", "Inp_bomb_up"}},
        {"btn_ctrlr_overlay_left", {"Inp_left_down", "Inp_left_up"}},
        {"btn_ctrlr_overlay_right", {"Inp_right_down", "Inp_right_up"}},
        {"btn_open", {"Inp_open_down"}},
        {"btn_alarm_top", {}},
    };
    return rows;
}

} // namespace q50::test
