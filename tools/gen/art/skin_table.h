#pragma once
// Where each segment sits at design time.
#include "board/board_geometry.h"

#include <string_view>

namespace q50gen {

// The design rectangle of a segment; aborts on an unknown name.
const q50::SegmentGeometry& geometry(std::string_view name);

} // namespace q50gen
