#include "shell/pad_source.h"

#include "shell/core/device_target.h"
#include "shell/core/form_create.h"
#include "shell/core/memory_store.h"
#include "shell/core/rig.h"
#include "shell/virtual_pad.h"

#include <SDL.h>

#include <gtest/gtest.h>

namespace q50 {
namespace {

// A switched-on device, driven by a real-time driver on a settable clock, with SDL's
// game-controller subsystem and a virtual controller.
struct PadSourceTest : ::testing::Test, Rig {
    PadAssignments pads;
    DeviceTarget target{dev};
    PadDispatch dispatch{target, pads};
    std::int64_t wall = 0;
    RealtimeDriver driver{dev, [this] { return wall; }};
    PadSource source{dispatch, driver};
    VirtualPad pad;
    int changes = 0;

    void SetUp() override {
        form_create();
        driver.run([&] { dev.power_on(); });
        QObject::connect(&source, &PadSource::controllers_changed, [this] { ++changes; });
        ASSERT_TRUE(source.start()) << SDL_GetError();
    }
    void TearDown() override {
        pad.detach();
        source.stop();
    }
    void press(PadButton b, bool down) {
        pad.set_button(b, down);
        source.pump();
    }
};

TEST_F(PadSourceTest, AnAttachedControllerIsTakenUpAndDrivesTheDevice) {
    EXPECT_EQ(source.connected(), 0);
    EXPECT_FALSE(source.polling()) << "no controller, no poll";
    ASSERT_TRUE(pad.attach()) << SDL_GetError();
    source.pump();
    ASSERT_EQ(source.connected(), 1);
    EXPECT_EQ(changes, 1);
    // A virtual controller is woken by whoever drives it: no poll for it either.
    EXPECT_FALSE(source.polling());

    press(PadButton::x, true); // opens the closed device
    EXPECT_EQ(dev.Game_State, 2);
    press(PadButton::x, false);
    wall = 100;
    press(PadButton::start, true);
    EXPECT_EQ(dev.Game_State, 5);
    EXPECT_EQ(dev.now(), 100) << "the press runs at the driver's time";
    press(PadButton::start, false);
    EXPECT_EQ(dev.Game_State, 6);

    // Into play, then a step to the right by the stick.
    // The clock moves on in small steps, as it does for a driver that is never late.
    while (wall < 10800) {
        wall += 10;
        driver.poll();
    }
    ASSERT_TRUE(dev.Play_Active);
    const int before = dev.Pelko_Pos;
    pad.set_axis(PadAxis::leftx, 32767);
    source.pump();
    EXPECT_EQ(dev.Pelko_Pos, before + 1);
    pad.set_axis(PadAxis::leftx, 0);
    source.pump();
    EXPECT_FALSE(dev.Move_Lock);
}

TEST_F(PadSourceTest, AControllerPulledOutWhileHoldingLetsGoOfItsButtons) {
    ASSERT_TRUE(pad.attach());
    source.pump();
    press(PadButton::x, true);
    press(PadButton::x, false);
    press(PadButton::dpleft, true);
    EXPECT_EQ(dev.board.find("btn_move_top")->picture_source, "btn_move_down_left");
    press(PadButton::a, true);
    EXPECT_TRUE(dev.board.shown("btn_bomb_down"));

    pad.detach();
    source.pump();
    EXPECT_EQ(source.connected(), 0);
    EXPECT_EQ(changes, 2);
    EXPECT_FALSE(dev.board.shown("btn_bomb_down"));
    EXPECT_TRUE(dev.board.find("btn_move_top")->picture_source.empty());

    // Plugged in again while the program runs: taken up again.
    ASSERT_TRUE(pad.attach());
    source.pump();
    EXPECT_EQ(source.connected(), 1);
    press(PadButton::a, true);
    EXPECT_TRUE(dev.board.shown("btn_bomb_down"));
}

TEST_F(PadSourceTest, PressesWaitForInputToBeTakenAndCaptureTakesThemFirst) {
    ASSERT_TRUE(pad.attach());
    source.pump();
    bool taking = false;
    source.accepting = [&] { return taking; };
    press(PadButton::x, true);
    press(PadButton::x, false);
    EXPECT_EQ(dev.Game_State, 0) << "not taken";

    taking = true;
    std::vector<PadButton> captured;
    source.capture = [&](PadButton b) {
        captured.push_back(b);
        return true;
    };
    press(PadButton::y, true);
    press(PadButton::y, false);
    EXPECT_EQ(captured, std::vector<PadButton>{PadButton::y});
    EXPECT_FALSE(dev.board.shown("btn_time_down"));

    source.capture = nullptr;
    press(PadButton::a, true);
    EXPECT_TRUE(dev.board.shown("btn_bomb_down"));
    taking = false; // the release of a held button still arrives
    press(PadButton::a, false);
    EXPECT_FALSE(dev.board.shown("btn_bomb_down"));
}

TEST_F(PadSourceTest, TwoControllersBothAct) {
    VirtualPad second;
    ASSERT_TRUE(pad.attach());
    ASSERT_TRUE(second.attach());
    source.pump();
    EXPECT_EQ(source.connected(), 2);
    press(PadButton::x, true);
    press(PadButton::x, false);
    second.set_button(PadButton::y, true);
    source.pump();
    EXPECT_EQ(dev.Game_State, 3) << "Time held from the second controller";
    second.detach();
    source.pump();
    EXPECT_EQ(dev.Game_State, 4) << "its release arrived as it went";
    EXPECT_EQ(source.connected(), 1);
}

TEST(PadNamesAgainstSdl, OurNamesAreSdlsNames) {
    for (int i = 0; i < kPadButtonCount; ++i)
        EXPECT_STREQ(SDL_GameControllerGetStringForButton(SDL_GameControllerButton(i)),
                     std::string(pad_button_name(PadButton(i))).c_str());
    for (int i = 0; i < kPadAxisCount; ++i)
        EXPECT_STREQ(SDL_GameControllerGetStringForAxis(SDL_GameControllerAxis(i)),
                     std::string(pad_axis_name(PadAxis(i))).c_str());
    EXPECT_EQ(int(SDL_CONTROLLER_BUTTON_MAX), kPadButtonCount);
    EXPECT_EQ(int(SDL_CONTROLLER_AXIS_MAX), kPadAxisCount);
}

} // namespace
} // namespace q50
