#include "input/keys.h"
#include "shell/core/memory_store.h"

#include <gtest/gtest.h>

using namespace q50;

TEST(AssignableKeys, NumbersTextsNamesAndCodes) {
    EXPECT_EQ(assignable_key(1).dialog_text, "0");
    EXPECT_EQ(assignable_key(1).code, 48);
    EXPECT_EQ(assignable_key(10).name, "'9'");
    EXPECT_EQ(assignable_key(11).dialog_text, "A");
    EXPECT_EQ(assignable_key(36).code, 90);
    EXPECT_EQ(assignable_key(36).name, "'Z'");
    EXPECT_EQ(assignable_key(37).dialog_text, "<UP ARROW>");
    EXPECT_EQ(assignable_key(38).code, 40);
    EXPECT_EQ(assignable_key(39).name, "'left arrow' key");
    EXPECT_EQ(assignable_key(42).code, 17);
    EXPECT_EQ(assignable_key(44).name, "'spacebar'");
    EXPECT_EQ(assignable_key(44).code, 32);
    EXPECT_EQ(assignable_key_number(39), 40);  // right arrow
    EXPECT_EQ(assignable_key_number(0x70), 0); // F1 is not assignable
}

TEST(KeysLoad, FirstRunWritesTheDefaultsAndBuildsHints) {
    MemoryStore store;
    std::vector<std::string> writes;
    store.on_write = [&](const std::string& n, const std::string& t) {
        writes.push_back(n + "=" + t);
    };
    Board b;
    KeyAssignments k;
    k.Keys_Load(store, b);
    EXPECT_EQ(writes, (std::vector<std::string>{"Key1=2", "Key2=3", "Key3=4", "Key4=6", "Key5=39",
                                                "Key6=40", "Key7=42"}));
    EXPECT_EQ(k.Key_Binding[4].Code, 53);
    EXPECT_EQ(k.Key_Binding[7].Code, 17);
    EXPECT_EQ(b.get("btn_game_a_top").hint,
              "click or press '1' to start game A (hold to view highscore)");
    EXPECT_EQ(b.get("btn_move_top").hint,
              "activate the controller overlays or use 'left arrow' key, 'right arrow' key");
    EXPECT_EQ(b.get("btn_open").hint, "click or press '5' to open the game");
    EXPECT_EQ(b.get("btn_bomb_top").hint, "click or press 'ctrl' key");
    EXPECT_EQ(b.get("btn_alarm_top").hint, "button disabled");
    EXPECT_EQ(b.get("btn_ctrlr_overlay_right").hint, "click or press 'right arrow' key");
}

TEST(KeysLoad, StoredChoicesAreUsedAndBadOnesFallBackToTheDefault) {
    MemoryStore store;
    store.preset("Key1", "44");
    store.preset("Key2", "0");
    store.preset("Key3", "45");
    store.preset("Key5", "abc");
    store.preset("Key6", "-3");
    Board b;
    KeyAssignments k;
    k.Keys_Load(store, b);
    EXPECT_EQ(k.Key_Binding[1].Choice, 44);
    EXPECT_EQ(k.Key_Binding[1].Code, 32);
    EXPECT_EQ(k.Key_Binding[2].Choice, 3);
    EXPECT_EQ(k.Key_Binding[3].Choice, 4);
    EXPECT_EQ(k.Key_Binding[5].Choice, 39);
    EXPECT_EQ(k.Key_Binding[6].Choice, 40);
    EXPECT_EQ(*store.read_text("Key2"), "3");
    EXPECT_EQ(b.get("btn_game_a_top").hint,
              "click or press 'spacebar' to start game A (hold to view highscore)");
}

TEST(AssignWord, IgnoresChoicesOutsideTheList) {
    KeyAssignments k;
    k.Key_Binding[3].Code = 51;
    k.AssignWord(3, {0, 0});
    EXPECT_EQ(k.Key_Binding[3].Code, 51);
    k.AssignWord(3, {45, 0});
    EXPECT_EQ(k.Key_Binding[3].Code, 51);
    k.AssignWord(3, {11, 0});
    EXPECT_EQ(k.Key_Binding[3].Code, 65);
}

TEST(StoredInt, ParsesSignedDecimalOnly) {
    EXPECT_EQ(parse_stored_int("42"), 42);
    EXPECT_EQ(parse_stored_int("-7"), -7);
    EXPECT_EQ(parse_stored_int(" 5 "), 5);
    EXPECT_FALSE(parse_stored_int("abc"));
    EXPECT_FALSE(parse_stored_int(""));
    EXPECT_FALSE(parse_stored_int("12x"));
    EXPECT_FALSE(parse_stored_int("99999999999"));
    MemoryStore s;
    s.preset("FullscreenMode", "abc");
    EXPECT_TRUE(s.read_bool("FullscreenMode", true));
    s.preset("FullscreenMode", "5");
    EXPECT_TRUE(s.read_bool("FullscreenMode", false));
    s.preset("FullscreenMode", "0");
    EXPECT_FALSE(s.read_bool("FullscreenMode", true));
    EXPECT_EQ(s.read_int("Missing", -1), -1);
}
