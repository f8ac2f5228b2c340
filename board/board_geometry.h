#pragma once
// Default geometry of the device at design time: name, left, top, width, height, layer.
// A skin file that gives these rectangles reproduces the design layout. The table is a
// constant the compiler can read, so that a control the code names is checked when it builds
// (board/segment_id.h).
#include <array>
#include <cstddef>
#include <string_view>

namespace q50 {

struct SegmentGeometry {
    std::string_view name;
    int left, top, width, height, layer;
};

// In declaration order of the device's controls.
inline constexpr std::array<SegmentGeometry, 133> kDesignGeometry = {{
    {"im_pelko_0_body", 87, 250, 33, 25, 52},
    {"im_pelko_0_head", 108, 240, 18, 21, 53},
    {"im_pelko_0_up", 112, 212, 19, 30, 54},
    {"im_pelko_0_boom_1", 99, 208, 15, 34, 55},
    {"im_pelko_0_boom_2", 76, 215, 32, 48, 56},
    {"im_pelko_1_left", 134, 245, 18, 17, 81},
    {"im_pelko_1_body", 138, 230, 33, 45, 59},
    {"im_pelko_1_down", 163, 249, 19, 24, 61},
    {"im_pelko_1_up", 163, 214, 19, 28, 60},
    {"im_pelko_2_body", 185, 228, 29, 48, 62},
    {"im_pelko_2_down", 208, 250, 18, 24, 64},
    {"im_pelko_2_up", 208, 215, 18, 33, 63},
    {"im_pelko_3_body", 230, 231, 32, 45, 65},
    {"im_pelko_3_down", 256, 251, 17, 23, 67},
    {"im_pelko_3_up", 255, 218, 20, 27, 66},
    {"im_pelko_4_body", 276, 231, 31, 46, 68},
    {"im_pelko_4_down", 302, 251, 18, 24, 70},
    {"im_pelko_4_up", 301, 217, 19, 32, 69},
    {"im_pelko_5_body", 322, 231, 31, 47, 71},
    {"im_pelko_5_down", 347, 250, 20, 25, 74},
    {"im_pelko_5_up", 345, 220, 22, 29, 72},
    {"im_pelko_5_bomb", 354, 217, 13, 20, 73},
    {"im_enemy_1_bomb", 155, 137, 22, 21, 19},
    {"im_enemy_1_up", 147, 180, 20, 21, 30},
    {"im_enemy_1_down", 144, 201, 20, 26, 32},
    {"im_enemy_1_flame_1", 169, 174, 20, 18, 97},
    {"im_enemy_1_flame_2", 166, 186, 21, 15, 98},
    {"im_enemy_1_flame_3", 161, 198, 16, 17, 31},
    {"im_enemy_1_flame_4", 175, 202, 10, 12, 92},
    {"im_enemy_2_bomb", 207, 141, 19, 21, 20},
    {"im_enemy_2_up", 194, 180, 21, 21, 33},
    {"im_enemy_2_down", 190, 201, 21, 26, 35},
    {"im_enemy_2_flame_1", 216, 175, 21, 17, 99},
    {"im_enemy_2_flame_2", 213, 188, 22, 15, 100},
    {"im_enemy_2_flame_3", 209, 198, 14, 19, 34},
    {"im_enemy_2_flame_4", 222, 204, 10, 11, 93},
    {"im_enemy_3_bomb", 251, 139, 21, 22, 21},
    {"im_enemy_3_up", 241, 182, 21, 21, 36},
    {"im_enemy_3_down", 236, 203, 22, 26, 38},
    {"im_enemy_3_flame_1", 263, 177, 22, 17, 101},
    {"im_enemy_3_flame_2", 260, 190, 23, 15, 102},
    {"im_enemy_3_flame_3", 257, 200, 13, 20, 37},
    {"im_enemy_3_flame_4", 268, 206, 11, 11, 94},
    {"im_enemy_4_bomb", 301, 142, 20, 22, 22},
    {"im_enemy_4_up", 288, 183, 20, 21, 39},
    {"im_enemy_4_down", 283, 204, 22, 26, 41},
    {"im_enemy_4_flame_1", 310, 178, 22, 18, 103},
    {"im_enemy_4_flame_2", 306, 191, 23, 14, 104},
    {"im_enemy_4_flame_3", 303, 201, 13, 19, 40},
    {"im_enemy_4_flame_4", 315, 206, 10, 12, 95},
    {"im_enemy_5_bomb", 347, 140, 22, 21, 23},
    {"im_enemy_5_up", 336, 182, 21, 21, 42},
    {"im_enemy_5_down", 330, 203, 22, 26, 46},
    {"im_enemy_5_flame_1", 357, 178, 22, 17, 43},
    {"im_enemy_5_flame_2", 353, 191, 22, 14, 44},
    {"im_enemy_5_flame_3", 350, 200, 14, 19, 45},
    {"im_enemy_5_flame_4", 361, 206, 11, 12, 96},
    {"im_enemy_boom_1", 134, 136, 217, 30, 18},
    {"im_enemy_boom_2", 132, 106, 245, 41, 8},
    {"im_flame_1", 169, 273, 12, 12, 105},
    {"im_flame_2", 215, 275, 12, 10, 106},
    {"im_flame_3", 260, 274, 12, 11, 107},
    {"im_flame_4", 308, 275, 11, 11, 108},
    {"im_flame_5", 354, 275, 12, 10, 109},
    {"im_flame_6", 368, 273, 5, 10, 110},
    {"im_flame_7", 370, 258, 5, 11, 75},
    {"im_flame_8", 373, 235, 26, 19, 76},
    {"im_flame_9", 400, 237, 18, 14, 77},
    {"im_flame_10", 380, 242, 38, 26, 78},
    {"im_partner_left_1", 85, 179, 32, 22, 27},
    {"im_partner_left_2", 111, 170, 23, 20, 28},
    {"im_partner_left_3", 107, 191, 24, 19, 29},
    {"im_partner_left_4", 123, 203, 15, 23, 57},
    {"im_partner_left_5", 128, 242, 14, 17, 58},
    {"im_partner_left_fort", 74, 174, 35, 50, 26},
    {"im_partner_left_boom", 74, 128, 64, 46, 17},
    {"im_partner_right_1", 380, 212, 38, 23, 47},
    {"im_partner_right_2", 366, 197, 32, 37, 48},
    {"im_partner_right_3", 398, 186, 19, 29, 49},
    {"im_partner_right_4", 404, 154, 16, 33, 51},
    {"im_partner_right_5", 380, 182, 20, 10, 50},
    {"im_panel_digit_1", 349, 107, 14, 23, 10},
    {"im_panel_digit_2", 365, 107, 14, 23, 13},
    {"im_panel_digit_3", 389, 107, 14, 23, 15},
    {"im_panel_digit_4", 405, 107, 14, 23, 16},
    {"im_panel_time_colon", 381, 112, 7, 14, 14},
    {"im_panel_time_am", 336, 107, 18, 10, 11},
    {"im_panel_time_pm", 336, 120, 18, 10, 12},
    {"im_panel_miss_0", 126, 110, 26, 9, 9},
    {"im_panel_miss_1", 109, 107, 19, 22, 7},
    {"im_panel_miss_2", 93, 107, 19, 22, 6},
    {"im_panel_miss_3", 76, 108, 20, 22, 5},
    {"im_panel_alarm_1", 393, 132, 28, 24, 24},
    {"im_panel_alarm_2", 376, 133, 20, 19, 25},
    {"im_panel_alarm_3", 385, 152, 17, 25, 125},
    {"im_panel_game_a", 78, 283, 38, 9, 79},
    {"im_panel_game_b", 381, 285, 36, 8, 80},
    {"im_panel_number_0", 0, 488, 14, 23, 82},
    {"im_panel_number_1", 16, 488, 14, 23, 83},
    {"im_panel_number_2", 32, 488, 14, 23, 84},
    {"im_panel_number_3", 48, 488, 14, 23, 85},
    {"im_panel_number_4", 64, 488, 14, 23, 86},
    {"im_panel_number_5", 80, 488, 14, 23, 87},
    {"im_panel_number_6", 96, 488, 14, 23, 88},
    {"im_panel_number_7", 112, 488, 14, 23, 89},
    {"im_panel_number_8", 128, 488, 14, 23, 90},
    {"im_panel_number_9", 144, 488, 14, 23, 91},
    {"im_backdrop", 0, 0, 498, 770, 0},
    {"im_backdrop_logo", 0, 0, 64, 64, 1},
    {"im_background_bottom", 0, 0, 498, 770, 3},
    {"im_background_back", 0, 0, 498, 456, 2},
    {"im_background_front", 0, 0, 498, 456, 127},
    {"im_background_screen_top", 68, 104, 360, 196, 126},
    {"im_game_background", 131, 157, 286, 136, 4},
    {"btn_open", 196, 368, 104, 56, 128},
    {"btn_game_a_top", 270, 655, 34, 22, 119},
    {"btn_game_a_down", 270, 655, 34, 22, 116},
    {"btn_game_b_top", 322, 655, 33, 22, 120},
    {"btn_game_b_down", 322, 655, 33, 22, 117},
    {"btn_time_top", 372, 655, 34, 22, 121},
    {"btn_time_down", 372, 655, 34, 22, 118},
    {"btn_acl_top", 305, 714, 15, 16, 124},
    {"btn_acl_down", 305, 714, 15, 16, 123},
    {"btn_alarm_top", 356, 714, 16, 16, 122},
    {"btn_bomb_top", 352, 520, 61, 62, 112},
    {"btn_bomb_down", 352, 520, 61, 62, 111},
    {"btn_move_top", 59, 524, 116, 53, 115},
    {"btn_move_down_left", 59, 524, 116, 53, 113},
    {"btn_move_down_right", 59, 524, 116, 53, 114},
    {"btn_ctrlr_overlay_left", 44, 526, 48, 48, 131},
    {"btn_ctrlr_overlay_right", 140, 526, 48, 48, 132},
    {"btn_game_menu_top", 0, 0, 36, 32, 130},
    {"btn_game_menu_background", 0, 0, 36, 32, 129},
}};

// Where a control stands in the table, -1 when no control has that name.
constexpr int design_index(std::string_view name) {
    for (std::size_t i = 0; i < kDesignGeometry.size(); ++i)
        if (kDesignGeometry[i].name == name) return int(i);
    return -1;
}

namespace detail {
constexpr bool design_names_distinct() {
    for (std::size_t i = 0; i < kDesignGeometry.size(); ++i)
        if (design_index(kDesignGeometry[i].name) != int(i)) return false;
    return true;
}
} // namespace detail

// A name given twice would make every look-up answer the first of the two.
static_assert(detail::design_names_distinct(), "two controls share a name");

} // namespace q50
