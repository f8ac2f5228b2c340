#include "display/ini_file.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>

namespace q50 {
namespace {

TEST(IniFile, NamesMatchWithoutRegardToCaseAndBlanksAreTrimmed) {
    const IniFile ini = IniFile::parse("[ common ]\n  SkinDIR  =  Skins\\Blue\\  \n"
                                       "[IMAGE7]\r\nfilename\t=\tbtn.bmp\t\r\n");
    EXPECT_EQ(ini.read_string("Common", "SkinDir", "x"), "Skins\\Blue\\");
    EXPECT_EQ(ini.read_string("image7", "FILENAME", "x"), "btn.bmp");
    EXPECT_EQ(ini.read_string("Image7", "Left", "dflt"), "dflt");
    EXPECT_EQ(ini.read_string("Image8", "Filename", "dflt"), "dflt");
}

TEST(IniFile, WhatTheProfileReaderIgnores) {
    const IniFile ini = IniFile::parse("key=before any section\n"
                                       "[A]\n"
                                       "; Left=1\n"
                                       "# Top=2\n"
                                       "   ;Width=3\n"
                                       "just some words\n"
                                       "=orphan\n"
                                       "Height=4\n");
    EXPECT_FALSE(ini.has_key("A", "Left"));
    EXPECT_FALSE(ini.has_key("A", "Top"));
    EXPECT_FALSE(ini.has_key("A", "Width"));
    EXPECT_FALSE(ini.has_key("A", "just some words"));
    EXPECT_FALSE(ini.has_key("A", "key"));
    EXPECT_EQ(ini.read_integer("A", "Height", 0), 4);
}

TEST(IniFile, FirstOccurrenceWinsAcrossRepeatedSections) {
    const IniFile ini = IniFile::parse("[S]\nk=1\nK=2\n[T]\nk=9\n[s]\nk=3\nother=4\n");
    EXPECT_EQ(ini.read_string("S", "k", ""), "1");
    EXPECT_EQ(ini.read_string("S", "other", ""), "4");
    EXPECT_EQ(ini.read_string("T", "k", ""), "9");
}

TEST(IniFile, ValuesKeepInnerTextAndLoseMatchingQuotes) {
    const IniFile ini = IniFile::parse("[S]\na=x = y ; not a comment\nb=\"  quoted  \"\n"
                                       "c='x\"\nd=\ne=\"\n");
    EXPECT_EQ(ini.read_string("S", "a", ""), "x = y ; not a comment");
    EXPECT_EQ(ini.read_string("S", "b", ""), "  quoted  ");
    EXPECT_EQ(ini.read_string("S", "c", ""), "'x\"");
    EXPECT_EQ(ini.read_string("S", "d", "dflt"), ""); // present but empty is not absent
    EXPECT_EQ(ini.read_string("S", "e", ""), "\"");
}

TEST(IniFile, ValuesAreCutAt2047Characters) {
    const std::string longer(5000, 'v');
    const IniFile ini =
        IniFile::parse("[S]\nlong=" + longer + "\nexact=" + std::string(2047, 'w') + "\n");
    EXPECT_EQ(ini.read_string("S", "long", ""), std::string(2047, 'v'));
    EXPECT_EQ(ini.read_string("S", "exact", "").size(), 2047u);
}

TEST(IniFile, ByteOrderMarksAndLineEnds) {
    const IniFile utf8 = IniFile::parse("\xEF\xBB\xBF[Common]\r\nGameWidth=300\r\n");
    EXPECT_EQ(utf8.read_integer("Common", "GameWidth", 0), 300);
    const IniFile old_mac = IniFile::parse("[Common]\rGameWidth=301\rGameHeight=7");
    EXPECT_EQ(old_mac.read_integer("Common", "GameWidth", 0), 301);
    EXPECT_EQ(old_mac.read_integer("Common", "GameHeight", 0), 7);

    std::string utf16 = "\xFF\xFE";
    const std::u16string text = u"[Common]\r\nSkinDir=Sk\u00e9n\r\n";
    for (char16_t u : text) {
        utf16 += char(u & 0xFF);
        utf16 += char(u >> 8);
    }
    const IniFile wide = IniFile::parse(utf16);
    EXPECT_EQ(wide.read_string("Common", "SkinDir", ""), "Sk\xC3\xA9n");
}

TEST(IniFile, ReadIntegerFollowsTheProfileReader) {
    const IniFile ini = IniFile::parse("[S]\n"
                                       "dec=42\nneg=-15\nplus=+7\n"
                                       "dollar=$1F\nzerox=0x1f\nZEROX=0X10\n"
                                       "wrap=$FFFFFFFF\n"
                                       "big=2147483648\nmax=2147483647\nmin=-2147483648\n"
                                       "hexbig=$100000000\n"
                                       "word=Center\nempty=\nspace=1 2\ntrail=12px\n"
                                       "lonex=0x\nlonedollar=$\nnegzerox=-0x10\nfloat=1.5\n");
    EXPECT_EQ(ini.read_integer("S", "dec", 0), 42);
    EXPECT_EQ(ini.read_integer("S", "neg", 0), -15);
    EXPECT_EQ(ini.read_integer("S", "plus", 0), 7);
    EXPECT_EQ(ini.read_integer("S", "dollar", 0), 31);
    EXPECT_EQ(ini.read_integer("S", "zerox", 0), 31);
    EXPECT_EQ(ini.read_integer("S", "zerox", 0), ini.read_integer("S", "dollar", 1));
    EXPECT_EQ(ini.read_integer("S", "wrap", 0), -1);
    EXPECT_EQ(ini.read_integer("S", "max", 0), 2147483647);
    EXPECT_EQ(ini.read_integer("S", "min", 0), -2147483647 - 1);
    for (const char* bad : {"big", "hexbig", "word", "empty", "space", "trail", "lonex",
                            "lonedollar", "negzerox", "float", "absent"})
        EXPECT_EQ(ini.read_integer("S", bad, 770), 770) << bad;
}

TEST(IniFile, StrictIntegerAndItsMessage) {
    EXPECT_EQ(strict_integer("$00ff00ff"), 0x00FF00FF);
    EXPECT_EQ(strict_integer("16711935"), 0x00FF00FF);
    EXPECT_EQ(strict_integer("-$10"), -16);
    EXPECT_FALSE(strict_integer("0x00ff00ff"));
    EXPECT_FALSE(strict_integer("clFuchsia"));
    EXPECT_FALSE(strict_integer(""));
    EXPECT_FALSE(strict_integer("-"));
    EXPECT_EQ(invalid_integer_message("clFuchsia"), "'clFuchsia' is not a valid integer value");
}

TEST(IniFile, LoadReportsWhatCannotBeRead) {
    std::string error;
    EXPECT_FALSE(IniFile::load("/nonexistent/dir/Config.ini", &error));
    EXPECT_NE(error.find("Config.ini"), std::string::npos);
    error.clear();
    EXPECT_FALSE(IniFile::load("/", &error));
    EXPECT_NE(error.find("directory"), std::string::npos);
}

// A hand-edited file is small, but a wrong file picked by mistake must not hang the load.
TEST(IniFile, LargeInputsParseInLinearTime) {
    std::string many;
    many.reserve(4'000'000);
    many += "[Common]\n";
    for (int i = 0; i < 300'000; ++i) many += "Key" + std::to_string(i % 5000) + "=v\n";
    std::string one_line(8u * 1024 * 1024, 'x');
    std::string separators(4u * 1024 * 1024, '\n');

    const auto start = std::chrono::steady_clock::now();
    const IniFile a = IniFile::parse(many);
    const IniFile b = IniFile::parse(one_line);
    const IniFile c = IniFile::parse(separators);
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(a.read_string("Common", "Key4999", ""), "v");
    EXPECT_FALSE(b.has_key("", "x"));
    EXPECT_EQ(c.section_count(), 1u);
    // Generous enough for a sanitized build on a busy machine; a quadratic reader takes hours.
    EXPECT_LT(seconds, 60.0);
}

} // namespace
} // namespace q50
