#include "board/render_ops.h"

#include <gtest/gtest.h>

#include <string>

using namespace q50;

namespace {

struct Panel : ::testing::Test {
    Board b;
    void SetUp() override {
        // Every glyph gets a picture of its own, as the skin gives them.
        for (int g = 0; g <= 9; ++g)
            b.set_picture(b.Seg_Number[g], std::make_shared<const Image>(14, 23, 0xff000000u + g));
    }
    std::string digits() const {
        std::string out;
        for (int k = 1; k <= 4; ++k) {
            const Segment& s = b.Seg_Digit[k];
            out += s.picture ? s.source_name().back() : '_';
        }
        return out;
    }
    int lit_lcd() const {
        int n = 0;
        for (const auto& s : b.segments())
            if (is_lcd_segment(s.name) && s.shown) ++n;
        return n;
    }
};

TEST_F(Panel, EverythingOnLightsTheLcdWithoutPmOrGlyphsAndOffDarkensIt) {
    Vid_Show_All(b, true);
    EXPECT_EQ(digits(), "1200");
    EXPECT_FALSE(b.shown("im_panel_time_pm"));
    for (int g = 0; g <= 9; ++g) EXPECT_FALSE(b.Seg_Number[g].shown);
    EXPECT_TRUE(b.shown("im_game_background"));
    EXPECT_TRUE(b.shown("im_panel_alarm_3"));
    EXPECT_TRUE(b.shown("im_pelko_0_boom_2"));
    EXPECT_TRUE(b.shown("im_partner_left_boom"));
    EXPECT_TRUE(b.shown("im_enemy_boom_2"));
    // All LCD segments but PM and the ten glyph sources.
    EXPECT_EQ(lit_lcd(), 107 - 11);
    // Device pictures are never touched.
    EXPECT_TRUE(b.shown("im_background_front"));
    EXPECT_FALSE(b.shown("im_background_back"));

    Vid_Show_All(b, false);
    EXPECT_EQ(lit_lcd(), 4); // the digit positions stay shown, blank
    for (int k = 1; k <= 4; ++k) EXPECT_TRUE(b.Seg_Digit[k].shown);
    EXPECT_EQ(digits(), "____");
    EXPECT_FALSE(b.shown("im_game_background"));
}

TEST_F(Panel, ScoreShowsThreeDigitsModuloAThousand) {
    const struct {
        std::int32_t v;
        const char* shown;
    } cases[] = {{0, "_000"},    {7, "_007"},    {999, "_999"},       {1000, "_000"},
                 {1234, "_234"}, {2047, "_047"}, {2147483647, "_647"}};
    for (const auto& c : cases) {
        Vid_Show_Panel_Score(b, c.v, true);
        EXPECT_EQ(digits(), c.shown) << c.v;
    }
}

TEST_F(Panel, NegativeScoreFromAnEditedStoreShowsZeros) {
    Vid_Show_Panel_Score(b, -5, true);
    EXPECT_EQ(digits(), "_000");
    Vid_Show_Panel_Score(b, -2147483647 - 1, true);
    EXPECT_EQ(digits(), "_000");
}

TEST_F(Panel, BlankScoreEmptiesPicturesButKeepsShownFlags) {
    Vid_Show_All(b, true);
    Vid_Show_Panel_Score(b, 123, false);
    EXPECT_EQ(digits(), "____");
    for (int k = 1; k <= 4; ++k) EXPECT_TRUE(b.Seg_Digit[k].shown);
    EXPECT_TRUE(b.shown("im_panel_time_colon"));
}

TEST_F(Panel, MissIndicatorFollowsTheCountAndClamps) {
    const struct {
        int count;
        bool caption, m1, m2, m3;
    } cases[] = {{-1, false, false, false, false}, {0, false, false, false, false},
                 {1, true, true, false, false},    {2, true, true, true, false},
                 {3, true, true, true, true},      {7, true, true, true, true}};
    for (const auto& c : cases) {
        Vid_Show_Panel_Miss(b, c.count);
        EXPECT_EQ(b.Seg_Miss[0].shown, c.caption) << c.count;
        EXPECT_EQ(b.Seg_Miss[1].shown, c.m1) << c.count;
        EXPECT_EQ(b.Seg_Miss[2].shown, c.m2) << c.count;
        EXPECT_EQ(b.Seg_Miss[3].shown, c.m3) << c.count;
    }
}

TEST_F(Panel, HeroIsDrawnWithExactlyOnePairOfArms) {
    Vid_Show_Pelko(b, 5, 3, true);
    EXPECT_TRUE(b.shown("im_pelko_5_body"));
    EXPECT_TRUE(b.shown("im_pelko_5_up"));
    EXPECT_TRUE(b.shown("im_pelko_5_bomb"));
    EXPECT_FALSE(b.shown("im_pelko_5_down"));
    Vid_Show_Pelko(b, 5, 2, true);
    EXPECT_TRUE(b.shown("im_pelko_5_down"));
    EXPECT_FALSE(b.shown("im_pelko_5_up"));
    EXPECT_FALSE(b.shown("im_pelko_5_bomb"));
    Vid_Show_Pelko(b, 5, 2, false);
    EXPECT_EQ(lit_lcd(), 0);

    // The extra picture at position 1 and the explosions at 0 are never touched.
    b.show("im_pelko_1_left");
    b.show("im_pelko_0_boom_1");
    Vid_Show_Pelko(b, 1, 3, true);
    Vid_Show_Pelko(b, 1, 3, false);
    Vid_Show_Pelko(b, 0, 2, true);
    EXPECT_TRUE(b.shown("im_pelko_0_head"));
    Vid_Show_Pelko(b, 0, 2, false);
    EXPECT_TRUE(b.shown("im_pelko_1_left"));
    EXPECT_TRUE(b.shown("im_pelko_0_boom_1"));
}

TEST_F(Panel, FlameFramesFollowTheStepTable) {
    constexpr SegmentId f1 = "im_enemy_2_flame_1";
    constexpr SegmentId f2 = "im_enemy_2_flame_2";
    constexpr SegmentId f3 = "im_enemy_2_flame_3";
    constexpr SegmentId f4 = "im_enemy_2_flame_4";
    auto frame = [&] {
        if (b.shown(f3) && b.shown(f4) && !b.shown(f1) && !b.shown(f2)) return 3;
        if (b.shown(f2) && !b.shown(f1) && !b.shown(f3) && !b.shown(f4)) return 2;
        if (b.shown(f1) && !b.shown(f2) && !b.shown(f3) && !b.shown(f4)) return 1;
        if (!b.shown(f1) && !b.shown(f2) && !b.shown(f3) && !b.shown(f4)) return 0;
        return -1;
    };
    const int expected[12] = {0, 0, 0, 0, 0, 0, 1, 2, 3, 3, 2, 1};
    for (int step = 0; step <= 11; ++step) {
        Vid_Show_Enemy_Flame_Frame(b, 2, step);
        EXPECT_EQ(frame(), expected[step]) << step;
    }
    // Outside 0..11 nothing changes.
    Vid_Show_Enemy_Flame_Frame(b, 2, 8);
    Vid_Show_Enemy_Flame_Frame(b, 2, 12);
    Vid_Show_Enemy_Flame_Frame(b, 2, -1);
    EXPECT_EQ(frame(), 3);
    Vid_Show_Enemy_Flame(b, 2, 4, false);
    EXPECT_EQ(frame(), 3);
    EXPECT_FALSE(b.shown("im_enemy_1_flame_3"));
}

TEST_F(Panel, OverlayButtonsFollowTheSetting) {
    Vid_Display_Ctrl_Overlay(b, true);
    EXPECT_TRUE(b.shown("btn_ctrlr_overlay_left"));
    EXPECT_TRUE(b.shown("btn_ctrlr_overlay_right"));
    Vid_Display_Ctrl_Overlay(b, false);
    EXPECT_FALSE(b.shown("btn_ctrlr_overlay_left"));
    EXPECT_FALSE(b.shown("btn_ctrlr_overlay_right"));
}

} // namespace
