#include "board/board.h"

#include "board/board_geometry.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace q50 {

void table_fault(const char* table, int index) {
    std::fprintf(stderr, "quendrix50: %s addressed at %d, a slot that holds no segment\n", table,
                 index);
    std::abort();
}

bool is_lcd_segment(std::string_view n) {
    auto starts = [&](std::string_view p) { return n.substr(0, p.size()) == p; };
    return starts("im_pelko_") || starts("im_enemy_") || starts("im_flame_") ||
           starts("im_partner_") || starts("im_panel_");
}

namespace {

bool starts_shown(std::string_view n) {
    if (n == "im_backdrop" || n == "im_backdrop_logo" || n == "im_background_bottom" ||
        n == "im_background_front" || n == "btn_open" || n == "btn_game_menu_top" ||
        n == "btn_game_menu_background")
        return true;
    return n.substr(0, 4) == "btn_" && n.size() > 4 && n.substr(n.size() - 4) == "_top";
}

Cursor cursor_of(std::string_view n) {
    if (n == "btn_move_top" || n == "btn_alarm_top") return Cursor::Help;
    if (n == "btn_open" || n == "btn_game_a_top" || n == "btn_game_b_top" || n == "btn_time_top" ||
        n == "btn_acl_top" || n == "btn_bomb_top" || n == "btn_ctrlr_overlay_left" ||
        n == "btn_ctrlr_overlay_right" || n == "btn_game_menu_top")
        return Cursor::Hand;
    return Cursor::Arrow;
}

} // namespace

Board::Board() {
    segments_.reserve(kDesignGeometry.size());
    for (const auto& g : kDesignGeometry) {
        Segment s;
        s.name = std::string(g.name);
        s.rect = {g.left, g.top, g.width, g.height};
        s.layer = g.layer;
        s.shown = starts_shown(g.name);
        s.transparent = is_lcd_segment(g.name);
        s.cursor = cursor_of(g.name);
        segments_.push_back(std::move(s));
    }
    build_tables();
}

Segment* Board::find(std::string_view name) {
    for (auto& s : segments_)
        if (s.name == name) return &s;
    return nullptr;
}

const Segment* Board::find(std::string_view name) const {
    for (const auto& s : segments_)
        if (s.name == name) return &s;
    return nullptr;
}

namespace {

[[noreturn]] void no_segment_named(std::string_view name) {
    std::fprintf(stderr, "quendrix50: no segment named %.*s\n", int(name.size()), name.data());
    std::abort();
}

} // namespace

SegmentId Board::id_of(const Segment& s) const {
    const auto at = std::uintptr_t(&s), first = std::uintptr_t(segments_.data());
    const std::size_t i = (at - first) / sizeof(Segment);
    if (at < first || i >= segments_.size() || &segments_[i] != &s) {
        std::fprintf(stderr, "quendrix50: segment %s is not on this board\n", s.name.c_str());
        std::abort();
    }
    return SegmentId(i);
}

Segment& Board::named(std::string_view name) {
    Segment* s = find(name);
    if (!s) no_segment_named(name);
    return *s;
}

const Segment& Board::named(std::string_view name) const {
    const Segment* s = find(name);
    if (!s) no_segment_named(name);
    return *s;
}

void Board::changed(Segment& s) {
    ++s.revision;
    ++revision_;
}

void Board::set_shown(Segment& s, bool shown) {
    if (s.shown == shown) return;
    s.shown = shown;
    changed(s);
    if (observer_) observer_->shown_changed(s);
}

void Board::copy_picture(Segment& dst, const Segment& src) {
    if (dst.picture == src.picture && dst.picture_source == src.name) return;
    dst.picture = src.picture;
    dst.picture_source = src.name;
    changed(dst);
    if (observer_) observer_->picture_changed(dst);
}

void Board::clear_picture(Segment& dst) {
    if (!dst.picture && dst.picture_source.empty()) return;
    dst.picture.reset();
    dst.picture_source.clear();
    changed(dst);
    if (observer_) observer_->picture_changed(dst);
}

void Board::set_picture(Segment& s, Picture p) {
    s.picture = std::move(p);
    s.picture_source.clear();
    changed(s);
    if (observer_) observer_->picture_changed(s);
}

void Board::set_rect(Segment& s, Rect r) {
    if (s.rect == r) return;
    s.rect = r;
    changed(s);
    if (observer_) observer_->rect_changed(s);
}

void Board::build_tables() {
    auto at = [&](const std::string& n) { return &named(n); };
    for (int i = 0; i <= 3; ++i) Seg_Miss.set(i, at("im_panel_miss_" + std::to_string(i)));
    for (int i = 1; i <= 3; ++i) Seg_Alarm.set(i, at("im_panel_alarm_" + std::to_string(i)));
    for (int i = 1; i <= 4; ++i) Seg_Digit.set(i, at("im_panel_digit_" + std::to_string(i)));
    for (int i = 0; i <= 9; ++i) Seg_Number.set(i, at("im_panel_number_" + std::to_string(i)));
    for (int i = 1; i <= 10; ++i) Seg_Flame.set(i, at("im_flame_" + std::to_string(i)));

    Seg_Pelko.set(0, 1, at("im_pelko_0_body"));
    Seg_Pelko.set(0, 2, at("im_pelko_0_head"));
    Seg_Pelko.set(0, 3, at("im_pelko_0_up"));
    Seg_Pelko.set(0, 4, at("im_pelko_0_boom_1"));
    Seg_Pelko.set(0, 5, at("im_pelko_0_boom_2"));
    Seg_Pelko.set(1, 0, at("im_pelko_1_left"));
    Seg_Pelko.set(5, 0, at("im_pelko_5_bomb"));
    for (int p = 1; p <= 5; ++p) {
        const std::string base = "im_pelko_" + std::to_string(p);
        Seg_Pelko.set(p, 1, at(base + "_body"));
        Seg_Pelko.set(p, 2, at(base + "_down"));
        Seg_Pelko.set(p, 3, at(base + "_up"));
    }

    for (int k = 1; k <= 5; ++k) {
        Seg_Partner.set(0, k - 1, at("im_partner_left_" + std::to_string(k)));
        Seg_Partner.set(1, k - 1, at("im_partner_right_" + std::to_string(k)));
    }
    Seg_Partner.set(0, 5, at("im_partner_left_fort"));
    Seg_Partner.set(0, 6, at("im_partner_left_boom"));

    Seg_Enemy_Boom.set(1, at("im_enemy_boom_1"));
    Seg_Enemy_Boom.set(2, at("im_enemy_boom_2"));

    static const char* const parts[7] = {"bomb",    "down",    "up",     "flame_1",
                                         "flame_2", "flame_3", "flame_4"};
    for (int n = 1; n <= 5; ++n)
        for (int p = 0; p < 7; ++p)
            Seg_Enemy.set(n, p, at("im_enemy_" + std::to_string(n) + "_" + parts[p]));
}

} // namespace q50
