#pragma once
// A device with recording and scripted services, for tests that drive it in virtual time.
#include "game/device.h"
#include "game/device_services.h"
#include "input/keys.h"
#include "shell/core/form_create.h"
#include "shell/core/memory_store.h"

#include <algorithm>
#include <string>
#include <vector>

namespace q50::testing {

struct DeviceHarness {
    MemoryStore store;
    RecordingSound sound;
    DeviceRandom random{12345};
    SettableClock clock;
    Device dev{Services{sound, store, random, clock}};
    KeyAssignments keys;

    DeviceHarness() {
        sound.clock = [this] { return dev.now(); };
    }

    // What the program does before the closed device is on screen: the window's creation and
    // the splash window's Play (mode 0).
    void start() {
        form_create_before_skin(dev);
        form_create_after_skin(dev, keys);
        dev.Game_State = 0;
        dev.Gam_Set_Mode();
    }

    bool lit(const std::string& name) const { return dev.board.shown(name); }

    // Names of the samples played (and "silence") in order, from index `from` on.
    std::vector<std::string> sounds(std::size_t from = 0) const {
        std::vector<std::string> out;
        for (std::size_t i = from; i < sound.calls.size(); ++i) out.push_back(sound.calls[i].what);
        return out;
    }
    // Device time of the first call of `what` at or after index `from`, or -1.
    std::int64_t sound_time(const std::string& what, std::size_t from = 0) const {
        for (std::size_t i = from; i < sound.calls.size(); ++i)
            if (sound.calls[i].what == what) return sound.calls[i].time;
        return -1;
    }

    // The glyph a digit position shows: 0..9, or -1 when it is blank.
    int digit(int k) const {
        const Segment& s = dev.board.Seg_Digit[k];
        if (!s.picture && s.picture_source.empty()) return -1;
        const std::string prefix = "im_panel_number_";
        if (s.picture_source.rfind(prefix, 0) != 0) return -1;
        return std::stoi(s.picture_source.substr(prefix.size()));
    }
    std::string panel() const {
        std::string out;
        for (int k = 1; k <= 4; ++k) out += digit(k) < 0 ? '_' : char('0' + digit(k));
        return out;
    }
};

} // namespace q50::testing
