#pragma once
// The seven key assignments, the 44 assignable keys, and the hints of the on-screen buttons
// that name the assigned keys.
#include "board/board.h"
#include "host/settings_store.h"
#include "input/assignments.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace q50 {

struct AssignableKey {
    std::string_view dialog_text; // "A", "<UP ARROW>", ...
    std::string_view name;        // as hints say it: "'A'", "'up arrow' key", ...
    std::uint16_t code;           // virtual-key code
};
constexpr int kAssignableKeyCount = 44;
// Entry 1..44 (entry 0 is unused).
const AssignableKey& assignable_key(int number);
// The number 1..44 of the key with this code, or 0.
int assignable_key_number(std::uint16_t code);

struct KeyBindingRecord {
    std::int32_t Choice = 0;
    std::uint16_t Code = 0;
};

class KeyAssignments {
  public:
    std::array<KeyBindingRecord, 8> Key_Binding{}; // index 1..7
    std::array<std::string, 45> Key_Name{};        // index 1..44

    // Reads Key1..Key7, writes all seven back (so the store holds them after the first run),
    // derives the codes and builds the hints. A stored choice outside 1..44 (only possible by
    // editing the store) falls back to that assignment's default.
    void Keys_Load(SettingsStore& store, Board& board);
    // Assignment n (1..7) takes assignable key `choice`: the store keeps it and the code
    // follows. The one place a key assignment is written.
    void assign(SettingsStore& store, int n, std::int32_t choice);
    // Sets Key_Binding[n].Code from the record's Choice; a Choice outside 1..44 leaves it.
    void AssignWord(int n, const KeyBindingRecord& rec);
    void Keys_Build_Hints(Board& board) const;

    // Key_Name of assignment n's key.
    const std::string& K(int n) const;
};

} // namespace q50
