#pragma once
// The device as the trace tool runs it: an in-memory store, a sound recorder, a scripted
// random source and a settable time of day.
#include "game/device.h"
#include "game/device_services.h"
#include "input/keys.h"
#include "shell/core/memory_store.h"

namespace q50::trace {

struct Rig {
    MemoryStore store;
    RecordingSound sound;
    DeviceRandom random;
    SettableClock clock;
    Device dev{Services{sound, store, random, clock}};
    KeyAssignments keys;

    Rig() {
        sound.clock = [this] { return dev.now(); };
    }
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;
};

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
