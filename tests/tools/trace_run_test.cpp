#include "game/device.h"
#include "tools/trace/runner.h"
#include "tools/trace/script.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace q50::trace {
namespace {

struct Traced {
    RunResult result;
    std::string out;
    std::vector<std::string> lines() const {
        std::vector<std::string> v;
        std::istringstream in(out);
        for (std::string l; std::getline(in, l);) v.push_back(l);
        return v;
    }
    bool has(const std::string& line) const {
        const auto v = lines();
        return std::find(v.begin(), v.end(), line) != v.end();
    }
};

Traced run(const std::string& text) {
    const ParseResult p = parse_script(text);
    EXPECT_TRUE(p.script.has_value()) << p.error.line << ": " << p.error.message;
    Traced r;
    if (!p.script) return r;
    std::ostringstream out;
    r.result = run_script(*p.script, out);
    r.out = out.str();
    return r;
}

TEST(TraceRun, StartOfRunWritesTheKeysAndEntersModeZero) {
    const Traced r = run("at 0 end\n");
    EXPECT_TRUE(r.result.ok);
    const std::vector<std::string> expected = {
        "0 store Key1 2",
        "0 store Key2 3",
        "0 store Key3 4",
        "0 store Key4 6",
        "0 store Key5 39",
        "0 store Key6 40",
        "0 store Key7 42",
        "0 on btn_ctrlr_overlay_left",
        "0 on btn_ctrlr_overlay_right",
        "0 mode 0",
    };
    EXPECT_EQ(r.lines(), expected);
}

TEST(TraceRun, StoredValuesShapeTheStartAndAreNotPrinted) {
    const Traced r = run("store Key1 9\nstore CtrlrOverlay 0\nstore HiScore2 123\n"
                         "at 0 set Game_State 2\nat 5 press game_b\n");
    const std::vector<std::string> v = r.lines();
    ASSERT_GE(v.size(), 9u);
    EXPECT_EQ(v[0], "0 store Key1 9");
    EXPECT_EQ(v[7], "0 mode 0"); // no overlay buttons
    EXPECT_FALSE(r.has("0 store CtrlrOverlay 0"));
    EXPECT_TRUE(r.has("5 mode 7"));
    EXPECT_TRUE(r.has("5 digit 2 1"));
    EXPECT_TRUE(r.has("5 digit 3 2"));
    EXPECT_TRUE(r.has("5 digit 4 3"));
}

TEST(TraceRun, ShownChangesArePrintedOnlyWhenReal) {
    const Traced r = run("at 3 show im_flame_3\nat 4 show im_flame_3\nat 5 hide im_flame_3\n"
                         "at 6 hide im_flame_3\nat 7 set Score 5\n");
    const auto v = r.lines();
    const std::vector<std::string> tail(v.end() - 2, v.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"3 on im_flame_3", "5 off im_flame_3"}));
}

TEST(TraceRun, MovementPadAndBombButtonPictures) {
    const Traced r = run("at 1 press left\nat 2 press left\nat 3 release left\nat 4 press right\n"
                         "at 5 release right\nat 6 release right\nat 7 press bomb\n");
    const auto v = r.lines();
    const std::vector<std::string> tail(v.end() - 4, v.end());
    const std::vector<std::string> expected = {
        "1 picture btn_move_top btn_move_down_left", "3 picture btn_move_top -",
        "4 picture btn_move_top btn_move_down_right", "5 picture btn_move_top -"};
    EXPECT_EQ(std::vector<std::string>(v.end() - 5, v.end() - 1), expected);
    EXPECT_EQ(tail.back(), "7 on btn_bomb_down");
}

TEST(TraceRun, DumpListsVariablesTimersAndLitSegments) {
    const Traced r =
        run("at 2 set Enemy_Flame 1 2 3 4 5\nat 2 set Move_Lock 1\nat 2 show im_flame_3\n"
            "at 3 dump\n");
    EXPECT_TRUE(r.has("3 var Enemy_Flame 1,2,3,4,5"));
    EXPECT_TRUE(r.has("3 var Move_Lock 1"));
    EXPECT_TRUE(r.has("3 var Game_State 0"));
    EXPECT_TRUE(r.has("3 var Game_Start_Phase 0"));
    EXPECT_TRUE(r.has("3 timer Timer_Bonus_Phase_1 1 off"));
    EXPECT_TRUE(r.has("3 timer Timer_Stage_Init 1 off"));
    int timers = 0;
    std::string lit;
    for (const std::string& l : r.lines()) {
        if (l.rfind("3 timer ", 0) == 0) ++timers;
        if (l.rfind("3 lit ", 0) == 0) lit = l;
    }
    EXPECT_EQ(timers, 16);
    EXPECT_EQ(lit, "3 lit btn_acl_top btn_alarm_top btn_bomb_top btn_ctrlr_overlay_left "
                   "btn_ctrlr_overlay_right btn_game_a_top btn_game_b_top "
                   "btn_game_menu_background btn_game_menu_top btn_move_top btn_open "
                   "btn_time_top im_backdrop im_backdrop_logo im_background_bottom "
                   "im_background_front im_flame_3");
}

TEST(TraceRun, ScriptedDrawsAreDealtAndOutOfRangeStopsTheRun) {
    const std::string game = "at 0 set Game_State 2\nat 0 press game_a\nat 0 release game_a\n";
    const Traced dealt = run(game + "at 0 draws 2 4 1 3\nat 10531 dump\n");
    EXPECT_TRUE(dealt.result.ok);
    EXPECT_TRUE(dealt.has("10531 var Enemy_Flame 2,4,1,3,5"));

    const Traced bad = run(game + "at 0 draws 2 4\nat 5 draws 6 1\nat 20000 dump\n");
    EXPECT_FALSE(bad.result.ok);
    EXPECT_NE(bad.result.error.find("at 10531"), std::string::npos) << bad.result.error;
    EXPECT_NE(bad.result.error.find("line 5"), std::string::npos) << bad.result.error;
    EXPECT_TRUE(bad.has("9931 sound Bombfall")); // what ran before is printed
    EXPECT_EQ(bad.out.find("var "), std::string::npos);
}

TEST(TraceRun, SkinStepRunsBetweenTheCreationHalvesAndItsMessagesArePrinted) {
    const ParseResult p = parse_script("at 1 release left\n");
    ASSERT_TRUE(p.script.has_value());
    RunOptions options;
    bool speed_table_filled = false;
    options.load_skin = [&](Device& d, MessageSink& messages) {
        speed_table_filled = d.Speed_Table[0] == 435;
        messages.error("Graphics/Skin/x.png is missing");
        // Pictures of their own are not glyphs or pad copies, and are not reported.
        auto own = std::make_shared<const Image>();
        d.board.set_picture(d.board.Seg_Digit[2], own);
        d.board.set_picture(d.board.get("btn_move_top"), own);
    };
    std::ostringstream out;
    EXPECT_TRUE(run_script(*p.script, out, options).ok);
    EXPECT_TRUE(speed_table_filled);
    // Before the keys are loaded, which comes after the skin.
    EXPECT_EQ(out.str().rfind("0 message Graphics/Skin/x.png is missing\n0 store Key1 2\n", 0), 0u)
        << out.str();
    EXPECT_EQ(out.str().find("digit"), std::string::npos);
    // Emptying the pad's own picture is a change to report.
    const std::string text = out.str();
    const auto pad = text.find("1 picture btn_move_top -\n");
    ASSERT_NE(pad, std::string::npos);
    EXPECT_EQ(text.find("picture"), pad + 2); // the only pad line
}

TEST(TraceRun, SameSeedSameRun) {
    const std::string play = "at 0 set Game_State 2\nat 0 press game_b\nat 0 release game_b\n"
                             "at 60000 dump\n";
    const Traced a = run("seed 7\n" + play), b = run("seed 7\n" + play), c = run("seed 8\n" + play);
    EXPECT_EQ(a.out, b.out);
    EXPECT_NE(a.out, c.out);
}

// The executable itself: exit status, standard error, nothing run on a bad script.
struct ToolRun {
    int status = -1;
    std::string out, err;
};

ToolRun run_tool(const std::string& script) {
    // One set of files per test: CTest runs the tests of this program side by side.
    const std::string dir = std::string(Q50_BINARY_DIR "/tests/trace_tool_") +
                            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    const std::string in = dir + ".in", out = dir + ".out", err = dir + ".err";
    std::ofstream(in) << script;
    const std::string cmd = std::string(Q50_BINARY_DIR "/tools/quendrix-trace") + " < " + in +
                            " > " + out + " 2> " + err;
    ToolRun r;
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    auto slurp = [](const std::string& p) {
        std::ifstream f(p);
        return std::string(std::istreambuf_iterator<char>(f), {});
    };
    r.out = slurp(out);
    r.err = slurp(err);
    return r;
}

TEST(TraceTool, ParseErrorExitsTwoAndRunsNothing) {
    const ToolRun r = run_tool("at 0 press open\nat 10 press game_a\nat 5 dump\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("line 3"), std::string::npos) << r.err;
}

TEST(TraceTool, DrawOutOfRangeExitsOneAfterPrintingWhatRan) {
    const ToolRun r = run_tool("at 0 set Game_State 2\nat 0 press game_a\nat 0 release game_a\n"
                               "at 0 draws 0\nat 20000 end\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("9931 sound Bombfall\n"), std::string::npos);
    EXPECT_NE(r.err.find("line 4"), std::string::npos) << r.err;
}

TEST(TraceTool, GoodScriptExitsZero) {
    const ToolRun r = run_tool("at 0 press open\nat 1 end\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("0 mode 2\n"), std::string::npos);
    EXPECT_EQ(r.err, "");
}

TEST(TraceTool, UnknownOptionExitsTwo) {
    const std::string cmd = std::string(Q50_BINARY_DIR "/tools/quendrix-trace") +
                            " --bogus < /dev/null > /dev/null 2>&1";
    const int raw = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 2);
}

} // namespace
} // namespace q50::trace
