#pragma once
// The device's saved state: everything that decides what it does next, as bytes that are the
// same for the same state, so that a state saved and loaded (by a front end's save slot, or
// every frame by a rewind) plays on exactly as the run it was taken from.
//
// Layout (little-endian), fixed at kDeviceStateBytes whatever the state, so that a front end
// may keep states in slots of one size:
//   "Q50S", version (u32), payload length (u32), CRC-32 of the payload (u32), payload, zeros.
// The payload: device time (i64); the game variables and step counters in their declared
// order (i32 each, flags 0 or 1), Enemy_Flame (6 x i32), Speed_Table (20 x i32); for each
// segment in declaration order its shown flag (u8), its picture (u8: 0 its own, 1 none, 2 a
// copy) and the copy's source (u8, a segment index); the sixteen timers in declaration order
// (enabled u8, interval i32, due i64, period u64); the random generator (u32 length, its text);
// the time of day at device time 0 (i64, ms); the mixer (position i64, voice count u32, each
// sample u8, start i64, end i64); and the front end's own part (u32 length, bytes: what it
// holds, such as the buttons held down).
#include "game/device.h"
#include "game/device_services.h"
#include "sound/mixer/software_mixer.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace q50 {

inline constexpr std::uint32_t kDeviceStateVersion = 1;
inline constexpr std::size_t kDeviceStateBytes = 16384;
// The front end's own part is at most this long.
inline constexpr std::size_t kDeviceStateFrontBytes = 4096;

// What the state is taken from and put back into.
struct DeviceParts {
    Device& device;
    DeviceRandom& random;
    SettableClock& clock;
    SoftwareMixer& mixer;
    // Each segment's picture as the skin load left it (by declaration index), which "its own"
    // puts back; empty: the board as loaded has no pictures of its own.
    const std::vector<Picture>& own_pictures;
};

// The pictures the board holds now, to be kept as `own_pictures` right after a skin load.
std::vector<Picture> own_pictures(const Board& board);

// The state as kDeviceStateBytes bytes; `front` is the front end's part (cut at
// kDeviceStateFrontBytes).
std::vector<std::uint8_t> save_device_state(const DeviceParts& parts,
                                            std::span<const std::uint8_t> front = {});

// Puts a saved state back. False, with the reason in `why` and nothing changed, for bytes
// that are damaged, of another version, or do not fit this device; `front` receives the
// front end's part, which `front_fits` (when given) checks, with the state's device time,
// before anything is put back.
using FrontCheck = std::function<bool(std::span<const std::uint8_t> front, std::int64_t now)>;
bool load_device_state(std::span<const std::uint8_t> bytes, DeviceParts& parts,
                       std::vector<std::uint8_t>& front, std::string& why,
                       const FrontCheck& front_fits = {});

} // namespace q50
