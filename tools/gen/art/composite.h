#pragma once
// The whole device put together from the skin pictures, in stacking order: for checking the
// artwork by eye and for the illustrations of the manual.
#include "art_book.h"

#include <QImage>

#include <map>
#include <set>
#include <string>

namespace q50gen {

struct Scene {
    bool closed = false;               // lid and open button instead of the open face
    bool overlays = true;              // the controller overlay buttons
    std::set<std::string> lit;         // LCD segments shown
    std::map<std::string, int> digits; // digit position -> glyph
    std::set<std::string> pressed;     // "_down" pictures shown
};

// Every LCD segment of the everything-on display (the panel reads 12:00 AM).
Scene everything_lit();

// At a whole `scale` every segment is drawn that many times larger.
QImage compose(const ArtBook& book, const Scene& scene, int scale = 1);

} // namespace q50gen
