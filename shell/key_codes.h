#pragma once
// Qt key events as the device's virtual-key codes (the codes of the assignable-key list).
#include <QKeyEvent>

#include <cstdint>

namespace q50 {

// The same physical key gives the same code with or without Shift: the digit row by its
// position where the platform reports XKB key codes (so Shift+1 is still '1', and the digit
// row of any layout gives its digits), letters by their letter. Keypad digits are not the
// main-keyboard digits. Keys without a code give 0.
std::uint16_t virtual_key_code(int qt_key, Qt::KeyboardModifiers modifiers,
                               quint32 native_scan_code, bool xkb_scan_codes);
std::uint16_t virtual_key_code(const QKeyEvent& event);

// Whether the running platform's native scan codes are XKB key codes (X11, Wayland).
bool platform_has_xkb_scan_codes();

} // namespace q50
