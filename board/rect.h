#pragma once
// A rectangle of the design or of the screen, and the little arithmetic the painters share.
// Right and bottom edges are summed in 64 bits: a rectangle of a hostile skin may reach past
// the int range.
#include <algorithm>

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

} // namespace q50
