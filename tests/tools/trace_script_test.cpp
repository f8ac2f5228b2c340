#include "tools/trace/script.h"

#include "input/pad.h"

#include <gtest/gtest.h>

#include <string>

namespace q50::trace {
namespace {

ParseError error_of(const std::string& text) {
    const ParseResult r = parse_script(text);
    EXPECT_FALSE(r.script.has_value()) << text;
    return r.error;
}

TEST(TraceScript, ParsesEveryCommand) {
    const ParseResult r = parse_script("# a comment line\n"
                                       "store HiScore1 200\n"
                                       "store Key1   5   # trailing comment\n"
                                       "seed 42\n"
                                       "time 07:05\n"
                                       "\n"
                                       "at 0 press open\n"
                                       "at 0\tpress game_a\r\n"
                                       "at 10 release game_a\n"
                                       "at 10 set Score 245\n"
                                       "at 10 set Play_Active 1\n"
                                       "at 10 set Enemy_Flame 1 2 3 4 -5\n"
                                       "at 11 show im_flame_3\n"
                                       "at 11 hide btn_open\n"
                                       "at 12 draws 1 4 +2\n"
                                       "at 12 dump\n"
                                       "at 99 end\n");
    ASSERT_TRUE(r.script.has_value()) << r.error.line << ": " << r.error.message;
    const Script& s = *r.script;
    ASSERT_EQ(s.store.size(), 2u);
    EXPECT_EQ(s.store[0], (std::pair<std::string, std::string>{"HiScore1", "200"}));
    EXPECT_EQ(s.store[1], (std::pair<std::string, std::string>{"Key1", "5"}));
    EXPECT_EQ(s.seed, 42u);
    ASSERT_TRUE(s.time.has_value());
    EXPECT_EQ(s.time->hour, 7);
    EXPECT_EQ(s.time->minute, 5);
    ASSERT_EQ(s.steps.size(), 11u);
    EXPECT_EQ(s.steps[0].command, Command::Press);
    EXPECT_EQ(s.steps[0].button, Button::Open);
    EXPECT_EQ(s.steps[0].line, 7);
    EXPECT_EQ(s.steps[1].button, Button::Game_A);
    EXPECT_EQ(s.steps[2].command, Command::Release);
    EXPECT_EQ(s.steps[2].time, 10);
    EXPECT_EQ(s.steps[3].name, "Score");
    EXPECT_EQ(s.steps[3].values, std::vector<std::int64_t>{245});
    EXPECT_EQ(s.steps[5].values, (std::vector<std::int64_t>{1, 2, 3, 4, -5}));
    EXPECT_EQ(s.steps[6].command, Command::Show);
    EXPECT_EQ(s.steps[6].name, "im_flame_3");
    EXPECT_EQ(s.steps[7].command, Command::Hide);
    EXPECT_EQ(s.steps[8].values, (std::vector<std::int64_t>{1, 4, 2}));
    EXPECT_EQ(s.steps[9].command, Command::Dump);
    EXPECT_EQ(s.steps[10].command, Command::End);
    EXPECT_EQ(s.steps[10].line, 17);
}

TEST(TraceScript, StoreTextKeepsItsWords) {
    const ParseResult r = parse_script("store SoundMode 1  2\n");
    ASSERT_TRUE(r.script.has_value());
    EXPECT_EQ(r.script->store[0].second, "1 2");
}

TEST(TraceScript, ErrorsNameTheLine) {
    struct Case {
        const char* text;
        int line;
        const char* says;
    };
    const Case cases[] = {
        {"at 0 press open\nat 5 dump\nat 4 dump\n", 3, "before the previous"},
        {"at 0 dump\nstore HiScore1 5\n", 2, "before the first"},
        {"at 0 dump\nseed 1\n", 2, "before the first"},
        {"at 0 dump\ntime 10:00\n", 2, "before the first"},
        {"\n\nfrobnicate\n", 3, "unknown command"},
        {"at 0 jump\n", 1, "unknown command"},
        {"at 0 keydown\n", 1, "one key code"},
        {"at 0 keyup 65536\n", 1, "one key code"},
        {"at 0 keydown 3 4\n", 1, "one key code"},
        {"at 0 mousedown\n", 1, "one name"},
        {"at 0 mouseup btn_nothing\n", 1, "unknown segment"},
        {"at 0 press start\n", 1, "unknown button"},
        {"at 0 release open\n", 1, "no release"},
        {"at 0 press\n", 1, "one button"},
        {"at 0 press left right\n", 1, "one button"},
        {"at 0 set Lives 3\n", 1, "unknown variable"},
        {"at 0 set Score\n", 1, "1 value"},
        {"at 0 set Score 1 2\n", 1, "1 value"},
        {"at 0 set Enemy_Flame 1 2 3 4\n", 1, "5 values"},
        {"at 0 set Play_Active 2\n", 1, "bad value"},
        {"at 0 set Score 12x\n", 1, "bad value"},
        {"at 0 set Score 99999999999\n", 1, "bad value"},
        {"at 0 set Pelko_Pos 6\n", 1, "0..5"},
        {"at 0 show im_flame_11\n", 1, "unknown segment"},
        {"at 0 hide\n", 1, "one name"},
        {"at 0 draws\n", 1, "at least one"},
        {"at 0 draws 1 x\n", 1, "bad draw"},
        {"at 0 dump now\n", 1, "no arguments"},
        {"at -1 dump\n", 1, "bad time"},
        {"at 1.5 dump\n", 1, "bad time"},
        {"at 0\n", 1, "needs a time and a command"},
        {"store Volume 3\n", 1, "unknown store value"},
        {"store HiScore1\n", 1, "needs a value name"},
        {"seed -1\n", 1, "bad seed"},
        {"seed 4294967296\n", 1, "bad seed"},
        {"time 24:00\n", 1, "bad time"},
        {"time 7:5\n", 1, "bad time"},
        {"time 07-05\n", 1, "bad time"},
        {"time +7:05\n", 1, "bad time"},
    };
    for (const Case& c : cases) {
        const ParseError e = error_of(c.text);
        EXPECT_EQ(e.line, c.line) << c.text;
        EXPECT_NE(e.message.find(c.says), std::string::npos) << c.text << " -> " << e.message;
    }
}

TEST(TraceScript, ControllerCommandsTakeSdlNamesAndAnOptionalPad) {
    const ParseResult r = parse_script("store Pad1 b\n"
                                       "at 0 paddown start\nat 1 padup dpleft 3\n"
                                       "at 2 padaxis leftx -32768\nat 3 padaxis righty 32767 2\n"
                                       "at 4 padremove\nat 5 padremove 2\n");
    ASSERT_TRUE(r.script.has_value()) << r.error.line << ": " << r.error.message;
    const auto& s = r.script->steps;
    ASSERT_EQ(s.size(), 6u);
    EXPECT_EQ(s[0].command, Command::PadDown);
    EXPECT_EQ(s[0].pad_item, int(PadButton::start));
    EXPECT_EQ(s[0].pad, 0);
    EXPECT_EQ(s[1].command, Command::PadUp);
    EXPECT_EQ(s[1].pad_item, int(PadButton::dpleft));
    EXPECT_EQ(s[1].pad, 3);
    EXPECT_EQ(s[2].pad_item, int(PadAxis::leftx));
    EXPECT_EQ(s[2].values, std::vector<std::int64_t>{-32768});
    EXPECT_EQ(s[3].pad, 2);
    EXPECT_EQ(s[4].command, Command::PadRemove);
    EXPECT_EQ(s[5].pad, 2);

    const std::pair<const char*, const char*> errors[] = {
        {"at 0 paddown\n", "BUTTON [PAD]"},
        {"at 0 paddown A\n", "unknown controller button"},
        {"at 0 padup a 1 2\n", "BUTTON [PAD]"},
        {"at 0 paddown a -1\n", "bad controller number"},
        {"at 0 padaxis leftx\n", "AXIS VALUE"},
        {"at 0 padaxis wheel 3\n", "unknown controller axis"},
        {"at 0 padaxis leftx 32768\n", "bad axis value"},
        {"at 0 padremove 1 2\n", "[PAD]"},
        {"store Pad8 a\n", "unknown store value"},
    };
    for (auto [text, says] : errors) {
        const ParseError e = error_of(text);
        EXPECT_EQ(e.line, 1) << text;
        EXPECT_NE(e.message.find(says), std::string::npos) << text << " -> " << e.message;
    }
}

TEST(TraceScript, TheProgramsOwnCommandsOfARecording) {
    const ParseResult r = parse_script("fullscreen\nat 0 hiscores\nat 1 overlays 0\n"
                                       "at 2 fullscreen 1\nat 3 pause\nat 3 resume 7300\n"
                                       "at 1503 catchup 1500\n");
    ASSERT_TRUE(r.script.has_value()) << r.error.line << ": " << r.error.message;
    EXPECT_TRUE(r.script->fullscreen);
    const auto& s = r.script->steps;
    ASSERT_EQ(s.size(), 6u);
    EXPECT_EQ(s[5].command, Command::CatchUp);
    EXPECT_EQ(s[5].values, std::vector<std::int64_t>{1500});
    EXPECT_EQ(s[0].command, Command::Hiscores);
    EXPECT_EQ(s[1].command, Command::Overlays);
    EXPECT_EQ(s[1].values, std::vector<std::int64_t>{0});
    EXPECT_EQ(s[2].command, Command::Fullscreen);
    EXPECT_EQ(s[2].values, std::vector<std::int64_t>{1});
    EXPECT_EQ(s[3].command, Command::Pause);
    EXPECT_EQ(s[4].command, Command::Resume);
    EXPECT_EQ(s[4].values, std::vector<std::int64_t>{7300});
    EXPECT_FALSE(parse_script("at 0 dump\n").script->fullscreen) << "windowed unless told";
    const ParseResult skinned = parse_script("skin /home/player/my skins/Blue\nat 0 dump\n");
    ASSERT_TRUE(skinned.script.has_value()) << skinned.error.message;
    EXPECT_EQ(skinned.script->skin, "/home/player/my skins/Blue");
    EXPECT_EQ(parse_script("at 0 dump\n").script->skin, "") << "no skin unless told";

    const std::pair<const char*, const char*> errors[] = {
        {"at 0 hiscores 1\n", "takes no arguments"},
        {"at 0 overlays\n", "0 or 1"},
        {"at 0 overlays 2\n", "0 or 1"},
        {"at 0 fullscreen on\n", "0 or 1"},
        {"at 0 pause 5\n", "takes no arguments"},
        {"at 0 resume\n", "pause's length"},
        {"at 0 resume -1\n", "pause's length"},
        {"fullscreen 1\n", "takes no arguments"},
        {"skin\n", "needs a folder"},
        {"at 10 catchup\n", "stall's length"},
        {"at 10 catchup 11\n", "stall's length"},
        {"at 10 catchup -1\n", "stall's length"},
    };
    for (auto [text, says] : errors) {
        const ParseError e = error_of(text);
        EXPECT_EQ(e.line, 1) << text;
        EXPECT_NE(e.message.find(says), std::string::npos) << text << " -> " << e.message;
    }
    EXPECT_EQ(error_of("at 0 dump\nfullscreen\n").line, 2) << "only before the first 'at'";
    EXPECT_EQ(error_of("at 0 dump\nskin /a\n").line, 2) << "only before the first 'at'";
    EXPECT_EQ(error_of("at 700 dump\nat 900 catchup 201\n").line, 2)
        << "a stall cannot begin before the line ahead of it";
    EXPECT_TRUE(parse_script("at 700 dump\nat 900 catchup 200\n").script.has_value());
}

TEST(TraceScript, TimeOfDayTakesSecondsAndMillisecondsAsARecordingWritesThem) {
    auto ms = [](const char* t) {
        const ParseResult r = parse_script(std::string("time ") + t + "\n");
        return r.script && r.script->time ? r.script->time->ms_of_day() : -1;
    };
    EXPECT_EQ(ms("7:05"), (7 * 60 + 5) * 60000);
    EXPECT_EQ(ms("23:59:58"), ((23 * 60 + 59) * 60 + 58) * 1000);
    EXPECT_EQ(ms("00:00:01.250"), 1250);
    for (const char* bad : {"12:00:60", "12:00:5", "12:00:05.", "12:00:05.25", "12:00.500",
                            "12:00:05:01", "12:00:05.2500"})
        EXPECT_EQ(ms(bad), -1) << bad;
}

TEST(TraceScript, EmptyScriptAndEqualTimesAreFine) {
    EXPECT_TRUE(parse_script("").script.has_value());
    EXPECT_TRUE(parse_script("# nothing\n   \n").script.has_value());
    const ParseResult r = parse_script("at 5 dump\nat 5 dump\nat 5 end");
    ASSERT_TRUE(r.script.has_value());
    EXPECT_EQ(r.script->steps.size(), 3u);
}

} // namespace
} // namespace q50::trace
