// Skins of one's own: the Skin submenu, switching during play, the copy made for editing an
// installed skin, the live reload and the command line's skin and presentation.
#include "../support/scoped_env.h"
#include "../support/temp_dir.h"
#include "display/png_writer.h"
#include "program_rig.h"
#include "shell/core/memory_store.h"
#include "shell/core/skin_folders.h"
#include "shell/program.h"
#include "shell/side_windows.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace q50 {
namespace {

namespace fs = std::filesystem;

std::string skin_config(int left, int top) {
    return "[Common]\nSkinDir=Graphics\\Skin\\\nGameWidth=498\nGameHeight=770\n"
           "[VideoMode]\nTranspColor=$00ff00ff\n[Fullscreen]\nBgColor=$00000000\n"
           "[Image7]\nFilename=nil\nLeft=" +
           std::to_string(left) + "\nTop=" + std::to_string(top) + "\nWidth=30\nHeight=40\n";
}

struct UserSkins : ::testing::Test {
    test::TempDir root;
    fs::path data = root.path() / "data";
    fs::path home = root.path() / "home";
    fs::path system = root.path() / "system";
    test::ScopedEnv data_home{"XDG_DATA_HOME", home.string()};
    test::ScopedEnv data_dirs{"XDG_DATA_DIRS", system.string()};
    std::unique_ptr<test::InDirectory> cwd;
    MemoryStore* store = nullptr;
    std::vector<std::string> messages;
    std::vector<std::string> opened;
    std::vector<std::string> notices;
    std::unique_ptr<Program> program;

    void SetUp() override {
        fs::create_directories(data / "Graphics/Skin");
        fs::create_directories(data / "Graphics/Backdrop");
        test::write_file(data / "Config.ini", skin_config(10, 20));
        test::write_file(data / "Graphics/Skin/face.png", "not looked at");
        test::write_file(data / "Graphics/Backdrop/back.png", "not looked at");
        make_skin(home / "quendrix50/skins/Blue", 50, 60);
        make_skin(system / "quendrix50/skins/Amber", 70, 80);
        // Hidden by the user's own skin of the same name.
        make_skin(system / "quendrix50/skins/Blue", 90, 100);
        cwd = std::make_unique<test::InDirectory>(data);
    }
    static void make_skin(const fs::path& dir, int left, int top) {
        fs::create_directories(dir / "Graphics/Skin");
        test::write_file(dir / "Config.ini", skin_config(left, top));
    }
    void start(std::initializer_list<std::pair<const char*, const char*>> stored = {},
               std::function<void(ProgramOptions&)> adjust = nullptr) {
        auto s = std::make_unique<MemoryStore>();
        for (auto& [n, v] : stored) s->preset(n, v);
        store = s.get();
        ProgramOptions o;
        o.executable_dir = data;
        o.current_dir = data;
        o.store = std::move(s);
        o.presenter = [this](QWidget*, const QString& text) {
            messages.push_back(text.toStdString());
        };
        if (adjust) adjust(o);
        program = std::make_unique<Program>(std::move(o));
        program->start();
        ASSERT_FALSE(program->ending());
        SideWindows& sw = *program->side_windows();
        sw.open_url = [this](const QUrl& u) { opened.push_back(u.toLocalFile().toStdString()); };
        sw.inform = [this](const QString& t) { notices.push_back(t.toStdString()); };
    }
    std::string stored(const char* name) const { return testing::stored_text(*store, name); }
    Rect game_a() { return program->device().board.get("btn_game_a_top").rect; }
    SkinMenu& skin_menu() { return program->side_windows()->skin_menu(); }
    std::vector<std::string> rows(bool checked_only = false) {
        skin_menu().refresh();
        std::vector<std::string> out;
        for (QAction* a : skin_menu().rows())
            if (!checked_only || a->isChecked()) out.push_back(a->text().toStdString());
        return out;
    }
    void choose(const char* text) {
        skin_menu().refresh();
        for (QAction* a : skin_menu().rows())
            if (a->text() == QLatin1String(text)) return a->trigger();
        FAIL() << "no row " << text;
    }
};

TEST_F(UserSkins, DeliveredSkinFirstThenTheUsersOwnByName) {
    start({{"FullscreenMode", "0"}});
    EXPECT_EQ(rows(), (std::vector<std::string>{"Delivered skin", "Amber", "Blue"}));
    EXPECT_EQ(rows(true), (std::vector<std::string>{"Delivered skin"}));
    const std::vector<UserSkin> found = find_user_skins(skin_search_path());
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[1].dir, home / "quendrix50/skins/Blue");
    // Without a skin of one's own the program is as it always was: nothing watched.
    EXPECT_TRUE(program->skin_watcher().watched().isEmpty());
    EXPECT_EQ(game_a(), (Rect{10, 20, 30, 40}));
    EXPECT_EQ(stored("Skin"), "<absent>");
}

TEST_F(UserSkins, AFolderWithoutConfigIsNoSkin) {
    fs::create_directories(home / "quendrix50/skins/Empty");
    start();
    EXPECT_EQ(rows(), (std::vector<std::string>{"Delivered skin", "Amber", "Blue"}));
}

TEST_F(UserSkins, TheRememberedSkinIsUsedAtStartAndAGoneOneFallsBack) {
    start({{"Skin", "Blue"}, {"FullscreenMode", "0"}});
    EXPECT_EQ(game_a(), (Rect{50, 60, 30, 40}));
    EXPECT_EQ(rows(true), (std::vector<std::string>{"Blue"}));
    EXPECT_TRUE(messages.empty());
    program.reset();

    fs::remove_all(home / "quendrix50/skins/Blue");
    fs::remove_all(system / "quendrix50/skins/Blue");
    start({{"Skin", "Blue"}, {"FullscreenMode", "0"}});
    EXPECT_EQ(game_a(), (Rect{10, 20, 30, 40}));
    EXPECT_EQ(rows(true), (std::vector<std::string>{"Delivered skin"}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(UserSkins, SwitchingDuringPlayKeepsTheGameTimersAndShownFlags) {
    // Device time stands still: the switch catches the device up to now, as a key does, and
    // what is compared is only what the loading of a skin does.
    start({{"SoundMode", "2"}, {"SplashScreen", "0"}, {"FullscreenMode", "0"}},
          [](ProgramOptions& o) { o.clock_ms = [] { return std::int64_t(0); }; });
    Device& d = program->device();
    program->driver().run([&d] {
        d.Game_State = 2;
        d.Inp_game_a_down();
        d.Inp_game_a_up();
    });
    ASSERT_EQ(d.Game_State, 6);
    auto shown = [&d] {
        std::vector<std::string> lit;
        for (const Segment& s : d.board.segments())
            if (s.shown) lit.push_back(s.name);
        return lit;
    };
    auto timers = [&d] {
        std::vector<std::string> t;
        for (int i = 0; i < kTimerCount; ++i) {
            const auto id = TimerId(i);
            t.push_back(std::string(timer_name(id)) + (d.timers.enabled(id) ? " on " : " off ") +
                        std::to_string(d.timers.interval(id)) + " " +
                        std::to_string(d.timers.due(id).value_or(-1)));
        }
        return t;
    };
    const auto lit_before = shown();
    const auto timers_before = timers();
    ASSERT_TRUE(d.timers.enabled(TimerId::Game_Start));

    choose("Amber");
    EXPECT_EQ(game_a(), (Rect{70, 80, 30, 40}));
    EXPECT_EQ(shown(), lit_before);
    EXPECT_EQ(timers(), timers_before);
    EXPECT_EQ(d.Game_State, 6);
    EXPECT_TRUE(program->main_window().on_screen());
    EXPECT_EQ(stored("Skin"), "Amber");
    EXPECT_EQ(rows(true), (std::vector<std::string>{"Amber"}));

    choose("Delivered skin");
    EXPECT_EQ(game_a(), (Rect{10, 20, 30, 40}));
    EXPECT_EQ(shown(), lit_before);
    EXPECT_EQ(stored("Skin"), "");
    EXPECT_TRUE(messages.empty());
}

TEST_F(UserSkins, EditingAnInstalledSkinCopiesItFirstAndSaysSo) {
    start({{"FullscreenMode", "0"}}, [](ProgramOptions& o) { o.installed = true; });
    program->side_windows()->menu().run(6);
    const fs::path copy = home / "quendrix50/skins/My skin";
    ASSERT_TRUE(fs::is_regular_file(copy / "Config.ini"));
    EXPECT_EQ(test::read_file(copy / "Config.ini"), skin_config(10, 20));
    EXPECT_EQ(test::read_file(copy / "Graphics/Skin/face.png"), "not looked at");
    EXPECT_TRUE(fs::exists(copy / "Graphics/Backdrop/back.png"));
    EXPECT_EQ(opened, (std::vector<std::string>{(copy / "Config.ini").string()}));
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find(copy.string()), std::string::npos) << notices[0];
    // The copy is in use and remembered, so what the user changes is what shows.
    EXPECT_EQ(program->skin_name(), "My skin");
    EXPECT_EQ(stored("Skin"), "My skin");
    EXPECT_EQ(program->skin_dir(), copy);
    EXPECT_FALSE(program->skin_watcher().watched().isEmpty());

    // Editing again opens the copy in use; no second copy.
    program->side_windows()->menu().run(6);
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], (copy / "Config.ini").string());
    EXPECT_FALSE(fs::exists(home / "quendrix50/skins/My skin 2"));
    EXPECT_EQ(notices.size(), 1u);

    // From the delivered skin once more, the next copy takes the next name.
    choose("Delivered skin");
    program->side_windows()->menu().run(6);
    EXPECT_TRUE(fs::is_regular_file(home / "quendrix50/skins/My skin 2/Config.ini"));
    EXPECT_EQ(program->skin_name(), "My skin 2");
    // The installed files were only read.
    EXPECT_EQ(test::read_file(data / "Config.ini"), skin_config(10, 20));
}

TEST_F(UserSkins, EditingAWritableDeliveredSkinOpensItAsAlways) {
    start({{"FullscreenMode", "0"}});
    program->side_windows()->menu().run(6);
    EXPECT_EQ(opened, (std::vector<std::string>{(data / "Config.ini").string()}));
    EXPECT_FALSE(fs::exists(home / "quendrix50/skins/My skin"));
    EXPECT_TRUE(notices.empty());
}

TEST_F(UserSkins, OpenSkinsFolderMakesItWhenMissing) {
    fs::remove_all(home);
    start();
    skin_menu().open_folder_row().trigger();
    EXPECT_EQ(opened, (std::vector<std::string>{(home / "quendrix50/skins").string()}));
    EXPECT_TRUE(fs::is_directory(home / "quendrix50/skins"));
}

TEST_F(UserSkins, ChangedConfigOfTheSkinInUseShowsWithinASecond) {
    start({{"Skin", "Blue"}, {"FullscreenMode", "0"}});
    ASSERT_EQ(game_a(), (Rect{50, 60, 30, 40}));
    QElapsedTimer clock;
    clock.start();
    test::write_file(home / "quendrix50/skins/Blue/Config.ini", skin_config(77, 88));
    while (game_a() != Rect{77, 88, 30, 40} && clock.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(game_a(), (Rect{77, 88, 30, 40}));
    EXPECT_LT(clock.elapsed(), 1000);

    // An editor that writes a new file and renames it over the old one.
    const fs::path dir = home / "quendrix50/skins/Blue";
    test::write_file(dir / "Config.ini.new", skin_config(5, 6));
    fs::rename(dir / "Config.ini.new", dir / "Config.ini");
    clock.restart();
    while (game_a() != Rect{5, 6, 30, 40} && clock.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(game_a(), (Rect{5, 6, 30, 40}));
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_TRUE(messages.empty());
}

// Each fault of the skin in use is told once; the skin that loaded last stays on the screen, and
// the live reload goes on once the skin is back.
TEST_F(UserSkins, AGoneFolderOrConfigOrAnEmptyConfigIsToldAndTheLastSkinStays) {
    start({{"Skin", "Blue"}, {"FullscreenMode", "0"}});
    const fs::path dir = home / "quendrix50/skins/Blue";
    const fs::path away = home / "quendrix50/skins/Blue.away";
    auto wait_until = [](const std::function<bool()>& done) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < 3000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        return done();
    };
    auto told = [this](std::size_t n) { return [this, n] { return messages.size() >= n; }; };
    auto at = [this](Rect r) { return [this, r] { return game_a() == r; }; };
    ASSERT_EQ(game_a(), (Rect{50, 60, 30, 40}));

    fs::rename(dir, away);
    ASSERT_TRUE(wait_until(told(1)));
    EXPECT_EQ(messages[0], "The skin folder " + dir.string() +
                               " is gone (removed or moved away). The skin loaded last stays in "
                               "use; it is loaded again as soon as the skin is back in order.");
    EXPECT_EQ(game_a(), (Rect{50, 60, 30, 40}));
    fs::rename(away, dir);
    EXPECT_TRUE(wait_until(at(Rect{50, 60, 30, 40})));
    test::write_file(dir / "Config.ini", skin_config(77, 88));
    EXPECT_TRUE(wait_until(at(Rect{77, 88, 30, 40}))) << "the watch went with the folder";

    fs::rename(dir / "Config.ini", root.path() / "Config.ini.kept");
    ASSERT_TRUE(wait_until(told(2)));
    EXPECT_EQ(messages[1].rfind("The skin's configuration file " + (dir / "Config.ini").string() +
                                    " is gone (removed or moved away).",
                                0),
              0u)
        << messages[1];
    fs::rename(root.path() / "Config.ini.kept", dir / "Config.ini");
    test::write_file(dir / "Config.ini", skin_config(5, 6));
    EXPECT_TRUE(wait_until(at(Rect{5, 6, 30, 40})));

    test::write_file(dir / "Config.ini", "[Common]\nGameWidth=498\n");
    ASSERT_TRUE(wait_until(told(3)));
    EXPECT_NE(messages[2].find(" shows nothing: "), std::string::npos) << messages[2];
    EXPECT_EQ(game_a(), (Rect{5, 6, 30, 40}));
    test::write_file(dir / "Config.ini", skin_config(9, 9));
    EXPECT_TRUE(wait_until(at(Rect{9, 9, 30, 40})));
    EXPECT_EQ(messages.size(), 3u) << "each fault told once";
}

TEST_F(UserSkins, ANewPictureOfTheSkinInUseShowsWithoutAnEditOfConfig) {
    const fs::path dir = home / "quendrix50/skins/Blue";
    std::string config = skin_config(50, 60);
    config.replace(config.find("Filename=nil"), 12, "Filename=a.png");
    test::write_file(dir / "Config.ini", config);
    start({{"Skin", "Blue"}, {"FullscreenMode", "0"}});
    const Segment& seg = program->device().board.get("btn_game_a_top");
    ASSERT_TRUE(seg.picture); // the placeholder
    ASSERT_EQ(seg.picture->width, 10);
    // A 3x2 picture saved by the skin maker's editor.
    ASSERT_TRUE(write_png(Image(3, 2, argb(255, 1, 2, 3)), dir / "Graphics/Skin/a.png"));
    QElapsedTimer clock;
    clock.start();
    while (seg.picture->width != 3 && clock.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(seg.picture->width, 3);
    EXPECT_LT(clock.elapsed(), 1000);
}

TEST_F(UserSkins, SkinFolderAndPresentationFromTheCommandLineCountForThisRunOnly) {
    const fs::path mine = root.path() / "work/mine";
    make_skin(mine, 33, 44);
    start({{"Skin", "Amber"}, {"FullscreenMode", "1"}}, [&mine](ProgramOptions& o) {
        o.skin_dir = mine;
        o.fullscreen = false;
    });
    EXPECT_FALSE(program->presentation().Fullscreen_Mode);
    EXPECT_EQ(game_a(), (Rect{33, 44, 30, 40}));
    EXPECT_EQ(rows(true), (std::vector<std::string>{mine.string() + " (this run)"}));
    EXPECT_EQ(stored("Skin"), "Amber");
    EXPECT_EQ(stored("FullscreenMode"), "1");
    // A skin maker's folder is watched like a skin of one's own.
    EXPECT_FALSE(program->skin_watcher().watched().isEmpty());
    // Choosing from the menu leaves the folder of the command line.
    choose("Amber");
    EXPECT_EQ(game_a(), (Rect{70, 80, 30, 40}));
    EXPECT_EQ(rows(true), (std::vector<std::string>{"Amber"}));
}

} // namespace
} // namespace q50
