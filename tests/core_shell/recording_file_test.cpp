// Reading a recording for playing it back: what "Record this run" writes is read back entry
// for entry, and anything that is not a recording is refused with a reason, never half-read.
#include "shell/core/recording_file.h"

#include "../support/temp_dir.h"
#include "shell/core/memory_store.h"
#include "shell/core/scratch_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace q50 {
namespace {

namespace fs = std::filesystem;

TEST(RecordingFile, WhatARunLogWritesIsReadBack) {
    RunLog log;
    RunStart start;
    start.store = {{"HiScore1", "37"}, {"Key7", "44"}};
    start.seed = 4000000000u;
    start.ms_of_day = 23 * 3600000 + 59 * 60000 + 20500;
    start.fullscreen = true;
    start.skin = "/home/player/my skins/Blue";
    log.begin(start);
    log.add(0, pressed(Button::Open));
    log.add_command(40, "overlays 0");
    log.add(1200, pressed(Button::Game_A));
    log.add_command(5000, "pause");
    log.add(5000, released(Button::Game_A));
    log.add_command(5000, "resume 7300");
    log.add_command(6000, "hiscores");
    log.add_command(7800, "catchup 1500");
    std::string text = "# A run, recorded\n" + log.header();
    for (const auto& e : log.entries()) text += RunLog::line(e);
    text += "at 9000 end\n";

    const RecordingRead r = parse_recording(text);
    ASSERT_TRUE(r.recording) << r.error;
    EXPECT_EQ(r.recording->start.store, start.store);
    EXPECT_EQ(r.recording->start.seed, start.seed);
    EXPECT_EQ(r.recording->start.ms_of_day, start.ms_of_day);
    EXPECT_TRUE(r.recording->start.fullscreen);
    EXPECT_EQ(r.recording->start.skin, start.skin);
    ASSERT_EQ(r.recording->entries.size(), log.entries().size());
    for (std::size_t i = 0; i < log.entries().size(); ++i)
        EXPECT_EQ("at " + std::to_string(r.recording->entries[i].time) + ' ' +
                      r.recording->entries[i].text() + '\n',
                  RunLog::line(log.entries()[i]))
            << i;
    const RecordedLine& stall = r.recording->entries.back();
    EXPECT_EQ(stall.kind, RecordedLine::Kind::CatchUp);
    EXPECT_EQ(stall.stall(), (Stall{7800, 1500}));
    EXPECT_EQ(r.recording->end, 9000);
}

TEST(RecordingFile, AnythingElseIsRefusedWithTheLineAndWhy) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "no recorded input"},
        {"# only a comment\nseed 3\n", "no recorded input"},
        {"at 0 press open\nat 10 keydown 37\n", "line 2: 'keydown' is not a command"},
        {"at 10 press open\nat 5 press time\n", "line 2: time 5 goes back"},
        {"at 0 press jump\n", "unknown button"},
        {"at 0 overlays 2\n", "bad value"},
        {"at 0 resume\n", "wrong arguments"},
        {"at 0 press open\nseed 4\n", "after the first timed line"},
        {"store Skin mine\nat 0 press open\n", "unknown store value"},
        {"time 25:00\nat 0 press open\n", "bad time of day"},
        {"at 0 press open\nat 5 end\nat 6 press time\n", "after the end"},
        {"at -1 press open\n", "bad time"},
        {"at 100 catchup\n", "needs the stall's length"},
        {"at 100 catchup 101\n", "needs the stall's length"},
        {"at 100 press open\nat 900 catchup 801\n", "line 2: the stall begins before"},
        {"\x89PNG\r\n\x1a\n", "is not a line of a recording"},
    };
    for (auto [text, says] : cases) {
        const RecordingRead r = parse_recording(text);
        EXPECT_FALSE(r.recording) << text;
        EXPECT_NE(r.error.find(says), std::string::npos) << text << " -> " << r.error;
    }
    const std::string binary("at 0 press open\n\x01\x02\0\x03", 20);
    EXPECT_EQ(parse_recording(binary).error, "line 2: not a text file");
}

TEST(RecordingFile, OnlyPlainFilesAreRead) {
    test::TempDir dir;
    EXPECT_EQ(read_recording(dir.path()).error, "it is not a file");
    EXPECT_EQ(read_recording(dir.path() / "gone.script").error, "it is not a file");
    // A device never ends: it must not be read at all.
    EXPECT_EQ(read_recording("/dev/zero").error, "it is not a file");
    test::write_file(dir.path() / "run.script", "seed 9\nat 0 press open\n");
    const RecordingRead r = read_recording(dir.path() / "run.script");
    ASSERT_TRUE(r.recording) << r.error;
    EXPECT_EQ(r.recording->start.seed, 9u);
}

// The resident high-water mark of this process, in kB.
long peak_kb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}
// Resets it to what is resident now; false where the system does not let it.
bool reset_peak() {
    std::ofstream clear("/proc/self/clear_refs");
    return bool(clear << "5" << std::flush) && peak_kb() > 0;
}

// A long recording is read as a stream into compact lines: about its own size in memory, where
// the whole text and its lines as strings took ten times it (395 MB for 60 MB).
TEST(RecordingFile, ALongRecordingIsReadInAboutItsOwnSize) {
    test::TempDir dir;
    const fs::path file = dir.path() / "long.script";
    constexpr int kPairs = 200'000;
    {
        std::ofstream out(file);
        out << "seed 3\n";
        for (int t = 0; t < kPairs; ++t)
            out << "at " << t << " press left\nat " << t << " release left\n";
        out << "at " << kPairs << " end\n";
    }
    const long file_kb = long(fs::file_size(file) / 1024);
    if (!reset_peak()) GTEST_SKIP() << "no resident high-water mark to reset here";
    const long before = peak_kb();
    const RecordingRead r = read_recording(file);
    const long grown = peak_kb() - before;
    ASSERT_TRUE(r.recording) << r.error;
    EXPECT_EQ(r.recording->entries.size(), std::size_t(2 * kPairs));
    EXPECT_EQ(r.recording->entries.back().text(), "release left");
    EXPECT_LT(grown, 3 * file_kb) << "a " << file_kb << " kB recording took " << grown << " kB";
}

TEST(ScratchStore, WritesStayInTheScratchWhileItIsInUse) {
    MemoryStore player;
    player.preset("HiScore1", "37");
    ScratchStore store(player);
    store.begin({{"HiScore2", "5"}});
    EXPECT_EQ(store.read_int("HiScore1", 0), 37) << "the player's value shows through";
    EXPECT_EQ(store.read_int("HiScore2", 0), 5);
    store.write_int("HiScore1", 0);
    EXPECT_EQ(store.read_int("HiScore1", -1), 0);
    EXPECT_EQ(player.values().at("HiScore1"), "37");
    EXPECT_FALSE(player.values().contains("HiScore2"));
    store.end();
    EXPECT_EQ(store.read_int("HiScore1", -1), 37);
    EXPECT_EQ(store.read_int("HiScore2", -1), -1);
    store.write_int("HiScore2", 8);
    EXPECT_EQ(player.values().at("HiScore2"), "8");
}

} // namespace
} // namespace q50
