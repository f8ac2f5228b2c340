#pragma once
// The trace tool's look-ups of what a script may name; the device it runs is the offline rig.
#include "shell/core/rig.h"

#include <string_view>

namespace q50::trace {

// Whether `set NAME` may name this variable, and how many values it takes.
struct Settable {
    bool known = false;
    bool boolean = false;
    int count = 1;
};
Settable settable(std::string_view name);

// Every value name the settings store knows.
bool is_store_value(std::string_view name);

} // namespace q50::trace
