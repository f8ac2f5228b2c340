#pragma once
// The menu commands that change the device or its presentation, without the windows around
// them: the desktop runs them through its real-time driver, the trace tool when a script
// (a recording) says so. Each writes the store as the menu does.
#include "game/device.h"
#include "shell/core/presentation.h"

#include <optional>
#include <string>
#include <string_view>

namespace q50 {

// What a recording keeps of the commands: the word after `at T` in a script.
enum class MenuCommand { ResetHiscores, Overlays, Fullscreen, Pause, Resume };
std::string_view menu_command_word(MenuCommand c); // "hiscores", "overlays", ...
std::optional<MenuCommand> menu_command_named(std::string_view word);
// The script line's command for a command with its value ("overlays 1", "pause").
std::string menu_command_text(MenuCommand c, bool on = false);
// Whether the command carries an on/off value.
constexpr bool menu_command_takes_value(MenuCommand c) {
    return c == MenuCommand::Overlays || c == MenuCommand::Fullscreen;
}

// "Reset Hiscores": both high scores 0, stored. The panel keeps what it shows; the next
// display of a high score reads 000.
void reset_high_scores(Device& d);
// "Display controller overlays": stored, and the overlay buttons shown or hidden.
void show_controller_overlays(Device& d, Presentation& p, bool on);
// The presentation switch's part that is not the window's: the flag, stored. The skin is
// then loaded again for the new presentation.
void set_fullscreen(Device& d, Presentation& p, bool on);

} // namespace q50
