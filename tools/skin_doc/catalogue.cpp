#include "catalogue.h"

#include "board/board.h"
#include "board/board_geometry.h"
#include "display/skin_loader.h"

#include <algorithm>
#include <cctype>

namespace q50doc {

namespace {

bool starts(std::string_view s, std::string_view p) {
    return s.substr(0, p.size()) == p;
}
bool ends(std::string_view s, std::string_view p) {
    return s.size() >= p.size() && s.substr(s.size() - p.size()) == p;
}
// The number after `prefix` ("im_enemy_3_up", "im_enemy_" gives 3).
int number_after(std::string_view s, std::string_view prefix) {
    int n = 0;
    for (char c : s.substr(prefix.size())) {
        if (!std::isdigit(static_cast<unsigned char>(c))) break;
        n = n * 10 + (c - '0');
    }
    return n;
}
std::string str(int n) {
    return std::to_string(n);
}

const char* button_name(std::string_view s) {
    if (s.find("game_a") != std::string_view::npos) return "Game A";
    if (s.find("game_b") != std::string_view::npos) return "Game B";
    if (s.find("time") != std::string_view::npos) return "Time";
    if (s.find("acl") != std::string_view::npos) return "ACL";
    if (s.find("bomb") != std::string_view::npos) return "bomb";
    if (s.find("alarm") != std::string_view::npos) return "alarm";
    return "?";
}

} // namespace

std::string what_it_shows(std::string_view n) {
    if (n == "im_background_bottom") return "the device's body, always shown (shell)";
    if (n == "im_background_back") return "the upper half of the device when opened (shell)";
    if (n == "im_background_front") return "the closed lid over the upper half (shell)";
    if (n == "im_background_screen_top")
        return "the screen overlay shown when opened, over the segments (needs its own alpha)";
    if (n == "btn_open") return "the click area that opens the lid";
    if (n == "btn_move_top") return "the movement pad, released";
    if (n == "btn_move_down_left") return "the movement pad pressed to the left";
    if (n == "btn_move_down_right") return "the movement pad pressed to the right";
    if (n == "btn_ctrlr_overlay_left") return "the left controller overlay (hint of the keys)";
    if (n == "btn_ctrlr_overlay_right") return "the right controller overlay (hint of the keys)";
    if (n == "btn_alarm_top") return "the alarm button";
    if (starts(n, "btn_") && ends(n, "_top"))
        return std::string("the ") + button_name(n) + " button, released";
    if (starts(n, "btn_") && ends(n, "_down"))
        return std::string("the ") + button_name(n) + " button, pressed";
    if (n == "im_game_background") return "the LCD background art inside the screen";
    if (starts(n, "im_panel_miss_")) {
        const int k = number_after(n, "im_panel_miss_");
        return k == 0 ? "the MISS caption" : "miss mark " + str(k);
    }
    if (starts(n, "im_panel_alarm_"))
        return "alarm indicator segment " + str(number_after(n, "im_panel_alarm_"));
    if (n == "im_panel_game_a") return "GAME A";
    if (n == "im_panel_game_b") return "GAME B";
    if (n == "im_panel_time_am") return "AM";
    if (n == "im_panel_time_pm") return "PM";
    if (n == "im_panel_time_colon") return "the clock's colon";
    if (starts(n, "im_panel_digit_"))
        return "digit position " + str(number_after(n, "im_panel_digit_")) +
               " of the panel (shows a copy of a glyph; usually `nil`)";
    if (starts(n, "im_panel_number_"))
        return "the glyph " + str(number_after(n, "im_panel_number_")) + " of the panel's digits";
    if (starts(n, "im_enemy_boom_"))
        return "the enemies blown up, frame " + str(number_after(n, "im_enemy_boom_"));
    if (n == "im_partner_left_boom") return "an explosion at the left";
    if (n == "im_partner_left_fort") return "the left partner's fort";
    if (starts(n, "im_partner_left_"))
        return "the left partner, pose " + str(number_after(n, "im_partner_left_"));
    if (starts(n, "im_partner_right_"))
        return "the right partner, pose " + str(number_after(n, "im_partner_right_"));
    if (starts(n, "im_enemy_")) {
        const int e = number_after(n, "im_enemy_");
        const std::string who = "enemy " + str(e);
        if (ends(n, "_bomb")) return "a bomb above " + who;
        if (ends(n, "_up")) return who + ", up pose";
        if (ends(n, "_down")) return who + ", down pose";
        const std::size_t f = n.rfind("_flame_");
        if (f != std::string_view::npos)
            return who + "'s flame, frame " + str(number_after(n.substr(f), "_flame_"));
    }
    if (starts(n, "im_flame_"))
        return "the floor flame at step " + str(number_after(n, "im_flame_"));
    if (n == "im_pelko_1_left") return "the hero at position 1 turned towards the left partner";
    if (n == "im_pelko_5_bomb") return "the bomb held high at position 5 (with the high pose)";
    if (n == "im_pelko_0_head")
        return "the hero at the start position beside the fort, bomb held low";
    if (starts(n, "im_pelko_0_boom_"))
        return "an explosion at the start position, frame " +
               str(number_after(n, "im_pelko_0_boom_"));
    if (starts(n, "im_pelko_")) {
        const int p = number_after(n, "im_pelko_");
        const std::string where = p == 0 ? "at the start position" : "at position " + str(p);
        if (ends(n, "_body")) return "the hero's body " + where;
        if (ends(n, "_down")) return "the hero " + where + ", bomb held low";
        if (ends(n, "_up")) return "the hero " + where + ", bomb held high";
    }
    return "";
}

std::string catalogue_markdown(std::string_view pictures) {
    std::string out;
    out += "| Section | Segment | Design rectangle (left, top, width x height) | Layer | "
           "Shows | Lit |\n|---|---|---|---|---|---|\n";
    const auto& names = q50::skin_image_names();
    for (int i = 1; i <= q50::kSkinImageCount; ++i) {
        const std::string_view name = names[std::size_t(i)];
        const auto g = std::find_if(q50::kDesignGeometry.begin(), q50::kDesignGeometry.end(),
                                    [&](const q50::SegmentGeometry& s) { return s.name == name; });
        out += "| `Image" + str(i) + "` | `" + std::string(name) + "` | ";
        if (g != q50::kDesignGeometry.end())
            out += str(g->left) + ", " + str(g->top) + ", " + str(g->width) + " x " +
                   str(g->height) + " | " + str(g->layer);
        else
            out += "| ";
        out += " | " + what_it_shows(name) + (q50::is_lcd_segment(name) ? " (LCD)" : "") + " | ";
        if (starts(name, "im_panel_digit_"))
            out += "(a glyph)";
        else
            out += "![" + std::string(name) + "](" + std::string(pictures) + "/" +
                   std::string(name) + ".png)";
        out += " |\n";
    }
    return out;
}

std::string with_catalogue(std::string_view document, std::string_view catalogue) {
    const std::size_t b = document.find(kBegin);
    const std::size_t e = document.find(kEnd);
    if (b == std::string_view::npos || e == std::string_view::npos || e < b) return {};
    std::string out(document.substr(0, b + kBegin.size()));
    out += "\n\n";
    out += catalogue;
    out += "\n";
    out += document.substr(e);
    return out;
}

} // namespace q50doc
