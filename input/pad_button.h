#pragma once
// A game controller's buttons, in SDL's order: a button's number is its SDL_GameControllerButton
// value, and its name (input/pad.h) SDL's own.
namespace q50 {

enum class PadButton : int {
    a,
    b,
    x,
    y,
    back,
    guide,
    start,
    leftstick,
    rightstick,
    leftshoulder,
    rightshoulder,
    dpup,
    dpdown,
    dpleft,
    dpright,
    misc1,
    paddle1,
    paddle2,
    paddle3,
    paddle4,
    touchpad,
};
constexpr int kPadButtonCount = 21;

} // namespace q50
