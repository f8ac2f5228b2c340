// Saved states on the whole program: F8 and F10 put the device back where it was and device
// time goes on from there; a load never breaks a recording or a playback; a slot that is no
// state is refused; "Resume on start" keeps a game under way at the close for the next start.
#include "shell/program.h"

#include "../support/scoped_env.h"
#include "../support/temp_dir.h"
#include "input/keys.h"
#include "program_rig.h"
#include "qt_events.h"
#include "shell/comfort_rows.h"
#include "shell/core/memory_store.h"
#include "shell/key_codes.h"
#include "shell/popup_menu.h"
#include "shell/side_windows.h"
#include "shell/state_rows.h"

#include <QCoreApplication>
#include <QKeySequence>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace q50 {
namespace {

namespace fs = std::filesystem;

std::string file_text(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct States : ::testing::Test {
    test::TempDir dir;
    test::ScopedEnv data_home{"XDG_DATA_HOME", (dir.path() / "data").c_str()};
    fs::path slot = dir.path() / "data/quendrix50/state.q50s";
    fs::path resume_file = dir.path() / "data/quendrix50/resume.q50s";
    std::int64_t wall = 250;
    std::ostringstream events;
    std::unique_ptr<Program> program;
    MemoryStore* store = nullptr;
    std::vector<std::string> told, messages, asked;
    bool answer = true;

    void start(std::initializer_list<std::pair<const char*, const char*>> stored = {}) {
        auto s = std::make_unique<MemoryStore>();
        for (auto [n, v] : {std::pair{"SplashScreen", "0"},
                            {"FullscreenMode", "0"},
                            {"SoundMode", "2"},
                            {"HiScore1", "37"}})
            s->preset(n, v);
        for (auto [n, v] : stored) s->preset(n, v);
        store = s.get();
        ProgramOptions o;
        o.executable_dir = fs::path(Q50_SOURCE_DIR) / "data";
        o.current_dir = o.executable_dir;
        o.store = std::move(s);
        o.presenter = [this](QWidget*, const QString& text) {
            messages.push_back(text.toStdString());
        };
        o.clock_ms = [this] { return wall; };
        o.local_ms_of_day = [this] { return 10 * 3600 * 1000 + wall; };
        o.event_log = &events;
        o.recordings_dir = dir.path() / "recordings";
        program = std::make_unique<Program>(std::move(o));
        // Set before the start: the switch-on asks its question from the loop's next turn.
        program->start();
        rows().tell = [this](const QString& t) { told.push_back(t.toStdString()); };
        rows().ask = [this](const QString& t) {
            asked.push_back(t.toStdString());
            return answer;
        };
        QCoreApplication::processEvents();
        ASSERT_TRUE(program->main_window().on_screen());
    }
    StateRows& rows() { return program->side_windows()->states(); }
    TForm1& w() { return program->main_window(); }
    Device& dev() { return program->device(); }
    // Time passes to `t`, the driver woken for every step due on the way, as its timer does.
    void run_to(std::int64_t t) {
        while (true) {
            const auto due = dev().next_due();
            const std::int64_t offset = wall - program->driver().clock_ms();
            if (!due || *due + offset > t) break;
            wall = *due + offset;
            program->driver().poll();
        }
        wall = t;
        program->driver().poll();
    }
    void tap(int key, int ms = 80) {
        testing::press_key(&w(), key);
        run_to(wall + ms);
        testing::release_key(&w(), key);
    }
    // Open and Game A: a game in play.
    void begin_game() {
        run_to(wall + 1000);
        tap(Qt::Key_5);
        run_to(wall + 500);
        tap(Qt::Key_1);
        run_to(wall + 2000);
        ASSERT_EQ(dev().Game_State, 6);
    }
    void walk_about(int steps) {
        for (int i = 0; i < steps; ++i) {
            tap(i % 3 == 0 ? Qt::Key_Control : i % 2 ? Qt::Key_Right : Qt::Key_Left, 120);
            run_to(wall + 330);
        }
    }
    std::string events_from(std::size_t at) const { return events.str().substr(at); }
    bool told_of(const std::string& part) const {
        for (const std::string& t : told)
            if (t.find(part) != std::string::npos) return true;
        return false;
    }
};

TEST_F(States, F10PutsTheGameBackAndItGoesOnFromTheSavedDeviceTimeAsItDidAfterTheSave) {
    start();
    begin_game();
    walk_about(6);
    testing::press_key(&w(), Qt::Key_F8);
    testing::release_key(&w(), Qt::Key_F8);
    ASSERT_TRUE(fs::exists(slot)) << (told.empty() ? "" : told.back());
    EXPECT_TRUE(told_of("State saved"));
    const std::int64_t saved_at = dev().now();
    const int score = dev().Score;

    // What the device did in the 4 s after the save, the player's hands off the keys...
    std::size_t mark = events.str().size();
    run_to(wall + 4000);
    const std::string after_save = events_from(mark);
    ASSERT_NE(after_save.find(" sound "), std::string::npos) << "the game went on";
    // ...then play on, and go back.
    walk_about(12);
    run_to(wall + 3000);
    ASSERT_NE(dev().now(), saved_at);
    testing::press_key(&w(), Qt::Key_F10);
    testing::release_key(&w(), Qt::Key_F10);
    EXPECT_TRUE(told_of("State loaded"));
    EXPECT_EQ(dev().now(), saved_at);
    EXPECT_EQ(program->driver().clock_ms(), saved_at) << "device time goes on from the state's";
    EXPECT_EQ(dev().Score, score);
    EXPECT_EQ(dev().Game_State, 6);
    EXPECT_TRUE(program->driver().armed());
    // The same 4 s again: every step, sound and segment at the same device millisecond.
    mark = events.str().size();
    run_to(wall + 4000);
    EXPECT_EQ(events_from(mark), after_save);
    EXPECT_EQ(program->store().read_int("HiScore1", 0), 37) << "the player's record stays";
    EXPECT_TRUE(messages.empty()) << messages.front();
}

TEST_F(States, ALoadWhilePausedStaysPausedAndTheTimersKeepTheirTimeLeft) {
    start();
    begin_game();
    rows().save()->trigger();
    const std::int64_t saved_at = dev().now();
    const auto due = dev().next_due();
    ASSERT_TRUE(due);
    walk_about(4);
    program->set_paused(true);
    wall += 60000; // a long pause: no device time passes in it
    rows().load()->trigger();
    EXPECT_TRUE(program->paused());
    EXPECT_FALSE(program->driver().armed());
    EXPECT_EQ(program->driver().clock_ms(), saved_at);
    program->set_paused(false);
    EXPECT_EQ(program->driver().clock_ms(), saved_at);
    EXPECT_EQ(dev().next_due(), due);
    run_to(wall + (*due - saved_at));
    EXPECT_GE(dev().now(), *due) << "the next step ran at its own time after the pause";
}

TEST_F(States, ALoadNeverBreaksARecordingOrAPlaybackAndARunFromAStateIsNotRecorded) {
    start();
    begin_game();
    // A save during a recording changes nothing the recording holds.
    ComfortRows& comfort = program->side_windows()->comfort();
    comfort.record()->trigger();
    ASSERT_TRUE(program->recording());
    walk_about(3);
    rows().save()->trigger();
    ASSERT_TRUE(fs::exists(slot));
    walk_about(3);
    const int game_state = dev().Game_State, score = dev().Score;
    const std::int64_t now = dev().now();
    rows().load()->trigger();
    EXPECT_TRUE(told_of("A recording is being made"));
    EXPECT_EQ(dev().now(), now) << "refused, nothing changed";
    EXPECT_EQ(dev().Score, score);
    EXPECT_EQ(dev().Game_State, game_state);
    EXPECT_TRUE(program->recording());
    comfort.record()->trigger();
    ASSERT_FALSE(program->recording());
    const std::string desktop = events.str();
    fs::path recording;
    for (const auto& e : fs::directory_iterator(dir.path() / "recordings")) recording = e.path();
    ASSERT_FALSE(recording.empty());
    // The save and the refused load left the recording the run's own: the trace tool replays
    // it to the very events the desktop wrote.
    const fs::path replay = dir.path() / "replay.out";
    const std::string command = std::string(Q50_BINARY_DIR) + "/tools/quendrix-trace < " +
                                recording.string() + " > " + replay.string() + " 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << file_text(replay);
    EXPECT_NE(desktop.find(" mode 6\n"), std::string::npos);
    EXPECT_TRUE(file_text(replay) == desktop) << "the replay differs from the desktop's events";

    // During a playback neither a save nor a load.
    ASSERT_TRUE(program->play_recording(recording));
    told.clear();
    const auto slot_before = file_text(slot);
    rows().save()->trigger();
    EXPECT_TRUE(told_of("A recording is playing"));
    EXPECT_EQ(file_text(slot), slot_before);
    told.clear();
    const std::int64_t playing_now = dev().now();
    rows().load()->trigger();
    EXPECT_TRUE(told_of("A recording is playing"));
    EXPECT_TRUE(program->playing());
    EXPECT_EQ(dev().now(), playing_now);
    program->stop_playing();

    // Loaded: the run's log no longer leads to the device, so it is not recorded...
    ASSERT_TRUE(rows().load_state());
    messages.clear();
    comfort.record()->trigger();
    EXPECT_FALSE(program->recording());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("went on from a saved state"), std::string::npos) << messages[0];
    // ...until the device is switched on afresh (the end of a playback).
    ASSERT_TRUE(program->play_recording(recording));
    program->stop_playing();
    comfort.record()->trigger();
    EXPECT_TRUE(program->recording());
    comfort.record()->trigger();
}

// Neither key can be taken by a game action, and a held key saves or loads once.
TEST_F(States, TheirKeysAreNoneOfTheAssignableKeysAndARepeatDoesNothing) {
    start();
    PopupMenu& menu = program->side_windows()->menu();
    for (int key : {int(Qt::Key_F8), int(Qt::Key_F10)}) {
        EXPECT_TRUE(menu.is_extra_shortcut(key)) << QKeySequence(key).toString().toStdString();
        const std::uint16_t code = virtual_key_code(key, Qt::NoModifier, 0, false);
        EXPECT_NE(code, 0);
        EXPECT_EQ(assignable_key_number(code), 0) << QKeySequence(key).toString().toStdString();
    }
    begin_game();
    testing::press_key(&w(), Qt::Key_F8);
    const auto first = file_text(slot);
    ASSERT_FALSE(first.empty());
    run_to(wall + 2000);
    testing::send_key(&w(), QEvent::KeyPress, Qt::Key_F8, Qt::NoModifier, true);
    EXPECT_EQ(file_text(slot), first) << "a repeat of the held key saved again";
    testing::release_key(&w(), Qt::Key_F8);
    const std::int64_t now = dev().now();
    testing::press_key(&w(), Qt::Key_F10);
    testing::release_key(&w(), Qt::Key_F10);
    ASSERT_LT(dev().now(), now);
    run_to(wall + 500);
    const std::int64_t later = dev().now();
    testing::send_key(&w(), QEvent::KeyPress, Qt::Key_F10, Qt::NoModifier, true);
    EXPECT_EQ(dev().now(), later) << "a repeat of the held key loaded again";
}

TEST_F(States, ASlotThatIsNoStateIsRefusedAndAFailedSaveKeepsTheSlotWhole) {
    start();
    begin_game();
    const std::int64_t now = dev().now();
    rows().load()->trigger();
    EXPECT_TRUE(told_of("No state loaded: no state has been saved")) << told.back();
    fs::create_directories(slot.parent_path());
    std::ofstream(slot, std::ios::binary) << std::string(16384, 'x');
    rows().load()->trigger();
    EXPECT_TRUE(told_of("is refused: not a saved state of this device")) << told.back();
    std::ofstream(slot, std::ios::binary) << "short";
    rows().load()->trigger();
    EXPECT_TRUE(told_of("is damaged (it is not the size of a saved state)")) << told.back();
    EXPECT_EQ(dev().now(), now);
    EXPECT_EQ(dev().Game_State, 6);

    // The folder cannot be made (a file stands in its way): told, and nothing is left.
    test::ScopedEnv blocked("XDG_DATA_HOME", (dir.path() / "blocker").c_str());
    std::ofstream(dir.path() / "blocker") << "a file, not a folder";
    told.clear();
    EXPECT_FALSE(rows().save_state());
    EXPECT_TRUE(told_of("The state could not be saved")) << (told.empty() ? "" : told.back());
    EXPECT_TRUE(told_of("The slot keeps what it held before"));
    EXPECT_EQ(file_text(dir.path() / "blocker"), "a file, not a folder");
}

TEST_F(States, ResumeOnStartKeepsAGameAtTheCloseAndTheNextStartOffersItOnce) {
    start();
    EXPECT_FALSE(rows().resume()->isChecked());
    rows().resume()->trigger();
    EXPECT_EQ(testing::stored_text(*store, "Resume"), "1");
    EXPECT_TRUE(rows().resume()->isChecked());
    begin_game();
    walk_about(5);
    const int score = dev().Score;
    const std::int64_t left_at = dev().now();
    program->FormClose();
    program.reset();
    ASSERT_TRUE(fs::exists(resume_file));
    EXPECT_FALSE(fs::exists(slot)) << "closing never takes the player's slot";

    // Yes: the game is back, paused until the player is ready.
    wall = 100;
    start({{"Resume", "1"}});
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_NE(asked[0].find("Go on with it?"), std::string::npos);
    EXPECT_EQ(dev().Game_State, 6);
    EXPECT_EQ(dev().Score, score);
    EXPECT_EQ(dev().now(), left_at);
    EXPECT_TRUE(program->paused());
    EXPECT_FALSE(fs::exists(resume_file)) << "offered once";
    program->set_paused(false);
    run_to(wall + 1000);
    EXPECT_EQ(dev().Game_State, 6) << "the game goes on";

    // Closed mid-game again, and this time No: a start as usual.
    program->FormClose();
    program.reset();
    ASSERT_TRUE(fs::exists(resume_file));
    answer = false;
    asked.clear();
    start({{"Resume", "1"}});
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(dev().Game_State, 0);
    EXPECT_FALSE(program->paused());
    EXPECT_FALSE(fs::exists(resume_file));

    // Closed with no game under way: nothing to offer.
    program->FormClose();
    program.reset();
    EXPECT_FALSE(fs::exists(resume_file));
}

TEST_F(States, WithResumeOffAndNoStateLoadedNothingIsKeptOrAsked) {
    start();
    begin_game();
    program->FormClose();
    program.reset();
    EXPECT_FALSE(fs::exists(resume_file));
    EXPECT_FALSE(fs::exists(slot));
    // A file left by a run with Resume on is not offered while it is off.
    fs::create_directories(resume_file.parent_path());
    std::ofstream(resume_file) << "";
    start();
    EXPECT_TRUE(asked.empty());
    EXPECT_TRUE(fs::exists(resume_file));
    EXPECT_EQ(testing::stored_text(*store, "Resume"), "<absent>");
    program->FormClose();
    EXPECT_TRUE(fs::exists(resume_file));
}

} // namespace
} // namespace q50
