#include "input/pad.h"

#include "shell/core/memory_store.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace q50 {
namespace {

// A device stand-in that records the actions, already opened.
struct OpenedTarget : ButtonTarget {
    std::int32_t state = 2;
    std::vector<std::string> calls;
    std::int32_t game_state() const override { return state; }
    bool fullscreen_mode() const override { return false; }
    void perform(ButtonAction a) override {
        calls.emplace_back(action_name(a));
        if (a == pressed(Button::Open) && state == 0) state = 2;
    }
};

using Calls = std::vector<std::string>;
using B = PadButton;

struct Pads : ::testing::Test {
    MemoryStore store;
    PadAssignments pads;
    OpenedTarget target;
    PadDispatch input{target, pads};
    Calls take() { return std::exchange(target.calls, {}); }
    Calls click(std::int32_t pad, B b) {
        input.button_down(pad, b);
        input.button_up(pad, b);
        return take();
    }
};

TEST_F(Pads, DefaultMappingDrivesEverySevenButtonsAndTheSecondOnes) {
    pads.load(store);
    EXPECT_EQ(click(0, B::start), (Calls{"Inp_game_a_down", "Inp_game_a_up"}));
    EXPECT_EQ(click(0, B::back), (Calls{"Inp_game_b_down", "Inp_game_b_up"}));
    EXPECT_EQ(click(0, B::y), (Calls{"Inp_time_down", "Inp_time_up"}));
    EXPECT_EQ(click(0, B::x), (Calls{"Inp_acl_down", "Inp_acl_up"}));
    EXPECT_EQ(click(0, B::dpleft), (Calls{"Inp_left_down", "Inp_left_up"}));
    EXPECT_EQ(click(0, B::leftshoulder), (Calls{"Inp_left_down", "Inp_left_up"}));
    EXPECT_EQ(click(0, B::dpright), (Calls{"Inp_right_down", "Inp_right_up"}));
    EXPECT_EQ(click(0, B::rightshoulder), (Calls{"Inp_right_down", "Inp_right_up"}));
    EXPECT_EQ(click(0, B::a), (Calls{"Inp_bomb_down", "Inp_bomb_up"}));
    EXPECT_EQ(click(0, B::b), (Calls{"Inp_bomb_down", "Inp_bomb_up"}));
    for (B b : {B::dpup, B::dpdown, B::leftstick, B::misc1, B::touchpad})
        EXPECT_EQ(click(0, b), Calls{}) << pad_button_name(b);
    EXPECT_TRUE(store.read_text("Pad1") == std::nullopt) << "defaults are not written";
}

TEST_F(Pads, WestOpensTheClosedDeviceThenIsTheAclLikeItsKey) {
    target.state = 0;
    EXPECT_EQ(input.button_down(0, B::x), pressed(Button::Open));
    // The release finds the device open: it lifts the ACL picture, as the key's release does.
    EXPECT_EQ(input.button_up(0, B::x), released(Button::Acl));
    EXPECT_EQ(click(0, B::x), (Calls{"Inp_open_down", "Inp_acl_up", "Inp_acl_down", "Inp_acl_up"}));
    // A release in mode 0 (its press went elsewhere) does nothing.
    target.state = 0;
    input.button_down(0, B::x);
    target.state = 0;
    EXPECT_EQ(input.button_up(0, B::x), std::nullopt);
}

TEST_F(Pads, AHeldButtonDoesNotRepeatAndAStrayReleaseDoesNothing) {
    input.button_down(0, B::dpleft);
    input.button_down(0, B::dpleft);
    input.button_down(0, B::dpleft);
    EXPECT_EQ(take(), Calls{"Inp_left_down"});
    EXPECT_TRUE(input.holding(0));
    input.button_up(0, B::dpleft);
    input.button_up(0, B::dpleft);
    EXPECT_EQ(take(), Calls{"Inp_left_up"});
    EXPECT_FALSE(input.holding(0));
    input.button_up(0, B::start);
    EXPECT_EQ(take(), Calls{});
}

TEST_F(Pads, TheStickPressesBeyondHalfAndLetsGoInsideAQuarter) {
    for (int v : {0, 3000, -8000, 16383, -16383}) input.axis(0, PadAxis::leftx, v);
    EXPECT_EQ(take(), Calls{}) << "inside the dead zone";
    input.axis(0, PadAxis::leftx, -16384);
    input.axis(0, PadAxis::leftx, -32768);
    input.axis(0, PadAxis::leftx, -9000); // back towards the middle, not yet inside a quarter
    input.axis(0, PadAxis::leftx, -20000);
    EXPECT_EQ(take(), Calls{"Inp_left_down"});
    input.axis(0, PadAxis::leftx, -8191);
    EXPECT_EQ(take(), Calls{"Inp_left_up"});
    // Other axes never act.
    for (PadAxis a : {PadAxis::lefty, PadAxis::rightx, PadAxis::righty, PadAxis::lefttrigger})
        input.axis(0, a, 32767);
    EXPECT_EQ(take(), Calls{});
}

TEST_F(Pads, AStickFlickedAcrossReleasesBeforeItPresses) {
    input.axis(0, PadAxis::leftx, -32768);
    input.axis(0, PadAxis::leftx, 32767);
    input.axis(0, PadAxis::leftx, 0);
    EXPECT_EQ(take(), (Calls{"Inp_left_down", "Inp_left_up", "Inp_right_down", "Inp_right_up"}));
}

TEST_F(Pads, TwoPadsActEachWithItsOwnHeldButtons) {
    input.button_down(1, B::dpright);
    input.button_down(2, B::dpright); // the other pad's press is a press of its own
    input.button_up(1, B::dpright);
    input.button_down(1, B::dpright);
    EXPECT_EQ(take(),
              (Calls{"Inp_right_down", "Inp_right_down", "Inp_right_up", "Inp_right_down"}));
    EXPECT_TRUE(input.holding(1));
    EXPECT_TRUE(input.holding(2));
}

TEST_F(Pads, APadRemovedWhileHoldingDeliversEveryRelease) {
    input.button_down(7, B::a);
    input.button_down(7, B::start);
    input.axis(7, PadAxis::leftx, 30000);
    input.button_down(8, B::dpleft);
    take();
    input.pad_removed(7);
    EXPECT_EQ(take(), (Calls{"Inp_bomb_up", "Inp_game_a_up", "Inp_right_up"}));
    EXPECT_FALSE(input.holding(7));
    EXPECT_TRUE(input.holding(8)) << "the other pad keeps its button";
    input.pad_removed(7);
    EXPECT_EQ(take(), Calls{});
}

TEST_F(Pads, GuideTogglesTheMenuOncePerPressAndDrivesNoButton) {
    int clicks = 0;
    input.on_guide = [&] { ++clicks; };
    input.button_down(0, B::guide);
    input.button_down(0, B::guide);
    input.button_up(0, B::guide);
    input.button_down(0, B::guide);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(take(), Calls{});
}

TEST_F(Pads, StoredAssignmentsByNameTakeOverTheSecondButtons) {
    store.preset("Pad1", "b");       // B becomes Game A, so it is no longer a bomb button
    store.preset("Pad5", "dpup");    // left on the d-pad's up
    store.preset("Pad7", "rubbish"); // an unknown name keeps the default
    pads.load(store);
    EXPECT_EQ(pads.Pad[1], B::b);
    EXPECT_EQ(pads.Pad[7], B::a);
    EXPECT_EQ(click(0, B::b), (Calls{"Inp_game_a_down", "Inp_game_a_up"}));
    EXPECT_EQ(click(0, B::start), Calls{});
    EXPECT_EQ(click(0, B::dpup), (Calls{"Inp_left_down", "Inp_left_up"}));
    EXPECT_EQ(click(0, B::dpleft), Calls{});
    EXPECT_EQ(click(0, B::leftshoulder), (Calls{"Inp_left_down", "Inp_left_up"}));

    pads.save(store);
    EXPECT_EQ(store.read_text("Pad1"), "b");
    EXPECT_EQ(store.read_text("Pad7"), "a");
}

TEST_F(Pads, AReleaseMatchesItsPressEvenWhenTheMappingChangedMeanwhile) {
    input.button_down(0, B::start);
    pads.Pad[1] = B::y;
    pads.Pad[3] = B::start;
    input.button_up(0, B::start);
    EXPECT_EQ(take(), (Calls{"Inp_game_a_down", "Inp_game_a_up"}));
}

TEST(PadNames, AreSdlsNamesBothWays) {
    for (int i = 0; i < kPadButtonCount; ++i)
        EXPECT_EQ(pad_button_by_name(pad_button_name(PadButton(i))), PadButton(i));
    for (int i = 0; i < kPadAxisCount; ++i)
        EXPECT_EQ(pad_axis_by_name(pad_axis_name(PadAxis(i))), PadAxis(i));
    EXPECT_EQ(pad_button_name(B::leftshoulder), "leftshoulder");
    EXPECT_EQ(pad_button_by_name("A"), std::nullopt) << "names are exact";
    EXPECT_EQ(pad_axis_by_name(""), std::nullopt);
}

} // namespace
} // namespace q50
