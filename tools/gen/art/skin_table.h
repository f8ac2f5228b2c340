#pragma once
// Which segment each [ImageN] section of the skin file describes, and where it sits.
#include "game/board_geometry.h"

#include <array>
#include <string_view>

namespace q50gen {

// Index i - 1 holds the segment of section "Image<i>".
extern const std::array<std::string_view, 129> kSkinImage;

// The design rectangle of a segment; aborts on an unknown name.
const q50::SegmentGeometry& geometry(std::string_view name);

} // namespace q50gen
