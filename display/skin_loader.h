#pragma once
// Load_Skin: applies Config.ini and the pictures it names to the board and the window.
#include "board/board.h"
#include "display/scale.h"
#include "display/window_model.h"
#include "host/services.h"

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace q50 {

struct SkinEnvironment {
    // Config.ini lies here (the directory of the running executable).
    std::filesystem::path executable_dir;
    // Relative picture directories are resolved against this (the process's current
    // directory).
    std::filesystem::path current_dir;
    bool Fullscreen_Mode = false;
    int screen_width = 1024;
    int screen_height = 768;
    // Fullscreen: the screen as the loader counts it, for a device of the skin's design size.
    // The desktop gives the screen in design pixels at the scale it will draw the result at;
    // without it the screen is taken as it is.
    std::function<PixelSize(PixelSize device)> screen_for_device;
};

enum class SkinLoadStatus {
    Complete,
    ConfigMissing, // the application is asked to terminate
    Stopped,       // a message was shown and the rest of the load skipped
};

struct SkinLoadResult {
    SkinLoadStatus status = SkinLoadStatus::Complete;
    bool terminate_requested = false;
};

inline constexpr std::string_view kConfigMissingMessage =
    "Configuration file (Config.ini) not found. Please reinstall the game.";
inline constexpr int kSkinImageCount = 129;

// The segment that section "Image<i>" describes, for i in 1..129 (index 0 is empty).
const std::array<std::string_view, kSkinImageCount + 1>& skin_image_names();

// A directory value of the skin file as a usable path: "\" taken as a separator, a delimiter
// appended, a relative directory resolved against `current_dir`. An empty value means the
// current directory itself.
std::filesystem::path skin_directory(std::string_view value,
                                     const std::filesystem::path& current_dir);

SkinLoadResult Load_Skin(Board& board, WindowModel& window, const SkinEnvironment& env,
                         MessageSink& messages);

} // namespace q50
