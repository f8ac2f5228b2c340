#pragma once
// The names of the values in the settings store. Whoever reads or writes a value names it
// through these, so that a name is spelt in one place.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace q50::setting {

inline constexpr std::string_view FullscreenMode = "FullscreenMode";
inline constexpr std::string_view CtrlrOverlay = "CtrlrOverlay";
inline constexpr std::string_view HiScore1 = "HiScore1";
inline constexpr std::string_view HiScore2 = "HiScore2";
inline constexpr std::string_view SoundMode = "SoundMode";
inline constexpr std::string_view SplashScreen = "SplashScreen";
inline constexpr std::string_view Skin = "Skin";
inline constexpr std::string_view Zoom = "Zoom";
inline constexpr std::string_view FullscreenZoom = "FullscreenZoom";
inline constexpr std::string_view View = "View"; // 0 the whole device, 1 the LCD only
inline constexpr std::string_view Volume = "Volume";
inline constexpr std::string_view Muted = "Muted";
inline constexpr std::string_view AutoPause = "AutoPause";
inline constexpr std::string_view WindowLeft = "WindowLeft";
inline constexpr std::string_view WindowTop = "WindowTop";
inline constexpr std::string_view LcdShadow = "LcdShadow"; // percent of the ink, 0 = off
inline constexpr std::string_view LcdFade = "LcdFade";     // milliseconds, 0 = off
// 1: a game under way at the close is kept, and the next start offers to go on with it.
inline constexpr std::string_view Resume = "Resume";

// The key and the controller button of the assignments 1..7 (input/assignments.h).
inline constexpr std::array<std::string_view, 7> kKeyNames = {"Key1", "Key2", "Key3", "Key4",
                                                              "Key5", "Key6", "Key7"};
inline constexpr std::array<std::string_view, 7> kPadNames = {"Pad1", "Pad2", "Pad3", "Pad4",
                                                              "Pad5", "Pad6", "Pad7"};
constexpr std::string_view key(int n) {
    return kKeyNames[std::size_t(n - 1)];
}
constexpr std::string_view pad(int n) {
    return kPadNames[std::size_t(n - 1)];
}

// The values the device and its input keep (the presentation's Skin and zooms are not among
// them): what the trace tool lets a script put in the store.
inline constexpr auto kDeviceValues = [] {
    std::array<std::string_view, 6 + kKeyNames.size() + kPadNames.size()> out{};
    std::size_t i = 0;
    out[i++] = FullscreenMode;
    for (std::string_view n : kKeyNames) out[i++] = n;
    for (std::string_view n : {CtrlrOverlay, HiScore1, HiScore2, SoundMode, SplashScreen})
        out[i++] = n;
    for (std::string_view n : kPadNames) out[i++] = n;
    return out;
}();

} // namespace q50::setting
