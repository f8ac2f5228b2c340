#include "shell/window_scale.h"

#include "shell/window_look.h"
#include "side_windows_support.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>

namespace q50 {
namespace {

struct WindowScale : ::testing::Test, testing::WithQtApp {};

// A side window at twice its design size and back: every place, size and font doubled, and
// undone exactly, however often; a label's picture at twice its pixels.
TEST_F(WindowScale, EveryChildTakesTheFactorAndTheDesignComesBackExactly) {
    QWidget w;
    w.setFixedSize(397, 176);
    auto* caption = new QLabel(QStringLiteral("Name:"), &w);
    caption->setFont(arial(13));
    caption->setGeometry(132, 8, 60, 15);
    auto* panel = new QWidget(&w);
    panel->setGeometry(10, 100, 200, 50);
    auto* inner = new QLabel(panel);
    QPixmap picture(4, 3);
    picture.fill(Qt::red);
    inner->setPixmap(picture);
    inner->setGeometry(5, 6, 4, 3);
    auto* list = new QComboBox(&w);
    list->setGeometry(217, 30, 144, 21);
    // A font of the window's that the children take by inheritance.
    w.setFont(arial(12));
    auto* inherits = new QLabel(QStringLiteral("- ACCEPT -"), &w);
    inherits->setGeometry(183, 162, 82, 25);

    EXPECT_TRUE(scale_side_window(w, 2));
    EXPECT_EQ(w.size(), QSize(794, 352));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_EQ(caption->geometry(), QRect(264, 16, 120, 30));
    EXPECT_EQ(caption->font().pixelSize(), 26);
    EXPECT_EQ(panel->geometry(), QRect(20, 200, 400, 100));
    EXPECT_EQ(inner->geometry(), QRect(10, 12, 8, 6));
    EXPECT_EQ(inner->pixmap().size(), QSize(8, 6));
    EXPECT_EQ(list->geometry(), QRect(434, 60, 288, 42));
    EXPECT_EQ(inherits->font().pixelSize(), 24) << "scaled once, not once for each parent";
    EXPECT_EQ(w.font().pixelSize(), 24);
    EXPECT_FALSE(scale_side_window(w, 2)) << "the same factor changes nothing";

    EXPECT_TRUE(scale_side_window(w, 3));
    EXPECT_EQ(caption->geometry(), QRect(396, 24, 180, 45));
    EXPECT_TRUE(scale_side_window(w, 1));
    EXPECT_EQ(w.size(), QSize(397, 176));
    EXPECT_EQ(caption->geometry(), QRect(132, 8, 60, 15));
    EXPECT_EQ(caption->font().pixelSize(), 13);
    EXPECT_EQ(inner->pixmap().size(), QSize(4, 3));
    EXPECT_EQ(list->geometry(), QRect(217, 30, 144, 21));
    EXPECT_EQ(inherits->font().pixelSize(), 12);
}

} // namespace
} // namespace q50
