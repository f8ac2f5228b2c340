#include "shell/program.h"

#include "../sound/sound_folder.h"
#include "../support/temp_dir.h"
#include "display/picture_file.h"
#include "display/png_writer.h"
#include "display/skin_loader.h"
#include "program_rig.h"
#include "qt_events.h"
#include "shell/core/memory_store.h"
#include "shell/core/rig.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QScreen>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace q50 {
namespace {

namespace fs = std::filesystem;

struct Startup : ::testing::Test {
    test::TempDir dir;
    // A working directory of its own, so that "Sound/" is looked up where the test says.
    test::InDirectory cwd{dir.path()};
    MemoryStore* store = nullptr;
    std::vector<std::string> writes;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    bool go_on_without_sound = false;
    std::unique_ptr<Program> program;

    void SetUp() override { test::write_file(dir.path() / "Config.ini", testing::kBareSkin); }
    void make(std::initializer_list<std::pair<const char*, const char*>> stored = {}) {
        auto s = std::make_unique<MemoryStore>();
        for (auto& [n, v] : stored) s->preset(n, v);
        s->on_write = [this](const std::string& n, const std::string& t) {
            writes.push_back(n + "=" + t);
        };
        store = s.get();
        ProgramOptions o;
        o.executable_dir = dir.path();
        o.current_dir = dir.path();
        o.store = std::move(s);
        o.presenter = [this](QWidget*, const QString& text) {
            messages.push_back(text.toStdString());
        };
        o.ask_without_sound = [this](QWidget*, const QString& text) {
            questions.push_back(text.toStdString());
            return go_on_without_sound;
        };
        program = std::make_unique<Program>(std::move(o));
    }
    void start(std::initializer_list<std::pair<const char*, const char*>> stored = {}) {
        make(stored);
        program->start();
    }
    std::string stored(const char* name) const { return testing::stored_text(*store, name); }
    bool any_lcd_segment_lit() {
        for (const Segment& s : program->device().board.segments())
            if (is_lcd_segment(s.name) && s.shown) return true;
        return false;
    }
};

TEST_F(Startup, CleanStoreShowsTheSplashWithTheMainWindowOffScreen) {
    start();
    EXPECT_FALSE(program->ending());
    EXPECT_TRUE(messages.empty());
    // FormCreate wrote the seven keys and nothing else.
    EXPECT_EQ(writes, (std::vector<std::string>{"Key1=2", "Key2=3", "Key3=4", "Key4=6", "Key5=39",
                                                "Key6=40", "Key7=42"}));
    EXPECT_FALSE(program->main_window().isVisible());
    EXPECT_FALSE(program->main_window().on_screen());
    ASSERT_NE(program->splash(), nullptr);
    EXPECT_TRUE(program->splash()->isVisible());
    EXPECT_FALSE(program->splash()->skipped());
    // Nothing of the device is drawn before Play.
    EXPECT_EQ(program->device().Game_State, 0);
    EXPECT_FALSE(any_lcd_segment_lit());
    // The keys' hints, the overlay setting and the speed table are in place.
    EXPECT_EQ(program->device().board.get("btn_open").hint, "click or press '5' to open the game");
    EXPECT_TRUE(program->presentation().Ctrlr_Overlay);
    EXPECT_TRUE(program->device().board.shown("btn_ctrlr_overlay_left"));
    EXPECT_EQ(program->device().Speed_Table[0], 435);
    EXPECT_EQ(program->device().Speed_Table[19], 180);
    EXPECT_EQ(program->main_window().windowTitle(), "Quendrix50");

    // The first activation brings the splash forward once.
    EXPECT_TRUE(program->Splash_Pending);
    QCoreApplication::processEvents();
    EXPECT_FALSE(program->Splash_Pending);
}

// Pictures the first frame does not show are decoded once it is on screen; one shown before
// then (the controller overlays right after the load, a segment the game lights) is decoded
// when it is painted, and a damaged one is told as the load would tell it.
TEST_F(Startup, PicturesTheFirstFrameDoesNotShowArePaintedWhenShownBeforeTheyWereDecoded) {
    const Argb overlay = argb(255, 10, 200, 30), flame = argb(255, 220, 40, 50),
               other = argb(255, 1, 2, 250);
    const std::filesystem::path skin = dir.path() / "Graphics" / "Skin";
    std::filesystem::create_directories(skin);
    ASSERT_TRUE(write_png(Image(48, 48, overlay), skin / "overlay.png"));
    ASSERT_TRUE(write_png(Image(12, 11, flame), skin / "flame.png"));
    ASSERT_TRUE(write_png(Image(11, 11, other), skin / "other.png"));
    test::write_file(
        dir.path() / "Config.ini",
        std::string(testing::kBareSkin) +
            "[Image20]\nFilename=overlay.png\nLeft=44\nTop=526\nWidth=48\nHeight=48\n"
            "[Image100]\nFilename=flame.png\nLeft=260\nTop=274\nWidth=12\nHeight=11\n"
            "[Image101]\nFilename=other.png\nLeft=308\nTop=275\nWidth=11\nHeight=11\n");
    start({{"SoundMode", "2"}, {"SplashScreen", "0"}, {"FullscreenMode", "0"}});
    Board& board = program->device().board;
    TForm1& window = program->main_window();
    auto centre_of = [&](const char* name) {
        const Rect r = board.named(name).rect;
        return window.frame().at(r.left + r.width / 2, r.top + r.height / 2);
    };
    ASSERT_FALSE(window.painted_once());
    // Hidden at the load, shown before the first frame: painted with its picture.
    ASSERT_TRUE(board.shown("btn_ctrlr_overlay_left"));
    EXPECT_EQ(centre_of("btn_ctrlr_overlay_left"), overlay);
    // Not yet decoded: nothing has shown them.
    EXPECT_TRUE(board.named("im_flame_3").picture->empty());
    EXPECT_TRUE(board.named("im_flame_4").picture->empty());

    // Lit before the decoding after the first frame reached it.
    board.show(board.named("im_flame_3"));
    window.refresh();
    EXPECT_EQ(centre_of("im_flame_3"), flame);
    EXPECT_TRUE(board.named("im_flame_4").picture->empty());

    window.finish_waiting_pictures(); // as once the first frame is on screen
    board.show(board.named("im_flame_4"));
    window.refresh();
    EXPECT_EQ(centre_of("im_flame_4"), other);
    QCoreApplication::processEvents();
    EXPECT_TRUE(messages.empty()) << messages.front();
}

// A picture that waited and turns out damaged ends as the load that decodes every picture
// (the trace tool's) ends: stopped at that picture with its one message, the segments after it
// as they were before the load.
TEST_F(Startup, ADamagedPictureThatWaitedEndsAsTheLoadThatDecodesEverything) {
    const std::filesystem::path skin = dir.path() / "Graphics" / "Skin";
    std::filesystem::create_directories(skin);
    ASSERT_TRUE(write_png(Image(48, 48, argb(255, 10, 200, 30)), skin / "overlay.png"));
    ASSERT_TRUE(write_png(Image(12, 11, argb(255, 1, 2, 3)), skin / "whole.png"));
    std::string bytes;
    {
        std::ifstream in(skin / "whole.png", std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    test::write_file(skin / "cut.png", bytes.substr(0, 45)); // a sound header, then nothing
    test::write_file(
        dir.path() / "Config.ini",
        std::string(testing::kBareSkin) +
            "[Image20]\nFilename=overlay.png\nLeft=44\nTop=526\nWidth=48\nHeight=48\n"
            "[Image100]\nFilename=cut.png\nLeft=260\nTop=274\nWidth=12\nHeight=11\n"
            "[Image101]\nFilename=whole.png\nLeft=308\nTop=275\nWidth=11\nHeight=11\n");
    start({{"SoundMode", "2"}, {"SplashScreen", "0"}, {"FullscreenMode", "0"}});
    EXPECT_TRUE(messages.empty()) << messages.front(); // the load did not decode it
    program->main_window().finish_waiting_pictures();  // as once the first frame is on screen
    QCoreApplication::processEvents();

    // The same load decoding every picture, on a device made as the program makes it.
    struct Sink : MessageSink {
        std::vector<std::string> errors;
        void error(const std::string& text) override { errors.push_back(text); }
        void notice(const std::string&) override {}
    } sink;
    Rig rig;
    form_create_before_skin(rig.dev, rig.presentation);
    WindowModel window;
    SkinEnvironment env;
    env.executable_dir = env.current_dir = dir.path();
    EXPECT_EQ(Load_Skin(rig.dev.board, window, env, sink).status, SkinLoadStatus::Stopped);
    ASSERT_EQ(sink.errors.size(), 1u);
    EXPECT_EQ(sink.errors[0], load_picture_file(skin / "cut.png").error);
    EXPECT_EQ(messages, sink.errors);
    EXPECT_TRUE(program->window_model() == window);
    const Board& got = program->device().board;
    for (int i = 1; i <= kSkinImageCount; ++i) {
        const std::string_view name = skin_image_names()[std::size_t(i)];
        const Segment& g = got.named(name);
        const Segment& w = rig.dev.board.named(name);
        EXPECT_EQ(g.rect, w.rect) << name;
        ASSERT_EQ(g.picture == nullptr, w.picture == nullptr) << name;
        if (g.picture) {
            EXPECT_EQ(g.picture->pixels, w.picture->pixels) << name;
        }
    }
    EXPECT_EQ(got.named("im_flame_4").picture, nullptr); // after the damaged one: not reached
    EXPECT_FALSE(got.named("btn_ctrlr_overlay_left").picture->empty());
    EXPECT_FALSE(program->ending());
}

TEST_F(Startup, FullscreenModeIsReadBeforeTheSkinLoads) {
    start();
    // No stored FullscreenMode: fullscreen, the window covers the screen and is opaque.
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_TRUE(program->presentation().Fullscreen_Mode);
    EXPECT_EQ(program->window_model().client_width, screen.width());
    EXPECT_EQ(program->window_model().client_height, screen.height());
    EXPECT_FALSE(program->window_model().key_on);
    EXPECT_TRUE(program->device().board.shown("btn_game_menu_top"));

    program.reset();
    start({{"FullscreenMode", "0"}});
    EXPECT_FALSE(program->presentation().Fullscreen_Mode);
    EXPECT_EQ(program->window_model().client_width, 498);
    EXPECT_EQ(program->window_model().client_height, 770);
    EXPECT_TRUE(program->window_model().key_on);
    EXPECT_FALSE(program->device().board.shown("btn_game_menu_top"));
}

TEST_F(Startup, PlayCentresTheClosedDeviceAndRemembersTheChoice) {
    // At 100 % the window is the skin's design size.
    start({{"FullscreenMode", "0"}, {"Zoom", "100"}, {"HiScore1", "120"}, {"HiScore2", "45"}});
    EXPECT_EQ(program->device().Hi_Score_A, 120);
    EXPECT_EQ(program->device().Hi_Score_B, 45);
    TSplashForm* splash = program->splash();
    splash->cb_sound->setCurrentIndex(2);
    testing::press_key(splash, Qt::Key_Return);
    EXPECT_EQ(stored("SoundMode"), "2");
    EXPECT_EQ(stored("SplashScreen"), "1");
    EXPECT_TRUE(program->splash_menu_check());
    EXPECT_FALSE(splash->isVisible());
    TForm1& w = program->main_window();
    EXPECT_TRUE(w.on_screen());
    EXPECT_TRUE(w.isVisible());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(w.pos(), QPoint((screen.width() - 498) / 2, (screen.height() - 770) / 2));
    EXPECT_EQ(program->device().Game_State, 0);
    EXPECT_TRUE(program->device().board.shown("im_background_front"));
    EXPECT_TRUE(program->device().board.shown("btn_open"));
    EXPECT_FALSE(any_lcd_segment_lit());
    EXPECT_FALSE(program->sound().Sound_On());

    // The ACL key opens the device: every segment lit.
    testing::press_key(&w, Qt::Key_5);
    EXPECT_EQ(program->device().Game_State, 2);
    EXPECT_TRUE(program->device().board.shown("im_pelko_3_up"));
}

TEST_F(Startup, SkippedSplashPlaysAtOnce) {
    start({{"SoundMode", "2"}, {"SplashScreen", "0"}, {"FullscreenMode", "0"}});
    // The window that would skip itself is never made.
    EXPECT_EQ(program->splash(), nullptr);
    EXPECT_TRUE(program->splash_skipped());
    EXPECT_FALSE(program->Splash_Pending);
    EXPECT_TRUE(program->main_window().on_screen());
    EXPECT_FALSE(program->splash_menu_check());
    EXPECT_EQ(stored("SplashScreen"), "0");
    EXPECT_FALSE(program->ending());
    // Later activations do not bring the splash back.
    QCoreApplication::processEvents();
    program->FormActivate();
    EXPECT_EQ(program->splash(), nullptr);
    EXPECT_FALSE(program->Splash_Pending);
}

TEST_F(Startup, MissingConfigFileEndsTheProgram) {
    fs::remove(dir.path() / "Config.ini");
    start({{"SoundMode", "2"}, {"SplashScreen", "0"}});
    EXPECT_EQ(messages,
              (std::vector<std::string>{
                  "Configuration file (Config.ini) not found. Please reinstall the game."}));
    EXPECT_TRUE(program->ending());
    EXPECT_NE(program->exit_code(), 0);
    EXPECT_EQ(program->splash(), nullptr);
    EXPECT_FALSE(program->main_window().on_screen());
    // The menu button's size is still set (the loader's last step runs in every case).
    EXPECT_EQ(program->device().board.get("btn_game_menu_background").rect.width, 36);
}

TEST_F(Startup, MissingBombfallResetsTheStoreAndEndsTheProgram) {
    start({{"SoundMode", "0"}, {"SplashScreen", "0"}});
    EXPECT_EQ(messages, (std::vector<std::string>{
                            "Sound folder unproperly installed. Please reinstall the game."}));
    EXPECT_EQ(stored("SoundMode"), "-1");
    EXPECT_EQ(stored("SplashScreen"), "1");
    EXPECT_TRUE(program->ending());
    EXPECT_NE(program->exit_code(), 0);
    EXPECT_FALSE(program->main_window().on_screen());
    EXPECT_FALSE(program->main_window().isVisible());

    // The next start offers the choice again.
    writes.clear();
    messages.clear();
    auto* kept = store;
    std::map<std::string, std::string> values(kept->values().begin(), kept->values().end());
    program.reset();
    make();
    for (auto& [n, v] : values) store->preset(n, v);
    program->start();
    EXPECT_FALSE(program->splash()->skipped());
    EXPECT_TRUE(program->splash()->isVisible());
    EXPECT_EQ(program->splash()->cb_sound->currentIndex(), -1);
}

// No device at all (here: a driver that does not exist) is told as it is, and the user may go
// on without sound.
struct NoSoundDevice : Startup {
    const char* old_driver = std::getenv("SDL_AUDIODRIVER");
    std::string kept = old_driver ? old_driver : "";
    void SetUp() override {
        Startup::SetUp();
        test::make_sound_folder(dir.path(), 0.1);
        ::setenv("SDL_AUDIODRIVER", "nosuchdriver", 1);
    }
    void TearDown() override {
        if (old_driver)
            ::setenv("SDL_AUDIODRIVER", kept.c_str(), 1);
        else
            ::unsetenv("SDL_AUDIODRIVER");
    }
    void expect_truthful_question(const std::string& err) {
        EXPECT_TRUE(messages.empty()) << messages[0]; // not the sound-folder message
        ASSERT_EQ(questions.size(), 1u);
        const std::string& q = questions[0];
        EXPECT_NE(q.find("\"Desktop sound server\" could not be opened"), std::string::npos) << q;
        EXPECT_NE(q.find("nosuchdriver"), std::string::npos) << q;
        EXPECT_EQ(q.find("reinstall"), std::string::npos) << q;
        EXPECT_NE(err.find("quendrix50: the sound output \"Desktop sound server\" could not be "
                           "opened: SDL audio driver nosuchdriver"),
                  std::string::npos)
            << err;
    }
};

TEST_F(NoSoundDevice, GoingOnWithoutSoundStartsSilentAndRemembersIt) {
    go_on_without_sound = true;
    ::testing::internal::CaptureStderr();
    start({{"SoundMode", "0"}, {"SplashScreen", "0"}});
    expect_truthful_question(::testing::internal::GetCapturedStderr());
    EXPECT_FALSE(program->ending());
    EXPECT_FALSE(program->sound().Sound_On());
    EXPECT_EQ(stored("SoundMode"), "2");
    EXPECT_EQ(stored("SplashScreen"), "0");
    EXPECT_TRUE(program->main_window().on_screen());
    EXPECT_EQ(program->device().Game_State, 0);
}

TEST_F(NoSoundDevice, EndingAsksForTheChoiceAgainNextTime) {
    ::testing::internal::CaptureStderr();
    start({{"SoundMode", "0"}, {"SplashScreen", "0"}});
    expect_truthful_question(::testing::internal::GetCapturedStderr());
    EXPECT_TRUE(program->ending());
    EXPECT_EQ(program->exit_code(), 1);
    EXPECT_EQ(stored("SoundMode"), "-1");
    EXPECT_EQ(stored("SplashScreen"), "1");
    EXPECT_FALSE(program->main_window().on_screen());
}

TEST_F(Startup, EscapeOnTheSplashEndsWithoutShowingTheDevice) {
    start();
    testing::press_key(program->splash(), Qt::Key_Escape);
    EXPECT_TRUE(program->ending());
    EXPECT_EQ(program->exit_code(), 0);
    EXPECT_FALSE(program->main_window().on_screen());
    EXPECT_EQ(stored("SoundMode"), "<absent>");
}

TEST_F(Startup, ClosingTheMainWindowReleasesSoundAndEnds) {
    start({{"SoundMode", "2"}, {"SplashScreen", "0"}, {"FullscreenMode", "0"}});
    testing::press_key(&program->main_window(), Qt::Key_5);
    EXPECT_TRUE(program->main_window().close());
    EXPECT_TRUE(program->ending());
    EXPECT_EQ(program->exit_code(), 0);
    EXPECT_TRUE(program->driver().stopped());
    EXPECT_FALSE(program->sound().device_open());
    // Nothing more reaches the device once it is closed.
    const std::int32_t state = program->device().Game_State;
    testing::press_key(&program->main_window(), Qt::Key_1);
    EXPECT_EQ(program->device().Game_State, state);
}

} // namespace
} // namespace q50
