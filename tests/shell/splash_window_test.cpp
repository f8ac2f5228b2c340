#include "shell/splash_window.h"

#include "qt_events.h"
#include "shell/about_window.h"
#include "shell/core/memory_store.h"
#include "shell/text_fit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace q50 {
namespace {

using testing::press_key;

struct RecordingHost : SplashHost {
    std::vector<std::string> calls;
    bool sound_ok = true;
    bool Snd_Init(int mode) override {
        calls.push_back("Snd_Init " + std::to_string(mode));
        return sound_ok;
    }
    void set_splash_menu_check(bool on) override {
        calls.push_back(std::string("menu check ") + (on ? "on" : "off"));
    }
    void centre_main_window() override { calls.push_back("centre"); }
    void start_device() override { calls.push_back("mode 0"); }
    void clear_splash_pending() override { calls.push_back("splash pending off"); }
    void quit() override { calls.push_back("quit"); }
};

using Calls = std::vector<std::string>;

struct Splash : ::testing::Test {
    MemoryStore store;
    RecordingHost host;
    std::unique_ptr<TSplashForm> form;
    std::vector<QUrl> opened;

    void create(std::initializer_list<std::pair<const char*, const char*>> stored = {}) {
        for (auto& [n, v] : stored) store.preset(n, v);
        form = std::make_unique<TSplashForm>(store, host);
        form->open_url = [this](const QUrl& u) { opened.push_back(u); };
        form->FormCreate();
        if (!form->skipped()) form->show();
    }
    QPoint centre_of(QWidget* w) { return w->rect().center(); }
};

TEST_F(Splash, LayoutAndTexts) {
    create();
    EXPECT_EQ(form->windowTitle(), "About this game...");
    EXPECT_EQ(form->size(), QSize(460, 420));
    EXPECT_EQ(form->la_game_title->text(), "Quendrix50");
    EXPECT_EQ(form->la_version->text(), "Version 5.01 * Graphic improvements *");
    EXPECT_EQ(form->la_release_date->text(), "Released by the Quendrix50 developers, 2026");
    EXPECT_EQ(form->la_website_1->text(), "website:");
    EXPECT_EQ(form->la_email_1->text(), "email:");
    EXPECT_EQ(form->la_sound_select->text(), "Select sound driver:");
    EXPECT_EQ(form->chb_splashscreen->text(), "Display this splash screen at startup");
    ASSERT_EQ(form->cb_sound->count(), 3);
    EXPECT_EQ(form->cb_sound->itemText(0), "Desktop sound server");
    EXPECT_EQ(form->cb_sound->itemText(1), "Sound card directly (ALSA)");
    EXPECT_EQ(form->cb_sound->itemText(2), "(no sound)");
    EXPECT_FALSE(form->cb_sound->isEditable());
    EXPECT_EQ(form->la_game_title->geometry(), QRect(0, 12, 460, 15));
    EXPECT_EQ(form->la_version->geometry(), QRect(0, 28, 460, 15));
    EXPECT_EQ(form->la_release_date->geometry(), QRect(0, 236, 460, 15));
    EXPECT_EQ(form->la_website_2->pos(), QPoint(174, 259));
    EXPECT_EQ(form->la_email_2->pos(), QPoint(174, 282));
    EXPECT_EQ(form->cb_sound->geometry().topLeft(), QPoint(217, 308));
    // At least its design width, wider where the entries need it in this desktop's font, and
    // within the grey panel of the background (to 373), every entry whole.
    EXPECT_GE(form->cb_sound->width(), 144);
    EXPECT_LE(form->cb_sound->geometry().right(), 373);
    EXPECT_LE(combo_width_for_entries(form->cb_sound, 144), form->cb_sound->width());
    // The hint says what the entries mean.
    const std::string hint = form->cb_sound->toolTip().toStdString();
    for (const char* word : {"PipeWire", "PulseAudio", "ALSA", "SDL_AUDIODRIVER"})
        EXPECT_NE(hint.find(word), std::string::npos) << word;
    EXPECT_EQ(form->btn_play->geometry(), QRect(116, 340, 107, 30));
    EXPECT_EQ(form->btn_play_disabled->geometry(), QRect(116, 340, 107, 30));
    EXPECT_EQ(form->btn_paypal->geometry(), QRect(237, 340, 107, 30));
    EXPECT_EQ(form->chb_splashscreen->pos(), QPoint(12, 391));
    EXPECT_EQ(form->btn_play->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(form->btn_play_disabled->cursor().shape(), Qt::WhatsThisCursor);
    EXPECT_EQ(form->la_website_2->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(Splash, FirstStartOffersNoPlayUntilAnOutputIsChosen) {
    create();
    EXPECT_EQ(form->cb_sound->currentIndex(), -1);
    EXPECT_TRUE(form->cb_sound->currentText().isEmpty());
    EXPECT_TRUE(form->chb_splashscreen->isChecked());
    EXPECT_FALSE(form->play_enabled());
    EXPECT_FALSE(form->btn_play->isVisible());
    EXPECT_TRUE(form->btn_play_disabled->isVisible());
    EXPECT_EQ(form->btn_play_disabled->toolTip(), "please select sound driver first");
    press_key(form.get(), Qt::Key_Return);
    press_key(form.get(), Qt::Key_Enter);
    press_key(form->cb_sound, Qt::Key_1);
    testing::click(form->btn_play_disabled, centre_of(form->btn_play_disabled));
    EXPECT_TRUE(host.calls.empty());
    EXPECT_TRUE(form->isVisible());

    form->cb_sound->setCurrentIndex(2);
    EXPECT_TRUE(form->play_enabled());
    EXPECT_TRUE(form->btn_play->isVisible());
    EXPECT_FALSE(form->btn_play_disabled->isVisible());
}

TEST_F(Splash, PlayStartsSoundStoresTheBoxCentresAndStartsTheDevice) {
    create();
    form->cb_sound->setCurrentIndex(2);
    press_key(form->cb_sound, Qt::Key_1);
    EXPECT_EQ(host.calls, (Calls{"Snd_Init 2", "menu check on", "centre", "mode 0"}));
    EXPECT_EQ(store.values().at("SplashScreen"), "1");
    EXPECT_FALSE(form->isVisible());
}

TEST_F(Splash, EnterAndAClickRunPlayButNotTheKeypadOne) {
    create({{"SoundMode", "0"}});
    press_key(form.get(), Qt::Key_1, Qt::KeypadModifier);
    EXPECT_TRUE(host.calls.empty());
    press_key(form.get(), Qt::Key_Return);
    EXPECT_EQ(host.calls.front(), "Snd_Init 0");

    host.calls.clear();
    form.reset();
    create({{"SoundMode", "1"}});
    testing::click(form->btn_play, centre_of(form->btn_play));
    EXPECT_EQ(host.calls.front(), "Snd_Init 1");
}

TEST_F(Splash, UncheckedBoxIsStoredAndClearsTheMenuCheck) {
    create({{"SoundMode", "1"}});
    form->chb_splashscreen->setChecked(false);
    press_key(form.get(), Qt::Key_Return);
    EXPECT_EQ(host.calls, (Calls{"Snd_Init 1", "menu check off", "centre", "mode 0"}));
    EXPECT_EQ(store.values().at("SplashScreen"), "0");
}

TEST_F(Splash, SoundFolderFailureStopsPlay) {
    host.sound_ok = false;
    create({{"SoundMode", "0"}});
    press_key(form.get(), Qt::Key_Return);
    EXPECT_EQ(host.calls, (Calls{"Snd_Init 0"}));
    EXPECT_EQ(store.values().count("SplashScreen"), 0u);
}

TEST_F(Splash, SkipsItselfWhenAnOutputWasChosenAndTheBoxIsOff) {
    create({{"SoundMode", "1"}, {"SplashScreen", "0"}});
    EXPECT_TRUE(form->skipped());
    EXPECT_EQ(host.calls,
              (Calls{"splash pending off", "Snd_Init 1", "menu check off", "centre", "mode 0"}));
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->pos(), QPoint(-460, -420));
}

TEST_F(Splash, ShownWhenNoValidOutputWasChosenEvenWithTheBoxOff) {
    for (const char* mode : {"-1", "3", "-2", "99", "x"}) {
        host.calls.clear();
        store = MemoryStore();
        form.reset();
        create({{"SoundMode", mode}, {"SplashScreen", "0"}});
        EXPECT_FALSE(form->skipped()) << mode;
        EXPECT_EQ(form->cb_sound->currentIndex(), -1) << mode;
        EXPECT_FALSE(form->chb_splashscreen->isChecked());
        EXPECT_FALSE(form->play_enabled());
        EXPECT_TRUE(host.calls.empty()) << mode;
    }
    // A chosen output with the box on is shown too, ready to play.
    store = MemoryStore();
    form.reset();
    create({{"SoundMode", "2"}});
    EXPECT_FALSE(form->skipped());
    EXPECT_TRUE(form->play_enabled());
    EXPECT_EQ(form->cb_sound->currentText(), "(no sound)");
}

TEST_F(Splash, EscapeEndsTheProgram) {
    create();
    press_key(form->cb_sound, Qt::Key_Escape);
    EXPECT_EQ(host.calls, (Calls{"quit"}));
}

TEST_F(Splash, LinksOpenTheReadmeAndMailAndTheWindowStays) {
    create();
    testing::click(form->la_website_2, {2, 2});
    testing::click(form->la_email_2, {2, 2});
    testing::click(form->btn_paypal, centre_of(form->btn_paypal));
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_TRUE(opened[0].isLocalFile());
    EXPECT_TRUE(opened[0].toLocalFile().endsWith("/Readme.txt"));
    EXPECT_EQ(opened[1].scheme(), "mailto");
    EXPECT_TRUE(opened[1].path().endsWith(".invalid"));
    // The about window shows and opens the very same two.
    EXPECT_EQ(form->la_website_2->text(), "project notes (Readme.txt)");
    EXPECT_EQ(form->la_email_2->text(), opened[1].path());
    EXPECT_EQ(opened[0], AboutWindow::website_url());
    EXPECT_EQ(opened[1], AboutWindow::email_url());
    EXPECT_TRUE(opened[2].isLocalFile());
    EXPECT_TRUE(form->isVisible());
    // A right click opens nothing.
    testing::click(form->la_website_2, {2, 2}, Qt::RightButton);
    EXPECT_EQ(opened.size(), 3u);
}

} // namespace
} // namespace q50
