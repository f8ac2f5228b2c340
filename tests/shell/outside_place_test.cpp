#include "shell/outside_place.h"

#include <gtest/gtest.h>

namespace q50 {
namespace {

// A windowed device of 498x770 on screens with and without room around it: the place never
// covers the device while the screen has room, and always lies on the screen.
TEST(OutsidePlace, BesideTheDeviceWhereTheScreenHasRoomElseInItsCorner) {
    const QSize mark(80, 28);
    const QRect screen(0, 0, 1024, 800);
    const QRect centred(263, 15, 498, 770);
    const QPoint right = outside_place(centred, mark, screen, 0);
    EXPECT_GT(right.x(), centred.right());
    EXPECT_FALSE(QRect(right, mark).intersects(centred));
    // A second window at the same time goes below the first.
    const QPoint second = outside_place(centred, mark, screen, 1);
    EXPECT_FALSE(QRect(second, mark).intersects(QRect(right, mark)));
    EXPECT_FALSE(QRect(second, mark).intersects(centred));
    // Dragged to the right edge: the left side.
    const QRect at_right(1024 - 498, 15, 498, 770);
    const QPoint left = outside_place(at_right, mark, screen, 0);
    EXPECT_LT(left.x() + mark.width(), at_right.left());
    EXPECT_TRUE(screen.contains(QRect(left, mark)));
    // A screen as wide as the device but higher: below it.
    const QRect narrow(0, 0, 498, 900);
    const QRect top(0, 0, 498, 770);
    const QPoint below = outside_place(top, mark, narrow, 0);
    EXPECT_GT(below.y(), top.bottom());
    EXPECT_TRUE(narrow.contains(QRect(below, mark)));
    // Beside the fullscreen device, below the logo in the screen's corner.
    const QRect logo(800, 0, 224, 60);
    const QPoint under = outside_place(centred, mark, screen, 0, logo);
    EXPECT_FALSE(QRect(under, mark).intersects(logo));
    EXPECT_FALSE(QRect(under, mark).intersects(centred));
    // No room anywhere: inside, in the device's bottom right corner.
    const QRect full(0, 0, 498, 770);
    const QPoint inside = outside_place(full, mark, full, 0);
    EXPECT_TRUE(full.contains(QRect(inside, mark)));
    EXPECT_GT(inside.y(), full.center().y());
    EXPECT_GT(inside.x(), full.center().x());
}

TEST(OutsidePlace, TheRoomBesideTheDeviceIsTheWiderSideLessTheGaps) {
    EXPECT_EQ(room_beside(QRect(263, 15, 498, 770), QRect(0, 0, 1024, 800)), 263 - 16);
    EXPECT_EQ(room_beside(QRect(0, 0, 498, 770), QRect(0, 0, 498, 770)), 0);
}

} // namespace
} // namespace q50
