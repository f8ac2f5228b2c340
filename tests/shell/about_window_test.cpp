#include "shell/about_window.h"

#include "side_windows_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace q50 {
namespace {

using testing::click;
using testing::send_key;

class AboutWindowTest : public ::testing::Test, testing::WithQtApp {
  protected:
    std::vector<QUrl> opened;
    AboutWindow about{[this](const QUrl& u) { opened.push_back(u); }};
};

TEST_F(AboutWindowTest, LayoutColoursAndLinkLook) {
    EXPECT_EQ(about.windowTitle(), "About the author...");
    EXPECT_EQ(about.size(), QSize(397, 176));
    EXPECT_EQ(about.palette().color(QPalette::Window), QColor(8, 41, 82));
    EXPECT_TRUE(about.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(about.im_picture->geometry(), QRect(8, 8, 116, 160));
    for (QLabel* link :
         {static_cast<QLabel*>(about.la_website_2), static_cast<QLabel*>(about.la_email_2)}) {
        EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(255, 255, 0));
        EXPECT_TRUE(link->font().bold());
        EXPECT_TRUE(link->font().underline());
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_EQ(link->x(), 212);
    }
    EXPECT_EQ(about.la_website_2->y(), 128);
    EXPECT_EQ(about.la_email_2->y(), 152);
    // Every text on the window is the program's own: an address only in the reserved domain,
    // which belongs to nobody.
    for (QLabel* l : about.findChildren<QLabel*>())
        if (l->text().contains('@')) {
            EXPECT_TRUE(l->text().endsWith(".invalid")) << l->text().toStdString();
        }
}

TEST_F(AboutWindowTest, TheLicenceShowsOverTheWholeWindowWithoutChangingItsRows) {
    const QString tip = about.toolTip();
    EXPECT_TRUE(tip.contains("GPL-3.0-or-later")) << tip.toStdString();
    EXPECT_TRUE(tip.contains("CC-BY-SA-4.0")) << tip.toStdString();
    // A label with a tip of its own would hide the window's over its place.
    for (QLabel* l : about.findChildren<QLabel*>())
        EXPECT_TRUE(l->toolTip().isEmpty()) << l->text().toStdString();
    EXPECT_EQ(about.findChildren<QLabel*>().size(), 15);
}

TEST_F(AboutWindowTest, EachLinkOpensItsTargetAndClosesTheWindow) {
    about.open();
    click(about.la_website_2);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], AboutWindow::website_url());
    EXPECT_TRUE(opened[0].isLocalFile());
    EXPECT_TRUE(opened[0].toLocalFile().endsWith("/Readme.txt"));
    EXPECT_FALSE(about.isVisible());

    about.open();
    click(about.la_email_2);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], AboutWindow::email_url());
    // The same address as the splash window's, to write to.
    EXPECT_EQ(opened[1].scheme(), "mailto");
    EXPECT_EQ(about.la_email_2->text(), "developers@quendrix50.invalid");
    EXPECT_FALSE(about.isVisible());
}

TEST_F(AboutWindowTest, PressOnALinkReleasedElsewhereOpensNothing) {
    about.open();
    testing::send_mouse(about.la_website_2, QEvent::MouseButtonPress, {2, 2});
    testing::send_mouse(about.la_website_2, QEvent::MouseButtonRelease, {-40, 2});
    click(about.la_email_2, {2, 2}, Qt::RightButton);
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(about.isVisible());
}

TEST_F(AboutWindowTest, EscHidesOtherKeysDoNothingAndReopeningShowsTheSameWindow) {
    about.open();
    send_key(&about, Qt::Key_Return);
    send_key(&about, Qt::Key_A);
    EXPECT_TRUE(about.isVisible());
    send_key(&about, Qt::Key_Escape);
    EXPECT_FALSE(about.isVisible());
    about.open();
    about.open();
    EXPECT_TRUE(about.isVisible());
    EXPECT_EQ(QApplication::topLevelWidgets().count(&about), 1);
}

} // namespace
} // namespace q50
