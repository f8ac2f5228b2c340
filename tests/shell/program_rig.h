#pragma once
// What the tests of the whole program share: a skin without pictures and a look into the store.
#include "shell/core/memory_store.h"

#include <string>

namespace q50::testing {

// The delivered device's size and colours, without a picture: every segment a red square.
inline constexpr const char* kBareSkin = "[Common]\nGameWidth=498\nGameHeight=770\n"
                                         "[VideoMode]\nTranspColor=$00ff00ff\n"
                                         "[Fullscreen]\nBgColor=$00000000\n";

// The stored text of `name`, "<absent>" when nothing is stored.
inline std::string stored_text(const MemoryStore& store, const char* name) {
    auto it = store.values().find(name);
    return it == store.values().end() ? "<absent>" : it->second;
}

} // namespace q50::testing
