// The recorder and the playback every front end records and replays with: a run caught up
// through a stall, paused and given commands plays back to the very event stream it made, woken
// at other moments; a file cut by a full disk holds the whole lines before the cut and plays;
// a file cut inside a line is refused at that line; a playback whose lines are done leaves the
// device live, and one stopped lets its lines go.
#include "shell/core/run_recording.h"

#include "../support/temp_dir.h"
#include "shell/core/device_target.h"
#include "shell/core/event_printer.h"
#include "shell/core/menu_commands.h"
#include "shell/core/rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <sstream>
#include <string>
#include <sys/resource.h>

namespace q50 {
namespace {

// One front end's device: the offline rig with its events printed, its clock, and its input
// target (the recorded one: every action goes into the run's recording).
struct Front {
    explicit Front(std::uint32_t seed) : rig(seed) {
        printer.attach();
        rig.sound.on_call = [this](const RecordingSound::Call& c) { printer.sound(c.what); };
        rig.store.on_write = [this](const std::string& name, const std::string& text) {
            printer.stored(name, text);
        };
        input.on_action = [this](ButtonAction a) { recorder.action(rig.dev.now(), a); };
        clock.on_stall = [this](const Stall& s) { recorder.stall(s); };
    }
    void begin(std::int64_t ms_of_day) {
        rig.clock.set_ms_of_day(ms_of_day);
        rig.start();
        RunStart start;
        start.store = run_start_values(rig.store);
        start.seed = rig.random.last_seed();
        start.ms_of_day = ms_of_day;
        recorder.begin(std::move(start));
    }
    void at(std::int64_t t, Button b, bool down) {
        clock.to(t);
        input.perform({b, down});
    }
    // A front end's pause of `ms` (device time stands still, the time of day goes on).
    void pause_at(std::int64_t t, std::int64_t ms) {
        clock.to(t);
        recorder.pause(t);
        recorder.resume(t, ms);
        rig.clock.shift(ms);
        if (rig.dev.Game_State == 4) rig.dev.Timer_ClockTimer();
    }
    // Plays `r` from the switch-on, as the browser edition plays one.
    void play(const Recording& r) {
        for (const auto& [name, text] : r.start.store) rig.store.preset(name, text);
        rig.random.seed(r.start.seed);
        rig.clock.set_ms_of_day(r.start.ms_of_day);
        rig.start();
        playback.on_resume = [this](std::int64_t ms) { rig.clock.shift(ms); };
        playback.load(r);
        playback.start(0);
        playback.drive(clock);
    }

    Rig rig;
    std::ostringstream events;
    EventPrinter printer{events, rig.dev};
    DeviceTarget target{rig.dev, &rig.presentation};
    LoggingTarget input{target};
    CatchUp clock{rig.dev};
    RunRecorder recorder;
    Playback playback{rig.dev, target, rig.presentation};
};

// The printed events up to device time `t` (each line begins with its device time).
std::string events_until(const std::string& events, std::int64_t t) {
    std::string kept;
    std::istringstream lines(events);
    for (std::string line; std::getline(lines, line) && std::stoll(line) <= t;) kept += line + '\n';
    return kept;
}

// The device opened, Game A begun, the hero moved now and then, with the front end woken every
// `wake` ms and stopped for 2.5 s at 12 s (a debugger, a suspended laptop).
// `begun` runs once the run has begun (its recording may be written from there).
void play_a_game(Front& f, std::int64_t wake, const std::function<void()>& begun = {}) {
    f.begin(9 * 3600 * 1000);
    if (begun) begun();
    f.at(0, Button::Open, true);
    f.at(20, Button::Open, false);
    f.at(100, Button::Game_A, true);
    f.at(150, Button::Game_A, false);
    std::int64_t t = 150;
    for (int n = 0; t < 12000; ++n) {
        f.clock.to(t += wake);
        if (n % 40 == 0) {
            f.input.perform({Button::Right, true});
            f.input.perform({Button::Right, false});
        }
    }
    f.clock.to(t += 2500);
    f.at(t += 300, Button::Bomb, true);
    f.at(t += 50, Button::Bomb, false);
    f.clock.to(t + 400);
    f.recorder.command(f.rig.dev.now(), menu_command_text(MenuCommand::Overlays, false));
    show_controller_overlays(f.rig.dev, f.rig.presentation, false);
    f.pause_at(t + 900, 4000);
    f.at(t + 1000, Button::Left, true);
    f.at(t + 1100, Button::Left, false);
    f.clock.to(20000);
}

TEST(RunRecording, ARunCaughtUpThroughAStallPlaysBackToTheSameEvents) {
    Front live(5);
    play_a_game(live, 37);
    const std::string text = live.recorder.text("a test run", live.rig.dev.now());
    EXPECT_NE(text.find(" catchup 25"), std::string::npos) << text;
    EXPECT_NE(text.find(" resume 4000\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" overlays 0\n"), std::string::npos) << text;
    EXPECT_EQ(text.rfind("at 20000 end\n"), text.size() - 13) << text;
    const RecordingRead read = parse_recording(text);
    ASSERT_TRUE(read.recording) << read.error;

    // Woken at other moments, with no stall of its own: the recorded stall is a line.
    Front played(1);
    played.play(*read.recording);
    std::vector<Stall> own;
    played.clock.on_stall = [&](const Stall& s) { own.push_back(s); };
    for (std::int64_t t = 0; t < 20000; t += 53) played.clock.to(t);
    played.clock.to(20000);
    EXPECT_TRUE(played.playback.finished());
    EXPECT_TRUE(own.empty());
    EXPECT_EQ(played.events.str(), live.events.str());

    // The line is what makes it so: without it, exact device time runs the stall's backlog.
    std::string without;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line.find("catchup") == std::string::npos) without += line + '\n';
    Front exact(1);
    exact.play(*parse_recording(without).recording);
    exact.clock.to(20000);
    EXPECT_NE(exact.events.str(), live.events.str());
}

TEST(RunRecording, AFileCutByAFullDiskHoldsTheWholeLinesBeforeTheCutAndPlays) {
    test::TempDir dir;
    const auto file = dir.path() / "run.script";
    Front live(5);
    int failures = 0;
    live.recorder.on_file_failed = [&] { ++failures; };
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit was{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &was), 0);
    rlimit small = was;
    small.rlim_cur = 700;
    bool opened = false, second = true, so_far = false;
    play_a_game(live, 37, [&] {
        opened = live.recorder.create_file(file);
        second = live.recorder.create_file(file);
        so_far = live.recorder.write_so_far("a test run");
        setrlimit(RLIMIT_FSIZE, &small);
    });
    setrlimit(RLIMIT_FSIZE, &was);
    ASSERT_TRUE(opened);
    EXPECT_FALSE(second) << "one file at a time";
    ASSERT_TRUE(so_far);
    EXPECT_EQ(failures, 1) << "told once, however many lines came after";
    EXPECT_FALSE(live.recorder.writing());
    EXPECT_EQ(live.recorder.file().error(), "File too large");
    EXPECT_FALSE(live.recorder.end_file(20000)) << "nothing more goes into a failed file";

    const std::string held = test::read_file(file);
    EXPECT_EQ(held.size(), live.recorder.file().written());
    ASSERT_LE(held.size(), 700u);
    ASSERT_EQ(held.back(), '\n');
    const RecordingRead read = read_recording(file);
    ASSERT_TRUE(read.recording) << read.error;
    EXPECT_FALSE(read.recording->end);
    // Exactly the first lines of the run, the rest of which is still in memory.
    const Recording& cut = *read.recording;
    const auto whole = parse_recording(live.recorder.text("a test run", 20000));
    ASSERT_TRUE(whole.recording);
    ASSERT_LT(cut.entries.size(), whole.recording->entries.size());
    ASSERT_GT(cut.entries.size(), 4u);
    for (std::size_t i = 0; i < cut.entries.size(); ++i)
        EXPECT_EQ(cut.entries[i], whole.recording->entries[i]) << i;

    // It plays: up to its last line the device does what the live one did.
    Front played(1);
    played.play(cut);
    const std::int64_t last = cut.entries.back().time;
    played.clock.to(last);
    EXPECT_TRUE(played.playback.finished());
    const std::string upto = events_until(live.events.str(), last);
    EXPECT_GT(upto.size(), 1000u);
    EXPECT_EQ(events_until(played.events.str(), last), upto);
}

TEST(RunRecording, AFileCutInsideALineIsRefusedAtThatLine) {
    Front live(5);
    play_a_game(live, 37);
    const std::string text = live.recorder.text("a test run", 20000);
    // Cut inside the word of the third timed line ("press"/"release"/"catchup", ...).
    std::size_t at = text.find("\nat ");
    for (int n = 0; n < 3; ++n) at = text.find("\nat ", at + 1);
    const std::size_t word = text.find(' ', text.find(' ', at + 1) + 1) + 3;
    std::size_t line_no = 1 + std::size_t(std::count(text.begin(), text.begin() + long(at), '\n'));
    const RecordingRead read = parse_recording(std::string_view(text).substr(0, word));
    EXPECT_FALSE(read.recording);
    EXPECT_EQ(read.error.rfind("line " + std::to_string(line_no + 1) + ":", 0), 0u) << read.error;
}

TEST(RunRecording, APlaybackDoneLeavesTheDeviceLiveAndOneStoppedLetsItsLinesGo) {
    Front live(5);
    play_a_game(live, 41);
    const RecordingRead read = parse_recording(live.recorder.text("a test run", 20000));
    ASSERT_TRUE(read.recording);

    Front played(1);
    played.playback.load(*read.recording);
    EXPECT_FALSE(played.playback.playing());
    EXPECT_FALSE(played.playback.due()) << "nothing runs before the recording's time 0";
    played.play(*read.recording);
    ASSERT_TRUE(played.playback.due());
    EXPECT_EQ(played.playback.due()->at, 0);
    // The recorded run's time of day, gone on by its recorded pause.
    EXPECT_EQ(played.playback.ms_of_day(1000), 9 * 3600 * 1000 + 1000);
    played.clock.to(20000);
    EXPECT_TRUE(played.playback.finished());
    EXPECT_FALSE(played.playback.due());
    EXPECT_EQ(played.playback.ms_of_day(20000), 9 * 3600 * 1000 + 20000 + 4000);
    EXPECT_EQ(played.rig.clock.ms_at_zero() + 20000, played.playback.ms_of_day(20000));

    // Done, the front end's own stall is caught up live and told (a recorder would keep it).
    std::vector<Stall> own;
    played.clock.on_stall = [&](const Stall& s) { own.push_back(s); };
    played.clock.to(26000);
    ASSERT_EQ(own.size(), 1u);
    EXPECT_EQ(own[0].at, 26000);

    // Stopped half-way, the rest never runs.
    Front stopped(1);
    stopped.play(*read.recording);
    stopped.clock.to(10000);
    const std::size_t lines = stopped.playback.recording().entries.size();
    EXPECT_GT(lines, 0u);
    stopped.playback.stop();
    EXPECT_FALSE(stopped.playback.playing());
    EXPECT_FALSE(stopped.playback.finished());
    EXPECT_TRUE(stopped.playback.recording().entries.empty());
    stopped.clock.to(20000);
    EXPECT_TRUE(stopped.rig.presentation.Ctrlr_Overlay) << "the recorded hiding never ran";
    EXPECT_FALSE(live.rig.presentation.Ctrlr_Overlay);
}

TEST(RunRecording, ARunAfreshCountsItsLinesFromItsOwnSwitchOn) {
    RunRecorder r;
    RunStart start;
    start.seed = 9;
    r.begin(start, 5000);
    r.action(6200, {Button::Time, true});
    r.stall({7000, 600});
    const std::string text = r.text("again", 9000);
    EXPECT_NE(text.find("\nat 1200 press time\nat 2000 catchup 600\nat 4000 end\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.rfind("# again\n", 0), 0u);
}

} // namespace
} // namespace q50
