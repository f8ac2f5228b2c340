#pragma once
// One picture control of the device: an LCD segment, a device picture or a button.
#include "board/image.h"

#include <cstdint>
#include <string>

namespace q50 {

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
};

enum class Cursor { Arrow, Hand, Help };

struct Segment {
    std::string name;
    Rect rect;
    int layer = 0;
    bool shown = false;
    bool transparent = false;
    // Where the current picture came from when it is a copy of another segment's picture
    // (a digit showing a glyph, the movement pad showing a pressed picture); empty otherwise.
    std::string picture_source;
    Picture picture;
    // Buttons only.
    Cursor cursor = Cursor::Arrow;
    std::string hint;
    // Bumped on every visible change (shown flag, picture, rectangle) so that a painter knows
    // when to repaint.
    std::uint64_t revision = 0;
};

} // namespace q50
