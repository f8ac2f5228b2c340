#pragma once
// The desktop's one save slot: a saved device state (see device_state.h) kept in a file of
// its own under $XDG_DATA_HOME/quendrix50, replaced whole at every save.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace q50 {

// $XDG_DATA_HOME/quendrix50/state.q50s (~/.local/share when XDG_DATA_HOME is unset, empty or
// relative).
std::filesystem::path state_slot_path();

// Writes `state` to `file` (making its folder); the old slot stays whole on a failure, whose
// reason goes to `why`.
bool write_state_slot(const std::filesystem::path& file, std::span<const std::uint8_t> state,
                      std::string& why);

// The bytes of the slot, when it is a regular file of a state's size; nothing, with the reason
// in `why`, otherwise. Whether the bytes are a sound state of this device is for
// load_device_state to say.
std::optional<std::vector<std::uint8_t>> read_state_slot(const std::filesystem::path& file,
                                                         std::string& why);

} // namespace q50
