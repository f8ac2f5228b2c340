#include "shell/core/store_text.h"

#include <gtest/gtest.h>

namespace q50 {
namespace {

TEST(StoreText, ReadsValuesAndSkipsCommentsAndDamagedLines) {
    auto t = parse_store_text("# comment\n"
                              "\n"
                              "  HiScore1 = 12\n"
                              "Key1=2\r\n"
                              "no equals sign here\n"
                              "=nameless\n"
                              "  # indented comment=1\n"
                              "Path=a=b\n"
                              "Empty=");
    EXPECT_EQ(t.find("HiScore1"), " 12"); // the text is kept as written; parsing trims it
    EXPECT_EQ(t.find("Key1"), "2");
    EXPECT_EQ(t.find("Path"), "a=b");
    EXPECT_EQ(t.find("Empty"), "");
    EXPECT_EQ(t.find(""), std::nullopt);
    EXPECT_EQ(t.find("no equals sign here"), std::nullopt);
    EXPECT_EQ(t.find("# indented comment"), std::nullopt);
    EXPECT_EQ(t.find("hiscore1"), std::nullopt);
}

TEST(StoreText, RewritingKeepsEveryOtherLineByteForByte) {
    const std::string file = "# mine\n\nKey1=2\r\n\x01\xff garbage\nHiScore1=7\n=x\nKey1=3\n";
    auto t = parse_store_text(file);
    EXPECT_EQ(t.serialize(), file);

    // The last of two lines with one name is the one that reads, so it is the one replaced.
    EXPECT_EQ(t.find("Key1"), "3");
    t.set("Key1", "40");
    t.set("SoundMode", "-1");
    EXPECT_EQ(t.serialize(), "# mine\n\nKey1=2\r\n\x01\xff garbage\nHiScore1=7\n=x\nKey1=40\n"
                             "SoundMode=-1\n");
    EXPECT_EQ(parse_store_text(t.serialize()).find("Key1"), "40");
}

TEST(StoreText, FinalLineWithoutLineEndIsAValue) {
    auto t = parse_store_text("A=1\nB=2");
    EXPECT_EQ(t.find("B"), "2");
    EXPECT_EQ(t.serialize(), "A=1\nB=2\n");
    EXPECT_TRUE(parse_store_text("").lines.empty());
}

TEST(StoreText, OnlyNamesAndTextsThatReadBackAreStorable) {
    EXPECT_TRUE(storable_name("HiScore1"));
    for (std::string_view bad : {"", " Key1", "Key1 ", "#Key", "A=B", "A\nB", "A\rB"})
        EXPECT_FALSE(storable_name(bad)) << bad;
    EXPECT_FALSE(storable_name(std::string_view("A\0B", 3)));
    // A name starting with a byte-order mark would be lost on the first line of the file.
    EXPECT_FALSE(storable_name("\xEF\xBB\xBFKey1"));

    EXPECT_TRUE(storable_text(""));
    EXPECT_TRUE(storable_text("-2147483648"));
    EXPECT_TRUE(storable_text(" a=b "));
    EXPECT_FALSE(storable_text("1\n2"));
    EXPECT_FALSE(storable_text("1\r"));
    EXPECT_FALSE(storable_text(std::string_view("1\0", 2)));

    // What is storable is read back exactly.
    StoreText t;
    t.set("Name", " a=b ");
    EXPECT_EQ(parse_store_text(t.serialize()).find("Name"), " a=b ");
}

} // namespace
} // namespace q50
