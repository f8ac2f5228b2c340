#include "shell/manual_window.h"

#include "display/frame_scaler.h"
#include "display/scale.h"
#include "side_windows_support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QScreen>
#include <QTemporaryDir>

#include <cstdint>
#include <fstream>
#include <vector>

namespace q50 {
namespace {

namespace fs = std::filesystem;
using testing::send_mouse;

// A 24-bit bottom-up Windows bitmap of one colour, or with `pattern` (when given) every pixel
// its own.
void write_bmp(const fs::path& path, int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b,
               bool pattern = false) {
    const int row = (w * 3 + 3) / 4 * 4;
    const std::uint32_t data = std::uint32_t(row * h);
    std::vector<std::uint8_t> f(54 + data, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) f[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
    };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, std::uint32_t(f.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, std::uint32_t(w));
    put32(22, std::uint32_t(h));
    f[26] = 1;
    f[28] = 24;
    put32(34, data);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::size_t at = 54 + std::size_t(y * row + x * 3);
            f[at] = pattern ? std::uint8_t(x * 37 + y * 11) : b;
            f[at + 1] = pattern ? std::uint8_t(x * y + 5) : g;
            f[at + 2] = pattern ? std::uint8_t(y * 29 ^ x) : r;
        }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(f.data()), std::streamsize(f.size()));
}

class ManualWindowTest : public ::testing::Test, testing::WithQtApp {
  protected:
    ManualWindowTest() : root(tmp.path().toStdString()) {
        fs::create_directories(root / "pages");
        settings.dir = root / "pages/";
        for (int n = 1; n <= 16; ++n)
            write_bmp(settings.dir / (std::to_string(n) + ".bmp"), 40 + n, 30, 0, 0, 200);
    }
    std::unique_ptr<ManualWindow> make() {
        return std::make_unique<ManualWindow>(
            settings, [this](const QString& t) { errors.push_back(t.toStdString()); });
    }
    void key(ManualWindow& m, QEvent::Type type, int k, bool repeat = false) {
        QKeyEvent e(type, k, Qt::NoModifier, QString(), repeat);
        QCoreApplication::sendEvent(&m, &e);
    }
    void tap(ManualWindow& m, int k) {
        key(m, QEvent::KeyPress, k);
        key(m, QEvent::KeyRelease, k);
    }
    // The page on view, by the picture im_page_top shows.
    int page_on_view(ManualWindow& m) {
        const qint64 shown = m.im_page_top->pixmap().cacheKey();
        for (int n = 1; n <= 16; ++n)
            if (m.Manual_Page_Image[std::size_t(n)].cacheKey() == shown) return n;
        return 0;
    }
    static bool visible(QWidget* w) { return w->isVisibleTo(w->parentWidget()); }

    QTemporaryDir tmp;
    fs::path root;
    ManualSettings settings;
    std::vector<std::string> errors;
};

TEST_F(ManualWindowTest, SettingsComeFromTheManualSectionOrTheirDefaults) {
    const ManualSettings none = read_manual_settings(root / "nowhere", root);
    EXPECT_EQ(none.width, 545);
    EXPECT_EQ(none.height, 365);
    EXPECT_EQ(none.dir, root / "Graphics/Manual/");

    std::ofstream(root / "Config.ini") << "[manual]\r\nmanualdir=Book\\Pages\r\n"
                                       << "ManualWidth=$200\r\nManualHeight=tall\r\n";
    const ManualSettings s = read_manual_settings(root, root);
    EXPECT_EQ(s.dir, root / "Book/Pages/");
    EXPECT_EQ(s.width, 512);
    EXPECT_EQ(s.height, 365);
    EXPECT_TRUE(s.dir2x.empty()); // no pages at twice the size unless named
    EXPECT_TRUE(none.dir2x.empty());

    std::ofstream(root / "Config.ini") << "[Manual]\nManualDir2x=Book\\Large\n";
    EXPECT_EQ(read_manual_settings(root, root).dir2x, root / "Book/Large/");
}

TEST_F(ManualWindowTest, WindowIsBorderlessOnTopAndSizedFromTheSettings) {
    settings.width = 300;
    settings.height = 200;
    auto m = make();
    EXPECT_EQ(m->windowTitle(), "Manual");
    EXPECT_TRUE(m->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(m->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(m->size(), QSize(300, 200));
    EXPECT_EQ(m->im_page_top->geometry(), QRect(0, 0, 300, 200));
    EXPECT_EQ(m->sh_page_top->geometry(), QRect(0, 0, 300, 200));
    // 16 by 14, four pixels from their edges.
    EXPECT_EQ(m->btn_right_up->geometry(), QRect(280, 182, 16, 14));
    EXPECT_EQ(m->btn_right_down->geometry(), QRect(280, 182, 16, 14));
    EXPECT_EQ(m->btn_left_up->geometry(), QRect(4, 182, 16, 14));
    EXPECT_EQ(m->btn_close_up->geometry(), QRect(280, 4, 16, 14));
    EXPECT_EQ(m->btn_close_down->geometry(), QRect(280, 4, 16, 14));
    EXPECT_TRUE(errors.empty());
}

TEST_F(ManualWindowTest, MissingPageGetsThePlaceholderBrokenPageStopsTheLoad) {
    fs::remove(settings.dir / "3.bmp");
    std::ofstream(settings.dir / "5.bmp") << "not a bitmap at all";
    auto m = make();
    // Nothing is read before the window opens.
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(m->Manual_Page_Image[1].isNull());
    m->open();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_FALSE(errors[0].empty());
    EXPECT_EQ(m->Manual_Page_Image[1].size(), QSize(41, 30));
    EXPECT_EQ(m->Manual_Page_Image[4].size(), QSize(44, 30));
    const QImage placeholder = m->Manual_Page_Image[3].toImage();
    ASSERT_EQ(placeholder.size(), QSize(10, 10));
    EXPECT_EQ(placeholder.pixelColor(5, 5), QColor(255, 0, 0));
    EXPECT_EQ(placeholder.pixelColor(0, 0), QColor(0, 0, 0));
    for (int n = 5; n <= 16; ++n) EXPECT_TRUE(m->Manual_Page_Image[std::size_t(n)].isNull()) << n;
}

TEST_F(ManualWindowTest, PagesAreReadOnOpeningAndLetGoOnClosing) {
    auto m = make();
    EXPECT_FALSE(m->pages_loaded());
    m->open();
    ASSERT_TRUE(m->pages_loaded());
    tap(*m, Qt::Key_Right);
    EXPECT_EQ(page_on_view(*m), 2);
    tap(*m, Qt::Key_Escape);
    EXPECT_FALSE(m->isVisible());
    EXPECT_FALSE(m->pages_loaded());
    for (int n = 1; n <= 16; ++n) EXPECT_TRUE(m->Manual_Page_Image[std::size_t(n)].isNull()) << n;
    EXPECT_TRUE(m->im_page_top->pixmap().isNull());
    // A page changed while the manual was closed shows at the next opening, at the page last seen.
    write_bmp(settings.dir / "2.bmp", 77, 30, 200, 0, 0);
    m->open();
    EXPECT_EQ(page_on_view(*m), 2);
    EXPECT_EQ(m->im_page_top->pixmap().size(), QSize(77, 30));
}

TEST_F(ManualWindowTest, ArrowKeysTurnOnReleaseWithinTheBounds) {
    auto m = make();
    m->open();
    EXPECT_EQ(page_on_view(*m), 1);
    EXPECT_FALSE(visible(m->btn_left_up));
    EXPECT_FALSE(visible(m->btn_left_down));
    tap(*m, Qt::Key_Left);
    EXPECT_EQ(m->Manual_Page, 1);

    key(*m, QEvent::KeyPress, Qt::Key_Right);
    EXPECT_EQ(m->Manual_Page, 1);
    EXPECT_TRUE(m->btn_right_up->pressed()); // the pressed picture shows
    EXPECT_TRUE(visible(m->btn_right_down));
    key(*m, QEvent::KeyRelease, Qt::Key_Right);
    EXPECT_EQ(m->Manual_Page, 2);
    EXPECT_EQ(page_on_view(*m), 2);
    for (QWidget* b :
         {static_cast<QWidget*>(m->btn_left_up), static_cast<QWidget*>(m->btn_left_down),
          static_cast<QWidget*>(m->btn_right_up), static_cast<QWidget*>(m->btn_right_down)})
        EXPECT_TRUE(visible(b));

    tap(*m, Qt::Key_Left);
    EXPECT_EQ(m->Manual_Page, 1);
    EXPECT_FALSE(visible(m->btn_left_up));
    EXPECT_TRUE(visible(m->btn_right_up));

    for (int i = 0; i < 20; ++i) tap(*m, Qt::Key_Right);
    EXPECT_EQ(m->Manual_Page, 16);
    EXPECT_EQ(page_on_view(*m), 16);
    EXPECT_FALSE(visible(m->btn_right_up));
    EXPECT_FALSE(visible(m->btn_right_down));
    EXPECT_TRUE(visible(m->btn_left_up));
}

TEST_F(ManualWindowTest, AHeldArrowTurnsOnePage) {
    auto m = make();
    m->open();
    key(*m, QEvent::KeyPress, Qt::Key_Right);
    for (int i = 0; i < 5; ++i) {
        key(*m, QEvent::KeyRelease, Qt::Key_Right, true);
        key(*m, QEvent::KeyPress, Qt::Key_Right, true);
    }
    EXPECT_EQ(m->Manual_Page, 1);
    key(*m, QEvent::KeyRelease, Qt::Key_Right);
    EXPECT_EQ(m->Manual_Page, 2);
}

TEST_F(ManualWindowTest, ButtonsShowTheirPressedPictureAndActOnTheLeftRelease) {
    auto m = make();
    m->open();
    const QImage released = m->btn_right_up->grab().toImage();
    send_mouse(m->btn_right_up, QEvent::MouseButtonPress, {3, 3});
    // The button stays on view (keeping the pointer's grab) and shows the pressed picture.
    EXPECT_TRUE(visible(m->btn_right_up));
    EXPECT_TRUE(m->btn_right_up->pressed());
    EXPECT_EQ(m->btn_right_up->grab().toImage(), m->btn_right_down->grab().toImage());
    EXPECT_NE(m->btn_right_up->grab().toImage(), released);
    EXPECT_EQ(m->Manual_Page, 1);
    send_mouse(m->btn_right_up, QEvent::MouseButtonRelease, {3, 3});
    EXPECT_EQ(m->Manual_Page, 2);
    EXPECT_TRUE(visible(m->btn_right_up));
    EXPECT_FALSE(m->btn_right_up->pressed());
    EXPECT_EQ(m->btn_right_up->grab().toImage(), released);

    testing::click(m->btn_right_up, {3, 3}, Qt::RightButton);
    testing::click(m->btn_left_up, {3, 3}, Qt::MiddleButton);
    EXPECT_EQ(m->Manual_Page, 2);
    testing::click(m->btn_left_up, {3, 3});
    EXPECT_EQ(m->Manual_Page, 1);

    send_mouse(m->btn_close_up, QEvent::MouseButtonPress, {3, 3});
    EXPECT_TRUE(m->btn_close_up->pressed());
    EXPECT_TRUE(visible(m->btn_close_up));
    EXPECT_TRUE(m->isVisible());
    send_mouse(m->btn_close_up, QEvent::MouseButtonRelease, {3, 3});
    EXPECT_FALSE(m->isVisible());
    EXPECT_TRUE(visible(m->btn_close_up));
    EXPECT_FALSE(m->btn_close_up->pressed());
}

TEST_F(ManualWindowTest, ClosedAtPageSevenReopensAtPageSeven) {
    auto m = make();
    m->open();
    for (int i = 0; i < 6; ++i) tap(*m, Qt::Key_Right);
    tap(*m, Qt::Key_Escape);
    EXPECT_FALSE(m->isVisible());
    m->open();
    EXPECT_EQ(m->Manual_Page, 7);
    EXPECT_EQ(page_on_view(*m), 7);
    EXPECT_TRUE(visible(m->btn_left_up));
    EXPECT_TRUE(visible(m->btn_right_up));
}

TEST_F(ManualWindowTest, ASmallPageLeavesWhiteAroundIt) {
    write_bmp(settings.dir / "1.bmp", 20, 10, 255, 0, 0);
    auto m = make();
    m->open();
    const QImage shot = m->grab().toImage();
    EXPECT_EQ(shot.pixelColor(5, 5), QColor(255, 0, 0));
    EXPECT_EQ(shot.pixelColor(25, 5), QColor(255, 255, 255));
    EXPECT_EQ(shot.pixelColor(5, 15), QColor(255, 255, 255));
}

// The pages follow the device's scale: at a whole total every page pixel is repeated, at a
// device-pixel ratio the window keeps its window-pixel size and the page has the screen's
// pixels, and a scale that would not fit on the screen gives way to one that does.
TEST_F(ManualWindowTest, PagesFollowTheDeviceScaleAndStayOnTheScreen) {
    settings.width = 60;
    settings.height = 40;
    write_bmp(settings.dir / "1.bmp", 60, 40, 0, 0, 0);
    // A pattern of single pixels, which any filter but repetition would blur.
    std::ofstream(settings.dir / "1.bmp", std::ios::binary | std::ios::in | std::ios::out)
        .seekp(54 + 3 * 7)
        .put(char(255));
    auto m = make();
    m->open();
    const QImage design = m->Manual_Page_Image[1].toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(design.size(), QSize(60, 40));
    ASSERT_NE(design.pixel(7, 39), design.pixel(8, 39)); // bottom-up: the last row

    m->set_scale(2, 1);
    EXPECT_EQ(m->size(), QSize(120, 80));
    EXPECT_EQ(m->btn_close_up->geometry(), QRect(120 - 8 - 32, 8, 32, 28));
    QImage shown = m->im_page_top->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(120, 80));
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 120; ++x)
            ASSERT_EQ(shown.pixel(x, y), design.pixel(x / 2, y / 2)) << x << "," << y;

    m->hide();
    m->set_scale(2, 2); // a desktop scale of 2 at 100 %
    m->open();
    EXPECT_EQ(m->size(), QSize(60, 40));
    EXPECT_EQ(m->im_page_top->pixmap().devicePixelRatio(), 2.0);
    EXPECT_EQ(m->im_page_top->pixmap().size(), QSize(120, 80));

    m->set_scale(1, 2); // a device shrunk to fit: the pages keep the desktop's scale
    EXPECT_EQ(m->total_scale(), 2.0);
    EXPECT_EQ(m->size(), QSize(60, 40));

    m->set_scale(1.5, 1);
    EXPECT_EQ(m->size(), QSize(90, 60));
    shown = m->im_page_top->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.pixel(45, 30), design.pixel(30, 20)); // inside a flat area: exact

    const QSize a = m->screen()->availableGeometry().size();
    m->hide();
    m->set_scale(1000, 1);
    const double fit = windowed_fit_scale({60, 40}, {a.width(), a.height()});
    EXPECT_EQ(m->total_scale(), fit);
    EXPECT_LE(m->width(), a.width());
    EXPECT_LE(m->height(), a.height());
    // Hidden, it is centred anew on its screen.
    const QRect g = m->screen()->geometry();
    EXPECT_EQ(m->pos(), QPoint(g.left() + (g.width() - m->width()) / 2,
                               g.top() + (g.height() - m->height()) / 2));
}

// A page larger than the window shows only its top-left part: only that part is brought to the
// scale, with exactly the pixels the whole page scaled has there, whole or fractional.
TEST_F(ManualWindowTest, OnlyWhatTheWindowShowsOfALargePageIsScaled) {
    settings.width = 60;
    settings.height = 40;
    write_bmp(settings.dir / "1.bmp", 230, 170, 0, 0, 0, true);
    auto m = make();
    m->open();
    const QImage design = m->Manual_Page_Image[1].toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(design.size(), QSize(230, 170));
    Image page(230, 170);
    for (int y = 0; y < 170; ++y)
        for (int x = 0; x < 230; ++x) page.at(x, y) = Argb(design.pixel(x, y));
    for (double s : {2.0, 1.5, 2.5}) {
        m->set_scale(s, 1);
        const QImage shown =
            m->im_page_top->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(shown.size(), m->size()) << s; // the window's pixels, not the whole page's
        const Image whole = scale_frame(page, s, scaled_size({230, 170}, s));
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                ASSERT_EQ(Argb(shown.pixel(x, y)), whole.at(x, y)) << s << ": " << x << "," << y;
    }
    EXPECT_TRUE(errors.empty());
}

// A page drawn at twice the size: every pixel its own, unlike any page doubled.
QImage page_2x_picture(int w, int h, int seed) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 7 + seed * 40) & 255, (y * 5 + x) & 255, seed * 30));
    return img;
}

QImage shown_page(ManualWindow& m) {
    return m.im_page_top->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
}

// Above 1x the pages come from their drawings at twice the size, pixel for pixel at 2x,
// scaled from there at other scales; at 1x and without such drawings nothing changes.
TEST_F(ManualWindowTest, AboveOneXThePagesDrawnAtTwiceTheSizeShow) {
    settings.width = 60;
    settings.height = 40;
    settings.dir2x = root / "pages2x/";
    fs::create_directories(settings.dir2x);
    for (int n = 1; n <= 16; ++n) {
        write_bmp(settings.dir / (std::to_string(n) + ".bmp"), 60, 40, 0, 0, 200);
        ASSERT_TRUE(page_2x_picture(120, 80, n)
                        .save(QString::fromStdString(
                            (settings.dir2x / (std::to_string(n) + ".png")).string())));
    }
    PictureBudget budget;
    auto m = std::make_unique<ManualWindow>(
        settings, [this](const QString& t) { errors.push_back(t.toStdString()); }, nullptr,
        &budget);
    m->open();
    const std::int64_t design_pages = budget.used();
    EXPECT_EQ(shown_page(*m).size(), QSize(60, 40)); // 1x: the design page as before
    EXPECT_EQ(shown_page(*m).pixel(10, 10), qRgb(0, 0, 200));

    m->set_scale(2, 1);
    EXPECT_EQ(shown_page(*m), page_2x_picture(120, 80, 1));
    tap(*m, Qt::Key_Right);
    EXPECT_EQ(shown_page(*m), page_2x_picture(120, 80, 2));
    tap(*m, Qt::Key_Right);
    // One page at twice the size is held at a time.
    EXPECT_EQ(budget.used(), design_pages + picture_bytes(120, 80));

    m->set_scale(1.5, 1);
    const QImage drawn = page_2x_picture(120, 80, 3);
    Image larger(120, 80);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 120; ++x) larger.at(x, y) = Argb(drawn.pixel(x, y));
    const Image expected = scale_frame(larger, 0.75, {90, 60});
    const QImage shown = shown_page(*m);
    ASSERT_EQ(shown.size(), QSize(90, 60));
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 90; ++x)
            ASSERT_EQ(Argb(shown.pixel(x, y)) | 0xff000000u, expected.at(x, y)) << x << "," << y;

    m->set_scale(2, 2); // a desktop scale of 2: the same pixels, as many window pixels as at 1x
    EXPECT_EQ(m->im_page_top->pixmap().devicePixelRatio(), 2.0);
    EXPECT_EQ(shown_page(*m), page_2x_picture(120, 80, 3));

    m->set_scale(1, 1);
    EXPECT_EQ(shown_page(*m).pixel(10, 10), qRgb(0, 0, 200));
    EXPECT_EQ(budget.used(), design_pages); // the larger page is let go at 1x
    EXPECT_TRUE(errors.empty());
}

// A drawing at twice the size that is missing, of the wrong size or damaged leaves its page
// shown enlarged from the design page, with no box: the page is there all the same.
TEST_F(ManualWindowTest, APageAtTwiceTheSizeThatCannotBeUsedLeavesTheDesignPageEnlarged) {
    settings.width = 60;
    settings.height = 40;
    settings.dir2x = root / "pages2x/";
    fs::create_directories(settings.dir2x);
    write_bmp(settings.dir / "1.bmp", 60, 40, 0, 0, 0, true);
    write_bmp(settings.dir / "2.bmp", 60, 40, 0, 0, 0, true);
    write_bmp(settings.dir / "3.bmp", 60, 40, 0, 0, 0, true);
    ASSERT_TRUE(page_2x_picture(60, 40, 1).save(
        QString::fromStdString((settings.dir2x / "1.png").string()))); // design size
    std::ofstream(settings.dir2x / "2.png", std::ios::binary) << "\x89PNG\r\n\x1a\nnot a picture";
    // 3.png is missing.
    auto m = make();
    m->open();
    m->set_scale(2, 1);
    for (int n = 1; n <= 3; ++n) {
        const QImage design =
            m->Manual_Page_Image[std::size_t(n)].toImage().convertToFormat(QImage::Format_RGB32);
        const QImage shown = shown_page(*m);
        ASSERT_EQ(shown.size(), QSize(120, 80)) << n;
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 120; ++x)
                ASSERT_EQ(shown.pixel(x, y), design.pixel(x / 2, y / 2)) << n << ": " << x;
        tap(*m, Qt::Key_Right);
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(ManualWindowTest, DraggingTheLeftButtonMovesTheWindowOtherButtonsDoNot) {
    auto m = make();
    m->open();
    m->move(100, 100);
    const QPoint start = m->pos();
    send_mouse(m->sh_page_top, QEvent::MouseButtonPress, {10, 10}, Qt::RightButton);
    send_mouse(m->sh_page_top, QEvent::MouseMove, {50, 40}, Qt::RightButton);
    EXPECT_EQ(m->pos(), start);

    send_mouse(m->sh_page_top, QEvent::MouseButtonPress, {10, 10});
    EXPECT_EQ(m->Manual_Drag_X, 10);
    EXPECT_EQ(m->Manual_Drag_Y, 10);
    send_mouse(m->sh_page_top, QEvent::MouseMove, {30, 25});
    EXPECT_EQ(m->pos(), start + QPoint(20, 15));
    // The pointer is again over the stored spot of the page: no further move.
    send_mouse(m->sh_page_top, QEvent::MouseMove, {10, 10});
    EXPECT_EQ(m->pos(), start + QPoint(20, 15));
}

} // namespace
} // namespace q50
