#pragma once
// A headless libretro frontend of the tests' own: it loads the core with dlopen, answers its
// environment calls as a frontend would, feeds it scripted input and keeps every frame and
// every sound it hands over. Each instance loads its own copy of the core (a copy of the file
// under a name of its own), so that two instances run side by side without sharing a global.
#include <libretro-common/libretro.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace q50::test {

struct CoreFrame {
    unsigned width = 0, height = 0;
    std::vector<std::uint32_t> pixels; // XRGB8888, top to bottom
    bool operator==(const CoreFrame&) const = default;
};

class CoreFrontend {
  public:
    // `system_dir` is what the core is told its system folder is.
    explicit CoreFrontend(const std::filesystem::path& system_dir = {});
    ~CoreFrontend();
    CoreFrontend(const CoreFrontend&) = delete;
    CoreFrontend& operator=(const CoreFrontend&) = delete;

    // retro_load_game with the content (none: no content).
    bool load(const std::optional<std::filesystem::path>& content = std::nullopt);
    void unload();

    // Buttons held for the next frames (RETRO_DEVICE_ID_JOYPAD_* bits) on a port.
    std::array<std::uint16_t, 2> pads{};
    // The pointers pressed (touches, by their index), each at (x, y) in the frontend's
    // -0x7fff..0x7fff range.
    std::vector<std::pair<int, int>> pointers;

    void run(int frames = 1);
    void reset();
    const CoreFrame& frame() const { return frame_; }
    // Whether it says it can show the last frame again (RetroArch can), and how many frames
    // the core handed over and how many it said were the last one again.
    bool can_dupe = true;
    int handed = 0;
    int dupes = 0;
    // Every stereo sample handed over since the load (or the last clear).
    std::vector<std::int16_t> sound;

    void set_option(const std::string& key, const std::string& value);
    std::optional<retro_game_geometry> last_geometry;
    retro_system_av_info av_info();

    std::vector<std::uint8_t> save_state();
    bool load_state(const std::vector<std::uint8_t>& bytes);
    std::vector<std::uint8_t> save_ram();
    void set_save_ram(const std::vector<std::uint8_t>& bytes);

    // The core's log and the options it declared.
    std::vector<std::string> log;
    std::map<std::string, std::string> declared_options;
    unsigned descriptor_count = 0;

  private:
    struct Api;
    static bool environment(unsigned cmd, void* data);
    static void video(const void* data, unsigned w, unsigned h, size_t pitch);
    static size_t audio(const int16_t* data, size_t frames);
    static void poll() {}
    static std::int16_t input(unsigned port, unsigned device, unsigned index, unsigned id);
    static void log_printf(retro_log_level level, const char* fmt, ...);
    void enter() { current_ = this; }

    static CoreFrontend* current_;
    std::filesystem::path copy_;
    void* handle_ = nullptr;
    Api* api_ = nullptr;
    std::filesystem::path system_dir_;
    std::string system_dir_text_;
    std::map<std::string, std::string> options_;
    bool options_changed_ = false;
    CoreFrame frame_;
    bool loaded_ = false;
};

} // namespace q50::test
