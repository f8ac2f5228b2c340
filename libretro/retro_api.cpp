// The RetroArch entry points: each translates between the frontend's calls and the handheld.
// Nothing here decides what the device does; an exception never crosses into the frontend.
#include "libretro/core_options.h"
#include "libretro/handheld.h"
#include "shell/core/data_folder.h"
#include "shell/core/device_state.h"

#include <libretro-common/libretro.h>

#include <chrono>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <memory>

namespace {

using namespace q50;

retro_environment_t environ_cb;
retro_video_refresh_t video_cb;
retro_audio_sample_batch_t audio_batch_cb;
retro_input_poll_t input_poll_cb;
retro_input_state_t input_state_cb;
retro_log_printf_t log_cb;

void log(retro_log_level level, const std::string& text) {
    if (log_cb)
        log_cb(level, "[Quendrix50] %s\n", text.c_str());
    else
        std::fprintf(stderr, "[Quendrix50] %s\n", text.c_str());
}

struct LogMessages : MessageSink {
    void error(const std::string& text) override { log(RETRO_LOG_ERROR, text); }
    void notice(const std::string& text) override { log(RETRO_LOG_WARN, text); }
};

// Outlives the loaded game: RetroArch writes the .srm from it after the game is unloaded.
Handheld::SaveRam save_ram{};

struct Core {
    LogMessages messages;
    HandheldSetup setup;
    std::unique_ptr<Handheld> device = std::make_unique<Handheld>(messages, save_ram);
    CoreOptions options;
    // A frontend that can show the last frame again is told so when nothing changed: the
    // device is still most of the time, and a whole frame handed over sixty times a second
    // is work for nothing on a small handheld.
    bool can_dupe = false;
    const Handheld* handed_device = nullptr;
    std::uint64_t handed_version = 0;
};
std::unique_ptr<Core> core;

// The RetroPad's buttons by their places, as the desktop's controller defaults are laid out
// (SDL names the bottom face button a, the right b, the left x and the top y).
struct PadPlace {
    unsigned retro;
    PadButton pad;
};
constexpr PadPlace kPadPlaces[] = {
    {RETRO_DEVICE_ID_JOYPAD_B, PadButton::a},
    {RETRO_DEVICE_ID_JOYPAD_A, PadButton::b},
    {RETRO_DEVICE_ID_JOYPAD_Y, PadButton::x},
    {RETRO_DEVICE_ID_JOYPAD_X, PadButton::y},
    {RETRO_DEVICE_ID_JOYPAD_SELECT, PadButton::back},
    {RETRO_DEVICE_ID_JOYPAD_START, PadButton::start},
    {RETRO_DEVICE_ID_JOYPAD_UP, PadButton::dpup},
    {RETRO_DEVICE_ID_JOYPAD_DOWN, PadButton::dpdown},
    {RETRO_DEVICE_ID_JOYPAD_LEFT, PadButton::dpleft},
    {RETRO_DEVICE_ID_JOYPAD_RIGHT, PadButton::dpright},
    {RETRO_DEVICE_ID_JOYPAD_L, PadButton::leftshoulder},
    {RETRO_DEVICE_ID_JOYPAD_R, PadButton::rightshoulder},
};

void describe_input() {
    std::vector<retro_input_descriptor> d;
    for (unsigned port = 0; port < FrameInput::kPorts; ++port) {
        d.push_back({port, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_START, "Game A"});
        d.push_back({port, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_SELECT, "Game B"});
        d.push_back({port, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_X, "Time"});
        d.push_back(
            {port, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_Y, "Open the game / ACL"});
        d.push_back({port, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_LEFT, "Left"});
        d.push_back({port, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_RIGHT, "Right"});
        d.push_back({port, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_B, "Bomb"});
    }
    d.push_back({0, 0, 0, 0, nullptr});
    environ_cb(RETRO_ENVIRONMENT_SET_INPUT_DESCRIPTORS, d.data());
}

retro_game_geometry geometry() {
    const PixelSize now = core->device->view_size(core->options.view);
    ViewChoice largest = core->options.view;
    largest.scale = kMaxViewScale;
    ViewChoice whole_largest{View::Device, kMaxViewScale};
    const PixelSize a = core->device->view_size(largest);
    const PixelSize b = core->device->view_size(whole_largest);
    retro_game_geometry g{};
    g.base_width = unsigned(now.width);
    g.base_height = unsigned(now.height);
    g.max_width = unsigned(std::max(a.width, b.width));
    g.max_height = unsigned(std::max(a.height, b.height));
    g.aspect_ratio = now.height > 0 ? float(now.width) / float(now.height) : 0.f;
    return g;
}

// Reads every option; true when the picture's size changed.
bool read_options() {
    const CoreOptions before = core->options;
    for (const OptionEntry* e = kOptionEntries; e->key; ++e) {
        retro_variable v{e->key, nullptr};
        if (environ_cb(RETRO_ENVIRONMENT_GET_VARIABLE, &v) && v.value)
            apply_option(core->options, e->key, v.value);
    }
    const CoreOptions& now = core->options;
    core->device->set_volume(now.volume);
    if (now.lcd_shadow != before.lcd_shadow || now.lcd_response != before.lcd_response)
        core->device->set_lcd_look(now.lcd_shadow, now.lcd_response);
    return !(now.view == before.view);
}

// The folder this core was loaded from.
std::filesystem::path core_folder() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&retro_api_version), &info) || !info.dli_fname) return {};
    std::error_code ec;
    const auto file = std::filesystem::canonical(info.dli_fname, ec);
    return ec ? std::filesystem::path() : file.parent_path();
}

// RetroArch's system folder first (<system>/quendrix50), then the data of the installation
// the core lies in (<prefix>/lib/<arch>/libretro beside <prefix>/share/quendrix50), then the
// run folder of the build it was built in.
std::filesystem::path delivered_data(const char* system_dir) {
    std::vector<std::filesystem::path> candidates;
    if (system_dir && *system_dir)
        candidates.push_back(std::filesystem::path(system_dir) / "quendrix50");
    if (const auto here = core_folder(); !here.empty()) {
        candidates.push_back(here / "../../../share/quendrix50");
        candidates.push_back(here / "../../share/quendrix50");
        candidates.push_back(here / "../run");
    }
    for (const auto& dir : candidates)
        if (std::filesystem::exists(dir / "Config.ini")) return dir.lexically_normal();
    return Q50_CORE_DATA_DIR;
}

// Testing and replays may fix what is otherwise taken from the clock at the load.
std::uint32_t seed_at_load() {
    if (const char* s = std::getenv("QUENDRIX50_SEED"))
        return std::uint32_t(std::strtoul(s, nullptr, 10));
    const auto t = std::chrono::system_clock::now().time_since_epoch().count();
    return std::uint32_t(t ^ (t >> 32));
}

std::int64_t time_of_day_at_load() {
    if (const char* s = std::getenv("QUENDRIX50_TIME_OF_DAY")) {
        int h = 0, m = 0;
        if (std::sscanf(s, "%d:%d", &h, &m) == 2 && h >= 0 && h < 24 && m >= 0 && m < 60)
            return (std::int64_t(h) * 60 + m) * 60000;
    }
    SystemClock clock;
    return clock.ms_of_day();
}

bool load(const retro_game_info* game) {
    const char* system_dir = nullptr;
    environ_cb(RETRO_ENVIRONMENT_GET_SYSTEM_DIRECTORY, &system_dir);
    const std::filesystem::path delivered = delivered_data(system_dir);
    HandheldSetup setup;
    setup.skin_dir = setup.sound_dir = delivered;
    if (game && game->path) {
        const std::filesystem::path content(game->path);
        std::string name = content.filename().string();
        for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
        if (name != "config.ini") {
            log(RETRO_LOG_ERROR,
                "The content must be a skin's Config.ini, not " + content.string());
            return false;
        }
        setup.skin_dir = content.parent_path();
        // A skin without sounds of its own plays the delivered ones.
        if (std::filesystem::exists(setup.skin_dir / "Sound")) setup.sound_dir = setup.skin_dir;
    }
    setup.seed = seed_at_load();
    setup.ms_of_day = time_of_day_at_load();

    retro_pixel_format format = RETRO_PIXEL_FORMAT_XRGB8888;
    if (!environ_cb(RETRO_ENVIRONMENT_SET_PIXEL_FORMAT, &format)) {
        log(RETRO_LOG_ERROR, "The frontend cannot show XRGB8888 pictures.");
        return false;
    }
    save_ram = {};
    core = std::make_unique<Core>();
    core->setup = setup;
    if (!core->device->load(setup)) {
        core.reset();
        return false;
    }
    read_options();
    describe_input();
    if (!environ_cb(RETRO_ENVIRONMENT_GET_CAN_DUPE, &core->can_dupe)) core->can_dupe = false;
    return true;
}

FrameInput poll() {
    FrameInput in;
    input_poll_cb();
    for (unsigned port = 0; port < FrameInput::kPorts; ++port) {
        std::uint32_t bits = 0;
        for (const PadPlace& p : kPadPlaces)
            if (input_state_cb(port, RETRO_DEVICE_JOYPAD, 0, p.retro)) bits |= 1u << int(p.pad);
        in.pads[port] = bits;
    }
    // Pointers span the picture from -0x7fff to 0x7fff on both axes.
    const PixelSize size = core->device->view_size(core->options.view);
    for (unsigned i = 0; i < unsigned(FrameInput::kPointers); ++i) {
        if (!input_state_cb(0, RETRO_DEVICE_POINTER, i, RETRO_DEVICE_ID_POINTER_PRESSED)) continue;
        const int x = input_state_cb(0, RETRO_DEVICE_POINTER, i, RETRO_DEVICE_ID_POINTER_X);
        const int y = input_state_cb(0, RETRO_DEVICE_POINTER, i, RETRO_DEVICE_ID_POINTER_Y);
        const int px = int((std::int64_t(x) + 0x7fff) * size.width / 0xfffe);
        const int py = int((std::int64_t(y) + 0x7fff) * size.height / 0xfffe);
        in.pointers[i] =
            core->device->design_point(core->options.view, std::clamp(px, 0, size.width - 1),
                                       std::clamp(py, 0, size.height - 1));
    }
    return in;
}

} // namespace

extern "C" {

RETRO_API unsigned retro_api_version(void) {
    return RETRO_API_VERSION;
}

RETRO_API void retro_set_environment(retro_environment_t cb) {
    environ_cb = cb;
    bool no_game = true;
    cb(RETRO_ENVIRONMENT_SET_SUPPORT_NO_GAME, &no_game);
    std::vector<retro_variable> vars;
    for (const OptionEntry* e = kOptionEntries; e->key; ++e) vars.push_back({e->key, e->value});
    vars.push_back({nullptr, nullptr});
    cb(RETRO_ENVIRONMENT_SET_VARIABLES, vars.data());
    retro_log_callback logging{};
    if (cb(RETRO_ENVIRONMENT_GET_LOG_INTERFACE, &logging)) log_cb = logging.log;
}

RETRO_API void retro_set_video_refresh(retro_video_refresh_t cb) {
    video_cb = cb;
}
RETRO_API void retro_set_audio_sample(retro_audio_sample_t) {}
RETRO_API void retro_set_audio_sample_batch(retro_audio_sample_batch_t cb) {
    audio_batch_cb = cb;
}
RETRO_API void retro_set_input_poll(retro_input_poll_t cb) {
    input_poll_cb = cb;
}
RETRO_API void retro_set_input_state(retro_input_state_t cb) {
    input_state_cb = cb;
}

RETRO_API void retro_init(void) {}
RETRO_API void retro_deinit(void) {
    core.reset();
}

RETRO_API void retro_get_system_info(retro_system_info* info) {
    std::memset(info, 0, sizeof(*info));
    info->library_name = "Quendrix50";
    info->library_version = Q50_VERSION;
    info->valid_extensions = "ini";
    info->need_fullpath = true;
    info->block_extract = true;
}

RETRO_API void retro_get_system_av_info(retro_system_av_info* info) {
    std::memset(info, 0, sizeof(*info));
    info->timing.fps = kFramesPerSecond;
    info->timing.sample_rate = SoftwareMixer::kRate;
    if (core) info->geometry = geometry();
}

RETRO_API void retro_set_controller_port_device(unsigned, unsigned) {}

RETRO_API void retro_reset(void) {
    // The device as just loaded, with the high scores it holds now and the options as set.
    if (!core) return;
    try {
        auto fresh = std::make_unique<Handheld>(core->messages, save_ram);
        if (!fresh->load(core->setup)) return;
        core->device = std::move(fresh);
        core->handed_device = nullptr;
        core->options = CoreOptions{};
        read_options();
        core->device->set_lcd_look(core->options.lcd_shadow, core->options.lcd_response);
    } catch (const std::exception& e) {
        log(RETRO_LOG_ERROR, std::string("the device could not be reset: ") + e.what());
    }
}

RETRO_API void retro_run(void) {
    if (!core) return;
    try {
        bool updated = false;
        if (environ_cb(RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE, &updated) && updated &&
            read_options()) {
            retro_game_geometry g = geometry();
            environ_cb(RETRO_ENVIRONMENT_SET_GEOMETRY, &g);
        }
        core->device->run_frame(poll());
        const PixelFrame& f = core->device->picture(core->options.view);
        const std::size_t pitch = std::size_t(f.width) * sizeof(std::uint32_t);
        const Handheld* device = core->device.get();
        if (core->can_dupe && core->handed_device == device &&
            core->handed_version == device->picture_version()) {
            video_cb(nullptr, unsigned(f.width), unsigned(f.height), pitch);
        } else {
            video_cb(f.pixels.data(), unsigned(f.width), unsigned(f.height), pitch);
            core->handed_device = device;
            core->handed_version = device->picture_version();
        }
        const auto sound = core->device->sound();
        if (!sound.empty()) audio_batch_cb(sound.data(), sound.size() / 2);
    } catch (const std::exception& e) {
        log(RETRO_LOG_ERROR, std::string("the device stopped: ") + e.what());
        core.reset();
        environ_cb(RETRO_ENVIRONMENT_SHUTDOWN, nullptr);
    }
}

RETRO_API size_t retro_serialize_size(void) {
    return kDeviceStateBytes;
}

RETRO_API bool retro_serialize(void* data, size_t size) {
    if (!core || size < kDeviceStateBytes) return false;
    const auto bytes = core->device->save_state();
    std::memcpy(data, bytes.data(), bytes.size());
    return true;
}

RETRO_API bool retro_unserialize(const void* data, size_t size) {
    if (!core) return false;
    std::string why;
    if (core->device->load_state({static_cast<const std::uint8_t*>(data), size}, why)) return true;
    log(RETRO_LOG_ERROR, "The state was not loaded: " + why);
    return false;
}

RETRO_API void retro_cheat_reset(void) {}
RETRO_API void retro_cheat_set(unsigned, bool, const char*) {}

RETRO_API bool retro_load_game(const retro_game_info* game) {
    try {
        return load(game);
    } catch (const std::exception& e) {
        log(RETRO_LOG_ERROR, std::string("the skin could not be loaded: ") + e.what());
        core.reset();
        return false;
    }
}

RETRO_API bool retro_load_game_special(unsigned, const retro_game_info*, size_t) {
    return false;
}

RETRO_API void retro_unload_game(void) {
    core.reset();
}

RETRO_API unsigned retro_get_region(void) {
    return RETRO_REGION_NTSC;
}

RETRO_API void* retro_get_memory_data(unsigned id) {
    return id == RETRO_MEMORY_SAVE_RAM ? save_ram.data() : nullptr;
}

RETRO_API size_t retro_get_memory_size(unsigned id) {
    return id == RETRO_MEMORY_SAVE_RAM ? kSaveRamBytes : 0;
}

} // extern "C"
