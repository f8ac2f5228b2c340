// The key dialog's controller page: press-to-assign, the duplicate rule, Defaults, and what
// Accept stores; then the whole program with SDL's virtual controller assigning a button
// through the dialog and playing with it.
#include "shell/keys_dialog.h"

#include "../support/temp_dir.h"
#include "shell/core/memory_store.h"
#include "shell/pad_source.h"
#include "shell/program.h"
#include "shell/side_windows.h"
#include "shell/virtual_pad.h"
#include "side_windows_support.h"

#include <SDL.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMessageBox>

#include <gtest/gtest.h>

namespace q50 {
namespace {

using testing::kRedText;
using testing::send_key;

struct PadPageTest : ::testing::Test, testing::WithQtApp {
    MemoryStore store;
    Board board;
    KeyAssignments keys;
    PadAssignments pads;
    QWidget main_window;
    std::unique_ptr<KeysDialog> dialog;
    std::vector<std::string> writes;

    PadPageTest() {
        keys.Keys_Load(store, board);
        dialog = std::make_unique<KeysDialog>(keys, store, board, &main_window, &pads);
        store.on_write = [this](const std::string& n, const std::string& v) {
            writes.push_back(n + "=" + v);
        };
    }
    PadPage& page() { return *dialog->pad_page; }
    QString row(int n) { return page().Pad_Button[std::size_t(n)]->text(); }
    std::vector<int> red_rows() {
        std::vector<int> out;
        for (int n = 1; n <= 7; ++n)
            if (page().Pad_Label[std::size_t(n)]->palette().color(QPalette::WindowText) == kRedText)
                out.push_back(n);
        return out;
    }
    std::vector<std::string> pad_writes() const {
        std::vector<std::string> out;
        for (const auto& w : writes)
            if (w.starts_with("Pad")) out.push_back(w);
        return out;
    }
};

TEST_F(PadPageTest, ThePageShowsTheAssignmentInUseAndSwitchesWithTheKeys) {
    pads.Pad[7] = PadButton::rightshoulder;
    dialog->open();
    EXPECT_FALSE(dialog->showing_pads()) << "the dialog opens on the keys";
    EXPECT_TRUE(dialog->Key_Combo[1]->isVisible());
    dialog->btn_page->click();
    ASSERT_TRUE(dialog->showing_pads());
    EXPECT_FALSE(dialog->Key_Combo[1]->isVisible());
    EXPECT_EQ(dialog->btn_page->text(), "KEYBOARD");
    const char* shown[8] = {"",  "Start",      "Back",        "Y",
                            "X", "D-pad left", "D-pad right", "Right shoulder"};
    for (int n = 1; n <= 7; ++n) EXPECT_EQ(row(n), shown[n]) << n;
    EXPECT_EQ(page().listening(), 1);
    EXPECT_TRUE(page().Pad_Button[1]->isChecked());
    dialog->btn_page->click();
    EXPECT_FALSE(dialog->showing_pads());
    EXPECT_TRUE(dialog->Key_Combo[1]->isVisible());
}

TEST_F(PadPageTest, APressedButtonGoesToTheChosenRowAndTheNextRowListens) {
    dialog->open();
    dialog->show_pads(true);
    page().Pad_Button[4]->click();
    EXPECT_EQ(page().listening(), 4);
    EXPECT_TRUE(dialog->take_pad_button(PadButton::b));
    EXPECT_EQ(row(4), "B");
    EXPECT_EQ(page().listening(), 5);
    // Guide is the in-game menu's: it is swallowed but assigns nothing.
    EXPECT_TRUE(dialog->take_pad_button(PadButton::guide));
    EXPECT_EQ(row(5), "D-pad left");
    EXPECT_EQ(page().listening(), 5);
    // The last row is followed by the first.
    page().Pad_Button[7]->click();
    dialog->take_pad_button(PadButton::leftshoulder);
    EXPECT_EQ(page().listening(), 1);
}

TEST_F(PadPageTest, OnTheKeysPageAPressIsSwallowedButAssignsNothing) {
    EXPECT_FALSE(dialog->take_pad_button(PadButton::b)) << "a closed dialog takes nothing";
    dialog->open();
    EXPECT_TRUE(dialog->take_pad_button(PadButton::b));
    EXPECT_EQ(page().chosen(), kDefaultPad);
}

TEST_F(PadPageTest, TwoActionsOnOneButtonAreRefusedLikeTwoEqualKeys) {
    dialog->open();
    dialog->show_pads(true);
    page().Pad_Button[2]->click();
    dialog->take_pad_button(PadButton::start); // Game A has it already
    EXPECT_EQ(red_rows(), (std::vector<int>{1, 2}));
    EXPECT_FALSE(dialog->btn_accept->isEnabled());
    send_key(page().Pad_Button[3], Qt::Key_Return); // Enter does nothing while refused
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(writes.empty());
    // A clash among the keys refuses too, whichever page shows.
    page().Pad_Button[2]->click();
    dialog->take_pad_button(PadButton::back);
    EXPECT_TRUE(red_rows().empty());
    EXPECT_TRUE(dialog->btn_accept->isEnabled());
    dialog->Key_Combo[2]->setCurrentIndex(dialog->Key_Combo[1]->currentIndex());
    EXPECT_FALSE(dialog->btn_accept->isEnabled());
}

// A clash the player cannot see (a store edited by hand gave Game A the bomb's button) would
// leave Accept greyed on the keys page for no shown reason: the button to the controller page
// is red until the clash is gone, and the keyboard button is red for a clash among the keys.
TEST_F(PadPageTest, AClashOnThePageOutOfViewMarksTheButtonToIt) {
    auto page_button_red = [&] {
        return dialog->btn_page->palette().color(QPalette::ButtonText) == kRedText;
    };
    pads.Pad[1] = PadButton::a; // the bomb has a as well
    dialog->open();
    ASSERT_FALSE(dialog->showing_pads());
    EXPECT_FALSE(dialog->btn_accept->isEnabled());
    EXPECT_TRUE(page_button_red());
    EXPECT_FALSE(dialog->btn_page->toolTip().isEmpty());
    dialog->btn_page->click();
    EXPECT_EQ(red_rows(), (std::vector<int>{1, 7}));
    EXPECT_FALSE(page_button_red()) << "the keys have no clash";
    dialog->take_pad_button(PadButton::start); // row 1 listens
    EXPECT_TRUE(dialog->btn_accept->isEnabled());
    dialog->btn_page->click();
    EXPECT_FALSE(page_button_red());
    EXPECT_TRUE(dialog->btn_page->toolTip().isEmpty());

    dialog->Key_Combo[2]->setCurrentIndex(dialog->Key_Combo[1]->currentIndex());
    EXPECT_FALSE(page_button_red()) << "the clash is in view";
    dialog->btn_page->click();
    EXPECT_TRUE(page_button_red()) << "the keys' clash, seen from the controller page";
}

TEST_F(PadPageTest, AcceptStoresAllSevenOnlyWhenTheyChanged) {
    dialog->open();
    dialog->btn_accept->click();
    EXPECT_TRUE(pad_writes().empty()) << "an unchanged mapping stays unwritten";
    EXPECT_EQ(writes.size(), 7u) << "the keys are written as always";

    writes.clear();
    dialog->open();
    dialog->show_pads(true);
    page().Pad_Button[7]->click();
    dialog->take_pad_button(PadButton::rightshoulder);
    send_key(page().Pad_Button[1], Qt::Key_Enter);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(pads.Pad[7], PadButton::rightshoulder);
    EXPECT_EQ(pad_writes(),
              (std::vector<std::string>{"Pad1=start", "Pad2=back", "Pad3=y", "Pad4=x",
                                        "Pad5=dpleft", "Pad6=dpright", "Pad7=rightshoulder"}));
    // Read back as the next start reads it.
    PadAssignments next;
    next.load(store);
    EXPECT_EQ(next.Pad, pads.Pad);
}

TEST_F(PadPageTest, DefaultsRestoreTheMappingAndEscKeepsTheOldOne) {
    pads.Pad[1] = PadButton::leftstick;
    pads.Pad[5] = PadButton::leftshoulder;
    dialog->open();
    dialog->show_pads(true);
    page().btn_defaults->click();
    EXPECT_EQ(page().chosen(), kDefaultPad);
    send_key(page().Pad_Button[1], Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(pads.Pad[1], PadButton::leftstick) << "Esc stores nothing";
    EXPECT_TRUE(writes.empty());

    dialog->open();
    EXPECT_EQ(row(1), "Left stick") << "reopened, the page shows the mapping in use";
    page().btn_defaults->click();
    dialog->btn_accept->click();
    EXPECT_EQ(pads.Pad, kDefaultPad);
    EXPECT_EQ(pad_writes().size(), 7u);
}

// The whole program on Qt's offscreen platform with SDL's virtual controller, plugged in once the
// program is up (a joystick node appearing in its device folder, then the controller).
struct PadPageProgram : ::testing::Test, testing::WithQtApp {
    test::TempDir dir;
    MemoryStore* store = nullptr;
    std::unique_ptr<Program> program;
    VirtualPad pad;

    void SetUp() override {
        test::write_file(dir.path() / "Config.ini", "[Common]\nGameWidth=498\nGameHeight=770\n"
                                                    "[VideoMode]\nTranspColor=$00ff00ff\n");
        auto s = std::make_unique<MemoryStore>();
        for (auto [n, v] :
             {std::pair{"SplashScreen", "0"}, {"FullscreenMode", "0"}, {"SoundMode", "2"}})
            s->preset(n, v);
        store = s.get();
        ProgramOptions o;
        o.executable_dir = o.current_dir = dir.path();
        o.store = std::move(s);
        o.presenter = [](QWidget*, const QString& text) { ADD_FAILURE() << text.toStdString(); };
        std::filesystem::create_directory(dir.path() / "input");
        o.device_folder = dir.path() / "input";
        o.input_class_folder = dir.path() / "class";
        program = std::make_unique<Program>(std::move(o));
        program->start();
        ASSERT_TRUE(program->main_window().on_screen());
        // Controllers are looked for once the first frame is on screen, SDL started only once
        // a node that can be a controller appears.
        QElapsedTimer waited;
        waited.start();
        while (!program->pad_source() && waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_NE(program->pad_source(), nullptr);
        ASSERT_TRUE(program->pad_source()->armed());
        ASSERT_FALSE(program->pad_source()->started()) << "SDL started with no controller";
        test::write_file(dir.path() / "input" / "js0", "");
        waited.restart();
        while (!program->pad_source()->started() && waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_TRUE(program->pad_source()->started()) << SDL_GetError();
        ASSERT_TRUE(pad.attach()) << SDL_GetError();
        program->pad_source()->pump();
        ASSERT_EQ(program->pad_source()->connected(), 1);
    }
    void TearDown() override {
        pad.detach();
        if (program && program->pad_source()) program->pad_source()->pump();
    }
    void tap(PadButton b) {
        pad.set_button(b, true);
        program->pad_source()->pump();
        pad.set_button(b, false);
        program->pad_source()->pump();
    }
};

TEST_F(PadPageProgram, AButtonAssignedThroughTheDialogIsStoredAndActs) {
    KeysDialog& dialog = program->side_windows()->keys_dialog();
    program->side_windows()->show_key_dialog();
    ASSERT_TRUE(dialog.isVisible());
    dialog.btn_page->click();
    dialog.pad_page->Pad_Button[4]->click(); // "Open the game/ACL"
    tap(PadButton::b);
    EXPECT_EQ(program->device().Game_State, 0) << "the press was the dialog's, not the game's";
    EXPECT_EQ(dialog.pad_page->Pad_Button[4]->text(), "B");
    dialog.btn_accept->click();
    EXPECT_EQ(store->values().at("Pad4"), "b");
    EXPECT_EQ(program->pads().Pad[4], PadButton::b);

    tap(PadButton::x); // no longer the lid's
    EXPECT_EQ(program->device().Game_State, 0);
    tap(PadButton::b);
    EXPECT_EQ(program->device().Game_State, 2) << "b opened the device";
}

// A modal window over the device takes the keys; it keeps the controller's presses from the game
// too, but a button held from before is still let go.
TEST_F(PadPageProgram, UnderAModalWindowControllerPressesDoNotReachTheGame) {
    pad.set_button(PadButton::a, true); // held from before the box
    program->pad_source()->pump();
    ASSERT_TRUE(program->device().board.shown("btn_bomb_down"));
    auto box = std::make_unique<QMessageBox>(QMessageBox::Information, QStringLiteral("Test"),
                                             QStringLiteral("A message"), QMessageBox::Ok,
                                             &program->main_window());
    box->setWindowModality(Qt::ApplicationModal);
    box->show();
    ASSERT_EQ(QApplication::activeModalWidget(), box.get());
    tap(PadButton::x);
    EXPECT_EQ(program->device().Game_State, 0) << "X opened the device under the box";
    pad.set_button(PadButton::a, false);
    program->pad_source()->pump();
    EXPECT_FALSE(program->device().board.shown("btn_bomb_down")) << "the release was kept";
    box.reset();
    tap(PadButton::x);
    EXPECT_EQ(program->device().Game_State, 2) << "X opens once the box is gone";
}

} // namespace
} // namespace q50
