#include "composite.h"

#include "board/board_geometry.h"

#include <QPainter>

#include <algorithm>
#include <vector>

namespace q50gen {
namespace {

bool starts(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

bool is_lcd(std::string_view name) {
    return (starts(name, "im_pelko_") || starts(name, "im_enemy_") || starts(name, "im_flame_") ||
            starts(name, "im_partner_") || starts(name, "im_panel_")) &&
           !starts(name, "im_panel_number_") && !starts(name, "im_panel_digit_");
}

} // namespace

Scene everything_lit() {
    Scene s;
    for (const auto& g : q50::kDesignGeometry)
        if (is_lcd(g.name) && g.name != "im_panel_time_pm") s.lit.insert(std::string(g.name));
    s.lit.insert("im_game_background");
    s.digits = {{"im_panel_digit_1", 1},
                {"im_panel_digit_2", 2},
                {"im_panel_digit_3", 0},
                {"im_panel_digit_4", 0}};
    return s;
}

QImage compose(const ArtBook& book, const Scene& scene, int scale) {
    std::vector<const q50::SegmentGeometry*> order;
    for (const auto& g : q50::kDesignGeometry) order.push_back(&g);
    std::stable_sort(order.begin(), order.end(),
                     [](auto a, auto b) { return a->layer < b->layer; });
    QImage frame(498 * scale, 770 * scale, QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::transparent);
    QPainter p(&frame);
    for (const auto* g : order) {
        const std::string name(g->name);
        std::string source = name;
        bool shown = false;
        if (name == "im_background_bottom")
            shown = true;
        else if (name == "im_background_front" || name == "btn_open")
            shown = scene.closed;
        else if (name == "im_background_back" || name == "im_background_screen_top")
            shown = !scene.closed;
        else if (starts(name, "btn_ctrlr_overlay_"))
            shown = scene.overlays;
        else if (starts(name, "btn_game_menu_") || starts(name, "im_backdrop"))
            shown = false;
        else if (starts(name, "btn_move_down_"))
            shown = false;
        else if (name == "btn_move_top") {
            shown = true;
            if (scene.pressed.count("btn_move_down_left")) source = "btn_move_down_left";
            if (scene.pressed.count("btn_move_down_right")) source = "btn_move_down_right";
        } else if (starts(name, "btn_") && name.size() > 5 &&
                   name.substr(name.size() - 5) == "_down")
            shown = scene.pressed.count(name) != 0;
        else if (starts(name, "btn_"))
            shown = true;
        else if (starts(name, "im_panel_digit_")) {
            const auto it = scene.digits.find(name);
            shown = it != scene.digits.end();
            if (shown) source = "im_panel_number_" + std::to_string(it->second);
        } else
            shown = scene.lit.count(name) != 0;
        if (!shown || !book.has(source)) continue;
        p.drawImage(QPointF(g->left * scale, g->top * scale), book.render(source, scale));
    }
    p.end();
    return frame.convertToFormat(QImage::Format_ARGB32);
}

} // namespace q50gen
