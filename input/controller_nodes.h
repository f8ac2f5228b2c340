#pragma once
// Which nodes of the device folder (/dev/input) can be a game controller, told from their names
// and the kernel's description of them (/sys/class/input) without opening anything: the desktop
// program loads SDL only once such a node is there. A joystick node (`jsN`) is one; an event
// node (`eventN`) is one when its key capabilities name a joystick or gamepad button, and also
// when they cannot be read, so that a real controller is never missed for want of its
// description. Anything else (mice, keyboards, the `by-id` and `by-path` folders) is not.
#include <filesystem>
#include <string_view>

namespace q50 {

// The text of an input device's capabilities/key file: hex words of the kernel's unsigned long
// separated by spaces, the most significant word first. True when a joystick button
// (BTN_TRIGGER .. BTN_DEAD), a gamepad button (BTN_SOUTH .. BTN_THUMBR) or one of the extra
// controller buttons (BTN_TRIGGER_HAPPY1 .. 40) is among them, and when the text does not read
// as such words.
bool key_capabilities_name_pad_buttons(std::string_view text);

// True when the node `name` of the device folder can be a game controller; `input_class` is
// where the kernel describes the input devices (/sys/class/input).
bool node_may_be_controller(std::string_view name, const std::filesystem::path& input_class);

// True when a node in `folder` can be a game controller (false when the folder does not exist,
// true when it exists but cannot be listed).
bool folder_may_hold_controller(const std::filesystem::path& folder,
                                const std::filesystem::path& input_class);

} // namespace q50
