#include "board/board.h"
#include "board/board_geometry.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace q50;

namespace {

struct Recorder : BoardObserver {
    std::vector<std::string> events;
    void shown_changed(const Segment& s) override {
        events.push_back((s.shown ? "on " : "off ") + s.name);
    }
    void picture_changed(const Segment& s) override {
        events.push_back("picture " + s.name + " " + std::string(s.source_name()));
    }
};

} // namespace

TEST(Board, HoldsEveryControlWithItsDesignRectangleAndLayer) {
    Board b;
    ASSERT_EQ(b.segments().size(), 133u);
    std::set<int> layers;
    for (const auto& s : b.segments()) layers.insert(s.layer);
    EXPECT_EQ(layers.size(), 133u);
    EXPECT_EQ(*layers.begin(), 0);
    EXPECT_EQ(*layers.rbegin(), 132);

    // A few rows checked against the design tables by hand.
    EXPECT_EQ(b.get("im_pelko_3_up").rect, (Rect{255, 218, 20, 27}));
    EXPECT_EQ(b.get("im_pelko_3_up").layer, 66);
    EXPECT_EQ(b.get("im_enemy_5_flame_4").rect, (Rect{361, 206, 11, 12}));
    EXPECT_EQ(b.get("im_enemy_5_flame_4").layer, 96);
    EXPECT_EQ(b.get("im_background_front").layer, 127);
    EXPECT_EQ(b.get("im_background_screen_top").layer, 126);
    EXPECT_EQ(b.get("btn_open").layer, 128);
    EXPECT_EQ(b.get("btn_ctrlr_overlay_right").layer, 132);
    EXPECT_EQ(b.get("im_panel_number_9").rect, (Rect{144, 488, 14, 23}));
    EXPECT_EQ(b.get("im_backdrop").rect, (Rect{0, 0, 498, 770}));
    EXPECT_EQ(b.find("im_no_such_segment"), nullptr);
}

TEST(Board, StartsWithTheLidClosedAndEveryLcdSegmentDark) {
    Board b;
    int lcd = 0;
    for (const auto& s : b.segments()) {
        if (is_lcd_segment(s.name)) {
            ++lcd;
            EXPECT_FALSE(s.shown) << s.name;
            EXPECT_TRUE(s.transparent) << s.name;
        }
    }
    EXPECT_EQ(lcd, 22 + 35 + 2 + 10 + 12 + 16 + 10);
    for (const char* n : {"im_backdrop", "im_backdrop_logo", "im_background_bottom",
                          "im_background_front", "btn_open", "btn_game_a_top", "btn_move_top",
                          "btn_alarm_top", "btn_game_menu_top", "btn_game_menu_background"})
        EXPECT_TRUE(b.named(n).shown) << n;
    for (const char* n : {"im_background_back", "im_background_screen_top", "btn_game_a_down",
                          "btn_bomb_down", "btn_move_down_left", "im_game_background"})
        EXPECT_FALSE(b.named(n).shown) << n;
    EXPECT_FALSE(b.get("im_background_screen_top").transparent);
}

TEST(Board, IndexTablesPointAtTheirSegmentsAndEmptySlotsHoldNone) {
    Board b;
    EXPECT_EQ(b.Seg_Miss[0].name, "im_panel_miss_0");
    EXPECT_EQ(b.Seg_Alarm[3].name, "im_panel_alarm_3");
    EXPECT_EQ(b.Seg_Digit[1].name, "im_panel_digit_1");
    EXPECT_EQ(b.Seg_Number[7].name, "im_panel_number_7");
    EXPECT_EQ(b.Seg_Flame[10].name, "im_flame_10");
    EXPECT_EQ(b.Seg_Pelko(0, 2).name, "im_pelko_0_head");
    EXPECT_EQ(b.Seg_Pelko(0, 5).name, "im_pelko_0_boom_2");
    EXPECT_EQ(b.Seg_Pelko(1, 0).name, "im_pelko_1_left");
    EXPECT_EQ(b.Seg_Pelko(5, 0).name, "im_pelko_5_bomb");
    EXPECT_EQ(b.Seg_Pelko(4, 2).name, "im_pelko_4_down");
    EXPECT_EQ(b.Seg_Partner(0, 5).name, "im_partner_left_fort");
    EXPECT_EQ(b.Seg_Partner(0, 6).name, "im_partner_left_boom");
    EXPECT_EQ(b.Seg_Partner(1, 4).name, "im_partner_right_5");
    EXPECT_EQ(b.Seg_Enemy_Boom[2].name, "im_enemy_boom_2");
    EXPECT_EQ(b.Seg_Enemy(3, 0).name, "im_enemy_3_bomb");
    EXPECT_EQ(b.Seg_Enemy(3, 1).name, "im_enemy_3_down");
    EXPECT_EQ(b.Seg_Enemy(3, 2).name, "im_enemy_3_up");
    EXPECT_EQ(b.Seg_Enemy(3, 6).name, "im_enemy_3_flame_4");

    for (int p : {0, 2, 3, 4}) EXPECT_EQ(b.Seg_Pelko.slot(p, 0), nullptr) << p;
    for (int p = 1; p <= 5; ++p) {
        EXPECT_EQ(b.Seg_Pelko.slot(p, 4), nullptr);
        EXPECT_EQ(b.Seg_Pelko.slot(p, 5), nullptr);
    }
    EXPECT_EQ(b.Seg_Partner.slot(1, 5), nullptr);
    EXPECT_EQ(b.Seg_Partner.slot(1, 6), nullptr);
}

TEST(BoardDeathTest, AddressingAnEmptySlotOrOutsideATableStops) {
    Board b;
    EXPECT_DEATH(b.Seg_Pelko(2, 0), "Seg_Pelko");
    EXPECT_DEATH(b.Seg_Flame[11], "Seg_Flame");
    EXPECT_DEATH(b.Seg_Flame[0], "Seg_Flame");
    EXPECT_DEATH(b.Seg_Enemy(6, 0), "Seg_Enemy");
    EXPECT_DEATH(b.Seg_Partner(1, 6), "Seg_Partner");
}

TEST(Board, ReportsOnlyRealChangesAndBumpsRevisions) {
    Board b;
    Recorder r;
    b.set_observer(&r);
    Segment& s = b.get("im_flame_3");
    const auto rev = b.revision();
    b.hide(s); // already dark
    EXPECT_TRUE(r.events.empty());
    EXPECT_EQ(b.revision(), rev);
    b.show(s);
    b.show(s);
    b.hide("im_flame_3");
    EXPECT_EQ(r.events, (std::vector<std::string>{"on im_flame_3", "off im_flame_3"}));
    EXPECT_EQ(s.revision, 2u);
    EXPECT_GT(b.revision(), rev);

    r.events.clear();
    auto glyph = std::make_shared<const Image>(14, 23, 0xff000000);
    b.set_picture(b.Seg_Number[4], glyph);
    r.events.clear();
    b.copy_picture(b.Seg_Digit[2], b.Seg_Number[4]);
    b.copy_picture(b.Seg_Digit[2], b.Seg_Number[4]); // same glyph again: no change
    EXPECT_EQ(b.Seg_Digit[2].picture, glyph);
    b.clear_picture(b.Seg_Digit[2]);
    b.clear_picture(b.Seg_Digit[2]);
    EXPECT_EQ(r.events, (std::vector<std::string>{"picture im_panel_digit_2 im_panel_number_4",
                                                  "picture im_panel_digit_2 "}));
}
