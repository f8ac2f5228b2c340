#pragma once
// The core's options as RetroArch lists them, and what their values mean.
#include "libretro/frame_view.h"

#include <optional>
#include <string_view>

namespace q50 {

struct CoreOptions {
    ViewChoice view;
    int lcd_shadow = 0;   // percent of a segment's ink for the unlit ones
    int lcd_response = 0; // ms a segment takes to darken or clear
    int volume = 100;     // percent
    bool operator==(const CoreOptions&) const = default;
};

// Keys and their "Label; first|second|..." lists, the first value the default; ends with a
// null key.
struct OptionEntry {
    const char* key;
    const char* value;
};
extern const OptionEntry kOptionEntries[];

// Takes one option's value into `options`; an unknown key or value leaves them as they are.
void apply_option(CoreOptions& options, std::string_view key, std::string_view value);

} // namespace q50
