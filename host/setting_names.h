#pragma once
// The names of the values in the settings store. Whoever reads or writes a value names it
// through these, so that a name is spelt in one place.
#include <array>
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
inline constexpr std::string_view Volume = "Volume";
inline constexpr std::string_view Muted = "Muted";
inline constexpr std::string_view AutoPause = "AutoPause";
inline constexpr std::string_view WindowLeft = "WindowLeft";
inline constexpr std::string_view WindowTop = "WindowTop";
inline constexpr std::string_view LcdShadow = "LcdShadow"; // percent of the ink, 0 = off
inline constexpr std::string_view LcdFade = "LcdFade";     // milliseconds, 0 = off

// The key and the controller button of assignment n (1..7): Key1..Key7, Pad1..Pad7.
inline std::string key(int n) {
    return "Key" + std::to_string(n);
}
inline std::string pad(int n) {
    return "Pad" + std::to_string(n);
}

// The values the device and its input keep (the presentation's Skin and zooms are not among
// them): what the trace tool lets a script put in the store.
inline constexpr std::array<std::string_view, 20> kDeviceValues = {
    FullscreenMode, "Key1",       "Key2",   "Key3",   "Key4",    "Key5",       "Key6",
    "Key7",         CtrlrOverlay, HiScore1, HiScore2, SoundMode, SplashScreen, "Pad1",
    "Pad2",         "Pad3",       "Pad4",   "Pad5",   "Pad6",    "Pad7"};

} // namespace q50::setting
