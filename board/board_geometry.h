#pragma once
#include <array>
#include <string_view>

namespace q50 {

struct SegmentGeometry {
    std::string_view name;
    int left, top, width, height, layer;
};

// In declaration order of the device's controls.
extern const std::array<SegmentGeometry, 133> kDesignGeometry;

} // namespace q50
