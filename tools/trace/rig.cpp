#include "tools/trace/rig.h"

#include "host/setting_names.h"

namespace q50::trace {

Settable settable(std::string_view name) {
    if (name == "Enemy_Flame") return {true, false, 5};
    for (const VariableName& v : kDeviceVariableNames)
        if (v.name == name) return {true, v.flag, 1};
    return {};
}

bool is_store_value(std::string_view name) {
    for (auto n : setting::kDeviceValues)
        if (n == name) return true;
    return false;
}

} // namespace q50::trace
