#include "shell/core/menu_commands.h"

#include "board/render_ops.h"
#include "host/setting_names.h"

#include <array>

namespace q50 {

namespace {

constexpr std::array<std::string_view, 5> kWords = {"hiscores", "overlays", "fullscreen", "pause",
                                                    "resume"};

} // namespace

std::string_view menu_command_word(MenuCommand c) {
    return kWords[std::size_t(c)];
}

std::optional<MenuCommand> menu_command_named(std::string_view word) {
    for (std::size_t i = 0; i < kWords.size(); ++i)
        if (kWords[i] == word) return MenuCommand(i);
    return std::nullopt;
}

std::string menu_command_text(MenuCommand c, bool on) {
    std::string text(menu_command_word(c));
    if (menu_command_takes_value(c)) text += on ? " 1" : " 0";
    return text;
}

void reset_high_scores(Device& d) {
    d.Hi_Score_A = 0;
    d.store().write_int(setting::HiScore1, 0);
    d.Hi_Score_B = 0;
    d.store().write_int(setting::HiScore2, 0);
}

void show_controller_overlays(Device& d, Presentation& p, bool on) {
    p.Ctrlr_Overlay = on;
    d.store().write_bool(setting::CtrlrOverlay, on);
    Vid_Display_Ctrl_Overlay(d.board, on);
}

void set_fullscreen(Device& d, Presentation& p, bool on) {
    p.Fullscreen_Mode = on;
    d.store().write_bool(setting::FullscreenMode, on);
}

} // namespace q50
