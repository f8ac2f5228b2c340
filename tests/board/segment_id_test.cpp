// The handles the code names controls by and the names skins and trace scripts use must lead to
// the same segment: a handle is an index into the design table, the board is built from it.
#include "board/board.h"
#include "board/board_geometry.h"
#include "board/segment_id.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace q50;

TEST(SegmentId, EveryHandleIndexIsTheBoardPositionOfItsName) {
    Board b;
    ASSERT_EQ(b.segments().size(), kDesignGeometry.size());
    for (std::size_t i = 0; i < b.segments().size(); ++i) {
        const Segment& s = b.segments()[i];
        EXPECT_EQ(design_index(s.name), int(i)) << s.name;
        EXPECT_EQ(b.find(s.name), &s) << s.name;
        EXPECT_EQ(&b.named(s.name), &s) << s.name;
    }
    EXPECT_EQ(design_index("im_no_such_segment"), -1);
    // A segment the board hands out (a hit test, a script's name) has the handle of its place.
    for (const Segment& s : b.segments()) {
        EXPECT_EQ(b.id_of(s).name(), s.name);
        EXPECT_EQ(&b.get(b.id_of(s)), &s) << s.name;
    }
    EXPECT_EQ(b.id_of(b.named("im_flame_10")), SegmentId("im_flame_10"));
    // One of another board has no place on this one.
    const Board other;
    EXPECT_DEATH(b.id_of(other.segments()[3]), "is not on this board");
    EXPECT_EQ(design_index(""), -1);
    // A name that is the start of another still finds only itself.
    EXPECT_NE(design_index("im_flame_1"), design_index("im_flame_10"));
}

TEST(SegmentId, HandlesNameTheSegmentsTheirNamesFind) {
    Board b;
    // The first and last rows of the table and names sharing a start.
    constexpr SegmentId kIds[] = {"im_pelko_0_body", "btn_game_menu_background",
                                  "im_flame_1",      "im_flame_10",
                                  "btn_move_top",    "btn_move_down_left"};
    for (SegmentId id : kIds) {
        EXPECT_EQ(&b.get(id), b.find(id.name())) << id.name();
        EXPECT_EQ(b.get(id).name, id.name());
    }
    static_assert(SegmentId("im_flame_1") != SegmentId("im_flame_10"));
    static_assert(SegmentId("im_backdrop").name() == "im_backdrop");
    static_assert(SegmentId("im_pelko_0_body").index() == 0);
}

TEST(SegmentId, SwitchingByHandleChangesOnlyThatSegmentInTheOrderGiven) {
    struct Recorder : BoardObserver {
        std::vector<std::string> events;
        void shown_changed(const Segment& s) override {
            events.push_back((s.shown ? "on " : "off ") + s.name);
        }
    } seen;
    Board b;
    b.set_observer(&seen);
    b.show("im_flame_10");
    b.show({"im_enemy_3_up", "im_flame_1", "im_enemy_3_up"});
    b.hide({"im_flame_10", "im_enemy_2_up"}); // the second is dark already
    EXPECT_EQ(seen.events, (std::vector<std::string>{"on im_flame_10", "on im_enemy_3_up",
                                                     "on im_flame_1", "off im_flame_10"}));
    EXPECT_TRUE(b.shown("im_flame_1"));
    EXPECT_FALSE(b.shown("im_flame_10"));
    int lit = 0;
    for (const Segment& s : b.segments())
        if (is_lcd_segment(s.name) && s.shown) ++lit;
    EXPECT_EQ(lit, 2);
}
