#pragma once
// What the skin loader decides about the main window, without any toolkit: the desktop turns
// it into a real window, the painter into a frame.
#include "board/image.h"

namespace q50 {

// Colours with red in the lowest byte, as the skin file writes them.
constexpr Colour kColourWhite = 0x00FFFFFF;

struct WindowModel {
    int client_width = 498;
    int client_height = 750;
    // Painted wherever no picture covers the window.
    Colour colour = kColourWhite;
    // Windowed mode: window pixels of exactly the key colour are see-through.
    bool key_on = true;
    Colour key_colour = kColourWhite;
    // Whether im_backdrop stretches its picture over its rectangle (else centres it).
    bool backdrop_stretch = false;

    bool operator==(const WindowModel&) const = default;
};

// Larger client sizes from a skin file are cut to this, so that a typing error in
// GameWidth cannot ask for gigabytes of frame.
constexpr int kMaxClientSide = 16384;

} // namespace q50
