#include "display/skin_loader.h"

#include "board/board_geometry.h"
#include "board/segment_id.h"

#include <utility>

namespace q50 {

namespace {

constexpr std::array<std::string_view, kSkinImageCount + 1> kNames = {
    "",
    // 1..5
    "im_background_bottom",
    "im_background_back",
    "im_background_front",
    "im_background_screen_top",
    "btn_open",
    // 6..14
    "btn_game_a_down",
    "btn_game_a_top",
    "btn_game_b_down",
    "btn_game_b_top",
    "btn_time_down",
    "btn_time_top",
    "btn_acl_down",
    "btn_acl_top",
    "btn_alarm_top",
    // 15..21
    "btn_move_top",
    "btn_move_down_left",
    "btn_move_down_right",
    "btn_bomb_down",
    "btn_bomb_top",
    "btn_ctrlr_overlay_left",
    "btn_ctrlr_overlay_right",
    // 22..34
    "im_game_background",
    "im_panel_miss_0",
    "im_panel_miss_1",
    "im_panel_miss_2",
    "im_panel_miss_3",
    "im_panel_alarm_1",
    "im_panel_alarm_2",
    "im_panel_alarm_3",
    "im_panel_game_a",
    "im_panel_game_b",
    "im_panel_time_am",
    "im_panel_time_pm",
    "im_panel_time_colon",
    // 35..48
    "im_panel_digit_1",
    "im_panel_digit_2",
    "im_panel_digit_3",
    "im_panel_digit_4",
    "im_panel_number_0",
    "im_panel_number_1",
    "im_panel_number_2",
    "im_panel_number_3",
    "im_panel_number_4",
    "im_panel_number_5",
    "im_panel_number_6",
    "im_panel_number_7",
    "im_panel_number_8",
    "im_panel_number_9",
    // 49..62
    "im_enemy_boom_1",
    "im_enemy_boom_2",
    "im_partner_left_1",
    "im_partner_left_2",
    "im_partner_left_3",
    "im_partner_left_4",
    "im_partner_left_5",
    "im_partner_left_boom",
    "im_partner_right_1",
    "im_partner_right_2",
    "im_partner_right_3",
    "im_partner_right_4",
    "im_partner_right_5",
    "im_partner_left_fort",
    // 63..97
    "im_enemy_1_bomb",
    "im_enemy_2_bomb",
    "im_enemy_3_bomb",
    "im_enemy_4_bomb",
    "im_enemy_5_bomb",
    "im_enemy_1_up",
    "im_enemy_2_up",
    "im_enemy_3_up",
    "im_enemy_4_up",
    "im_enemy_5_up",
    "im_enemy_1_down",
    "im_enemy_2_down",
    "im_enemy_3_down",
    "im_enemy_4_down",
    "im_enemy_5_down",
    "im_enemy_1_flame_1",
    "im_enemy_2_flame_1",
    "im_enemy_3_flame_1",
    "im_enemy_4_flame_1",
    "im_enemy_5_flame_1",
    "im_enemy_1_flame_2",
    "im_enemy_2_flame_2",
    "im_enemy_3_flame_2",
    "im_enemy_4_flame_2",
    "im_enemy_5_flame_2",
    "im_enemy_1_flame_3",
    "im_enemy_2_flame_3",
    "im_enemy_3_flame_3",
    "im_enemy_4_flame_3",
    "im_enemy_5_flame_3",
    "im_enemy_1_flame_4",
    "im_enemy_2_flame_4",
    "im_enemy_3_flame_4",
    "im_enemy_4_flame_4",
    "im_enemy_5_flame_4",
    // 98..107
    "im_flame_1",
    "im_flame_2",
    "im_flame_3",
    "im_flame_4",
    "im_flame_5",
    "im_flame_6",
    "im_flame_7",
    "im_flame_8",
    "im_flame_9",
    "im_flame_10",
    // 108..129
    "im_pelko_1_left",
    "im_pelko_5_bomb",
    "im_pelko_0_body",
    "im_pelko_1_body",
    "im_pelko_2_body",
    "im_pelko_3_body",
    "im_pelko_4_body",
    "im_pelko_5_body",
    "im_pelko_0_head",
    "im_pelko_1_down",
    "im_pelko_2_down",
    "im_pelko_3_down",
    "im_pelko_4_down",
    "im_pelko_5_down",
    "im_pelko_0_up",
    "im_pelko_1_up",
    "im_pelko_2_up",
    "im_pelko_3_up",
    "im_pelko_4_up",
    "im_pelko_5_up",
    "im_pelko_0_boom_1",
    "im_pelko_0_boom_2",
};

// Each name is looked up in the design table while this file compiles: one that names no
// control does not build.
constexpr auto kControls = []<std::size_t... I>(std::index_sequence<I...>) {
    return std::array<SegmentId, kSkinImageCount>{SegmentId(kNames[I + 1].data())...};
}
(std::make_index_sequence<kSkinImageCount>());

} // namespace

const std::array<std::string_view, kSkinImageCount + 1>& skin_image_names() {
    return kNames;
}

SegmentId skin_image_control(int i) {
    return kControls[std::size_t(i - 1)];
}

} // namespace q50
