// "Record this run": the desktop writes a trace script of the run, and the trace tool replays
// it to the very event stream the desktop produced.
#include "shell/program.h"

#include "../support/temp_dir.h"
#include "qt_events.h"
#include "shell/comfort_rows.h"
#include "shell/core/memory_store.h"
#include "shell/side_windows.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/resource.h>

namespace q50 {
namespace {

namespace fs = std::filesystem;

std::string read_all(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// `quendrix-trace < recording`, as a player runs it: the recording names its skin itself.
std::string run_trace(const fs::path& script, const fs::path& out) {
    const std::string command = std::string(Q50_BINARY_DIR) + "/tools/quendrix-trace < " +
                                script.string() + " > " + out.string() + " 2>&1";
    const int rc = std::system(command.c_str());
    EXPECT_EQ(rc, 0) << read_all(out);
    return read_all(out);
}

struct Recording : ::testing::Test {
    test::TempDir dir;
    std::int64_t wall = 0;
    bool clock_moves = false;
    // Twenty to midnight, so that a clock shown late in the run crosses into the next day.
    std::int64_t day_at_start = (23 * 3600 + 59 * 60 + 20) * 1000 + 500;
    std::ostringstream events;
    std::unique_ptr<Program> program;
    bool collect_messages = false;
    std::vector<std::string> messages;
    // A skin folder of the run's own (--skin) instead of the delivered one, when set.
    fs::path skin;

    void start() {
        auto s = std::make_unique<MemoryStore>();
        for (auto [n, v] : {std::pair{"SplashScreen", "0"},
                            {"FullscreenMode", "0"},
                            {"SoundMode", "2"},
                            {"HiScore1", "37"},
                            {"Key7", "44"}})
            s->preset(n, v);
        ProgramOptions o;
        o.executable_dir = fs::path(Q50_SOURCE_DIR) / "data";
        o.current_dir = o.executable_dir;
        o.store = std::move(s);
        o.presenter = [this](QWidget*, const QString& text) {
            if (collect_messages)
                messages.push_back(text.toStdString());
            else
                ADD_FAILURE() << text.toStdString();
        };
        o.clock_ms = [this] { return clock_moves ? ++wall : wall; };
        o.local_ms_of_day = [this] { return day_at_start + wall; };
        o.event_log = &events;
        o.recordings_dir = dir.path() / "recordings";
        o.skin_dir = skin;
        program = std::make_unique<Program>(std::move(o));
        program->start();
        ASSERT_TRUE(program->main_window().on_screen());
    }
    // Lets time pass to `t`, waking the driver for every step due on the way, as its timer does.
    void run_to(std::int64_t t) {
        while (true) {
            const auto due = program->device().next_due();
            const std::int64_t origin_free = wall - program->driver().clock_ms();
            if (!due || *due + origin_free > t) break;
            wall = *due + origin_free;
            program->driver().poll();
        }
        wall = t;
        program->driver().poll();
    }
};

TEST_F(Recording, AReplayOfARecordedMinuteOfRandomPlayGivesTheSameEvents) {
    wall = 250; // the device is switched on a moment after the program starts
    start();
    ComfortRows& rows = program->side_windows()->comfort();
    TForm1& w = program->main_window();
    run_to(wall + 1300);
    // The run before the recording began is in it too.
    testing::press_key(&w, Qt::Key_5);
    run_to(wall + 80);
    testing::release_key(&w, Qt::Key_5);
    rows.record()->trigger();
    EXPECT_TRUE(program->recording());
    EXPECT_EQ(rows.record()->text(), "Stop recording");

    std::mt19937 rng(20261209);
    auto ms = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    run_to(wall + ms(100, 300));
    testing::press_key(&w, Qt::Key_1);
    run_to(wall + ms(50, 900));
    testing::release_key(&w, Qt::Key_1);
    const std::int64_t end = wall + 60000;
    const int keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Space};
    int presses = 0;
    PopupMenu& menu = program->side_windows()->menu();
    while (wall < end) {
        run_to(wall + ms(30, 400));
        // The menu's commands that change the device, and a pause, in the middle of play.
        if (presses == 20 || presses == 24) menu.run(12); // overlays off, and on again
        if (presses == 28) menu.run(8);                   // Reset Hiscores
        if (presses == 32 || presses == 36) menu.run(10); // fullscreen, and windowed again
        if (presses == 40) {
            rows.pause()->trigger();
            ASSERT_TRUE(program->paused());
            wall += 7300;                          // the time of day goes on, device time does not
            testing::press_key(&w, Qt::Key_Right); // ignored while paused
            testing::release_key(&w, Qt::Key_Right);
            rows.pause()->trigger();
            ASSERT_FALSE(program->paused());
        }
        const int pick = ms(0, 99);
        if (pick < 12) { // a controller instead of the keyboard
            const PadButton b = pick < 4   ? PadButton::dpright
                                : pick < 8 ? PadButton::a
                                           : PadButton::dpleft;
            program->driver().run([&] { program->pad_input().button_down(1, b); });
            run_to(wall + ms(20, 300));
            program->driver().run([&] { program->pad_input().button_up(1, b); });
        } else {
            const int key = keys[pick % 3];
            testing::press_key(&w, key);
            if (ms(0, 3) == 0) { // held: the keyboard repeats it
                run_to(wall + 500);
                testing::send_key(&w, QEvent::KeyPress, key, Qt::NoModifier, true);
            }
            run_to(wall + ms(20, 300));
            testing::release_key(&w, key);
        }
        ++presses;
    }
    rows.record()->trigger();
    EXPECT_FALSE(program->recording());
    EXPECT_EQ(rows.record()->text(), "Record this run");

    const std::vector<fs::path> files = [&] {
        std::vector<fs::path> out;
        for (const auto& e : fs::directory_iterator(dir.path() / "recordings"))
            out.push_back(e.path());
        return out;
    }();
    ASSERT_EQ(files.size(), 1u);
    const std::string script = read_all(files[0]);
    EXPECT_NE(script.find("\nseed "), std::string::npos);
    // The time of day at device time 0, when the device was switched on.
    EXPECT_NE(script.find("time 23:59:20.750\n"), std::string::npos) << script.substr(0, 400);
    EXPECT_NE(script.find("store HiScore1 37\n"), std::string::npos);
    EXPECT_NE(script.find("skin " +
                          (fs::path(Q50_SOURCE_DIR) / "data").lexically_normal().string() + "\n"),
              std::string::npos)
        << "the skin the run was shown with";
    EXPECT_NE(script.find(" press open\n"), std::string::npos);
    for (const char* line : {" overlays 0\n", " overlays 1\n", " hiscores\n", " fullscreen 1\n",
                             " fullscreen 0\n", " pause\n", " resume 7300\n"})
        EXPECT_NE(script.find(line), std::string::npos) << line;
    EXPECT_GT(program->run_log().entries().size(), std::size_t(presses));

    // What the desktop did, to the millisecond, is what the trace tool does with the script.
    const std::string replay = run_trace(files[0], dir.path() / "replay.out");
    const std::string desktop = events.str();
    if (const char* keep = std::getenv("Q50_KEEP_RECORDING")) {
        std::ofstream(keep) << desktop;
        std::ofstream(std::string(keep) + ".script") << script;
    }
    ASSERT_GT(desktop.size(), 1000u);
    EXPECT_NE(desktop.find(" mode 6\n"), std::string::npos) << "a game was played";
    EXPECT_NE(desktop.find(" sound Move\n"), std::string::npos);
    EXPECT_NE(desktop.find(" store HiScore1 0\n"), std::string::npos) << "the reset is in it";
    EXPECT_TRUE(replay == desktop)
        << "first difference at byte "
        << std::distance(
               replay.begin(),
               std::mismatch(replay.begin(), replay.end(), desktop.begin(), desktop.end()).first);
}

// The lines of an event stream from its first "mode 0" at or after byte `from` up to device time
// `last`, each time taken less `shift`: a run as it looks from its own switch-on.
std::vector<std::string> run_lines(const std::string& text, std::size_t from, std::int64_t shift,
                                   std::int64_t last) {
    std::vector<std::string> out;
    std::istringstream in(text.substr(from));
    std::string line;
    bool begun = false;
    while (std::getline(in, line)) {
        const std::size_t space = line.find(' ');
        if (space == std::string::npos) continue;
        const std::int64_t t = std::stoll(line.substr(0, space)) - shift;
        begun = begun || (t == 0 && line.substr(space) == " mode 0");
        if (!begun) continue;
        if (t > last) break;
        out.push_back(std::to_string(t) + line.substr(space));
    }
    return out;
}

std::vector<fs::path> recordings_in(const fs::path& dir) {
    std::vector<fs::path> out;
    for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path());
    return out;
}

// A playback whose timer wakes a few milliseconds late, as a real one does under load, still runs
// every recorded press at its own device time: after the timer steps due by then and before the
// later ones. The played-back run's events, counted from its own switch-on, are the recorded
// run's, line for line.
TEST_F(Recording, APlaybackOnALateClockRunsEachLineAmongTheStepsAtItsOwnTime) {
    start();
    ComfortRows& rows = program->side_windows()->comfort();
    TForm1& w = program->main_window();
    rows.record()->trigger();
    ASSERT_TRUE(program->recording());
    std::mt19937 rng(515);
    auto ms = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    run_to(wall + 400);
    testing::press_key(&w, Qt::Key_5); // open
    run_to(wall + 60);
    testing::release_key(&w, Qt::Key_5);
    run_to(wall + 300);
    testing::press_key(&w, Qt::Key_1); // Game A
    run_to(wall + 200);
    testing::release_key(&w, Qt::Key_1);
    // Presses a millisecond or two before a timer step, or at its very millisecond: a late
    // wake that ran the step first would change what the press does.
    auto just_before_a_step = [&] {
        run_to(wall + ms(40, 250));
        const auto due = program->device().next_due();
        ASSERT_TRUE(due.has_value());
        const std::int64_t origin_free = wall - program->driver().clock_ms();
        run_to(*due + origin_free - ms(0, 2));
    };
    const int keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Right, Qt::Key_Space};
    const std::int64_t end = wall + 40000;
    while (wall < end) {
        just_before_a_step();
        const int key = keys[ms(0, 3)];
        testing::press_key(&w, key);
        just_before_a_step();
        testing::release_key(&w, key);
        if (ms(0, 9) == 0) { // the controller too, and Time, which the game ignores
            just_before_a_step();
            program->driver().run([&] { program->pad_input().button_down(1, PadButton::a); });
            just_before_a_step();
            program->driver().run([&] { program->pad_input().button_up(1, PadButton::a); });
        }
    }
    run_to(wall + 700);
    rows.record()->trigger();
    const std::vector<fs::path> files = recordings_in(dir.path() / "recordings");
    ASSERT_EQ(files.size(), 1u);
    const std::string script = read_all(files[0]);
    const std::int64_t length = std::stoll(script.substr(script.rfind("\nat ") + 4));
    const std::vector<std::string> recorded = run_lines(events.str(), 0, 0, length);
    ASSERT_GT(recorded.size(), 300u);

    run_to(wall + 1234);
    rows.choose_recording = [&] { return QString::fromStdString(files[0].string()); };
    const std::size_t before = events.str().size();
    rows.play()->trigger();
    ASSERT_TRUE(program->playing());
    const std::int64_t origin = program->device().now();
    const std::int64_t wall_origin = wall;
    int wakes = 0;
    while (wall < wall_origin + length) {
        // The driver's timer is armed for the next step or recorded line; it wakes 1-5 ms late.
        ASSERT_TRUE(program->driver().armed());
        wall += program->driver().armed_delay_ms() + ms(1, 5);
        program->driver().poll();
        ++wakes;
    }
    EXPECT_TRUE(program->playback_finished());
    EXPECT_GT(wakes, 100);
    const std::vector<std::string> played = run_lines(events.str(), before, origin, length);
    ASSERT_FALSE(played.empty()) << "no switch-on in the playback";
    const auto diff = std::mismatch(recorded.begin(), recorded.end(), played.begin(), played.end());
    EXPECT_TRUE(diff.first == recorded.end() && diff.second == played.end())
        << "line " << (diff.first - recorded.begin()) << ": recorded \""
        << (diff.first == recorded.end() ? "<end>" : *diff.first) << "\", played \""
        << (diff.second == played.end() ? "<end>" : *diff.second) << "\"";
}

// A run whose process stalls (stopped for 1.5 s, later for 20 s) in the middle of a game: the
// driver runs each overdue step once and goes on, and the recording says so. The trace tool
// replays it to the run's own events, byte for byte, and so does a playback in the window, though
// the playback stalls in turn where the run did not.
TEST_F(Recording, AStalledRunReplaysToItsOwnEventsInTheToolAndInThePlayback) {
    start();
    ComfortRows& rows = program->side_windows()->comfort();
    TForm1& w = program->main_window();
    rows.record()->trigger();
    ASSERT_TRUE(program->recording());
    run_to(wall + 400);
    testing::press_key(&w, Qt::Key_5); // open
    run_to(wall + 60);
    testing::release_key(&w, Qt::Key_5);
    run_to(wall + 300);
    testing::press_key(&w, Qt::Key_1); // Game A
    run_to(wall + 200);
    testing::release_key(&w, Qt::Key_1);
    auto stall = [&](std::int64_t ms) {
        wall += ms; // stopped: the driver wakes only now
        program->driver().poll();
    };
    run_to(wall + 13000);
    stall(1500);
    run_to(wall + 2000);
    testing::press_key(&w, Qt::Key_Right);
    run_to(wall + 120);
    testing::release_key(&w, Qt::Key_Right);
    run_to(wall + 3000);
    stall(20000);
    run_to(wall + 6000);
    rows.record()->trigger();
    const std::vector<fs::path> files = recordings_in(dir.path() / "recordings");
    ASSERT_EQ(files.size(), 1u);
    const std::string script = read_all(files[0]);
    EXPECT_NE(script.find(" catchup 1500\n"), std::string::npos) << script;
    EXPECT_NE(script.find(" catchup 20000\n"), std::string::npos) << script;

    const std::string desktop = events.str();
    EXPECT_NE(desktop.find(" sound Move\n"), std::string::npos) << "a game was played";
    const std::string replay = run_trace(files[0], dir.path() / "replay.out");
    EXPECT_TRUE(replay == desktop)
        << "first difference at byte "
        << std::distance(
               replay.begin(),
               std::mismatch(replay.begin(), replay.end(), desktop.begin(), desktop.end()).first);

    const std::int64_t length = std::stoll(script.substr(script.rfind("\nat ") + 4));
    const std::vector<std::string> recorded = run_lines(desktop, 0, 0, length);
    run_to(wall + 500);
    rows.choose_recording = [&] { return QString::fromStdString(files[0].string()); };
    const std::size_t before = events.str().size();
    rows.play()->trigger();
    ASSERT_TRUE(program->playing());
    const std::int64_t origin = program->device().now();
    const std::int64_t wall_origin = wall;
    bool stalled = false;
    while (wall < wall_origin + length) {
        ASSERT_TRUE(program->driver().armed());
        wall += program->driver().armed_delay_ms() + 1;
        // The playback's own stall, away from the recorded ones: device time stays exact.
        if (!stalled && wall > wall_origin + 8000) {
            wall += 2500;
            stalled = true;
        }
        program->driver().poll();
    }
    EXPECT_TRUE(program->playback_finished());
    const std::vector<std::string> played = run_lines(events.str(), before, origin, length);
    const auto diff = std::mismatch(recorded.begin(), recorded.end(), played.begin(), played.end());
    EXPECT_TRUE(diff.first == recorded.end() && diff.second == played.end())
        << "line " << (diff.first - recorded.begin()) << ": recorded \""
        << (diff.first == recorded.end() ? "<end>" : *diff.first) << "\", played \""
        << (diff.second == played.end() ? "<end>" : *diff.second) << "\"";
}

// The device is switched on at device time 0 exactly, and the recording's time of day is the one
// of that moment, though the clock moves on while the program does so.
TEST_F(Recording, TheDeviceComesOnAtDeviceTimeZeroOnAClockThatMovesMeanwhile) {
    wall = 5000;
    clock_moves = true; // a millisecond at every read
    start();
    clock_moves = false;
    const std::int64_t switched_on_at = wall - program->driver().clock_ms();
    ASSERT_GT(switched_on_at, 5000);
    const std::string text = events.str();
    const std::size_t mode0 = text.find(" mode 0\n");
    ASSERT_NE(mode0, std::string::npos) << text.substr(0, 300);
    const std::size_t line_start =
        text.rfind('\n', mode0) == std::string::npos ? 0 : text.rfind('\n', mode0) + 1;
    EXPECT_EQ(text.substr(line_start, mode0 - line_start), "0");
    EXPECT_NE(program->run_log().header().find(
                  "time " + time_of_day_text(day_at_start + switched_on_at) + "\n"),
              std::string::npos)
        << program->run_log().header();
}

// A recording that the disk stops taking (here a limit on the file's size, as a full disk stops
// it) ends with one message; the row offers recording again, and the file keeps whole lines.
TEST_F(Recording, ARecordingTheDiskStopsTakingEndsWithOneMessage) {
    collect_messages = true;
    start();
    ComfortRows& rows = program->side_windows()->comfort();
    TForm1& w = program->main_window();
    rows.record()->trigger();
    ASSERT_TRUE(program->recording());
    ASSERT_TRUE(messages.empty());
    const std::vector<fs::path> files = recordings_in(dir.path() / "recordings");
    ASSERT_EQ(files.size(), 1u);
    const std::uintmax_t header = fs::file_size(files[0]);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit was{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &was), 0);
    rlimit small = was;
    small.rlim_cur = header + 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    for (int i = 0; i < 30; ++i) {
        run_to(wall + 50);
        testing::press_key(&w, Qt::Key_5);
        run_to(wall + 50);
        testing::release_key(&w, Qt::Key_5);
        QCoreApplication::processEvents();
    }
    setrlimit(RLIMIT_FSIZE, &was);
    EXPECT_FALSE(program->recording());
    EXPECT_EQ(rows.record()->text(), "Record this run");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("could not be written further: File too large"), std::string::npos)
        << messages[0];
    EXPECT_NE(messages[0].find(files[0].string()), std::string::npos) << messages[0];
    const std::string cut = read_all(files[0]);
    EXPECT_LE(cut.size(), header + 100);
    EXPECT_GT(cut.size(), header);
    EXPECT_EQ(cut.back(), '\n') << "a line cut in two";
    EXPECT_EQ(cut.find(" end\n"), std::string::npos);
    rows.record()->trigger(); // a recording anew, which has room again
    EXPECT_TRUE(program->recording());
    rows.record()->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(program->recording());
    EXPECT_EQ(messages.size(), 1u);
}

// The device's state as a replay can compare it: every variable and the shown segments.
std::string device_state(Device& d) {
    std::string out;
    for (const VariableRef& v : d.variables())
        out += std::string(v.name) + "=" + std::to_string(v.flag ? int(*v.flag) : *v.integer) + " ";
    for (const Segment& s : d.board.segments())
        if (s.shown)
            out += s.name + (s.picture_source ? ":" + std::string(s.source_name()) : "") + " ";
    return out;
}

// "Play a recording…": the recorded run plays in the window at its own times and ends where
// the run ended; the player's input and store stay out of it; "Stop playing" hands the player
// a freshly switched-on device.
TEST_F(Recording, ARecordingPlaysBackInTheWindowToTheSameState) {
    start();
    ComfortRows& rows = program->side_windows()->comfort();
    TForm1& w = program->main_window();
    PopupMenu& menu = program->side_windows()->menu();
    run_to(wall + 700);
    rows.record()->trigger();
    testing::press_key(&w, Qt::Key_5);
    run_to(wall + 90);
    testing::release_key(&w, Qt::Key_5);
    run_to(wall + 400);
    testing::press_key(&w, Qt::Key_1); // Game A
    run_to(wall + 300);
    testing::release_key(&w, Qt::Key_1);
    std::mt19937 rng(7);
    auto ms = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Space};
    for (int i = 0; i < 60; ++i) {
        run_to(wall + ms(30, 400));
        if (i == 10) menu.run(12); // overlays off
        if (i == 20) menu.run(8);  // Reset Hiscores
        if (i == 30) {
            rows.pause()->trigger();
            wall += 2000;
            rows.pause()->trigger();
        }
        const int key = keys[ms(0, 2)];
        testing::press_key(&w, key);
        run_to(wall + ms(20, 300));
        testing::release_key(&w, key);
    }
    run_to(wall + 500);
    rows.record()->trigger();
    const std::string recorded_end = device_state(program->device());
    ASSERT_EQ(program->device().Hi_Score_A, 0) << "the run reset the high scores";
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(dir.path() / "recordings"))
        files.push_back(e.path());
    ASSERT_EQ(files.size(), 1u);
    const std::string script = read_all(files[0]);
    const std::int64_t length = std::stoll(script.substr(script.rfind("\nat ") + 4));
    // The player's store, which the playback must leave alone.
    auto* store = static_cast<MemoryStore*>(&program->store());
    store->preset("HiScore1", "37");
    store->preset("CtrlrOverlay", "1");

    // Played in the same program, from wherever the device is now.
    run_to(wall + 3000);
    rows.choose_recording = [&] { return QString::fromStdString(files[0].string()); };
    rows.refresh();
    EXPECT_EQ(rows.play()->text(), QString::fromUtf8("Play a recording\u2026\tF7"));
    rows.play()->trigger();
    ASSERT_TRUE(program->playing());
    rows.refresh();
    EXPECT_EQ(rows.play()->text(), "Stop playing\tF7");
    EXPECT_FALSE(rows.record()->isEnabled());
    EXPECT_EQ(program->device().Game_State, 0) << "the device starts afresh";
    EXPECT_EQ(program->device().Hi_Score_A, 37) << "the recording's stored value";
    const std::int64_t origin = program->device().now();
    const std::int64_t wall_origin = wall;
    bool pressed_meanwhile = false;
    while (wall < wall_origin + length) {
        wall = std::min(wall + 5, wall_origin + length);
        program->driver().poll();
        if (!pressed_meanwhile && wall > wall_origin + 3000) {
            // The player's keys do nothing to the playback.
            testing::press_key(&w, Qt::Key_Space);
            testing::release_key(&w, Qt::Key_Space);
            testing::press_key(&w, Qt::Key_2);
            testing::release_key(&w, Qt::Key_2);
            pressed_meanwhile = true;
        }
    }
    EXPECT_TRUE(program->playback_finished());
    EXPECT_EQ(program->device().now(), origin + length);
    EXPECT_EQ(device_state(program->device()), recorded_end);
    EXPECT_EQ(store->values().at("HiScore1"), "37")
        << "the playback's reset stayed in its own store";
    EXPECT_EQ(store->values().at("CtrlrOverlay"), "1");

    rows.play()->trigger();
    EXPECT_FALSE(program->playing());
    EXPECT_EQ(rows.play()->text(), QString::fromUtf8("Play a recording\u2026\tF7"));
    EXPECT_EQ(program->device().Game_State, 0);
    EXPECT_EQ(program->device().Hi_Score_A, 37);
    EXPECT_TRUE(program->presentation().Ctrlr_Overlay);
    // The player's keys reach the device again.
    testing::press_key(&w, Qt::Key_5);
    testing::release_key(&w, Qt::Key_5);
    EXPECT_EQ(program->device().Game_State, 2);
}

// A recording made windowed plays windowed, whatever the player's presentation, and the
// player's stored presentation is never touched.
TEST_F(Recording, APlaybackShowsTheRecordedPresentationAndGivesThePlayersBack) {
    start();
    ComfortRows& rows = program->side_windows()->comfort();
    test::write_file(dir.path() / "run.script",
                     "seed 3\ntime 10:00\nat 100 press open\nat 300 fullscreen 1\nat 900 end\n");
    program->side_windows()->menu().run(10); // the player plays in fullscreen
    ASSERT_TRUE(program->presentation().Fullscreen_Mode);
    auto* store = static_cast<MemoryStore*>(&program->store());
    ASSERT_EQ(store->values().at("FullscreenMode"), "1");
    std::vector<std::string> writes;
    store->on_write = [&](const std::string& n, const std::string& v) {
        writes.push_back(n + "=" + v);
    };

    rows.choose_recording = [&] {
        return QString::fromStdString((dir.path() / "run.script").string());
    };
    rows.play()->trigger();
    ASSERT_TRUE(program->playing());
    EXPECT_FALSE(program->presentation().Fullscreen_Mode) << "the recording began windowed";
    const std::int64_t end = wall + 900;
    while (wall < end) {
        wall += 10;
        program->driver().poll();
    }
    EXPECT_TRUE(program->presentation().Fullscreen_Mode) << "the recorded switch";
    EXPECT_EQ(program->device().Game_State, 2);
    rows.play()->trigger();
    EXPECT_TRUE(program->presentation().Fullscreen_Mode) << "the player's presentation";
    EXPECT_TRUE(writes.empty()) << writes.front();
    EXPECT_EQ(store->values().at("FullscreenMode"), "1");
}

TEST_F(Recording, AFileThatIsNoRecordingGivesAMessageAndChangesNothing) {
    collect_messages = true;
    const std::vector<std::string>& shown = messages;
    start();
    ComfortRows& rows = program->side_windows()->comfort();
    TForm1& w = program->main_window();
    testing::press_key(&w, Qt::Key_5);
    testing::release_key(&w, Qt::Key_5);
    test::write_file(dir.path() / "picture.png", std::string("\x89PNG\r\n\x1a\n\0\0", 10));
    for (const fs::path& bad : {dir.path() / "picture.png", dir.path(), fs::path("/dev/zero")}) {
        rows.choose_recording = [&] { return QString::fromStdString(bad.string()); };
        rows.play()->trigger();
        EXPECT_FALSE(program->playing()) << bad;
    }
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_NE(shown[0].find("cannot be played as a recording"), std::string::npos) << shown[0];
    EXPECT_NE(shown[2].find("not a file"), std::string::npos) << shown[2];
    EXPECT_EQ(program->device().Game_State, 2) << "the device went on as it was";
    // A cancelled chooser does nothing either.
    rows.choose_recording = [] { return QString(); };
    rows.play()->trigger();
    EXPECT_FALSE(program->playing());
    EXPECT_EQ(shown.size(), 3u);
}

// A menu command is run as a key is: every step due until now runs first, and the command is
// noted at the device time it ran.
TEST_F(Recording, AMenuCommandRunsOnTheDeviceCaughtUpToNow) {
    start();
    run_to(wall + 1000);
    testing::press_key(&program->main_window(), Qt::Key_5); // open
    testing::release_key(&program->main_window(), Qt::Key_5);
    testing::press_key(&program->main_window(), Qt::Key_3); // the clock, which ticks
    testing::release_key(&program->main_window(), Qt::Key_3);
    ASSERT_TRUE(program->device().next_due().has_value());
    wall += 2500; // the driver's timer has not fired yet
    const std::int64_t now = program->driver().clock_ms();
    ASSERT_LT(program->device().now(), now);
    program->side_windows()->menu().run(8); // Reset Hiscores
    EXPECT_EQ(program->device().now(), now);
    const std::string line = std::to_string(now) + " store HiScore1 0\n";
    const std::string text = events.str();
    ASSERT_NE(text.find(line), std::string::npos) << text.substr(text.size() - 300);
    // Nothing of the device's own comes after the command at an earlier time.
    EXPECT_EQ(text.find(" store HiScore1 0\n"), text.find(line) + std::to_string(now).size());
    ASSERT_FALSE(program->run_log().entries().empty());
    EXPECT_EQ(program->run_log().entries().back().command, "hiscores");
    EXPECT_EQ(program->run_log().entries().back().time, now);
}

// The clock after a pause shows the time of day as it is then, though device time stood still;
// the recording says how long the pause was, and the replay's clock shows the same.
TEST_F(Recording, APauseInClockModeReplaysToTheSameClock) {
    start();
    ComfortRows& rows = program->side_windows()->comfort();
    TForm1& w = program->main_window();
    rows.record()->trigger();
    ASSERT_TRUE(program->recording());
    run_to(wall + 500);
    testing::press_key(&w, Qt::Key_5); // opens the device
    run_to(wall + 100);
    testing::release_key(&w, Qt::Key_5);
    run_to(wall + 1000);
    testing::press_key(&w, Qt::Key_3); // Time: the clock
    run_to(wall + 400);
    testing::release_key(&w, Qt::Key_3);
    run_to(wall + 3000);
    ASSERT_EQ(program->device().Game_State, 4);
    const std::size_t before_pause = events.str().size();
    rows.pause()->trigger();
    wall += 20 * 60 * 1000;
    rows.pause()->trigger();
    // 11:59 PM plus twenty minutes: the next day's 12:19 AM at once.
    EXPECT_NE(events.str().find(" on im_panel_time_am\n", before_pause), std::string::npos)
        << events.str().substr(before_pause);
    run_to(wall + 4000);
    rows.record()->trigger();

    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(dir.path() / "recordings"))
        files.push_back(e.path());
    ASSERT_EQ(files.size(), 1u);
    const std::string script = read_all(files[0]);
    EXPECT_NE(script.find(" resume 1200000\n"), std::string::npos) << script;
    const std::string replay = run_trace(files[0], dir.path() / "replay.out");
    EXPECT_EQ(replay, events.str());
}

// While a recording plays the player's keys do nothing; the window says so with a mark, which a
// pause of the player's replaces for as long as it lasts.
TEST_F(Recording, APlaybackIsMarkedAndAPauseInItShowsThePauseMark) {
    start();
    ComfortRows& rows = program->side_windows()->comfort();
    TForm1& w = program->main_window();
    test::write_file(dir.path() / "run.script",
                     "seed 3\ntime 10:00\nat 100 press open\nat 900 end\n");
    rows.choose_recording = [&] {
        return QString::fromStdString((dir.path() / "run.script").string());
    };
    EXPECT_EQ(w.mark(), "");
    rows.play()->trigger();
    ASSERT_TRUE(program->playing());
    EXPECT_EQ(w.mark(), "REPLAY");
    rows.pause()->trigger();
    EXPECT_EQ(w.mark(), "PAUSED");
    rows.pause()->trigger();
    EXPECT_EQ(w.mark(), "REPLAY");
    wall += 1000;
    program->driver().poll();
    EXPECT_EQ(program->device().Game_State, 2) << "the recording played on after the pause";
    EXPECT_EQ(w.mark(), "REPLAY") << "a finished playback still holds the device";
    rows.play()->trigger();
    EXPECT_EQ(w.mark(), "");

    // Stopped while paused: the pause goes on, and its mark with it.
    rows.play()->trigger();
    rows.pause()->trigger();
    rows.play()->trigger();
    EXPECT_FALSE(program->playing());
    EXPECT_EQ(w.mark(), "PAUSED");
    rows.pause()->trigger();
    EXPECT_EQ(w.mark(), "");
}

// The device a playback starts afresh shows the skin in use, also when the skin changed after
// the device was switched on: a picture of its own the game had replaced (the movement pad
// while a step is held) or cleared (after the step) is this skin's, not the old one's.
TEST_F(Recording, APlaybackAfterTheSkinChangedShowsTheNewSkinsPictures) {
    skin = dir.path() / "skin";
    fs::create_directories(skin);
    fs::copy(fs::path(Q50_SOURCE_DIR) / "data/Config.ini", skin / "Config.ini");
    fs::copy(fs::path(Q50_SOURCE_DIR) / "data/Graphics", skin / "Graphics",
             fs::copy_options::recursive);
    start();
    ComfortRows& rows = program->side_windows()->comfort();
    TForm1& w = program->main_window();
    Segment& pad = *program->device().board.find("btn_move_top");
    const Picture before = pad.picture;
    ASSERT_TRUE(before);
    testing::press_key(&w, Qt::Key_5); // open
    testing::release_key(&w, Qt::Key_5);

    // The skin's maker draws another movement pad; the skin is loaded again in place.
    const fs::path file = skin / "Graphics/Skin/btn_move_top.png";
    fs::remove(file);
    fs::copy(skin / "Graphics/Skin/btn_move_down_right.png", file);
    program->reload_skin();
    const Picture drawn = pad.picture;
    ASSERT_TRUE(drawn);
    ASSERT_NE(drawn, before);
    ASSERT_NE(drawn->pixels, before->pixels);

    test::write_file(dir.path() / "run.script", "seed 3\ntime 10:00\nat 900 end\n");
    rows.choose_recording = [&] {
        return QString::fromStdString((dir.path() / "run.script").string());
    };
    testing::press_key(&w, Qt::Key_Left); // held: the pad shows the pressed picture
    ASSERT_EQ(pad.source_name(), "btn_move_down_left");
    rows.play()->trigger();
    ASSERT_TRUE(program->playing());
    EXPECT_EQ(pad.picture, drawn) << "the playback's fresh device shows the old skin's pad";
    EXPECT_FALSE(pad.picture_source);
    testing::release_key(&w, Qt::Key_Left);
    rows.play()->trigger();
    EXPECT_EQ(pad.picture, drawn) << "the player's fresh device after the playback";

    testing::press_key(&w, Qt::Key_5);
    testing::release_key(&w, Qt::Key_5);
    testing::press_key(&w, Qt::Key_Left);
    testing::release_key(&w, Qt::Key_Left); // a step cleared the pad's picture
    ASSERT_FALSE(pad.picture);
    rows.play()->trigger();
    EXPECT_EQ(pad.picture, drawn) << "a fresh device shows the pad's own picture";
}

} // namespace
} // namespace q50
