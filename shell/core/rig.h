#pragma once
// The device composed offline, with services that need nothing outside the process: an
// in-memory store, a sound sink of the caller's choice (a recorder unless told otherwise), a
// seeded (or scripted) random source and a time of day that advances with device time. The
// tests, the trace tool, the benches and the end-to-end frames all build the device this way.
#include "game/device.h"
#include "game/device_services.h"
#include "input/keys.h"
#include "shell/core/form_create.h"
#include "shell/core/memory_store.h"

#include <concepts>
#include <cstdint>
#include <functional>

namespace q50 {

template <class Sound = RecordingSound, class Clock = SettableClock> struct BasicRig {
    MemoryStore store;
    Sound sound;
    DeviceRandom random;
    Clock clock;
    Device dev{Services{sound, store, random, clock}};
    KeyAssignments keys;
    Presentation presentation;

    explicit BasicRig(std::uint32_t seed = 1) : random(seed) {
        // A recorder stamps each call with the device time.
        if constexpr (requires { sound.clock = [] { return std::int64_t(0); }; })
            sound.clock = [this] { return dev.now(); };
    }
    // A real sound output, which keeps its settings in the rig's store and reports to
    // `messages` (the sound benches).
    BasicRig(std::uint32_t seed, MessageSink& messages) requires
        std::constructible_from<Sound, SettingsStore&, MessageSink&> : sound(store, messages),
                                                                       random(seed) {}
    BasicRig(const BasicRig&) = delete;
    BasicRig& operator=(const BasicRig&) = delete;

    // The main window's creation: the speed table, the stored settings, the keys and their
    // hints, around `load_skin` (none: the device without pictures, as most tests want it).
    void form_create(const std::function<void()>& load_skin = {}) {
        q50::form_create(dev, presentation, keys, load_skin);
    }
    // ... and Play on the splash window: the closed device, mode 0.
    void start(const std::function<void()>& load_skin = {}) {
        form_create(load_skin);
        dev.power_on();
    }
};

using Rig = BasicRig<>;

} // namespace q50
