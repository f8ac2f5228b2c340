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

namespace {

// The controls that a fresh board shows besides the buttons' tops.
constexpr bool starts_shown(std::size_t i) {
    for (SegmentId id : {SegmentId("im_backdrop"), SegmentId("im_backdrop_logo"),
                         SegmentId("im_background_bottom"), SegmentId("im_background_front"),
                         SegmentId("btn_open"), SegmentId("btn_game_menu_top"),
                         SegmentId("btn_game_menu_background")})
        if (id.index() == i) return true;
    const std::string_view n = kDesignGeometry[i].name;
    return n.substr(0, 4) == "btn_" && n.size() > 4 && n.substr(n.size() - 4) == "_top";
}

constexpr Cursor cursor_of(std::size_t i) {
    for (SegmentId id : {SegmentId("btn_move_top"), SegmentId("btn_alarm_top")})
        if (id.index() == i) return Cursor::Help;
    for (SegmentId id :
         {SegmentId("btn_open"), SegmentId("btn_game_a_top"), SegmentId("btn_game_b_top"),
          SegmentId("btn_time_top"), SegmentId("btn_acl_top"), SegmentId("btn_bomb_top"),
          SegmentId("btn_ctrlr_overlay_left"), SegmentId("btn_ctrlr_overlay_right"),
          SegmentId("btn_game_menu_top")})
        if (id.index() == i) return Cursor::Hand;
    return Cursor::Arrow;
}

// What every control starts as, worked out from its name while this file compiles.
struct StartingState {
    bool shown = false;
    bool transparent = false;
    Cursor cursor = Cursor::Arrow;
};
constexpr std::array<StartingState, kDesignGeometry.size()> kStartingStates = [] {
    std::array<StartingState, kDesignGeometry.size()> out{};
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = {starts_shown(i), is_lcd_segment(kDesignGeometry[i].name), cursor_of(i)};
    }
    return out;
}();

} // namespace

Board::Board() {
    segments_.reserve(kDesignGeometry.size());
    for (std::size_t i = 0; i < kDesignGeometry.size(); ++i) {
        const SegmentGeometry& g = kDesignGeometry[i];
        const StartingState& start = kStartingStates[i];
        Segment s;
        s.name = std::string(g.name);
        s.rect = {g.left, g.top, g.width, g.height};
        s.layer = g.layer;
        s.shown = start.shown;
        s.transparent = start.transparent;
        s.cursor = start.cursor;
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
    const SegmentId from = id_of(src);
    if (dst.picture == src.picture && dst.picture_source == from) return;
    dst.picture = src.picture;
    dst.picture_source = from;
    changed(dst);
    if (observer_) observer_->picture_changed(dst);
}

void Board::clear_picture(Segment& dst) {
    if (!dst.picture && !dst.picture_source) return;
    dst.picture.reset();
    dst.picture_source.reset();
    changed(dst);
    if (observer_) observer_->picture_changed(dst);
}

void Board::set_picture(Segment& s, Picture p) {
    s.picture = std::move(p);
    s.picture_source.reset();
    changed(s);
    if (observer_) observer_->picture_changed(s);
}

void Board::set_rect(Segment& s, Rect r) {
    if (s.rect == r) return;
    s.rect = r;
    changed(s);
    if (observer_) observer_->rect_changed(s);
}

namespace {

// The controls of a numbered row, from First to Last, looked up in the design table while this
// file compiles: a name that is not there does not build.
template <int First, int Last>
consteval std::array<std::uint8_t, Last - First + 1> numbered(std::string_view stem,
                                                              std::string_view ending = "") {
    std::array<std::uint8_t, Last - First + 1> out{};
    for (int i = First; i <= Last; ++i)
        out[std::size_t(i - First)] = std::uint8_t(SegmentId::numbered(stem, i, ending).index());
    return out;
}

constexpr auto kMiss = numbered<0, 3>("im_panel_miss_");
constexpr auto kAlarm = numbered<1, 3>("im_panel_alarm_");
constexpr auto kDigit = numbered<1, 4>("im_panel_digit_");
constexpr auto kNumber = numbered<0, 9>("im_panel_number_");
constexpr auto kFlame = numbered<1, 10>("im_flame_");
// Columns 1..3 of the hero's positions 1..5.
constexpr std::array kPelko = {numbered<1, 5>("im_pelko_", "_body"),
                               numbered<1, 5>("im_pelko_", "_down"),
                               numbered<1, 5>("im_pelko_", "_up")};
constexpr std::array kPartner = {numbered<1, 5>("im_partner_left_"),
                                 numbered<1, 5>("im_partner_right_")};
// Columns 0..6 of the enemies 1..5.
constexpr std::array kEnemy = {
    numbered<1, 5>("im_enemy_", "_bomb"),    numbered<1, 5>("im_enemy_", "_down"),
    numbered<1, 5>("im_enemy_", "_up"),      numbered<1, 5>("im_enemy_", "_flame_1"),
    numbered<1, 5>("im_enemy_", "_flame_2"), numbered<1, 5>("im_enemy_", "_flame_3"),
    numbered<1, 5>("im_enemy_", "_flame_4")};

} // namespace

void Board::build_tables() {
    const auto at = [this](std::uint8_t index) { return &segments_[index]; };
    for (int i = 0; i <= 3; ++i) Seg_Miss.set(i, at(kMiss[std::size_t(i)]));
    for (int i = 1; i <= 3; ++i) Seg_Alarm.set(i, at(kAlarm[std::size_t(i - 1)]));
    for (int i = 1; i <= 4; ++i) Seg_Digit.set(i, at(kDigit[std::size_t(i - 1)]));
    for (int i = 0; i <= 9; ++i) Seg_Number.set(i, at(kNumber[std::size_t(i)]));
    for (int i = 1; i <= 10; ++i) Seg_Flame.set(i, at(kFlame[std::size_t(i - 1)]));

    Seg_Pelko.set(0, 1, &get("im_pelko_0_body"));
    Seg_Pelko.set(0, 2, &get("im_pelko_0_head"));
    Seg_Pelko.set(0, 3, &get("im_pelko_0_up"));
    Seg_Pelko.set(0, 4, &get("im_pelko_0_boom_1"));
    Seg_Pelko.set(0, 5, &get("im_pelko_0_boom_2"));
    Seg_Pelko.set(1, 0, &get("im_pelko_1_left"));
    Seg_Pelko.set(5, 0, &get("im_pelko_5_bomb"));
    for (int p = 1; p <= 5; ++p)
        for (int c = 1; c <= 3; ++c)
            Seg_Pelko.set(p, c, at(kPelko[std::size_t(c - 1)][std::size_t(p - 1)]));

    for (int k = 1; k <= 5; ++k) {
        Seg_Partner.set(0, k - 1, at(kPartner[0][std::size_t(k - 1)]));
        Seg_Partner.set(1, k - 1, at(kPartner[1][std::size_t(k - 1)]));
    }
    Seg_Partner.set(0, 5, &get("im_partner_left_fort"));
    Seg_Partner.set(0, 6, &get("im_partner_left_boom"));

    Seg_Enemy_Boom.set(1, &get("im_enemy_boom_1"));
    Seg_Enemy_Boom.set(2, &get("im_enemy_boom_2"));

    for (int n = 1; n <= 5; ++n)
        for (int p = 0; p < 7; ++p)
            Seg_Enemy.set(n, p, at(kEnemy[std::size_t(p)][std::size_t(n - 1)]));
}

} // namespace q50
