#include "tools/trace/rig.h"

#include <array>

namespace q50::trace {

Settable settable(std::string_view name) {
    if (name == "Enemy_Flame") return {true, false, 5};
    static Rig probe; // only its list of variables is read
    for (const VariableRef& v : probe.dev.variables())
        if (v.name == name) return {true, v.flag != nullptr, 1};
    return {};
}

bool is_store_value(std::string_view name) {
    static constexpr std::array<std::string_view, 20> kNames = {
        "FullscreenMode", "Key1",      "Key2",         "Key3",         "Key4",
        "Key5",           "Key6",      "Key7",         "CtrlrOverlay", "HiScore1",
        "HiScore2",       "SoundMode", "SplashScreen", "Pad1",         "Pad2",
        "Pad3",           "Pad4",      "Pad5",         "Pad6",         "Pad7"};
    for (auto n : kNames)
        if (n == name) return true;
    return false;
}

} // namespace q50::trace
