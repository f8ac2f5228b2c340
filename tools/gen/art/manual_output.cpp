// The sixteen manual pages, set from manual.txt with its illustrations taken from the skin.
#include "composite.h"
#include "fonts.h"
#include "image_files.h"
#include "manual_text.h"
#include "outputs.h"
#include "shell_look.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace q50gen {

namespace fs = std::filesystem;
using namespace shell_colour;

namespace {

constexpr int kWidth = 545, kHeight = 365, kPages = 16;

using Block = ManualBlock;
using Page = ManualPage;

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "manual: %s\n", what.c_str());
    std::exit(1);
}

std::vector<Page> read_pages(const fs::path& source) {
    std::ifstream in(source);
    if (!in) fail("cannot read " + source.string());
    try {
        return parse_manual(in, kPages);
    } catch (const std::exception& e) {
        fail(e.what());
    }
}

// Illustrations: the device itself or a part of its display, from the delivered skin. At a
// page scale `k` the same picture from the skin drawn k times larger, so that every page
// drawn larger is the same page, only sharper.
QImage shrunk(const QImage& full, QSize box, int k) {
    const QSize design = (full.size() / k).scaled(box, Qt::KeepAspectRatio);
    return full.scaled(design * k, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage crop(const ArtBook& book, const Scene& scene, const QRect& area, double scale, int k) {
    const QImage full = compose(book, scene, k).copy(QRect(area.topLeft() * k, area.size() * k));
    return shrunk(full, QSize(int(area.width() * scale), int(area.height() * scale)), k);
}

Scene base_play() {
    Scene s;
    s.lit = {"im_game_background", "im_partner_left_fort", "im_partner_left_1",
             "im_partner_right_1", "im_partner_right_3",   "im_flame_10",
             "im_flame_9",         "im_panel_game_a"};
    for (int n = 1; n <= 5; ++n) s.lit.insert("im_enemy_" + std::to_string(n) + "_up");
    s.digits = {{"im_panel_digit_2", 0}, {"im_panel_digit_3", 4}, {"im_panel_digit_4", 2}};
    return s;
}

QImage illustration(const ArtBook& book, const std::string& name, int k) {
    if (name == "closed") {
        Scene s;
        s.closed = true;
        return shrunk(compose(book, s, k), QSize(176, 272), k);
    }
    if (name == "open") return shrunk(compose(book, everything_lit(), k), QSize(176, 272), k);
    if (name == "hold") {
        Scene low = base_play();
        low.lit.insert(
            {"im_pelko_2_body", "im_pelko_2_down", "im_enemy_2_flame_3", "im_enemy_2_flame_4"});
        Scene high = base_play();
        high.lit.insert({"im_pelko_2_body", "im_pelko_2_up", "im_flame_2"});
        const QRect area(166, 172, 78, 118);
        QImage both(196 * k, 240 * k, QImage::Format_ARGB32_Premultiplied);
        both.fill(Qt::transparent);
        QPainter p(&both);
        p.drawImage(QPointF(0, 0), crop(book, low, area, 1.2, k));
        p.drawImage(QPointF(102 * k, 0), crop(book, high, area, 1.2, k));
        p.scale(k, k);
        const QFont f = sans(11, true);
        print_text(p, QRectF(0, 146, 94, 16), "low: safe", f, kPrint);
        print_text(p, QRectF(0, 161, 94, 16), "from the fire", f, kPrint);
        print_text(p, QRectF(102, 146, 94, 16), "high: safe", f, kPrint);
        print_text(p, QRectF(102, 161, 94, 16), "from the floor", f, kPrint);
        print_text(p, QRectF(0, 190, 196, 16), "the wrong hold", f, kCrimson);
        print_text(p, QRectF(0, 205, 196, 16), "means a miss", f, kCrimson);
        p.end();
        return both.convertToFormat(QImage::Format_ARGB32);
    }
    if (name == "handover") {
        Scene s = base_play();
        s.lit.erase("im_partner_right_3");
        s.lit.insert({"im_pelko_5_body", "im_pelko_5_up", "im_pelko_5_bomb", "im_partner_right_2"});
        return crop(book, s, QRect(300, 140, 126, 150), 1.45, k);
    }
    if (name == "blast") {
        Scene s = base_play();
        s.lit.insert({"im_enemy_boom_1", "im_enemy_boom_2", "im_pelko_5_body", "im_pelko_5_up"});
        return crop(book, s, QRect(120, 104, 300, 190), 0.62, k);
    }
    if (name == "miss") {
        Scene s = base_play();
        s.lit.insert({"im_pelko_0_body", "im_pelko_0_boom_1", "im_pelko_0_boom_2",
                      "im_panel_miss_0", "im_panel_miss_1"});
        for (int n = 1; n <= 5; ++n) {
            s.lit.erase("im_enemy_" + std::to_string(n) + "_up");
            s.lit.insert("im_enemy_" + std::to_string(n) + "_down");
        }
        return crop(book, s, QRect(68, 104, 190, 190), 0.98, k);
    }
    if (name == "chance") {
        Scene s = base_play();
        s.lit.insert({"im_panel_miss_0", "im_panel_miss_1", "im_panel_miss_2"});
        s.digits = {{"im_panel_digit_2", 3}, {"im_panel_digit_3", 0}, {"im_panel_digit_4", 0}};
        return crop(book, s, QRect(68, 104, 360, 120), 0.52, k);
    }
    if (name == "clock") {
        Scene s;
        s.lit = {"im_game_background", "im_partner_left_fort", "im_panel_time_colon",
                 "im_panel_time_pm"};
        s.digits = {{"im_panel_digit_1", 1},
                    {"im_panel_digit_2", 0},
                    {"im_panel_digit_3", 0},
                    {"im_panel_digit_4", 8}};
        return crop(book, s, QRect(300, 104, 128, 80), 1.45, k);
    }
    fail("unknown picture " + name);
}

// The page at `k` pixels per design pixel: the same layout, its text and lines drawn k times
// larger.
QImage render(const ArtBook& book, const Page& page, int number, int k) {
    QImage image(kWidth * k, kHeight * k, QImage::Format_RGB32);
    image.fill(QColor(251, 250, 246));
    QPainter p(&image);
    p.scale(k, k);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    // Header band; the close button sits at its right end.
    p.fillRect(QRectF(0, 0, kWidth, 30), kCrimson);
    p.fillRect(QRectF(0, 30, kWidth, 2), kGold);
    print_text(p, QRectF(14, 0, kWidth - 60, 30), page.title, sans(16, true), Qt::white,
               Qt::AlignLeft | Qt::AlignVCenter);
    double text_right = kWidth - 18;
    if (!page.picture.empty()) {
        const QImage pic = illustration(book, page.picture, k);
        const double x = kWidth - 16 - pic.width() / k;
        const double y = 42 + std::max(0.0, (292.0 - pic.height() / k) / 2.0);
        // Its pixels as they are, not resampled by the page's scale.
        p.save();
        p.resetTransform();
        p.drawImage(QPointF(x * k, y * k), pic);
        p.restore();
        text_right = x - 14;
    }
    const QFont body = sans(12), bold = sans(12, true);
    const QRectF area(18, 42, text_right - 18, 300);
    double y = area.top();
    Block::Kind previous = Block::Paragraph;
    for (const Block& b : page.blocks) {
        if (previous == Block::Item && b.kind != Block::Item) y += 6;
        previous = b.kind;
        const QFont& f = b.kind == Block::Heading ? bold : body;
        const double indent = b.kind == Block::Item ? 14 : 0;
        const QRectF room(area.left() + indent, y, area.width() - indent, 1000);
        QFontMetricsF metrics(f);
        const QRectF used = metrics.boundingRect(room, Qt::TextWordWrap, b.text);
        if (b.kind == Block::Item)
            print_text(p, QRectF(area.left() + 2, y, 12, metrics.height()), "\u2022", body,
                       kCrimson, Qt::AlignLeft | Qt::AlignTop);
        print_text(p, room, b.text, f, b.kind == Block::Heading ? kCrimson : QColor(34, 34, 38),
                   Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop);
        y += used.height() + (b.kind == Block::Item ? 2 : 7);
    }
    if (y > area.bottom() + 7)
        fail("page " + std::to_string(number) + " runs over by " +
             std::to_string(int(y - area.bottom())) + " pixels");
    p.fillRect(QRectF(0, kHeight - 22, kWidth, 1), QColor(214, 168, 70));
    print_text(p, QRectF(0, kHeight - 20, kWidth, 18),
               QString("Quendrix 50 manual  \u00b7  page %1 of %2").arg(number).arg(kPages),
               sans(10), QColor(110, 110, 110));
    p.end();
    return image;
}

} // namespace

void write_manual(const ArtBook& book, const fs::path& source, const fs::path& folder,
                  const fs::path& folder2x) {
    fs::create_directories(folder);
    fs::create_directories(folder2x);
    const auto pages = read_pages(source);
    for (int n = 1; n <= kPages; ++n) {
        const Page& page = pages[std::size_t(n - 1)];
        write_bmp(render(book, page, n, 1), (folder / (std::to_string(n) + ".bmp")).string());
        write_png(render(book, page, n, 2), (folder2x / (std::to_string(n) + ".png")).string());
    }
}

} // namespace q50gen
