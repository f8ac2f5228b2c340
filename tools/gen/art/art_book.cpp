#include "art_book.h"

#include "skin_table.h"

#include <cstdio>
#include <cstdlib>

namespace q50gen {

QImage ArtBook::render(std::string_view name, int scale) const {
    const auto& g = geometry(name);
    return render_area(name, QRect(g.left, g.top, g.width, g.height), scale);
}

QImage ArtBook::render_area(std::string_view name, const QRect& area, int scale) const {
    const auto it = painters_.find(std::string(name));
    if (it == painters_.end()) {
        std::fprintf(stderr, "no painter for %.*s\n", int(name.size()), name.data());
        std::exit(1);
    }
    QImage image(area.width() * scale, area.height() * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (scale != 1) p.scale(scale, scale);
    p.translate(-area.left(), -area.top());
    it->second(p);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

ArtBook full_book() {
    ArtBook book;
    add_people(book);
    add_fire(book);
    add_panel(book);
    add_shell(book);
    return book;
}

} // namespace q50gen
