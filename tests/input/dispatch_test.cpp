#include "input/dispatch.h"

#include "shell/core/memory_store.h"

#include "../support/mouse_buttons.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace q50 {
namespace {

// A device stand-in that records the actions and opens on Inp_open_down as the device does.
struct RecordingTarget : ButtonTarget {
    std::int32_t state = 0;
    bool fullscreen = false;
    std::vector<std::string> calls;
    std::int32_t game_state() const override { return state; }
    bool fullscreen_mode() const override { return fullscreen; }
    void perform(ButtonAction a) override {
        calls.emplace_back(action_name(a));
        if (a == pressed(Button::Open) && state == 0) state = 2;
    }
};

struct Window : WindowMover {
    int x = 100, y = 200;
    std::vector<std::string> moves;
    int left() const override { return x; }
    int top() const override { return y; }
    void set_left(int v) override {
        moves.push_back("left " + std::to_string(v));
        x = v;
    }
    void set_top(int v) override {
        moves.push_back("top " + std::to_string(v));
        y = v;
    }
};

struct Dispatch : ::testing::Test {
    MemoryStore store;
    Board board;
    KeyAssignments keys;
    RecordingTarget target;
    Window window;
    InputDispatch input{target, keys};

    void load(std::initializer_list<std::pair<const char*, const char*>> stored = {}) {
        for (auto& [n, v] : stored) store.preset(n, v);
        keys.Keys_Load(store, board);
        input.set_window(&window);
    }
    std::vector<std::string> take() { return std::exchange(target.calls, {}); }
};

using Calls = std::vector<std::string>;

TEST_F(Dispatch, DefaultKeysDriveTheSevenButtons) {
    load();
    target.state = 4;
    const struct {
        std::uint16_t code;
        const char* down;
        const char* up;
    } rows[] = {
        {'1', "Inp_game_a_down", "Inp_game_a_up"}, {'2', "Inp_game_b_down", "Inp_game_b_up"},
        {'3', "Inp_time_down", "Inp_time_up"},     {'5', "Inp_acl_down", "Inp_acl_up"},
        {37, "Inp_left_down", "Inp_left_up"},      {39, "Inp_right_down", "Inp_right_up"},
        {17, "Inp_bomb_down", "Inp_bomb_up"},
    };
    for (const auto& r : rows) {
        input.key_down(r.code);
        input.key_up(r.code);
        EXPECT_EQ(take(), (Calls{r.down, r.up})) << "key " << r.code;
    }
    // Unassigned keys, the keypad digits and Shift do nothing.
    for (std::uint16_t code : {std::uint16_t('4'), std::uint16_t('A'), std::uint16_t(16),
                               std::uint16_t(32), std::uint16_t(38), std::uint16_t(0x61)}) {
        EXPECT_FALSE(input.key_down(code));
        EXPECT_FALSE(input.key_up(code));
    }
    EXPECT_TRUE(take().empty());
}

TEST_F(Dispatch, AclKeyOpensTheClosedDeviceAndIsAclOtherwise) {
    load();
    // Held on the closed device: the first press opens, repeats and release are the ACL.
    input.key_down('5');
    input.key_down('5');
    input.key_down('5');
    input.key_up('5');
    EXPECT_EQ(take(), (Calls{"Inp_open_down", "Inp_acl_down", "Inp_acl_down", "Inp_acl_up"}));
    // A release while closed (the press went elsewhere) does nothing.
    target.state = 0;
    EXPECT_FALSE(input.key_up('5'));
    EXPECT_TRUE(take().empty());
}

TEST_F(Dispatch, HeldArrowRepeatsTheDownActionAndReleasesOnce) {
    load();
    target.state = 6;
    for (int i = 0; i < 5; ++i) input.key_down(37);
    input.key_up(37);
    EXPECT_EQ(take(), (Calls{"Inp_left_down", "Inp_left_down", "Inp_left_down", "Inp_left_down",
                             "Inp_left_down", "Inp_left_up"}));
}

TEST_F(Dispatch, ChangedAssignmentsTakeEffect) {
    load({{"Key1", "11"}, {"Key4", "44"}, {"Key7", "43"}, {"Key5", "37"}});
    target.state = 6;
    input.key_down('A');
    input.key_down(16);
    input.key_up(16);
    input.key_down(38);
    EXPECT_EQ(take(), (Calls{"Inp_game_a_down", "Inp_bomb_down", "Inp_bomb_up", "Inp_left_down"}));
    // The old keys no longer act.
    EXPECT_FALSE(input.key_down('1'));
    EXPECT_FALSE(input.key_down(17));
    EXPECT_FALSE(input.key_down(37));
    // The spacebar is now open/ACL.
    target.state = 0;
    input.key_down(32);
    EXPECT_EQ(take(), (Calls{"Inp_open_down"}));
}

TEST_F(Dispatch, RebindingAfterLoadTakesEffectAtOnce) {
    load();
    target.state = 6;
    KeyBindingRecord rec{44, 0};
    keys.Key_Binding[7].Choice = rec.Choice;
    keys.AssignWord(7, rec);
    input.key_down(32);
    EXPECT_EQ(take(), (Calls{"Inp_bomb_down"}));
    EXPECT_FALSE(input.key_down(17));
}

TEST_F(Dispatch, DuplicateKeysLowerAssignmentWins) {
    // Game A and Game B on the same key: Game A on press and release.
    load({{"Key2", "2"}});
    target.state = 4;
    input.key_down('1');
    input.key_up('1');
    EXPECT_EQ(take(), (Calls{"Inp_game_a_down", "Inp_game_a_up"}));
}

TEST_F(Dispatch, AclReleaseOnClosedDeviceFallsThroughToLaterAssignments) {
    // ACL and Left on the same key.
    load({{"Key4", "39"}});
    EXPECT_EQ(input.key_up(37), released(Button::Left));
    EXPECT_EQ(input.key_down(37), pressed(Button::Open));
    EXPECT_EQ(input.key_up(37), released(Button::Acl));
    // Game A and ACL on the same key: assignment 1 matches first in every mode.
    load({{"Key1", "39"}});
    target.state = 0;
    EXPECT_EQ(input.key_down(37), pressed(Button::Game_A));
    EXPECT_EQ(input.key_up(37), released(Button::Game_A));
}

TEST_F(Dispatch, EveryButtonOfTheMouseTable) {
    load();
    target.state = 4;
    // Besides the table: the movement pad and an enemy picture are no buttons.
    auto rows = test::mouse_buttons();
    rows.push_back({"btn_move_top", {}});
    rows.push_back({"im_pelko_3_up", {}});
    for (const auto& r : rows) {
        input.mouse_down(r.control, MouseButton::Left, 3, 4);
        input.mouse_up(MouseButton::Left, r.control);
        EXPECT_EQ(take(), r.calls) << r.control.name();
    }
}

TEST_F(Dispatch, AclClickOnClosedDeviceIsStillTheAcl) {
    load();
    input.mouse_down("btn_acl_top", MouseButton::Left, 1, 1);
    input.mouse_up(MouseButton::Left, "btn_acl_top");
    EXPECT_EQ(take(), (Calls{"Inp_acl_down", "Inp_acl_up"}));
    EXPECT_EQ(target.state, 0);
}

TEST_F(Dispatch, ReleaseGoesToThePressedControl) {
    load();
    target.state = 6;
    input.mouse_down("btn_bomb_top", MouseButton::Left, 1, 1);
    EXPECT_EQ(input.pressed_control(), SegmentId("btn_bomb_top"));
    input.mouse_up(MouseButton::Left, "btn_game_a_top");
    EXPECT_EQ(take(), (Calls{"Inp_bomb_down", "Inp_bomb_up"}));
    EXPECT_FALSE(input.pressed_control());
    // A release without a press is nobody's.
    input.mouse_up(MouseButton::Left, "btn_game_a_top");
    EXPECT_TRUE(take().empty());
}

TEST_F(Dispatch, OtherMouseButtonsDoNothing) {
    load();
    target.state = 4;
    for (MouseButton b : {MouseButton::Right, MouseButton::Middle, MouseButton::Other}) {
        for (SegmentId c : std::initializer_list<SegmentId>{"btn_game_a_top", "btn_open",
                                                            "btn_bomb_top", "im_background_back"}) {
            EXPECT_FALSE(input.mouse_down(c, b, 5, 5));
            input.mouse_move(true, 50, 50);
            input.mouse_up(b, c);
        }
    }
    EXPECT_TRUE(take().empty());
    EXPECT_TRUE(window.moves.empty());
    // A right release does not end a left press.
    input.mouse_down("btn_time_top", MouseButton::Left, 1, 1);
    input.mouse_up(MouseButton::Right, "btn_time_top");
    input.mouse_up(MouseButton::Left, "btn_time_top");
    EXPECT_EQ(take(), (Calls{"Inp_time_down", "Inp_time_up"}));
}

TEST_F(Dispatch, BodyDragMovesTopThenLeftKeepingThePointerOnTheSameSpot) {
    load();
    for (SegmentId c : std::initializer_list<SegmentId>{
             "im_background_bottom", "im_background_back", "im_background_front",
             "im_background_screen_top", "btn_move_top", "btn_alarm_top"}) {
        window = {};
        input.set_window(&window);
        EXPECT_TRUE(input.mouse_down(c, MouseButton::Left, 10, 20)) << c.name();
        EXPECT_EQ(input.Drag_Origin_X, 10);
        EXPECT_EQ(input.Drag_Origin_Y, 20);
        input.mouse_move(true, 15, 17);
        EXPECT_EQ(window.moves, (std::vector<std::string>{"top 197", "left 105"})) << c.name();
        input.mouse_up(MouseButton::Left, c);
        input.mouse_move(true, 30, 30);
        EXPECT_EQ(window.moves.size(), 2u) << "no drag after the release";
    }
    EXPECT_TRUE(take().empty());
}

TEST_F(Dispatch, NoDragInFullscreenOrFromAButton) {
    load();
    target.fullscreen = true;
    EXPECT_FALSE(input.mouse_down("im_background_bottom", MouseButton::Left, 10, 20));
    EXPECT_EQ(input.Drag_Origin_X, 0);
    input.mouse_move(true, 40, 40);
    input.mouse_up(MouseButton::Left);
    // Left on windowed mode, but the press was on a button.
    target.fullscreen = false;
    input.mouse_down("btn_game_b_top", MouseButton::Left, 2, 2);
    input.mouse_move(true, 40, 40);
    input.mouse_up(MouseButton::Left, "btn_game_b_top");
    // Moving without the button held.
    input.mouse_down("im_background_bottom", MouseButton::Left, 10, 20);
    input.mouse_move(false, 40, 40);
    EXPECT_TRUE(window.moves.empty());
    // Switching to fullscreen in the middle of a drag stops it.
    target.fullscreen = true;
    input.mouse_move(true, 40, 40);
    EXPECT_TRUE(window.moves.empty());
}

TEST_F(Dispatch, GameMenuButtonTogglesOnAClickOnly) {
    load();
    int clicks = 0;
    input.on_game_menu_click = [&] { ++clicks; };
    input.mouse_down("btn_game_menu_top", MouseButton::Left, 1, 1);
    input.mouse_up(MouseButton::Left, "btn_game_menu_top");
    EXPECT_EQ(clicks, 1);
    input.mouse_down("btn_game_menu_top", MouseButton::Left, 1, 1);
    input.mouse_up(MouseButton::Left, "im_background_bottom");
    EXPECT_EQ(clicks, 1);
    input.mouse_down("btn_game_menu_top", MouseButton::Right, 1, 1);
    input.mouse_up(MouseButton::Right, "btn_game_menu_top");
    EXPECT_EQ(clicks, 1);
}

TEST(ControlAt, TopmostShownControlByRectangle) {
    Board b;
    // The game A button's clickable picture lies above its pressed picture.
    const Rect a = b.get("btn_game_a_top").rect;
    EXPECT_EQ(control_at(b, a.left, a.top)->name, "btn_game_a_top");
    EXPECT_EQ(control_at(b, a.left + a.width - 1, a.top + a.height - 1)->name, "btn_game_a_top");
    EXPECT_EQ(control_at(b, a.left + a.width, a.top)->name, "im_background_bottom");
    // The closed lid's open button lies above the lid.
    const Rect o = b.get("btn_open").rect;
    EXPECT_EQ(control_at(b, o.left + 1, o.top + 1)->name, "btn_open");
    b.hide("btn_open");
    EXPECT_EQ(control_at(b, o.left + 1, o.top + 1)->name, "im_background_front");
    b.hide("im_background_front");
    b.hide("im_background_bottom");
    b.hide("im_backdrop");
    EXPECT_EQ(control_at(b, o.left + 1, o.top + 1), nullptr);
    EXPECT_EQ(control_at(b, 5000, 5000), nullptr);
}

} // namespace
} // namespace q50

namespace q50 {
namespace {

struct PausedDispatch : ::testing::Test {
    MemoryStore store;
    Board board;
    KeyAssignments keys;
    RecordingTarget target;
    Window window;
    InputDispatch input{target, keys};
    void SetUp() override {
        keys.Keys_Load(store, board);
        input.set_window(&window);
        target.state = 2;
    }
};

TEST_F(PausedDispatch, PressesStopButReleasesOfEarlierPressesAndDragsGoOn) {
    input.key_down(37);                                        // left held before the pause
    input.mouse_down("btn_bomb_top", MouseButton::Left, 1, 1); // bomb held by the mouse
    input.set_presses_enabled(false);
    EXPECT_EQ(input.key_down(49), std::nullopt);
    EXPECT_EQ(input.key_up(37), released(Button::Left)) << "the held key lets go";
    input.mouse_up(MouseButton::Left, "btn_bomb_top");
    input.mouse_down("btn_time_top", MouseButton::Left, 1, 1);
    input.mouse_up(MouseButton::Left, "btn_time_top"); // its press did nothing: nor does this
    EXPECT_EQ(target.calls,
              (Calls{"Inp_left_down", "Inp_bomb_down", "Inp_left_up", "Inp_bomb_up"}));

    // The body still drags the window; the menu button still opens the menu.
    EXPECT_TRUE(input.mouse_down("im_background_bottom", MouseButton::Left, 10, 20));
    input.mouse_move(true, 15, 20);
    input.mouse_up(MouseButton::Left, "im_background_bottom");
    EXPECT_EQ(window.x, 105);
    int menu = 0;
    input.on_game_menu_click = [&] { ++menu; };
    input.mouse_down("btn_game_menu_top", MouseButton::Left, 1, 1);
    input.mouse_up(MouseButton::Left, "btn_game_menu_top");
    EXPECT_EQ(menu, 1);

    input.set_presses_enabled(true);
    EXPECT_EQ(input.key_down(49), pressed(Button::Game_A));
}

} // namespace
} // namespace q50
