// Pause, volume and mute, the sound output changed while running, and the remembered place,
// on the whole program (Qt's offscreen platform).
#include "shell/program.h"

#include "../sound/sound_folder.h"
#include "../support/temp_dir.h"
#include "input/keys.h"
#include "program_rig.h"
#include "qt_events.h"
#include "shell/comfort_rows.h"
#include "shell/core/memory_store.h"
#include "shell/key_codes.h"
#include "shell/popup_menu.h"
#include "shell/side_windows.h"
#include "sound/mixer_library.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

#include <filesystem>

namespace q50 {
namespace {

namespace fs = std::filesystem;

struct Comforts : ::testing::Test {
    test::TempDir dir;
    test::InDirectory cwd{dir.path()};
    MemoryStore* store = nullptr;
    std::vector<std::string> messages;
    std::unique_ptr<Program> program;
    fs::path skin; // the folder of Config.ini and the pictures; empty: a skin without pictures

    void SetUp() override { test::write_file(dir.path() / "Config.ini", testing::kBareSkin); }
    void start(std::initializer_list<std::pair<const char*, const char*>> stored = {}) {
        auto s = std::make_unique<MemoryStore>();
        s->preset("SplashScreen", "0");
        s->preset("FullscreenMode", "0");
        s->preset("SoundMode", "2");
        for (auto& [n, v] : stored) s->preset(n, v);
        store = s.get();
        ProgramOptions o;
        o.executable_dir = skin.empty() ? dir.path() : skin;
        o.current_dir = skin.empty() ? dir.path() : skin;
        o.store = std::move(s);
        o.presenter = [this](QWidget*, const QString& text) {
            messages.push_back(text.toStdString());
        };
        program = std::make_unique<Program>(std::move(o));
        program->start();
        ASSERT_TRUE(program->main_window().on_screen());
    }
    std::string stored(const char* name) const { return testing::stored_text(*store, name); }
    TForm1& main() { return program->main_window(); }
    ComfortRows& rows() { return program->side_windows()->comfort(); }
};

TEST_F(Comforts, F5PausesTimeSoundAndPressesAndShowsAMarkOutsideTheFrame) {
    start();
    TForm1& w = main();
    testing::press_key(&w, Qt::Key_5); // open
    testing::press_key(&w, Qt::Key_1); // Game A held
    testing::release_key(&w, Qt::Key_1);
    Device& d = program->device();
    ASSERT_EQ(d.Game_State, 6);
    ASSERT_TRUE(program->driver().armed());

    testing::press_key(&w, Qt::Key_F5);
    EXPECT_TRUE(program->paused());
    EXPECT_FALSE(program->driver().armed()) << "no timer step while paused";
    EXPECT_EQ(w.mark(), "PAUSED");
    EXPECT_TRUE(rows().pause()->isEnabled());
    const std::int64_t frozen = program->driver().clock_ms();

    // A held F5 repeats: the repeats do not flip the pause back.
    testing::send_key(&w, QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier, true);
    EXPECT_TRUE(program->paused());
    // Presses do nothing while paused.
    testing::press_key(&w, Qt::Key_5);
    EXPECT_EQ(d.Game_State, 6);
    EXPECT_EQ(program->driver().clock_ms(), frozen);

    // The mark is a window of its own beside the device, not painted over it.
    ASSERT_NE(w.mark_window(), nullptr);
    EXPECT_EQ(w.mark_window()->text(), "PAUSED");
    EXPECT_TRUE(w.mark_window()->isWindow());
    if (w.mark_window()->isVisible()) {
        EXPECT_FALSE(w.mark_window()->geometry().intersects(w.device_on_screen()));
    }

    testing::press_key(&w, Qt::Key_Pause);
    EXPECT_FALSE(program->paused());
    EXPECT_TRUE(w.mark().isEmpty());
    EXPECT_TRUE(program->driver().armed());
    testing::press_key(&w, Qt::Key_5);
    EXPECT_EQ(d.Game_State, 1) << "presses work again";
}

TEST_F(Comforts, AutoPauseFollowsTheWindowsFocusOnlyWhenAskedFor) {
    start();
    TForm1& w = main();
    ASSERT_EQ(w.host(), &program->window_host());
    MainWindowHost& host = program->window_host();
    host.active_changed(false);
    EXPECT_FALSE(program->paused()) << "AutoPause is off by default";
    EXPECT_EQ(stored("AutoPause"), "<absent>");

    rows().auto_pause()->trigger();
    EXPECT_EQ(stored("AutoPause"), "1");
    host.active_changed(false);
    EXPECT_TRUE(program->paused());
    host.active_changed(true);
    EXPECT_FALSE(program->paused()) << "focus back ends a pause that focus made";

    // A pause the player made stays when the focus comes back.
    rows().pause()->trigger();
    host.active_changed(false);
    host.active_changed(true);
    EXPECT_TRUE(program->paused());
}

TEST_F(Comforts, VolumeAndMuteAreStoredAndReachTheMixer) {
    test::make_sound_folder(dir.path(), 0.2);
    start({{"SoundMode", "0"}, {"Volume", "40"}});
    ASSERT_TRUE(program->sound().device_open());
    // The mixer as the program opened it (this test program does not link it).
    const MixerLibrary* mixer = mixer_library();
    ASSERT_NE(mixer, nullptr);
    EXPECT_EQ(mixer->Volume(0, -1), 51) << "the stored volume at start";
    EXPECT_TRUE(rows().volume_step(4)->isChecked());
    EXPECT_TRUE(rows().output(0)->isChecked());

    rows().volume_step(7)->trigger();
    EXPECT_EQ(stored("Volume"), "70");
    EXPECT_EQ(mixer->Volume(3, -1), 90);
    testing::press_key(&main(), Qt::Key_F6);
    EXPECT_EQ(stored("Muted"), "1");
    EXPECT_EQ(mixer->Volume(3, -1), 0);
    EXPECT_EQ(stored("Volume"), "70") << "mute keeps the volume";
    testing::press_key(&main(), Qt::Key_F6);
    EXPECT_EQ(stored("Muted"), "0");
    EXPECT_EQ(mixer->Volume(3, -1), 90);

    // The other output, then none, while the program runs.
    rows().output(1)->trigger();
    EXPECT_EQ(stored("SoundMode"), "1");
    EXPECT_TRUE(program->sound().device_open());
    EXPECT_EQ(mixer->Volume(3, -1), 90) << "the new output gets the volume";
    rows().output(2)->trigger();
    EXPECT_EQ(stored("SoundMode"), "2");
    EXPECT_FALSE(program->sound().device_open());
    EXPECT_FALSE(program->ending());
    EXPECT_TRUE(messages.empty());
}

TEST_F(Comforts, DefaultsWriteNothingAndChangeNothing) {
    start();
    for (const char* name : {"Volume", "Muted", "AutoPause", "WindowLeft", "WindowTop", "Pad1"})
        EXPECT_EQ(stored(name), "<absent>") << name;
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(main().pos(), QPoint((screen.width() - main().width()) / 2,
                                   (screen.height() - main().height()) / 2));
    EXPECT_EQ(program->volume(), 100);
    EXPECT_FALSE(program->muted());
}

TEST_F(Comforts, ADraggedWindowIsStoredAndComesBackThereIfStillOnAScreen) {
    skin = fs::path(Q50_SOURCE_DIR) / "data"; // its device body takes the drag
    start();
    TForm1& w = main();
    const QPoint start_pos = w.pos();
    // A point of the device that drags the window.
    QPoint body;
    const Board& board = program->device().board;
    for (const Segment& s : board.segments()) {
        const MouseControl* c = mouse_control(board.id_of(s));
        const QPoint mid(s.rect.left + s.rect.width / 2, s.rect.top + s.rect.height / 2);
        const Segment* top = control_at(board, mid.x(), mid.y());
        if (s.shown && c && c->drags && top == &s) body = mid;
    }
    ASSERT_FALSE(body.isNull());
    testing::send_mouse(&w, QEvent::MouseButtonPress, body, Qt::LeftButton, Qt::LeftButton);
    const QPointF global = QPointF(w.mapToGlobal(body)) + QPointF(-40, 25);
    QMouseEvent move(QEvent::MouseMove, QPointF(body) + QPointF(-40, 25), global, Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &move);
    EXPECT_EQ(stored("WindowLeft"), "<absent>") << "stored when the drag ends";
    testing::send_mouse(&w, QEvent::MouseButtonRelease, body + QPoint(-40, 25), Qt::LeftButton,
                        Qt::NoButton);
    EXPECT_EQ(stored("WindowLeft"), std::to_string(start_pos.x() - 40));
    EXPECT_EQ(stored("WindowTop"), std::to_string(start_pos.y() + 25));

    // The next start comes up there.
    const std::string left = stored("WindowLeft"), top = stored("WindowTop");
    program.reset();
    start({{"WindowLeft", left.c_str()}, {"WindowTop", top.c_str()}});
    EXPECT_EQ(main().pos(), start_pos + QPoint(-40, 25));

    // A place no screen shows any more: centred instead.
    program.reset();
    start({{"WindowLeft", "9000"}, {"WindowTop", "20"}});
    EXPECT_EQ(main().pos(), start_pos);
    program.reset();
    start({{"WindowLeft", "abc"}, {"WindowTop", "20"}});
    EXPECT_EQ(main().pos(), start_pos);
}

TEST_F(Comforts, TheRowsSitInTheirBlockAboveExit) {
    start();
    QMenu& m = program->side_windows()->menu().pm_0_menu();
    QStringList texts;
    for (QAction* a : m.actions()) texts << (a->isSeparator() ? "-" : a->text());
    const int exit = int(texts.indexOf(QStringLiteral("Exit\tEsc")));
    ASSERT_GT(exit, 4);
    EXPECT_EQ(texts[exit - 1], "-");
    EXPECT_TRUE(texts.contains(QStringLiteral("Pause\tF5")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Sound")));
    EXPECT_GT(texts.indexOf(QStringLiteral("Pause\tF5")),
              texts.indexOf(QStringLiteral("Display controller overlays")));
}

// Pause, mute and playback keys can never be taken by a game action's assignment, so no choice
// in the key dialog can make one of them move the hero instead.
TEST_F(Comforts, TheirKeysAreNoneOfTheKeysAGameActionCanTake) {
    start();
    PopupMenu& menu = program->side_windows()->menu();
    for (int key : {int(Qt::Key_F5), int(Qt::Key_Pause), int(Qt::Key_F6), int(Qt::Key_F7)}) {
        EXPECT_TRUE(menu.is_extra_shortcut(key)) << QKeySequence(key).toString().toStdString();
        const std::uint16_t code = virtual_key_code(key, Qt::NoModifier, 0, false);
        EXPECT_NE(code, 0) << QKeySequence(key).toString().toStdString();
        EXPECT_EQ(assignable_key_number(code), 0) << QKeySequence(key).toString().toStdString();
    }
}

} // namespace
} // namespace q50
