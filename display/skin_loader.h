#pragma once
// Load_Skin: applies Config.ini and the pictures it names to the board and the window.
#include "board/board.h"
#include "display/picture_budget.h"
#include "display/scale.h"
#include "display/window_model.h"
#include "host/services.h"

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace q50 {

class IniFile;
class WaitingPictures;

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
    // Shared with the manual; without one the load gets a budget of its own.
    PictureBudget* budget = nullptr;
    // The pictures of segments hidden at the load may wait here for their pixels, which the
    // first frame does not need; without it every picture is decoded in the load.
    WaitingPictures* waiting = nullptr;
    // Fullscreen: the screen in design pixels at a whole scale the desktop would rather draw
    // at than the fit (nothing: none). Once every picture is read, the device is laid out on it
    // instead when every pixel of it that is not wholly see-through, shown or not, lies on it.
    std::function<std::optional<PixelSize>(PixelSize device)> snapped_screen_for_device;
};

enum class SkinLoadStatus {
    Complete,
    ConfigMissing, // the application is asked to terminate
    Stopped,       // a message was shown and the rest of the load skipped
};

struct SkinLoadResult {
    SkinLoadStatus status = SkinLoadStatus::Complete;
    bool terminate_requested = false;
    // Laid out on the screen of snapped_screen_for_device.
    bool snapped = false;
};

inline constexpr std::string_view kConfigMissingMessage =
    "Configuration file (Config.ini) not found. Please reinstall the game.";
inline constexpr int kSkinImageCount = 129;

// The segment that section "Image<i>" describes, for i in 1..129 (index 0 is empty).
const std::array<std::string_view, kSkinImageCount + 1>& skin_image_names();
// The same control as a handle, for i in 1..129.
SegmentId skin_image_control(int i);

// The segments the load shows or hides for the presentation (the fullscreen backdrop, its logo
// and the in-game menu's button), not the game: a device put back as it was at its switch-on,
// which may have been in the other presentation, leaves them as the load set them.
bool presentation_segment(std::string_view name);

// Client sizes of the main window and the manual outside 1..kMaxSkinSide take the key's
// default (a zero or negative width gives a window nobody can see or reach).
inline constexpr int kMaxSkinSide = 4096;
inline constexpr int kDefaultGameWidth = 498;
inline constexpr int kDefaultGameHeight = 770;
// The value of an integer size key of Config.ini, or `fallback` with a notice when it lies
// outside 1..kMaxSkinSide.
int read_skin_side(const IniFile& ini, std::string_view section, std::string_view key, int fallback,
                   MessageSink& messages);
// Opens Config.ini with the reader's size limit; a cut file is told to `messages`.
std::optional<IniFile> open_skin_file(const std::filesystem::path& config, std::string* error,
                                      MessageSink& messages);

// Looks a picture up as the skin names it: "\" as a separator, letter case ignored when the
// name as written does not exist (see find_ignoring_case). Several names that differ only
// in case are told to `messages` once per load, through `told`.
std::filesystem::path find_skin_picture(const std::filesystem::path& dir, std::string_view name,
                                        MessageSink& messages, std::set<std::string>& told,
                                        bool* found);

// A directory value of the skin file as a usable path: "\" taken as a separator, a delimiter
// appended, a relative directory resolved against `current_dir`. An empty value means the
// current directory itself.
std::filesystem::path skin_directory(std::string_view value,
                                     const std::filesystem::path& current_dir);

SkinLoadResult Load_Skin(Board& board, WindowModel& window, const SkinEnvironment& env,
                         MessageSink& messages);

} // namespace q50
