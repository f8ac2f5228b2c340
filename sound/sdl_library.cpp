#include "sound/sdl_library.h"

#include <dlfcn.h>

namespace q50 {

namespace {

constexpr const char* kLibraryName = "libSDL2-2.0.so.0";
std::string open_error;

template <typename F> bool find(void* library, const char* name, F& fn) {
    fn = reinterpret_cast<F>(dlsym(library, name));
    if (!fn) open_error = std::string("SDL lacks the function ") + name + ": " + kLibraryName;
    return fn != nullptr;
}

const SdlLibrary* open_sdl() {
    void* library = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* why = dlerror();
        open_error = std::string("SDL could not be loaded: ") + (why ? why : kLibraryName);
        return nullptr;
    }
    static SdlLibrary sdl{};
    const bool complete =
        find(library, "SDL_SetHint", sdl.SetHint) &&
        find(library, "SDL_SetHintWithPriority", sdl.SetHintWithPriority) &&
        find(library, "SDL_GetHint", sdl.GetHint) && find(library, "SDL_GetError", sdl.GetError) &&
        find(library, "SDL_InitSubSystem", sdl.InitSubSystem) &&
        find(library, "SDL_QuitSubSystem", sdl.QuitSubSystem) &&
        find(library, "SDL_RWFromFile", sdl.RWFromFile) &&
        find(library, "SDL_PumpEvents", sdl.PumpEvents) &&
        find(library, "SDL_PollEvent", sdl.PollEvent) &&
        find(library, "SDL_NumJoysticks", sdl.NumJoysticks) &&
        find(library, "SDL_IsGameController", sdl.IsGameController) &&
        find(library, "SDL_GameControllerOpen", sdl.GameControllerOpen) &&
        find(library, "SDL_GameControllerClose", sdl.GameControllerClose) &&
        find(library, "SDL_GameControllerGetJoystick", sdl.GameControllerGetJoystick) &&
        find(library, "SDL_JoystickGetDeviceInstanceID", sdl.JoystickGetDeviceInstanceID) &&
        find(library, "SDL_JoystickIsVirtual", sdl.JoystickIsVirtual) &&
        find(library, "SDL_JoystickPath", sdl.JoystickPath) &&
        find(library, "SDL_JoystickOpen", sdl.JoystickOpen) &&
        find(library, "SDL_JoystickClose", sdl.JoystickClose) &&
        find(library, "SDL_JoystickInstanceID", sdl.JoystickInstanceID) &&
        find(library, "SDL_JoystickAttachVirtualEx", sdl.JoystickAttachVirtualEx) &&
        find(library, "SDL_JoystickDetachVirtual", sdl.JoystickDetachVirtual) &&
        find(library, "SDL_JoystickSetVirtualButton", sdl.JoystickSetVirtualButton) &&
        find(library, "SDL_JoystickSetVirtualAxis", sdl.JoystickSetVirtualAxis);
    // The library stays open: subsystems, controllers and the device outlive any one caller.
    return complete ? &sdl : nullptr;
}

} // namespace

const SdlLibrary* sdl_library() {
    static const SdlLibrary* const sdl = open_sdl();
    return sdl;
}

std::string sdl_library_error() {
    sdl_library();
    return open_error;
}

} // namespace q50
