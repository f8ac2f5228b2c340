#include "skin_table.h"

#include <cstdio>
#include <cstdlib>

namespace q50gen {

const q50::SegmentGeometry& geometry(std::string_view name) {
    for (const auto& g : q50::kDesignGeometry)
        if (g.name == name) return g;
    std::fprintf(stderr, "unknown segment %.*s\n", int(name.size()), name.data());
    std::abort();
}

} // namespace q50gen
