#pragma once
// Where each segment sits at design time.
#include "board/board_geometry.h"

#include <string>
#include <string_view>

namespace q50gen {

// The design rectangle of a segment; aborts on an unknown name.
const q50::SegmentGeometry& geometry(std::string_view name);

// A segment's design rectangle in the painter's coordinates.
struct Box {
    double l, t, w, h;
    double r() const { return l + w; }
    double b() const { return t + h; }
    double cx() const { return l + w / 2.0; }
};

inline Box box(std::string_view name) {
    const auto& g = geometry(name);
    return {double(g.left), double(g.top), double(g.width), double(g.height)};
}

// The segment name of one part of enemy `n` (1 to 5).
inline std::string enemy(int n, const char* part) {
    return "im_enemy_" + std::to_string(n) + "_" + part;
}

} // namespace q50gen
