#include "shell/key_codes.h"

#include <QGuiApplication>

namespace q50 {

namespace {

// XKB key codes (evdev + 8) of the digit row and of the letter keys, by position.
std::uint16_t code_by_position(quint32 scan) {
    if (scan >= 10 && scan <= 18) return std::uint16_t('1' + (scan - 10));
    if (scan == 19) return '0';
    static const char* const rows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
    static const quint32 first[] = {24, 38, 52};
    for (int r = 0; r < 3; ++r) {
        const quint32 len = quint32(std::char_traits<char>::length(rows[r]));
        if (scan >= first[r] && scan < first[r] + len)
            return std::uint16_t(rows[r][scan - first[r]]);
    }
    return 0;
}

std::uint16_t code_by_key(int key, bool keypad) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return std::uint16_t(keypad ? 96 + (key - Qt::Key_0) : '0' + (key - Qt::Key_0));
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return std::uint16_t('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return std::uint16_t(112 + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
        return 18;
    case Qt::Key_Pause:
        return 19;
    case Qt::Key_CapsLock:
        return 20;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    case Qt::Key_Meta:
        return 91;
    case Qt::Key_Menu:
        return 93;
    case Qt::Key_NumLock:
        return 144;
    case Qt::Key_ScrollLock:
        return 145;
    default:
        break;
    }
    if (keypad) {
        switch (key) {
        case Qt::Key_Asterisk:
            return 106;
        case Qt::Key_Plus:
            return 107;
        case Qt::Key_Minus:
            return 109;
        case Qt::Key_Period:
        case Qt::Key_Comma:
            return 110;
        case Qt::Key_Slash:
            return 111;
        default:
            break;
        }
    }
    return 0;
}

} // namespace

std::uint16_t virtual_key_code(int qt_key, Qt::KeyboardModifiers modifiers,
                               quint32 native_scan_code, bool xkb_scan_codes) {
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (xkb_scan_codes && !keypad) {
        // The digit row is always known by position; a letter key only when the layout gives
        // no Latin letter for it.
        const std::uint16_t by_position = code_by_position(native_scan_code);
        if (by_position >= '0' && by_position <= '9') return by_position;
        const std::uint16_t by_key = code_by_key(qt_key, false);
        if (by_key != 0) return by_key;
        return by_position;
    }
    return code_by_key(qt_key, keypad);
}

bool platform_has_xkb_scan_codes() {
    const QString p = QGuiApplication::platformName();
    return p == QLatin1String("xcb") || p.startsWith(QLatin1String("wayland"));
}

std::uint16_t virtual_key_code(const QKeyEvent& e) {
    static const bool xkb = platform_has_xkb_scan_codes();
    return virtual_key_code(e.key(), e.modifiers(), e.nativeScanCode(), xkb);
}

} // namespace q50
