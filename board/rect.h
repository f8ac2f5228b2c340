#pragma once
// A rectangle of the design or of the screen, and the little arithmetic the painters share.
// Right and bottom edges are summed in 64 bits: a rectangle of a hostile skin may reach past
// the int range.
#include <algorithm>
#include <cstddef>
#include <vector>

namespace q50 {

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
};

inline bool is_empty(Rect r) {
    return r.width <= 0 || r.height <= 0;
}

inline Rect intersect(Rect a, Rect b) {
    const int l = std::max(a.left, b.left), t = std::max(a.top, b.top);
    const long long r = std::min<long long>(0ll + a.left + a.width, 0ll + b.left + b.width);
    const long long bm = std::min<long long>(0ll + a.top + a.height, 0ll + b.top + b.height);
    if (r <= l || bm <= t) return Rect{};
    return Rect{l, t, int(r - l), int(bm - t)};
}

// The smallest rectangle around both; an empty one adds nothing.
inline Rect unite(Rect a, Rect b) {
    if (is_empty(a)) return b;
    if (is_empty(b)) return a;
    const int l = std::min(a.left, b.left), t = std::min(a.top, b.top);
    const int r = std::max(a.left + a.width, b.left + b.width);
    const int bm = std::max(a.top + a.height, b.top + b.height);
    return Rect{l, t, r - l, bm - t};
}

// Whether `inner` lies wholly inside `outer`.
inline bool contains(Rect outer, Rect inner) {
    return inner.left >= outer.left && inner.top >= outer.top &&
           0ll + inner.left + inner.width <= 0ll + outer.left + outer.width &&
           0ll + inner.top + inner.height <= 0ll + outer.top + outer.height;
}

// Whether two rectangles share a pixel, or with `side_by_side` also whether they only touch.
inline bool meet(Rect a, Rect b, bool side_by_side) {
    const long long ar = 0ll + a.left + a.width, br = 0ll + b.left + b.width;
    const long long ab = 0ll + a.top + a.height, bb = 0ll + b.top + b.height;
    if (side_by_side) return a.left <= br && b.left <= ar && a.top <= bb && b.top <= ab;
    return a.left < br && b.left < ar && a.top < bb && b.top < ab;
}

// Adds `r` to rectangles kept apart, united with every one it meets (and the union again with
// every one it then meets): things far apart, a flame at the left and the score at the right,
// stay apart, so that neither repaint covers the space between them.
inline void add_apart(std::vector<Rect>& rects, Rect r, bool side_by_side) {
    if (is_empty(r)) return;
    for (std::size_t i = 0; i < rects.size();) {
        if (meet(rects[i], r, side_by_side)) {
            r = unite(r, rects[i]);
            rects.erase(rects.begin() + std::ptrdiff_t(i));
            i = 0;
        } else {
            ++i;
        }
    }
    rects.push_back(r);
}

} // namespace q50
