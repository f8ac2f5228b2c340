#pragma once
// SDL's core library opened at run time, the first time a sound output or the game
// controllers start (the controllers only once the first frame is on the screen and a node
// that can be a controller is in /dev/input). The library brings some thirty others with it
// (sound servers, codecs, display systems): a start that has not needed it yet loads none of
// them.
#include <SDL.h>

#include <string>

namespace q50 {

// The SDL functions the program calls.
struct SdlLibrary {
    decltype(&::SDL_SetHint) SetHint;
    decltype(&::SDL_SetHintWithPriority) SetHintWithPriority;
    decltype(&::SDL_GetHint) GetHint;
    decltype(&::SDL_GetError) GetError;
    decltype(&::SDL_InitSubSystem) InitSubSystem;
    decltype(&::SDL_QuitSubSystem) QuitSubSystem;
    decltype(&::SDL_RWFromConstMem) RWFromConstMem;
    decltype(&::SDL_PumpEvents) PumpEvents;
    decltype(&::SDL_PollEvent) PollEvent;
    decltype(&::SDL_NumJoysticks) NumJoysticks;
    decltype(&::SDL_IsGameController) IsGameController;
    decltype(&::SDL_GameControllerOpen) GameControllerOpen;
    decltype(&::SDL_GameControllerClose) GameControllerClose;
    decltype(&::SDL_GameControllerGetJoystick) GameControllerGetJoystick;
    decltype(&::SDL_JoystickGetDeviceInstanceID) JoystickGetDeviceInstanceID;
    decltype(&::SDL_JoystickIsVirtual) JoystickIsVirtual;
    decltype(&::SDL_JoystickPath) JoystickPath;
    decltype(&::SDL_JoystickOpen) JoystickOpen;
    decltype(&::SDL_JoystickClose) JoystickClose;
    decltype(&::SDL_JoystickInstanceID) JoystickInstanceID;
    decltype(&::SDL_JoystickAttachVirtualEx) JoystickAttachVirtualEx;
    decltype(&::SDL_JoystickDetachVirtual) JoystickDetachVirtual;
    decltype(&::SDL_JoystickSetVirtualButton) JoystickSetVirtualButton;
    decltype(&::SDL_JoystickSetVirtualAxis) JoystickSetVirtualAxis;
};

// SDL, opened once and kept to the end; null when the library or one of its functions is
// missing (a sound output that cannot start, no controllers).
const SdlLibrary* sdl_library();

// Why sdl_library() gave null, for the user.
std::string sdl_library_error();

} // namespace q50
