#pragma once
// The device's eight buttons, as whatever drives the device presses and releases them. The
// open button has a press only: it opens the lid.
#include <optional>
#include <string_view>

namespace q50 {

enum class Button { Open, Game_A, Game_B, Time, Acl, Left, Right, Bomb };
constexpr int kButtonCount = 8;

// "open", "game_a", "game_b", "time", "acl", "left", "right", "bomb": the words of the trace
// tool's scripts and the middle of the device's action names (Inp_game_a_down).
std::string_view button_word(Button b);
// The button with this word, if any.
std::optional<Button> button_named(std::string_view word);

} // namespace q50
