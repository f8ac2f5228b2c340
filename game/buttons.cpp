// The device's buttons onto its actions, in one table.
#include "game/device.h"

#include <array>

namespace q50 {

namespace {

struct Edges {
    void (Device::*press)();
    void (Device::*release)(); // null: the button has no release
};

using D = Device;

constexpr std::array<Edges, kButtonCount> kButtons = {{
    {&D::Inp_open_down, nullptr},
    {&D::Inp_game_a_down, &D::Inp_game_a_up},
    {&D::Inp_game_b_down, &D::Inp_game_b_up},
    {&D::Inp_time_down, &D::Inp_time_up},
    {&D::Inp_acl_down, &D::Inp_acl_up},
    {&D::Inp_left_down, &D::Inp_left_up},
    {&D::Inp_right_down, &D::Inp_right_up},
    {&D::Inp_bomb_down, &D::Inp_bomb_up},
}};

} // namespace

void Device::press(Button b) {
    (this->*kButtons[std::size_t(b)].press)();
}

void Device::release(Button b) {
    if (auto up = kButtons[std::size_t(b)].release) (this->*up)();
}

} // namespace q50
