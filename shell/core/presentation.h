#pragma once
// How the device is shown, which is the desktop's business and not the game's: fullscreen or
// windowed, and whether the controller overlays show. Read from the store at the main
// window's creation (form_create.h) and changed only by the menu's commands.
namespace q50 {

struct Presentation {
    bool Fullscreen_Mode = false;
    bool Ctrlr_Overlay = false;
};

} // namespace q50
