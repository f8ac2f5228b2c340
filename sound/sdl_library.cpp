#include "sound/sdl_library.h"

#include "sound/run_time_library.h"

namespace q50 {

namespace {

constexpr const char* kLibraryName = "libSDL2-2.0.so.0";
std::string open_error;

const SdlLibrary* open_sdl() {
    RunTimeLibrary library(kLibraryName, "SDL");
    static SdlLibrary sdl{};
    const bool complete =
        library.find("SDL_SetHint", sdl.SetHint) &&
        library.find("SDL_SetHintWithPriority", sdl.SetHintWithPriority) &&
        library.find("SDL_GetHint", sdl.GetHint) && library.find("SDL_GetError", sdl.GetError) &&
        library.find("SDL_InitSubSystem", sdl.InitSubSystem) &&
        library.find("SDL_QuitSubSystem", sdl.QuitSubSystem) &&
        library.find("SDL_RWFromConstMem", sdl.RWFromConstMem) &&
        library.find("SDL_PumpEvents", sdl.PumpEvents) &&
        library.find("SDL_PollEvent", sdl.PollEvent) &&
        library.find("SDL_NumJoysticks", sdl.NumJoysticks) &&
        library.find("SDL_IsGameController", sdl.IsGameController) &&
        library.find("SDL_GameControllerOpen", sdl.GameControllerOpen) &&
        library.find("SDL_GameControllerClose", sdl.GameControllerClose) &&
        library.find("SDL_GameControllerGetJoystick", sdl.GameControllerGetJoystick) &&
        library.find("SDL_JoystickGetDeviceInstanceID", sdl.JoystickGetDeviceInstanceID) &&
        library.find("SDL_JoystickIsVirtual", sdl.JoystickIsVirtual) &&
        library.find("SDL_JoystickPath", sdl.JoystickPath) &&
        library.find("SDL_JoystickOpen", sdl.JoystickOpen) &&
        library.find("SDL_JoystickClose", sdl.JoystickClose) &&
        library.find("SDL_JoystickInstanceID", sdl.JoystickInstanceID) &&
        library.find("SDL_JoystickAttachVirtualEx", sdl.JoystickAttachVirtualEx) &&
        library.find("SDL_JoystickDetachVirtual", sdl.JoystickDetachVirtual) &&
        library.find("SDL_JoystickSetVirtualButton", sdl.JoystickSetVirtualButton) &&
        library.find("SDL_JoystickSetVirtualAxis", sdl.JoystickSetVirtualAxis);
    open_error = library.error();
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
