#include "shell/core/rig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace q50 {
namespace {

TEST(Buttons, EachWordNamesOneButton) {
    for (int i = 0; i < kButtonCount; ++i) {
        const Button b = Button(i);
        EXPECT_EQ(button_named(button_word(b)), b) << button_word(b);
    }
    EXPECT_EQ(button_named("game a"), std::nullopt);
    EXPECT_EQ(button_named(""), std::nullopt);
}

// Everything a player can see or a rule can read: the variables and the shown segments.
std::vector<std::string> state_of(Rig& rig) {
    std::vector<std::string> out;
    for (const VariableRef& v : rig.dev.variables())
        out.push_back(std::string(v.name) + "=" +
                      std::to_string(v.integer ? *v.integer : int(*v.flag)));
    for (const Segment& s : rig.dev.board.segments())
        if (s.shown) out.push_back(s.name);
    return out;
}

// A session of every press and release: the same game played through press()/release() and
// through the device's own actions ends in the same state at every step.
TEST(Buttons, PressAndReleaseAreTheDevicesOwnActions) {
    Rig by_button, by_action;
    by_button.start();
    by_action.start();
    using B = Button;
    struct Edge {
        B button;
        bool down;
        void (Device::*action)();
    };
    const std::vector<Edge> session = {
        {B::Open, true, &Device::Inp_open_down},    {B::Time, true, &Device::Inp_time_down},
        {B::Time, false, &Device::Inp_time_up},     {B::Acl, true, &Device::Inp_acl_down},
        {B::Acl, false, &Device::Inp_acl_up},       {B::Game_B, true, &Device::Inp_game_b_down},
        {B::Game_B, false, &Device::Inp_game_b_up}, {B::Game_A, true, &Device::Inp_game_a_down},
        {B::Game_A, false, &Device::Inp_game_a_up}, {B::Right, true, &Device::Inp_right_down},
        {B::Right, false, &Device::Inp_right_up},   {B::Bomb, true, &Device::Inp_bomb_down},
        {B::Bomb, false, &Device::Inp_bomb_up},     {B::Left, true, &Device::Inp_left_down},
        {B::Left, false, &Device::Inp_left_up},
    };
    std::int64_t t = 0;
    for (const Edge& e : session) {
        t += 700;
        by_button.dev.advance_to(t);
        by_action.dev.advance_to(t);
        if (e.down)
            by_button.dev.press(e.button);
        else
            by_button.dev.release(e.button);
        (by_action.dev.*e.action)();
        EXPECT_EQ(state_of(by_button), state_of(by_action))
            << button_word(e.button) << (e.down ? " down" : " up") << " at " << t;
    }
    EXPECT_NE(by_button.dev.Game_State, 0) << "the session never left the closed device";
}

TEST(Buttons, TheOpenButtonHasNoRelease) {
    Rig rig;
    rig.start();
    const auto before = state_of(rig);
    rig.dev.release(Button::Open);
    EXPECT_EQ(state_of(rig), before);
}

} // namespace
} // namespace q50
