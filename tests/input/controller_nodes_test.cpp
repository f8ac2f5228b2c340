#include "input/controller_nodes.h"

#include "../support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace q50 {
namespace {

// Capabilities as the kernel prints them, 64-bit words, the most significant first: word 4
// holds the codes 0x100 .. 0x13f, word 11 the codes 0x2c0 .. 0x2ff.
constexpr const char* kKeyboard = "1000000000007 ff9f207ac14057ff febeffdfffefffff "
                                  "fffffffffffffffe\n";
constexpr const char* kMouse = "1f0000 0 0 0 0\n";                  // BTN_LEFT .. BTN_EXTRA
constexpr const char* kGamepad = "7cdb000000000000 0 0 0 0\n";      // BTN_SOUTH .. BTN_THUMBR
constexpr const char* kJoystick = "fff00000000 0 0 0 0\n";          // BTN_TRIGGER .. BTN_BASE6
constexpr const char* kExtraButtons = "ff 0 0 0 0 0 0 0 0 0 0 0\n"; // BTN_TRIGGER_HAPPY1 .. 8

TEST(KeyCapabilities, ControllersButtonsSayYesAndOtherDevicesNo) {
    EXPECT_FALSE(key_capabilities_name_pad_buttons(kKeyboard));
    EXPECT_FALSE(key_capabilities_name_pad_buttons(kMouse));
    EXPECT_FALSE(key_capabilities_name_pad_buttons("0\n")) << "a device without keys";
    EXPECT_TRUE(key_capabilities_name_pad_buttons(kGamepad));
    EXPECT_TRUE(key_capabilities_name_pad_buttons(kJoystick));
    EXPECT_TRUE(key_capabilities_name_pad_buttons(kExtraButtons));
    // The gamepad's word read as the least significant would be ordinary keys.
    EXPECT_FALSE(key_capabilities_name_pad_buttons("0 0 0 0 7cdb000000000000\n"));
}

TEST(KeyCapabilities, TheRangesEndWhereTheControllersButtonsEnd) {
    const std::string low_words = " 0 0 0 0";
    EXPECT_FALSE(key_capabilities_name_pad_buttons("80000000" + low_words)) << "0x11f";
    EXPECT_TRUE(key_capabilities_name_pad_buttons("100000000" + low_words)) << "0x120";
    EXPECT_TRUE(key_capabilities_name_pad_buttons("4000000000000000" + low_words)) << "0x13e";
    EXPECT_FALSE(key_capabilities_name_pad_buttons("8000000000000000" + low_words)) << "0x13f";
    const std::string eleven = " 0 0 0 0 0 0 0 0 0 0 0";
    EXPECT_FALSE(key_capabilities_name_pad_buttons("8000000000000000 0 0 0 0 0 0 0 0 0 0"))
        << "0x2bf";
    EXPECT_TRUE(key_capabilities_name_pad_buttons("8000000000" + eleven)) << "0x2e7";
    EXPECT_FALSE(key_capabilities_name_pad_buttons("10000000000" + eleven)) << "0x2e8";
}

// What does not read as words of hex may be anything, a controller included.
TEST(KeyCapabilities, TextThatDoesNotReadSaysYes) {
    EXPECT_TRUE(key_capabilities_name_pad_buttons(""));
    EXPECT_TRUE(key_capabilities_name_pad_buttons("\n"));
    EXPECT_TRUE(key_capabilities_name_pad_buttons("0 0 zz 0"));
    EXPECT_TRUE(key_capabilities_name_pad_buttons("10000000000000000 0")) << "a word too long";
}

// A device folder and the kernel's description of its nodes, both of the test's own.
struct ControllerNodes : ::testing::Test {
    test::TempDir dir;
    std::filesystem::path dev = dir.path() / "input", sys = dir.path() / "class";

    void SetUp() override {
        std::filesystem::create_directories(dev);
        std::filesystem::create_directories(sys);
    }
    // An event node whose device has these key capabilities (none: no description at all).
    void add_event(const std::string& name, const char* key) {
        test::write_file(dev / name, "");
        if (!key) return;
        std::filesystem::create_directories(sys / name / "device" / "capabilities");
        test::write_file(sys / name / "device" / "capabilities" / "key", key);
    }
};

TEST_F(ControllerNodes, EachNodeIsJudgedByItsNameAndCapabilities) {
    add_event("event0", kKeyboard);
    add_event("event1", kGamepad);
    add_event("event2", kJoystick);
    add_event("event3", nullptr);
    EXPECT_FALSE(node_may_be_controller("event0", sys));
    EXPECT_TRUE(node_may_be_controller("event1", sys));
    EXPECT_TRUE(node_may_be_controller("event2", sys));
    EXPECT_TRUE(node_may_be_controller("event3", sys)) << "capabilities that cannot be read";
    EXPECT_TRUE(node_may_be_controller("js0", sys)) << "a joystick node needs no description";
    EXPECT_TRUE(node_may_be_controller("js12", sys));
    for (const char* other :
         {"mouse0", "mice", "by-id", "by-path", "event", "js", "eventx1", "jsx", "event1.old"})
        EXPECT_FALSE(node_may_be_controller(other, sys)) << other;
}

TEST_F(ControllerNodes, AFolderHoldsAControllerOnceOneOfItsNodesCanBeOne) {
    EXPECT_FALSE(folder_may_hold_controller(dev, sys)) << "empty";
    EXPECT_FALSE(folder_may_hold_controller(dir.path() / "none", sys)) << "missing";
    add_event("event0", kKeyboard);
    add_event("mouse0", nullptr);
    add_event("event4", kMouse);
    std::filesystem::create_directories(dev / "by-id");
    EXPECT_FALSE(folder_may_hold_controller(dev, sys)) << "a keyboard and a mouse";
    add_event("event5", kGamepad);
    EXPECT_TRUE(folder_may_hold_controller(dev, sys));
    std::filesystem::remove(dev / "event5");
    test::write_file(dev / "js0", "");
    EXPECT_TRUE(folder_may_hold_controller(dev, sys));
}

} // namespace
} // namespace q50
