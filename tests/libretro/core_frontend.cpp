#include "tests/libretro/core_frontend.h"

#include <dlfcn.h>

#include <atomic>
#include <cstdarg>
#include <cstring>
#include <stdexcept>
#include <unistd.h>

namespace q50::test {

struct CoreFrontend::Api {
    void (*init)();
    void (*deinit)();
    void (*set_environment)(retro_environment_t);
    void (*set_video_refresh)(retro_video_refresh_t);
    void (*set_audio_sample_batch)(retro_audio_sample_batch_t);
    void (*set_input_poll)(retro_input_poll_t);
    void (*set_input_state)(retro_input_state_t);
    void (*get_system_av_info)(retro_system_av_info*);
    bool (*load_game)(const retro_game_info*);
    void (*unload_game)();
    void (*run)();
    void (*reset)();
    size_t (*serialize_size)();
    bool (*serialize)(void*, size_t);
    bool (*unserialize)(const void*, size_t);
    void* (*get_memory_data)(unsigned);
    size_t (*get_memory_size)(unsigned);
};

CoreFrontend* CoreFrontend::current_ = nullptr;

namespace {

template <class F> void bind(void* handle, const char* name, F& f) {
    f = reinterpret_cast<F>(dlsym(handle, name));
    if (!f) throw std::runtime_error(std::string("the core has no ") + name);
}

} // namespace

CoreFrontend::CoreFrontend(const std::filesystem::path& system_dir) : system_dir_(system_dir) {
    // The core's globals are its own per loaded file: a copy under a fresh name is a fresh core.
    static std::atomic<int> copies{0};
    const auto dir = std::filesystem::temp_directory_path() /
                     ("q50-core-" + std::to_string(getpid()) + "-" + std::to_string(copies++));
    std::filesystem::create_directories(dir);
    copy_ = dir / "quendrix50_libretro.so";
    std::filesystem::copy_file(Q50_CORE_PATH, copy_);
    handle_ = dlopen(copy_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) throw std::runtime_error(std::string("dlopen: ") + dlerror());
    api_ = new Api;
    bind(handle_, "retro_init", api_->init);
    bind(handle_, "retro_deinit", api_->deinit);
    bind(handle_, "retro_set_environment", api_->set_environment);
    bind(handle_, "retro_set_video_refresh", api_->set_video_refresh);
    bind(handle_, "retro_set_audio_sample_batch", api_->set_audio_sample_batch);
    bind(handle_, "retro_set_input_poll", api_->set_input_poll);
    bind(handle_, "retro_set_input_state", api_->set_input_state);
    bind(handle_, "retro_get_system_av_info", api_->get_system_av_info);
    bind(handle_, "retro_load_game", api_->load_game);
    bind(handle_, "retro_unload_game", api_->unload_game);
    bind(handle_, "retro_run", api_->run);
    bind(handle_, "retro_reset", api_->reset);
    bind(handle_, "retro_serialize_size", api_->serialize_size);
    bind(handle_, "retro_serialize", api_->serialize);
    bind(handle_, "retro_unserialize", api_->unserialize);
    bind(handle_, "retro_get_memory_data", api_->get_memory_data);
    bind(handle_, "retro_get_memory_size", api_->get_memory_size);
    system_dir_text_ = system_dir_.string();
    enter();
    api_->set_environment(&environment);
    api_->set_video_refresh(&video);
    api_->set_audio_sample_batch(&audio);
    api_->set_input_poll(&poll);
    api_->set_input_state(&input);
    api_->init();
}

CoreFrontend::~CoreFrontend() {
    enter();
    if (loaded_) api_->unload_game();
    api_->deinit();
    delete api_;
    dlclose(handle_);
    std::error_code ec;
    std::filesystem::remove_all(copy_.parent_path(), ec);
    if (current_ == this) current_ = nullptr;
}

bool CoreFrontend::load(const std::optional<std::filesystem::path>& content) {
    enter();
    std::string path = content ? content->string() : std::string();
    retro_game_info info{};
    info.path = path.c_str();
    loaded_ = api_->load_game(content ? &info : nullptr);
    return loaded_;
}

void CoreFrontend::unload() {
    enter();
    if (loaded_) api_->unload_game();
    loaded_ = false;
}

void CoreFrontend::run(int frames) {
    enter();
    for (int i = 0; i < frames; ++i) api_->run();
}

void CoreFrontend::reset() {
    enter();
    api_->reset();
}

void CoreFrontend::set_option(const std::string& key, const std::string& value) {
    options_[key] = value;
    options_changed_ = true;
}

retro_system_av_info CoreFrontend::av_info() {
    enter();
    retro_system_av_info info{};
    api_->get_system_av_info(&info);
    return info;
}

std::vector<std::uint8_t> CoreFrontend::save_state() {
    enter();
    std::vector<std::uint8_t> bytes(api_->serialize_size());
    if (!api_->serialize(bytes.data(), bytes.size())) return {};
    return bytes;
}

bool CoreFrontend::load_state(const std::vector<std::uint8_t>& bytes) {
    enter();
    return api_->unserialize(bytes.data(), bytes.size());
}

std::vector<std::uint8_t> CoreFrontend::save_ram() {
    enter();
    auto* data = static_cast<std::uint8_t*>(api_->get_memory_data(RETRO_MEMORY_SAVE_RAM));
    const size_t size = api_->get_memory_size(RETRO_MEMORY_SAVE_RAM);
    if (!data) return {};
    return {data, data + size};
}

void CoreFrontend::set_save_ram(const std::vector<std::uint8_t>& bytes) {
    enter();
    auto* data = static_cast<std::uint8_t*>(api_->get_memory_data(RETRO_MEMORY_SAVE_RAM));
    const size_t size = api_->get_memory_size(RETRO_MEMORY_SAVE_RAM);
    if (data) std::memcpy(data, bytes.data(), std::min(size, bytes.size()));
}

bool CoreFrontend::environment(unsigned cmd, void* data) {
    CoreFrontend& f = *current_;
    switch (cmd) {
    case RETRO_ENVIRONMENT_SET_PIXEL_FORMAT:
        return *static_cast<retro_pixel_format*>(data) == RETRO_PIXEL_FORMAT_XRGB8888;
    case RETRO_ENVIRONMENT_GET_SYSTEM_DIRECTORY:
        *static_cast<const char**>(data) =
            f.system_dir_text_.empty() ? nullptr : f.system_dir_text_.c_str();
        return true;
    case RETRO_ENVIRONMENT_SET_SUPPORT_NO_GAME:
        return true;
    case RETRO_ENVIRONMENT_GET_CAN_DUPE:
        *static_cast<bool*>(data) = f.can_dupe;
        return true;
    case RETRO_ENVIRONMENT_SET_VARIABLES:
        for (auto* v = static_cast<const retro_variable*>(data); v->key; ++v)
            f.declared_options[v->key] = v->value;
        return true;
    case RETRO_ENVIRONMENT_GET_VARIABLE: {
        auto* v = static_cast<retro_variable*>(data);
        const auto it = f.options_.find(v->key);
        v->value = it == f.options_.end() ? nullptr : it->second.c_str();
        return it != f.options_.end();
    }
    case RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE:
        *static_cast<bool*>(data) = f.options_changed_;
        f.options_changed_ = false;
        return true;
    case RETRO_ENVIRONMENT_SET_GEOMETRY:
        f.last_geometry = *static_cast<const retro_game_geometry*>(data);
        return true;
    case RETRO_ENVIRONMENT_SET_INPUT_DESCRIPTORS: {
        f.descriptor_count = 0;
        for (auto* d = static_cast<const retro_input_descriptor*>(data); d->description; ++d)
            ++f.descriptor_count;
        return true;
    }
    case RETRO_ENVIRONMENT_GET_LOG_INTERFACE:
        static_cast<retro_log_callback*>(data)->log = &log_printf;
        return true;
    default:
        return false;
    }
}

void CoreFrontend::video(const void* data, unsigned w, unsigned h, size_t pitch) {
    CoreFrontend& f = *current_;
    if (!data) {
        ++f.dupes; // the same frame again
        return;
    }
    ++f.handed;
    f.frame_.width = w;
    f.frame_.height = h;
    f.frame_.pixels.resize(std::size_t(w) * h);
    if (pitch == std::size_t(w) * 4) {
        std::memcpy(f.frame_.pixels.data(), data, pitch * h);
        return;
    }
    for (unsigned y = 0; y < h; ++y)
        std::memcpy(f.frame_.pixels.data() + std::size_t(y) * w,
                    static_cast<const std::uint8_t*>(data) + y * pitch, w * 4);
}

size_t CoreFrontend::audio(const int16_t* data, size_t frames) {
    current_->sound.insert(current_->sound.end(), data, data + frames * 2);
    return frames;
}

std::int16_t CoreFrontend::input(unsigned port, unsigned device, unsigned index, unsigned id) {
    CoreFrontend& f = *current_;
    if (device == RETRO_DEVICE_JOYPAD && port < 2 && index == 0 && id < 16)
        return (f.pads[port] >> id) & 1;
    if (device == RETRO_DEVICE_POINTER && port == 0 && index < f.pointers.size()) {
        if (id == RETRO_DEVICE_ID_POINTER_PRESSED) return 1;
        if (id == RETRO_DEVICE_ID_POINTER_X) return std::int16_t(f.pointers[index].first);
        if (id == RETRO_DEVICE_ID_POINTER_Y) return std::int16_t(f.pointers[index].second);
    }
    return 0;
}

void CoreFrontend::log_printf(retro_log_level, const char* fmt, ...) {
    char text[2048];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    if (current_) current_->log.push_back(text);
}

} // namespace q50::test
