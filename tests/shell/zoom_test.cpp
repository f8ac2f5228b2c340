// The device at a scale in the whole program: the stored zooms, the Zoom submenu and its keys,
// clicks mapped back to design pixels, fullscreen fit, the in-game menu's rows and the
// screenshot. Qt's offscreen screen is 800x800 at a device-pixel ratio of 1.
#include "../support/temp_dir.h"
#include "display/painter.h"
#include "display/png_writer.h"
#include "display/scaled_scene.h"
#include "program_rig.h"
#include "shell/core/memory_store.h"
#include "shell/game_menu.h"
#include "shell/program.h"
#include "shell/side_windows.h"
#include "side_windows_support.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>

#include <fstream>

namespace q50 {
namespace {

namespace fs = std::filesystem;

// A small device, 200x300, so that whole zooms fit the offscreen screen: fit is
// 0.9 * 800 / 300 = 2.4, so 2.
class ZoomTest : public ::testing::Test, testing::WithQtApp {
  protected:
    void start(bool fullscreen,
               std::initializer_list<std::pair<const char*, const char*>> more = {}) {
        test::write_file(dir.path() / "Config.ini",
                         "[Common]\nGameWidth=200\nGameHeight=300\n" + common_extra +
                             "[VideoMode]\nTranspColor=$00ff00ff\n[Fullscreen]\nBgColor=$"
                             "00000000\n" +
                             fullscreen_extra +
                             "[Image5]\nLeft=100\nTop=200\nWidth=50\nHeight=40\n" + config_extra);
        auto s = std::make_unique<MemoryStore>();
        s->preset("SoundMode", "2");
        s->preset("SplashScreen", "0");
        s->preset("FullscreenMode", fullscreen ? "1" : "0");
        for (auto& [n, v] : more) s->preset(n, v);
        store = s.get();
        ProgramOptions o;
        o.executable_dir = dir.path();
        o.current_dir = dir.path();
        o.store = std::move(s);
        o.presenter = [this](QWidget*, const QString& text) {
            errors.push_back(text.toStdString());
        };
        program = std::make_unique<Program>(std::move(o));
        program->start();
        ASSERT_NE(program->side_windows(), nullptr);
    }
    TForm1& main() { return program->main_window(); }
    ZoomMenu& zoom() { return program->side_windows()->zoom(); }
    std::string stored(const char* name) const { return testing::stored_text(*store, name); }
    void key(int k) {
        QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier);
        QCoreApplication::sendEvent(&main(), &e);
    }

    test::TempDir dir;
    test::InDirectory cwd{dir.path()};
    std::string common_extra, config_extra, fullscreen_extra; // more of Config.ini
    std::vector<std::string> errors;                          // the boxes shown
    MemoryStore* store = nullptr;
    std::unique_ptr<Program> program;
};

TEST_F(ZoomTest, WindowedStartsAtFitAndBadStoredZoomsFallBackToFit) {
    start(false);
    EXPECT_EQ(program->Zoom, 0);
    EXPECT_DOUBLE_EQ(main().scale(), 2.0);
    EXPECT_EQ(main().size(), QSize(400, 600));
    EXPECT_EQ(main().shown_frame().width, 400);
    EXPECT_EQ(main().frame().width, 200);  // the board stays in design pixels
    EXPECT_EQ(stored("Zoom"), "<absent>"); // nothing written until it changes

    for (const char* bad : {"250", "-100", "junk", "800"}) {
        program.reset();
        start(false, {{"Zoom", bad}});
        EXPECT_EQ(program->Zoom, 0) << bad;
        EXPECT_EQ(main().size(), QSize(400, 600)) << bad;
    }
    program.reset();
    start(false, {{"Zoom", "100"}});
    EXPECT_EQ(main().size(), QSize(200, 300));
    // 300 % would not fit on 800 lines: the window stays on the screen at fit instead.
    program.reset();
    start(false, {{"Zoom", "300"}});
    EXPECT_EQ(program->Zoom, 300);
    EXPECT_EQ(main().size(), QSize(400, 600));
}

// The skin's larger drawings are read only once the first frame is on screen, and only the set
// the scale needs: at 100 % none, after + (200 %) the 2x set and never the 4x one.
TEST_F(ZoomTest, LargerDrawingsAreReadAfterTheFirstFrameAndOnlyForTheScaleInUse) {
    auto png = [&](const char* name, int k, QColor c) {
        fs::create_directories(dir.path() / fs::path(name).parent_path());
        QImage img(200 * k, 300 * k, QImage::Format_ARGB32);
        img.fill(c);
        ASSERT_TRUE(img.save(QString::fromStdString((dir.path() / name).string())));
    };
    png("skin/body.png", 1, QColor(10, 20, 30));
    png("skin2/body.png", 2, QColor(40, 50, 60));
    png("skin4/body.png", 4, QColor(70, 80, 90));
    auto first_frame_then_idle = [&] {
        QElapsedTimer t;
        t.start();
        while (!main().painted_once() && t.elapsed() < 5000) QCoreApplication::processEvents();
        QCoreApplication::processEvents(); // what waited for the first frame
    };
    common_extra = "SkinDir=skin\n";
    config_extra = "[Scaled]\nSkinDir2x=skin2\nSkinDir4x=skin4\n"
                   "[Image1]\nFilename=body.png\nWidth=200\nHeight=300\n";
    const std::int64_t design = picture_bytes(200, 300);
    for (const char* zoom : {"0", "100"}) {
        SCOPED_TRACE(zoom);
        program.reset();
        start(false, {{"Zoom", zoom}});
        PictureBudget& budget = program->picture_budget();
        EXPECT_EQ(budget.used(), design) << "no set read before it is needed";
        EXPECT_EQ(main().shown_frame().at(10, 10), argb(255, 10, 20, 30));
        first_frame_then_idle();
        if (std::string(zoom) == "0") {
            // Fit is 200 %: the first frame was the design picture doubled, then the 2x set.
            EXPECT_EQ(budget.used(), design + picture_bytes(400, 600));
            EXPECT_EQ(main().shown_frame().at(10, 10), argb(255, 40, 50, 60));
            continue;
        }
        EXPECT_EQ(budget.used(), design) << "100 % needs no set";
        EXPECT_EQ(main().shown_frame().at(10, 10), argb(255, 10, 20, 30));
        key(Qt::Key_Plus);
        EXPECT_DOUBLE_EQ(main().scale(), 2.0);
        EXPECT_EQ(budget.used(), design + picture_bytes(400, 600));
        EXPECT_EQ(main().shown_frame().at(10, 10), argb(255, 40, 50, 60));
    }
}

TEST_F(ZoomTest, SubmenuRowsAndKeysStoreTheZoomAndTheWindowKeepsItsCentre) {
    start(false);
    ASSERT_TRUE(main().on_screen());
    QStringList captions;
    for (QAction* a : zoom().submenu().actions())
        if (!a->isSeparator()) captions << a->text();
    EXPECT_EQ(captions, (QStringList{"Fit to screen", "100 %", "200 %", "300 %", "400 %",
                                     "Fullscreen: fit", "Fullscreen: 100 %"}));
    // The submenu and the screenshot row sit after "Display controller overlays", before
    // the separator above "Exit".
    const QList<QAction*> rows = program->side_windows()->menu().pm_0_menu().actions();
    const int overlays = int(rows.indexOf(program->side_windows()->menu().item(12).action));
    EXPECT_EQ(rows.at(overlays + 2), zoom().submenu().menuAction());
    EXPECT_EQ(rows.at(overlays + 3), zoom().screenshot_row());
    // Further rows of the block (the skins') may follow before the separator above "Exit".
    EXPECT_GT(rows.indexOf(program->side_windows()->menu().item(13).action), overlays + 3);

    const QPoint centre = main().geometry().center();
    zoom().row(1)->trigger(); // 100 %
    EXPECT_EQ(stored("Zoom"), "100");
    EXPECT_EQ(main().size(), QSize(200, 300));
    EXPECT_LE((main().geometry().center() - centre).manhattanLength(), 2);
    zoom().refresh_checks();
    EXPECT_TRUE(zoom().row(1)->isChecked());
    EXPECT_FALSE(zoom().row(0)->isChecked());

    key(Qt::Key_Plus);
    EXPECT_EQ(stored("Zoom"), "200");
    EXPECT_EQ(main().size(), QSize(400, 600));
    key(Qt::Key_Minus);
    EXPECT_EQ(stored("Zoom"), "100");
    // Fit shows 200 % here: "-" at 100 % does not go back to it, which would enlarge.
    key(Qt::Key_Minus);
    EXPECT_EQ(stored("Zoom"), "100");
    EXPECT_EQ(main().size(), QSize(200, 300));
    key(Qt::Key_Plus);
    key(Qt::Key_Backspace);
    EXPECT_EQ(stored("Zoom"), "0");
    EXPECT_EQ(main().size(), QSize(400, 600));
    // The window is wholly on the screen.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(main().geometry())) << main().geometry().x();
}

TEST_F(ZoomTest, ClicksAreMappedBackToDesignPixelsAtWholeAndFractionalScales) {
    start(false);
    // OPEN is at design (100, 200) size 50x40: at 2x from (200, 400).
    testing::send_mouse(&main(), QEvent::MouseButtonPress, {199, 399});
    EXPECT_FALSE(program->input().pressed_control());
    testing::send_mouse(&main(), QEvent::MouseButtonRelease, {199, 399});
    testing::click(&main(), {200, 400});
    EXPECT_EQ(program->device().Game_State, 2); // opened
    EXPECT_FALSE(program->device().board.shown("btn_open"));

    // A fractional fit: a device of 498x770 on 800 lines (0.935).
    program.reset();
    test::write_file(dir.path() / "Config.ini",
                     "[Common]\nGameWidth=498\nGameHeight=770\n"
                     "[VideoMode]\nTranspColor=$00ff00ff\n[Fullscreen]\nBgColor=$00000000\n"
                     "[Image5]\nLeft=100\nTop=200\nWidth=50\nHeight=40\n");
    auto s = std::make_unique<MemoryStore>();
    s->preset("SoundMode", "2");
    s->preset("SplashScreen", "0");
    s->preset("FullscreenMode", "0");
    ProgramOptions o;
    o.executable_dir = o.current_dir = dir.path();
    o.store = std::move(s);
    o.presenter = [](QWidget*, const QString&) {};
    program = std::make_unique<Program>(std::move(o));
    program->start();
    const double v = 0.9 * 800 / 770;
    EXPECT_NEAR(main().scale(), v, 1e-9);
    EXPECT_EQ(main().height(), int(std::lround(770 * v)));
    const QPoint inside(int(100 * v) + 2, int(200 * v) + 2);
    EXPECT_EQ(main().to_design(QPointF(inside)).x(), int(inside.x() / v + 0.5 / v));
    testing::click(&main(), inside);
    EXPECT_EQ(program->device().Game_State, 2);
}

TEST_F(ZoomTest, FullscreenFitsTheScreenAndTheInGameMenuGrowsWithIt) {
    start(true);
    // 200x300 on 800x800: 2.667, and 2 is under 90 % of it, so fractional.
    const double s = 800.0 / 300;
    EXPECT_NEAR(main().scale(), s, 1e-9);
    EXPECT_EQ(main().size(), QSize(800, 800));
    EXPECT_EQ(main().shown_frame().width, 800);
    // The loader got the screen in design pixels and centred the device in it.
    EXPECT_EQ(program->window_model().client_width, 300);
    EXPECT_EQ(program->window_model().client_height, 300);
    EXPECT_EQ(program->device().board.get("btn_open").rect.left, 100 + 50);

    // The menu button is scaled with the device: a click at its scaled corner opens the menu.
    testing::click(&main(), {int(30 * s), int(28 * s)});
    ASSERT_TRUE(program->side_windows()->game_menu().Game_Menu_Open);
    GameMenuLabel* row = program->side_windows()->game_menu().Menu_Label_Table[1];
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->geometry(), QRect(0, int(std::lround(32 * s)), int(std::lround(256 * s)),
                                     int(std::lround(64 * s)) - int(std::lround(32 * s))));
    EXPECT_EQ(row->font().pixelSize(), int(std::lround(12 * s)));

    // "Fullscreen: 100 %" gives the design size on the screen as it is.
    zoom().row(6)->trigger();
    EXPECT_EQ(stored("FullscreenZoom"), "100");
    EXPECT_DOUBLE_EQ(main().scale(), 1.0);
    EXPECT_EQ(program->window_model().client_width, 800);
    EXPECT_EQ(program->device().board.get("btn_open").rect.left, 100 + 300);
    EXPECT_EQ(main().size(), QSize(800, 800));
    key(Qt::Key_Plus); // fit is the larger here
    EXPECT_EQ(stored("FullscreenZoom"), "0");
    EXPECT_NEAR(main().scale(), s, 1e-9);
}

// At fit the device is drawn at the whole scale above when what leaves the screen there is
// see-through: 200x300 on 800x800 is 2.667, and at 3 the screen holds design rows 16 to 282.
TEST_F(ZoomTest, AFitThatWouldOnlyCutSeeThroughRowsTakesTheWholeScaleAbove) {
    auto body = [&](int clear_top, int clear_bottom) {
        fs::create_directories(dir.path() / "skin");
        QImage img(200, 300, QImage::Format_ARGB32);
        img.fill(QColor(10, 20, 30));
        for (int y = 0; y < 300; ++y)
            if (y < clear_top || y >= 300 - clear_bottom)
                for (int x = 0; x < 200; ++x) img.setPixel(x, y, 0);
        ASSERT_TRUE(img.save(QString::fromStdString((dir.path() / "skin/body.png").string())));
    };
    common_extra = "SkinDir=skin\n";
    config_extra = "[Image1]\nFilename=body.png\nWidth=200\nHeight=300\n";
    body(16, 17);
    start(true);
    EXPECT_DOUBLE_EQ(main().scale(), 3.0);
    EXPECT_EQ(main().size(), QSize(800, 800));
    EXPECT_EQ(program->window_model().client_height, 267);
    // Each design pixel a block of 3x3, from design row 16 at the top of the screen (below
    // the menu button's 108x96).
    const Image& shown = main().shown_frame();
    const int left = (267 - 200) / 2 * 3;
    for (int y : {0, 799}) EXPECT_EQ(shown.at(400, y), argb(255, 10, 20, 30)) << y;
    EXPECT_EQ(shown.at(left, 200), argb(255, 10, 20, 30));
    EXPECT_EQ(shown.at(left - 1, 200), argb(255, 0, 0, 0)); // the window colour beside it
    // Pressing "+" and "-" goes between 100 % and this fit.
    zoom().row(6)->trigger();
    EXPECT_DOUBLE_EQ(main().scale(), 1.0);
    key(Qt::Key_Plus);
    EXPECT_DOUBLE_EQ(main().scale(), 3.0);

    // One opaque row more at the bottom would be cut: the fit as it is.
    program.reset();
    body(16, 16);
    start(true);
    EXPECT_NEAR(main().scale(), 800.0 / 300, 1e-9);
}

// A stretched backdrop is kept only as drawn where the device is shown at its design size; at
// a scale the decorations are resampled from the picture as decoded. Either way the screen
// shows what stretching the decoded picture gives.
TEST_F(ZoomTest, AStretchedBackdropIsKeptAsDrawnOnlyAtTheDesignScale) {
    // Every pixel its own colour, so that a stretch before the resampling shows.
    Image sky(7, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            sky.at(x, y) = argb(255, std::uint8_t(35 * x), std::uint8_t(50 * y), 90);
    fs::create_directories(dir.path() / "Graphics/Backdrop");
    QImage file(7, 5, QImage::Format_ARGB32);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) file.setPixel(x, y, sky.at(x, y));
    ASSERT_TRUE(
        file.save(QString::fromStdString((dir.path() / "Graphics/Backdrop/sky.png").string())));
    fullscreen_extra = "BackdropFile=sky.png\nBackdropStretch=1\n";
    // Left of the device and below the menu button only the backdrop is shown.
    auto expect_backdrop = [&](const Image& want) {
        const Image& shown = main().shown_frame();
        ASSERT_EQ(shown.width, 800);
        ASSERT_EQ(shown.height, 800);
        int wrong = 0;
        for (int y = 300; y < 800; ++y)
            for (int x = 0; x < 120; ++x) wrong += shown.at(x, y) != want.at(x, y);
        EXPECT_EQ(wrong, 0);
    };

    start(true, {{"FullscreenZoom", "100"}});
    ASSERT_DOUBLE_EQ(main().scale(), 1.0);
    const Picture kept = program->device().board.get("im_backdrop").picture;
    EXPECT_EQ(kept->width, 800);
    EXPECT_EQ(kept->height, 800);
    expect_backdrop(stretch_picture(sky, 800, 800));

    program.reset();
    start(true);
    ASSERT_NEAR(main().scale(), 800.0 / 300, 1e-9);
    const Picture decoded = program->device().board.get("im_backdrop").picture;
    EXPECT_EQ(decoded->pixels, sky.pixels);
    expect_backdrop(resample_area(sky, 800, 800));
}

// A copy at the screen's scale that the copy budget refuses: the device is shown without that
// picture, and the user is told after the paint, in a box that names the file (and on standard
// error), once although two segments show it.
TEST_F(ZoomTest, APictureWhoseCopyIsRefusedIsToldOnceNamingItsFile) {
    common_extra = "SkinDir=skin\n";
    config_extra = "[Image1]\nFilename=body.png\nWidth=200\nHeight=300\n"
                   "[Image2]\nFilename=body.png\nWidth=199\nHeight=300\n";
    fs::create_directories(dir.path() / "skin");
    ASSERT_TRUE(write_png(Image(200, 300, argb(255, 90, 60, 30)), dir.path() / "skin/body.png"));
    start(true);
    ASSERT_TRUE(errors.empty());
    main().copy_budget().set_limit(1 << 20); // the body at the fit scale needs 1.7 MB
    ::testing::internal::CaptureStderr();
    auto repaint_at = [&](int zoom) {
        program->set_fullscreen_zoom(zoom);
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    };
    repaint_at(100); // at the design size nothing is copied
    EXPECT_TRUE(errors.empty());
    repaint_at(kZoomFit);
    const std::string err = ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(errors.size(), 1u);
    const std::string file = (dir.path() / "skin/body.png").string();
    const std::string text = "\"" + file +
                             "\" is not shown at this size: its copy at the screen's scale would "
                             "need 2 MB, more than is left of the 1 MB that pictures brought to "
                             "the screen's scale may take";
    EXPECT_EQ(errors[0], text);
    EXPECT_NE(err.find("Quendrix50: " + text + "\n"), std::string::npos) << err;
    // The device's middle shows the window colour (black), not the body.
    const Image& f = main().shown_frame();
    EXPECT_EQ(f.at(f.width / 2, f.height / 2), argb(255, 0, 0, 0));
}

TEST_F(ZoomTest, ScreenshotSavesTheFrameAsShownWithoutStoppingTheGame) {
    start(false);
    test::TempDir shots;
    zoom().screenshot_folder = QString::fromStdString(shots.path().string());
    key(Qt::Key_F9);
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(shots.path())) files.push_back(e.path());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].extension(), ".png");
    EXPECT_EQ(files[0].filename().string().rfind("Quendrix50 ", 0), 0u);
    std::ifstream in(files[0], std::ios::binary);
    unsigned char head[24] = {};
    in.read(reinterpret_cast<char*>(head), 24);
    const auto be32 = [&](int at) {
        return (head[at] << 24) | (head[at + 1] << 16) | (head[at + 2] << 8) | head[at + 3];
    };
    EXPECT_EQ(head[1], 'P');
    EXPECT_EQ(be32(16), 400); // at the scale shown
    EXPECT_EQ(be32(20), 600);
    // A second one in the same second does not overwrite the first.
    zoom().save_screenshot();
    EXPECT_EQ(std::distance(fs::directory_iterator(shots.path()), fs::directory_iterator()), 2);
    // The notice is a window of its own that does not take the focus.
    QWidget* notice = main().findChild<QWidget*>("notice");
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_TRUE(notice->testAttribute(Qt::WA_ShowWithoutActivating));
}

} // namespace
} // namespace q50
