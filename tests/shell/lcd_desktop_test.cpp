// The LCD look in the desktop: the menu that sets it, the store that keeps it, and the main
// window's frames while segments fade.
#include "shell/lcd_menu.h"
#include "shell/main_window.h"
#include "shell/program.h"
#include "shell/side_windows.h"

#include "../support/temp_dir.h"
#include "shell/core/memory_store.h"
#include "shell/core/rig.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace q50 {
namespace {

struct NoTarget : ButtonTarget {
    std::int32_t game_state() const override { return 4; }
    bool fullscreen_mode() const override { return false; }
    void perform(ButtonAction) override {}
};

// The main window with a driver whose clock the test sets.
struct FadeFrames : ::testing::Test, Rig {
    NoTarget target;
    InputDispatch input{target, keys};
    std::int64_t wall = 1000;
    RealtimeDriver driver{dev, [this] { return wall; }};
    WindowModel model;
    std::unique_ptr<TForm1> form;

    void SetUp() override {
        model.client_width = 498;
        model.client_height = 770;
        model.key_on = false;
        model.colour = 0x00102030;
        form = std::make_unique<TForm1>(dev.board, model, input, driver);
        Segment& flame = dev.board.get("im_flame_3");
        dev.board.set_picture(flame, std::make_shared<const Image>(
                                         flame.rect.width, flame.rect.height, argb(255, 1, 2, 3)));
        form->refresh();
    }
    Argb pixel_of(const char* name) {
        const Rect r = dev.board.named(name).rect;
        return form->frame().at(r.left + r.width / 2, r.top + r.height / 2);
    }
};

TEST_F(FadeFrames, FramesRunOnlyWhileASegmentFadesAndNoTimerIsLeftOnceSettled) {
    form->lcd_look().set_fade(80);
    form->refresh();
    EXPECT_FALSE(form->fade_frames_running());
    const Argb dark = pixel_of("im_flame_3");
    EXPECT_EQ(dark, argb(255, 0x30, 0x20, 0x10)); // the window's colour

    dev.board.show("im_flame_3");
    form->refresh(); // as after the device's step
    EXPECT_TRUE(form->fade_frames_running());
    EXPECT_GE(form->fade_frame_ms(), 4);
    EXPECT_LE(form->fade_frame_ms(), 50);
    EXPECT_EQ(pixel_of("im_flame_3"), dark); // the game switched; the picture has not yet

    const std::uint64_t before = form->paints();
    wall += 40;
    form->refresh(); // a frame
    EXPECT_GT(form->paints(), before);
    const Argb half = pixel_of("im_flame_3");
    EXPECT_NEAR(int((half >> 16) & 0xFF), (0x30 + 1) / 2, 1);
    EXPECT_TRUE(form->fade_frames_running());

    wall += 40;
    form->refresh();
    EXPECT_EQ(pixel_of("im_flame_3"), argb(255, 1, 2, 3));
    EXPECT_FALSE(form->fade_frames_running());
    // Settled: later refreshes paint nothing and start nothing.
    const std::uint64_t settled = form->paints();
    wall += 1000;
    form->refresh();
    EXPECT_EQ(form->paints(), settled);
    EXPECT_FALSE(form->fade_frames_running());
}

TEST_F(FadeFrames, TheFrameTimerItselfPaintsTheFadeToItsEnd) {
    form->lcd_look().set_fade(40);
    form->refresh();
    dev.board.show("im_flame_3");
    form->refresh();
    ASSERT_TRUE(form->fade_frames_running());
    // The driver's clock follows real time while the frames come.
    QElapsedTimer real;
    real.start();
    const std::int64_t start = wall;
    int frames = 0;
    while (form->fade_frames_running() && real.elapsed() < 5000) {
        const std::uint64_t before = form->paints();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        wall = start + real.elapsed();
        frames += form->paints() > before;
    }
    EXPECT_GE(frames, 1);
    EXPECT_FALSE(form->fade_frames_running());
    EXPECT_EQ(pixel_of("im_flame_3"), argb(255, 1, 2, 3));
}

TEST_F(FadeFrames, WithTheLookOffNothingFadesAndNoTimerStarts) {
    dev.board.show("im_flame_3");
    form->refresh();
    EXPECT_FALSE(form->fade_frames_running());
    EXPECT_EQ(pixel_of("im_flame_3"), argb(255, 1, 2, 3));
    // A shadow alone never needs frames either.
    form->lcd_look().set_shadow(25);
    dev.board.hide("im_flame_3");
    form->refresh();
    EXPECT_FALSE(form->fade_frames_running());
    EXPECT_NE(pixel_of("im_flame_3"), argb(255, 0x30, 0x20, 0x10));
}

struct LcdMenuTest : ::testing::Test {
    MemoryStore store;
    LcdLook look;
    int repaints = 0;
    std::vector<std::string> writes;
    std::unique_ptr<LcdMenu> menu;

    void make() {
        store.on_write = [this](const std::string& n, const std::string& v) {
            writes.push_back(n + "=" + v);
        };
        menu = std::make_unique<LcdMenu>(look, store, [this] { ++repaints; });
    }
    QAction* row(const char* name) { return menu->menu().findChild<QAction*>(name); }
    std::vector<std::string> checked() {
        std::vector<std::string> out;
        for (QAction* a : menu->menu().actions())
            if (a->isChecked()) out.push_back(a->objectName().toStdString());
        return out;
    }
};

TEST_F(LcdMenuTest, RowsInOrderWithTheStoredChoicesChecked) {
    store.preset("LcdShadow", "10");
    store.preset("LcdFade", "80");
    make();
    std::vector<std::string> texts;
    for (QAction* a : menu->menu().actions())
        texts.push_back(a->isSeparator() ? "-" : a->text().toStdString());
    EXPECT_EQ(texts,
              (std::vector<std::string>{"Shadow off", "Shadow 5 %", "Shadow 10 %", "Shadow 15 %",
                                        "Shadow 25 %", "Shadow of your own...", "-", "Response off",
                                        "Response 40 ms", "Response 80 ms"}));
    EXPECT_EQ(menu->menu().title(), "LCD");
    EXPECT_EQ(look.shadow(), 10);
    EXPECT_EQ(look.fade(), 80);
    EXPECT_EQ(checked(), (std::vector<std::string>{"lcd_shadow_10", "lcd_fade_80"}));
    EXPECT_TRUE(writes.empty()); // reading writes nothing
}

TEST_F(LcdMenuTest, AChoiceIsStoredAndRepaintedAtOnceAndOnlyWhenItChanges) {
    make();
    EXPECT_EQ(look.shadow(), 0); // both off by default
    EXPECT_EQ(look.fade(), 0);
    EXPECT_EQ(checked(), (std::vector<std::string>{"lcd_shadow_0", "lcd_fade_0"}));
    row("lcd_shadow_25")->trigger();
    EXPECT_EQ(look.shadow(), 25);
    EXPECT_EQ(repaints, 1);
    row("lcd_fade_40")->trigger();
    EXPECT_EQ(look.fade(), 40);
    EXPECT_EQ(repaints, 2);
    EXPECT_EQ(writes, (std::vector<std::string>{"LcdShadow=25", "LcdFade=40"}));
    EXPECT_EQ(checked(), (std::vector<std::string>{"lcd_shadow_25", "lcd_fade_40"}));
    // Choosing what is already chosen keeps its check mark and writes nothing.
    row("lcd_shadow_25")->trigger();
    EXPECT_EQ(checked(), (std::vector<std::string>{"lcd_shadow_25", "lcd_fade_40"}));
    EXPECT_EQ(writes.size(), 2u);
}

TEST_F(LcdMenuTest, AShadowOfThePlayersOwnIsAskedForAndACancelChangesNothing) {
    make();
    int asked_with = -1;
    std::optional<int> answer = 33;
    menu->ask_shadow = [&](int current) {
        asked_with = current;
        return answer;
    };
    row("lcd_shadow_custom")->trigger();
    EXPECT_EQ(asked_with, 0);
    EXPECT_EQ(look.shadow(), 33);
    EXPECT_EQ(writes, (std::vector<std::string>{"LcdShadow=33"}));
    EXPECT_EQ(checked(), (std::vector<std::string>{"lcd_shadow_custom", "lcd_fade_0"}));
    EXPECT_EQ(row("lcd_shadow_custom")->text(), "Shadow 33 % (your own)...");

    answer.reset();
    row("lcd_shadow_custom")->trigger();
    EXPECT_EQ(look.shadow(), 33);
    EXPECT_EQ(checked(), (std::vector<std::string>{"lcd_shadow_custom", "lcd_fade_0"}));
    EXPECT_EQ(writes.size(), 1u);
}

TEST_F(LcdMenuTest, StoredValuesOutOfRangeOrNotNumbersAreTakenSafely) {
    store.preset("LcdShadow", "250");
    store.preset("LcdFade", "junk");
    make();
    EXPECT_EQ(look.shadow(), kLcdShadowMax);
    EXPECT_EQ(look.fade(), 0);
    EXPECT_EQ(row("lcd_shadow_custom")->text(), "Shadow 100 % (your own)...");
}

TEST(LcdInTheProgram, TheSubmenuSitsInTheExtraBlockAndTheStoredLookIsPaintedFromTheStart) {
    test::TempDir dir;
    test::InDirectory cwd{dir.path()};
    test::write_file(dir.path() / "Config.ini", "[Common]\nGameWidth=498\nGameHeight=770\n"
                                                "[VideoMode]\nTranspColor=$00ff00ff\n");
    auto store = std::make_unique<MemoryStore>();
    for (auto [n, v] : {std::pair{"SoundMode", "2"},
                        {"SplashScreen", "0"},
                        {"FullscreenMode", "0"},
                        {"LcdShadow", "15"},
                        {"LcdFade", "40"}})
        store->preset(n, v);
    ProgramOptions o;
    o.executable_dir = o.current_dir = dir.path();
    o.store = std::move(store);
    o.presenter = [](QWidget*, const QString&) {};
    Program program(std::move(o));
    program.start();
    ASSERT_NE(program.side_windows(), nullptr);
    EXPECT_EQ(program.main_window().lcd_look().shadow(), 15);
    EXPECT_EQ(program.main_window().lcd_look().fade(), 40);

    PopupMenu& pm = program.side_windows()->menu();
    const QList<QAction*> rows = pm.pm_0_menu().actions();
    const qsizetype overlays = rows.indexOf(pm.item(12).action);
    const qsizetype exit_separator = rows.indexOf(pm.item(13).action);
    const qsizetype lcd = rows.indexOf(program.side_windows()->lcd_menu().menu().menuAction());
    EXPECT_GT(lcd, overlays + 1); // behind the block's own separator
    EXPECT_LT(lcd, exit_separator);
    EXPECT_TRUE(rows[overlays + 1]->isSeparator());
    program.end(0);
}

} // namespace
} // namespace q50
