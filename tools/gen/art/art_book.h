#pragma once
// Every skin picture is painted by one function in device coordinates; the book renders it
// into a picture of exactly its segment's design rectangle (what lies outside is cut off).
#include <QImage>
#include <QPainter>

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace q50gen {

using PaintFn = std::function<void(QPainter&)>;

class ArtBook {
  public:
    void add(std::string name, PaintFn paint) { painters_[std::move(name)] = std::move(paint); }
    bool has(std::string_view name) const { return painters_.count(std::string(name)) != 0; }
    // The picture of one segment, straight (non-premultiplied) ARGB; at a whole `scale` the
    // same drawing at that many pixels per design pixel.
    QImage render(std::string_view name, int scale = 1) const;
    // What the segment's painter draws inside `area` (device coordinates), also outside the
    // segment's own rectangle: for checking that a drawing fits its segment.
    QImage render_area(std::string_view name, const QRect& area, int scale = 1) const;

  private:
    std::map<std::string, PaintFn> painters_;
};

// Each part of the device adds its painters.
void add_people(ArtBook& book); // hero, partners, enemies, fort
void add_fire(ArtBook& book);   // flames, bombs, blasts
void add_panel(ArtBook& book);  // digits, captions, miss and alarm marks
void add_shell(ArtBook& book);  // device body, lid, screen, buttons, LCD background

ArtBook full_book();

} // namespace q50gen
