#include "shell/key_codes.h"

#include <gtest/gtest.h>

namespace q50 {
namespace {

constexpr auto kNone = Qt::NoModifier;

TEST(VirtualKeyCode, AssignableKeysFromQtKeys) {
    for (int d = 0; d <= 9; ++d)
        EXPECT_EQ(virtual_key_code(Qt::Key_0 + d, kNone, 0, false), '0' + d);
    for (int l = 0; l < 26; ++l) {
        EXPECT_EQ(virtual_key_code(Qt::Key_A + l, kNone, 0, false), 'A' + l);
        EXPECT_EQ(virtual_key_code(Qt::Key_A + l, Qt::ShiftModifier, 0, false), 'A' + l);
    }
    EXPECT_EQ(virtual_key_code(Qt::Key_Up, kNone, 0, false), 38);
    EXPECT_EQ(virtual_key_code(Qt::Key_Down, kNone, 0, false), 40);
    EXPECT_EQ(virtual_key_code(Qt::Key_Left, kNone, 0, false), 37);
    EXPECT_EQ(virtual_key_code(Qt::Key_Right, kNone, 0, false), 39);
    EXPECT_EQ(virtual_key_code(Qt::Key_Space, Qt::ShiftModifier, 0, false), 32);
    // The modifier keys alone are keys, whatever modifier state they report.
    EXPECT_EQ(virtual_key_code(Qt::Key_Shift, Qt::ShiftModifier, 0, false), 16);
    EXPECT_EQ(virtual_key_code(Qt::Key_Control, Qt::ControlModifier, 0, false), 17);
    EXPECT_EQ(virtual_key_code(Qt::Key_Alt, Qt::AltModifier, 0, false), 18);
    EXPECT_EQ(virtual_key_code(Qt::Key_Return, kNone, 0, false), 13);
    EXPECT_EQ(virtual_key_code(Qt::Key_Escape, kNone, 0, false), 27);
    EXPECT_EQ(virtual_key_code(Qt::Key_F1, kNone, 0, false), 112);
    EXPECT_EQ(virtual_key_code(Qt::Key_F12, kNone, 0, false), 123);
    EXPECT_EQ(virtual_key_code(Qt::Key_Exclam, Qt::ShiftModifier, 0, false), 0);
}

TEST(VirtualKeyCode, KeypadDigitsAreNotMainKeyboardDigits) {
    for (int d = 0; d <= 9; ++d) {
        EXPECT_EQ(virtual_key_code(Qt::Key_0 + d, Qt::KeypadModifier, 0, false), 96 + d);
        // Keypad key codes lie outside the digit row's, so they are never taken for it.
        EXPECT_EQ(virtual_key_code(Qt::Key_0 + d, Qt::KeypadModifier, 79 + d, true), 96 + d);
    }
    // Keypad arrows (NumLock off) are the arrows.
    EXPECT_EQ(virtual_key_code(Qt::Key_Left, Qt::KeypadModifier, 83, true), 37);
}

TEST(VirtualKeyCode, DigitRowByPositionWithXkb) {
    // Shift+1 on a US layout reports '!', on a German one Shift+2 reports '"'.
    EXPECT_EQ(virtual_key_code(Qt::Key_Exclam, Qt::ShiftModifier, 10, true), '1');
    EXPECT_EQ(virtual_key_code(Qt::Key_QuoteDbl, Qt::ShiftModifier, 11, true), '2');
    EXPECT_EQ(virtual_key_code(Qt::Key_ParenRight, Qt::ShiftModifier, 19, true), '0');
    EXPECT_EQ(virtual_key_code(Qt::Key_5, kNone, 14, true), '5');
    // A French layout's digit row types symbols unshifted; the keys are still the digits.
    EXPECT_EQ(virtual_key_code(Qt::Key_Ampersand, kNone, 10, true), '1');
    EXPECT_EQ(virtual_key_code(Qt::Key_Eacute, kNone, 11, true), '2');
}

TEST(VirtualKeyCode, LettersFollowTheLayoutAndFallBackToPosition) {
    // On a French layout the key in the US 'Q' place types 'A', and that is the key 'A'.
    EXPECT_EQ(virtual_key_code(Qt::Key_A, kNone, 24, true), 'A');
    // A layout without Latin letters: the key by its place.
    EXPECT_EQ(virtual_key_code(0x0424 /* Cyrillic EF */, kNone, 38, true), 'A');
    EXPECT_EQ(virtual_key_code(0x042F /* Cyrillic YA */, kNone, 52, true), 'Z');
    // Punctuation keys next to the letters give nothing.
    EXPECT_EQ(virtual_key_code(Qt::Key_Semicolon, kNone, 47, true), 0);
    EXPECT_EQ(virtual_key_code(Qt::Key_Control, Qt::ControlModifier, 37, true), 17);
}

} // namespace
} // namespace q50
