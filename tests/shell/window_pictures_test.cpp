#include "shell/manual_window.h"
#include "shell/window_pictures.h"

#include "side_windows_support.h"

#include <gtest/gtest.h>

#include <QImage>
#include <set>

namespace q50 {
namespace {

TEST(WindowPictureFileTest, TheDoubleSizeDrawingIsTakenAboveARatioOfOneWhenThereIsOne) {
    const std::set<QString> files = {"about_picture.png", "about_picture@2x.png", "app_icon.png"};
    const auto exists = [&](const QString& f) { return files.count(f) > 0; };
    EXPECT_EQ(window_picture_file("about_picture.png", 1.0, exists), "about_picture.png");
    EXPECT_EQ(window_picture_file("about_picture.png", 2.0, exists), "about_picture@2x.png");
    EXPECT_EQ(window_picture_file("about_picture.png", 1.5, exists), "about_picture@2x.png");
    EXPECT_EQ(window_picture_file("app_icon.png", 2.0, exists), "app_icon.png"); // none drawn
}

class WindowPicturesTest : public ::testing::Test, testing::WithQtApp {};

// Every side-window picture built in has a drawing at exactly twice its size, shown at a ratio
// of 2 in the room of the design size: crisp on a desktop scaled by 2, not enlarged.
TEST_F(WindowPicturesTest, BuiltInPicturesHaveDoubleSizeDrawingsShownInTheSameRoom) {
    for (const char* name :
         {"splash_background.png", "splash_box.png", "splash_play.png", "splash_play_disabled.png",
          "splash_readme.png", "about_picture.png", "manual_left_up.png", "manual_left_down.png",
          "manual_right_up.png", "manual_right_down.png", "manual_close_up.png",
          "manual_close_down.png"}) {
        const QPixmap one = window_picture(name);
        const QPixmap two = window_picture(name, 2.0);
        ASSERT_FALSE(one.isNull()) << name;
        ASSERT_FALSE(two.isNull()) << name;
        EXPECT_EQ(one.devicePixelRatio(), 1.0) << name;
        EXPECT_EQ(two.devicePixelRatio(), 2.0) << name;
        EXPECT_EQ(two.size(), one.size() * 2) << name;
        EXPECT_EQ(two.deviceIndependentSize(), one.deviceIndependentSize()) << name;
        // A drawing of its own, not the design size enlarged.
        const QImage enlarged =
            one.toImage().scaled(one.size() * 2).convertToFormat(QImage::Format_ARGB32);
        EXPECT_NE(two.toImage().convertToFormat(QImage::Format_ARGB32), enlarged) << name;
    }
    // The in-game menu's backing is painted with the device, at the device's scale.
    EXPECT_EQ(window_picture("menu_backing.png", 2.0).devicePixelRatio(), 1.0);
    // Read for the board as an image: the same pixels as the pixmap, and none for a name the
    // build does not have.
    const QImage backing = window_image("menu_backing.png");
    ASSERT_FALSE(backing.isNull());
    EXPECT_EQ(backing.convertToFormat(QImage::Format_ARGB32),
              window_picture("menu_backing.png").toImage().convertToFormat(QImage::Format_ARGB32));
    EXPECT_TRUE(window_image("no_such_picture.png").isNull());
}

// The manual's buttons grow with its pages: from a scale above 1 on they show their double-size
// drawings, and back at 1 the design size again.
TEST_F(WindowPicturesTest, ManualButtonsTakeTheDoubleSizeDrawingsAboveScaleOne) {
    ManualSettings settings;
    settings.width = 120;
    settings.height = 80;
    ManualWindow m(settings, nullptr);
    const QPixmap design = window_picture("manual_close_up.png");
    EXPECT_EQ(m.btn_close_up->pixmap().size(), design.size());
    m.set_scale(2, 1);
    EXPECT_EQ(m.btn_close_up->pixmap().size(), design.size() * 2);
    EXPECT_EQ(m.btn_close_down->pixmap().size(), design.size() * 2);
    EXPECT_EQ(m.btn_left_up->pixmap().toImage(),
              window_picture("manual_left_up.png", 2.0).toImage());
    m.set_scale(1, 1);
    EXPECT_EQ(m.btn_close_up->pixmap().size(), design.size());
}

} // namespace
} // namespace q50
