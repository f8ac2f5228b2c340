// Pictures handed between the core and Qt: exact both ways, and an image Qt cannot make is
// reported as null instead of being written into.
#include "shell/qt_picture.h"

#include <gtest/gtest.h>

#include <climits>

namespace q50 {
namespace {

TEST(QtPicture, PixelsSurviveTheWayThereAndBackIncludingSoftEdges) {
    Image img(3, 2);
    img.at(0, 0) = argb(0xff, 0x10, 0x20, 0x30);
    img.at(1, 0) = argb(0x80, 0xff, 0x00, 0x7f); // half-transparent: not premultiplied
    img.at(2, 0) = argb(0x00, 0x00, 0x00, 0x00);
    img.at(0, 1) = argb(0x01, 0xfe, 0xfd, 0xfc);
    img.at(2, 1) = argb(0xff, 0xff, 0xff, 0xff);

    const QImage q = qimage_from_picture(img);
    ASSERT_FALSE(q.isNull());
    EXPECT_EQ(q.size(), QSize(3, 2));
    EXPECT_EQ(q.pixel(1, 0), 0x80ff007fu);

    const Picture back = picture_from_qimage(q);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->width, 3);
    EXPECT_EQ(back->height, 2);
    EXPECT_EQ(back->pixels, img.pixels);
}

TEST(QtPicture, AnImageQtCannotMakeGivesANullImageAndNothingIsWritten) {
    // Qt refuses a row longer than it can address; the picture's pixels are never read then
    // (this one has none, so a copy into the refused image would fault under the sanitizers).
    Image huge;
    huge.width = INT_MAX / 2;
    huge.height = 1;
    EXPECT_TRUE(qimage_from_picture(huge).isNull());

    EXPECT_TRUE(qimage_from_picture(Image()).isNull());
    EXPECT_EQ(picture_from_qimage(QImage()), nullptr);
}

} // namespace
} // namespace q50
