#pragma once
// One picture control of the device: an LCD segment, a device picture or a button.
#include "board/image.h"
#include "board/rect.h"
#include "board/segment_id.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace q50 {

enum class Cursor { Arrow, Hand, Help };

struct Segment {
    std::string name;
    Rect rect;
    int layer = 0;
    bool shown = false;
    bool transparent = false;
    // Where the current picture came from when it is a copy of another segment's picture
    // (a digit showing a glyph, the movement pad showing a pressed picture); none otherwise.
    std::optional<SegmentId> picture_source;
    Picture picture;
    // Buttons only.
    Cursor cursor = Cursor::Arrow;
    std::string hint;
    // Bumped on every visible change (shown flag, picture, rectangle) so that a painter knows
    // when to repaint.
    std::uint64_t revision = 0;

    // The name of picture_source, empty for none (for traces and messages).
    std::string_view source_name() const {
        return picture_source ? picture_source->name() : std::string_view();
    }
};

} // namespace q50
