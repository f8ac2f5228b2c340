// The painter of the delivered pictures: that every piece fits its segment, that glyphs and
// captions come out whole, and that the picture files hold exactly what was painted.
#include "art_book.h"
#include "fonts.h"
#include "image_files.h"
#include "lcd_ink.h"
#include "manual_text.h"
#include "outputs.h"
#include "skin_table.h"

#include "display/skin_loader.h"

#include <QGuiApplication>
#include <QPainter>

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>

namespace {

using namespace q50gen;
namespace fs = std::filesystem;

// One application for the whole run, never destroyed: tearing Qt down from a static
// destructor at exit races its own thread storage.
QGuiApplication& app() {
    static int argc = 1;
    static char name[] = "art_test";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication* instance = new QGuiApplication(argc, argv);
    static const bool fonts = load_fonts();
    EXPECT_TRUE(fonts);
    return *instance;
}

bool is_lcd(std::string_view n) {
    for (std::string_view p : {"im_pelko_", "im_enemy_", "im_flame_", "im_partner_", "im_panel_"})
        if (n.substr(0, p.size()) == p) return true;
    return false;
}

long inked(const QImage& img, const QRect& inside, bool want_inside) {
    long n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) >= 128 && inside.contains(x, y) == want_inside) ++n;
    return n;
}

// A piece drawn outside its rectangle is cut off on the device: it would show truncated.
TEST(Art, EveryDisplayPieceFitsItsSegment) {
    app();
    const ArtBook book = full_book();
    constexpr int kMargin = 14;
    for (std::string_view name : q50::skin_image_names()) {
        if (name.empty()) continue;
        if (!is_lcd(name) || name.substr(0, 15) == "im_panel_digit_") continue;
        SCOPED_TRACE(std::string(name));
        const auto& g = geometry(name);
        const QImage wide =
            book.render_area(name, QRect(g.left - kMargin, g.top - kMargin, g.width + 2 * kMargin,
                                         g.height + 2 * kMargin));
        const QRect own(kMargin, kMargin, g.width, g.height);
        const long in = inked(wide, own, true), out = inked(wide, own, false);
        EXPECT_GT(in, 8);
        EXPECT_LE(out * 100, in * 12) << out << " of " << in + out << " ink pixels fall outside";
    }
}

QImage glyph(int d) {
    QImage img(14, 23, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    seven_segment(p, 0, 0, 14, 23, d);
    return img;
}

TEST(Art, SevenSegmentDigitsAreDistinctAndMadeOfTheEightsSegments) {
    app();
    const QImage eight = glyph(8);
    std::set<std::vector<int>> seen;
    for (int d = 0; d <= 9; ++d) {
        SCOPED_TRACE(d);
        const QImage g = glyph(d);
        std::vector<int> lit;
        for (int y = 0; y < 23; ++y)
            for (int x = 0; x < 14; ++x)
                if (qAlpha(g.pixel(x, y)) >= 128) {
                    lit.push_back(y * 14 + x);
                    EXPECT_GT(qAlpha(eight.pixel(x, y)), 0) << "ink outside the eight's segments";
                }
        EXPECT_GT(lit.size(), 12u);
        seen.insert(lit);
    }
    EXPECT_EQ(seen.size(), 10u);
}

// Every letter the panel prints must exist in the dot font; a missing one would leave a gap.
TEST(Art, CaptionLettersAllExistInTheDotFont) {
    app();
    for (const char* text : {"GAME A", "GAME B", "MISS", "AM", "PM"}) {
        SCOPED_TRACE(text);
        const std::string s = text;
        QImage img(int(dot_text_width(s)) + 1, 7, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        QPainter p(&img);
        dot_text(p, 0, 0, s);
        p.end();
        for (std::size_t i = 0; i < s.size(); ++i) {
            const long dots = inked(img, QRect(int(i) * 6, 0, 5, 7), true);
            if (s[i] == ' ')
                EXPECT_EQ(dots, 0);
            else
                EXPECT_GE(dots, 9) << "letter " << s[i];
        }
    }
}

fs::path temp_file(const char* name) {
    return fs::temp_directory_path() / name;
}

std::vector<std::uint8_t> bytes_of(const fs::path& f) {
    std::ifstream in(f, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(ImageFiles, PngKeepsStraightAlphaAndIsTheSameEveryTime) {
    app();
    QImage img(3, 1, QImage::Format_ARGB32);
    img.setPixel(0, 0, qRgba(200, 10, 10, 0)); // invisible colour: written as clear black
    img.setPixel(1, 0, qRgba(200, 100, 50, 128));
    img.setPixel(2, 0, qRgba(1, 2, 3, 255));
    const fs::path a = temp_file("q50_art_test_a.png"), b = temp_file("q50_art_test_b.png");
    write_png(img, a.string());
    write_png(img, b.string());
    EXPECT_EQ(bytes_of(a), bytes_of(b));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, a.c_str()));
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> px(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, px.data(), 0, nullptr));
    png_image_free(&image);
    EXPECT_EQ(px, (std::vector<std::uint8_t>{0, 0, 0, 0, 200, 100, 50, 128, 1, 2, 3, 255}));
    fs::remove(a);
    fs::remove(b);
}

// A drawing is premultiplied; its soft edges must come out the same on every machine, so each
// straight value is the exact rounding of colour * 255 / alpha, for every alpha and colour.
TEST(ImageFiles, PremultipliedColoursAreStraightenedWithExactRounding) {
    app();
    QImage img(256, 255, QImage::Format_ARGB32_Premultiplied);
    for (int a = 1; a <= 255; ++a)
        for (int c = 0; c <= 255; ++c) {
            const int v = std::min(c, a); // a premultiplied colour never exceeds its alpha
            img.setPixel(c, a - 1, qRgba(v, v / 2, 0, a));
        }
    const fs::path file = temp_file("q50_art_test_premultiplied.png");
    write_png(img, file.string());
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, file.c_str()));
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> px(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, px.data(), 0, nullptr));
    png_image_free(&image);
    fs::remove(file);
    int wrong = 0;
    for (int a = 1; a <= 255; ++a)
        for (int c = 0; c <= 255; ++c) {
            const int v = std::min(c, a);
            const std::uint8_t* p = &px[(std::size_t(a - 1) * 256 + std::size_t(c)) * 4];
            const auto exact = [a](int x) { return (x * 255 + a / 2) / a; };
            if (p[0] != exact(v) || p[1] != exact(v / 2) || p[2] != 0 || p[3] != a) ++wrong;
        }
    EXPECT_EQ(wrong, 0);
}

TEST(ImageFiles, BmpRowsRunBottomUpInBlueGreenRedWithPadding) {
    app();
    QImage img(2, 2, QImage::Format_RGB32);
    img.setPixel(0, 0, qRgb(10, 20, 30));
    img.setPixel(1, 0, qRgb(40, 50, 60));
    img.setPixel(0, 1, qRgb(70, 80, 90));
    img.setPixel(1, 1, qRgb(100, 110, 120));
    const fs::path f = temp_file("q50_art_test.bmp");
    write_bmp(img, f.string());
    const auto b = bytes_of(f);
    fs::remove(f);
    ASSERT_EQ(b.size(), 54u + 2 * 8); // rows of 6 bytes padded to 8
    EXPECT_EQ(b[28], 24);
    const std::vector<std::uint8_t> pixels(b.begin() + 54, b.end());
    EXPECT_EQ(pixels, (std::vector<std::uint8_t>{90, 80, 70, 120, 110, 100, 0, 0, //
                                                 30, 20, 10, 60, 50, 40, 0, 0}));
}

TEST(ImageFiles, KeyColourIsMovedOffAndEdgesAreHardened) {
    app();
    QImage img(4, 1, QImage::Format_ARGB32);
    img.setPixel(0, 0, qRgba(255, 0, 255, 255)); // the key itself
    img.setPixel(1, 0, qRgba(255, 0, 255, 100)); // key colour, half covered
    img.setPixel(2, 0, qRgba(255, 0, 254, 255)); // near the key: untouched
    img.setPixel(3, 0, qRgba(255, 0, 255, 0));   // invisible: untouched
    EXPECT_EQ(avoid_key_colour(img, 0xffff00ff), 2);
    EXPECT_EQ(img.pixel(0, 0), qRgba(255, 0, 254, 255));
    EXPECT_EQ(qBlue(img.pixel(1, 0)), 254);
    EXPECT_EQ(img.pixel(2, 0), qRgba(255, 0, 254, 255));
    harden_alpha(img);
    EXPECT_EQ(qAlpha(img.pixel(0, 0)), 255);
    EXPECT_EQ(img.pixel(1, 0), 0u) << "below half covered becomes clear";
    EXPECT_EQ(qAlpha(img.pixel(2, 0)), 255);
}

TEST(ManualText, PagesCollectHeadingsItemsAndJoinedParagraphs) {
    std::istringstream in("# comment\n"
                          "= First\n"
                          "@picture closed\n"
                          "one\n"
                          "two\n"
                          "\n"
                          "! Head\n"
                          "- item a\n"
                          "- item b\n"
                          "after\n"
                          "= Second\r\n"
                          "text\r\n");
    const auto pages = parse_manual(in, 2);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].title, "First");
    EXPECT_EQ(pages[0].picture, "closed");
    ASSERT_EQ(pages[0].blocks.size(), 5u);
    EXPECT_EQ(pages[0].blocks[0].text, "one two");
    EXPECT_EQ(pages[0].blocks[1].kind, ManualBlock::Heading);
    EXPECT_EQ(pages[0].blocks[2].kind, ManualBlock::Item);
    EXPECT_EQ(pages[0].blocks[3].text, "item b");
    EXPECT_EQ(pages[0].blocks[4].text, "after") << "a line after a list starts a paragraph";
    EXPECT_EQ(pages[1].title, "Second");
    EXPECT_EQ(pages[1].blocks.at(0).text, "text");

    std::istringstream stray("loose text\n= Page\n");
    EXPECT_THROW(parse_manual(stray, 1), std::runtime_error);
    std::istringstream short_manual("= Only one\n");
    EXPECT_THROW(parse_manual(short_manual, 16), std::runtime_error);
}

TEST(ManualText, TheDeliveredSourceHasSixteenPages) {
    std::ifstream in(fs::path(Q50_SOURCE_DIR) / "tools" / "gen" / "art" / "manual.txt");
    ASSERT_TRUE(in);
    EXPECT_EQ(parse_manual(in, 16).size(), 16u);
}

} // namespace

namespace {

// The installed icons: every size the desktop asks for, all one drawing, and the scalable
// file that drawing as SVG.
TEST(Icons, EverySizeIsTheSameDrawingAndTheSvgIsScalable) {
    app();
    const fs::path dir = fs::temp_directory_path() / "q50-icons-test";
    fs::remove_all(dir);
    q50gen::write_icons(dir);
    QImage big;
    ASSERT_TRUE(big.load(QString::fromStdString((dir / "quendrix50-512.png").string())));
    for (int size : {16, 32, 48, 64, 128, 256, 512}) {
        QImage img;
        ASSERT_TRUE(img.load(QString::fromStdString(
            (dir / ("quendrix50-" + std::to_string(size) + ".png")).string())))
            << size;
        EXPECT_EQ(img.size(), QSize(size, size));
        // Transparent corners around an opaque tile.
        EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0) << size;
        EXPECT_EQ(qAlpha(img.pixel(size / 2, size / 2)), 255) << size;
        // Close to the large one scaled down: the same picture at every size.
        const QImage scaled =
            big.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        long diff = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                diff += std::abs(qGray(img.pixel(x, y)) - qGray(scaled.pixel(x, y)));
        EXPECT_LT(diff / (size * size), 24) << size;
    }
    std::ifstream svg(dir / "quendrix50.svg");
    const std::string text((std::istreambuf_iterator<char>(svg)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("viewBox=\"0 0 256 256\""), std::string::npos);
    EXPECT_NE(text.find("<path"), std::string::npos);
    fs::remove_all(dir);
}

// The delivered pages at twice the size are the delivered pages, only sharper: a page left
// behind when the text changed would show another page above 1x.
TEST(Art, DeliveredManualPagesAtTwiceTheSizeMatchTheirDesignPages) {
    app();
    const fs::path data = fs::path(Q50_SOURCE_DIR) / "data" / "Graphics";
    auto mean_difference = [](const QImage& a, const QImage& b) {
        long diff = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                diff += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
        return double(diff) / (a.width() * a.height());
    };
    std::vector<QImage> design(17), halved(17);
    for (int n = 1; n <= 16; ++n) {
        SCOPED_TRACE(n);
        QImage large;
        ASSERT_TRUE(design[std::size_t(n)].load(
            QString::fromStdString((data / "Manual" / (std::to_string(n) + ".bmp")).string())));
        ASSERT_TRUE(large.load(
            QString::fromStdString((data / "Manual@2x" / (std::to_string(n) + ".png")).string())));
        ASSERT_EQ(large.size(), design[std::size_t(n)].size() * 2);
        halved[std::size_t(n)] = large.scaled(design[std::size_t(n)].size(), Qt::IgnoreAspectRatio,
                                              Qt::SmoothTransformation);
    }
    for (int n = 1; n <= 16; ++n) {
        const double own = mean_difference(halved[std::size_t(n)], design[std::size_t(n)]);
        EXPECT_LT(own, 3.0) << n;
        // Next to any other page it is far off: the test tells pages apart.
        const int other = n % 16 + 1;
        EXPECT_GT(mean_difference(halved[std::size_t(n)], design[std::size_t(other)]), 3 * own)
            << n;
    }
}

} // namespace
