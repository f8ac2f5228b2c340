#pragma once
// The desktop's saved state: the device's (device_state.h) with the desktop's own part, which
// holds the LCD look's fades. The desktop plays its samples through its own sound output, not
// the software mixer, so its states hold no sounding voices; a load halts what plays.
//
// The desktop's part: "QDSK", then the fades (u32 count, then each: u8 shown flag followed,
// u64 the bits of the lit fraction it began at, i64 when it began).
#include "display/lcd_look.h"
#include "game/device.h"
#include "game/device_services.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace q50 {

struct DesktopStateParts {
    Device& device;
    DeviceRandom& random;
    // Each segment's picture as the last skin load gave it (device_state.h).
    const std::vector<Picture>& own_pictures;
    LcdLook& look;
};

// The state now; `ms_of_day` is the time of day now, kept as what it was at device time 0.
std::vector<std::uint8_t> save_desktop_state(const DesktopStateParts& parts,
                                             std::int64_t ms_of_day);

// Puts a state saved by save_desktop_state back; false, with the reason in `why` and nothing
// changed, for one that is damaged, of another version or of another front end. The time of
// day stays the computer's, and the high scores stay the player's as stored now: a state
// taken before a new record must not bring the old one back.
bool load_desktop_state(std::span<const std::uint8_t> bytes, DesktopStateParts& parts,
                        std::string& why);

// A game is under way: held to start, or in play (Game_State 5 to 8).
bool game_under_way(const Device& d);

// Where a game left at the close waits for the next start: $XDG_DATA_HOME/quendrix50/
// resume.q50s, apart from the player's own slot, so that closing never replaces a save.
std::filesystem::path resume_file_path();

} // namespace q50
