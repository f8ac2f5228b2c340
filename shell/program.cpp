#include "shell/program.h"

#include "display/skin_loader.h"
#include "shell/core/file_store.h"
#include "shell/core/form_create.h"
#include "shell/game_menu.h"
#include "shell/pad_source.h"
#include "shell/side_windows.h"
#include "shell/virtual_pad.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace q50 {

namespace {

std::unique_ptr<SettingsStore> open_store(std::unique_ptr<SettingsStore> given) {
    if (given) return given;
    return std::make_unique<FileStore>(FileStore::default_path());
}

} // namespace

Program::Program(ProgramOptions options)
    : options_(std::move(options)), messages_(options_.presenter),
      store_(open_store(std::move(options_.store))), sound_(*store_, messages_),
      device_(Services{sound_, *store_, random_, clock_}), target_(device_), input_(target_, keys_),
      pad_input_(target_, pads_), driver_(device_) {}

Program::~Program() {
    // Whichever way the loop ended (the menu's Exit, a signal), the sound device is let go.
    FormClose();
    virtual_pad_.reset();
    pad_source_.reset();
    splash_.reset();
    side_windows_.reset();
    main_window_.reset();
}

void Program::end(int code) {
    if (!ending_) exit_code_ = code;
    ending_ = true;
    // Like a quit request: the loop ends when control returns to it.
    QTimer::singleShot(0, qApp, [c = exit_code_] { QCoreApplication::exit(c); });
}

void Program::start() {
    main_window_ = std::make_unique<TForm1>(device_.board, window_model_, input_, driver_);
    main_window_->on_activate = [this] { FormActivate(); };
    main_window_->on_close = [this] {
        FormClose();
        end(exit_code_);
    };
    messages_.set_parent(main_window_.get());
    FormCreate();
    // A failed installation ends here: no further window is made.
    if (ending_) return;

    side_windows_ = std::make_unique<SideWindows>(*this);
    // A splash window that would skip itself is not made: its Play runs at once, as the
    // window's creation would run it, with the stored choice and the box unticked.
    if (const auto mode = TSplashForm::skip_choice(*store_)) {
        splash_skipped_ = true;
        Splash_Pending = false;
        splash_play(*store_, *this, *mode, false);
        return;
    }
    splash_ = std::make_unique<TSplashForm>(*store_, *this);
    splash_->FormCreate();
    if (ending_) return;
    if (!splash_->skipped()) splash_->show();
    // The main window is not mapped while it is off screen, so its first activation is the
    // message loop's first turn.
    QTimer::singleShot(0, this, [this] { FormActivate(); });
}

void Program::FormCreate() {
    // The window has no title bar; its title is what the window system shows for the program.
    main_window_->setWindowTitle(QString::fromLatin1(kProductTitle));
    main_window_->move_off_screen();
    // The segment tables were built with the board.
    form_create_before_skin(device_);
    Load_Skin();
    form_create_after_skin(device_, keys_);
    pads_.load(*store_);
    random_.seed_from_clock();
}

void Program::Load_Skin() {
    SkinEnvironment env;
    env.executable_dir = options_.executable_dir;
    env.current_dir = options_.current_dir;
    env.Fullscreen_Mode = device_.Fullscreen_Mode;
    if (const QScreen* s = QGuiApplication::primaryScreen()) {
        env.screen_width = s->geometry().width();
        env.screen_height = s->geometry().height();
    }
    const SkinLoadResult r = q50::Load_Skin(device_.board, window_model_, env, messages_);
    if (r.terminate_requested) end(1);
    main_window_->refresh();
}

void Program::FormActivate() {
    if (!Splash_Pending) return;
    Splash_Pending = false;
    if (!splash_ || ending_) return;
    splash_->show();
    splash_->raise();
    splash_->activateWindow();
}

void Program::FormClose() {
    if (closed_) return;
    closed_ = true;
    // No timer step may run once the store is given up.
    driver_.stop();
    if (pad_source_) pad_source_->stop();
    sound_.Snd_Close();
}

bool Program::Snd_Init(int mode) {
    if (sound_.Snd_Init(mode)) return true;
    end(1);
    return false;
}

void Program::set_splash_menu_check(bool on) {
    splash_menu_check_ = on;
    if (side_windows_) side_windows_->menu().set_splash_check(on);
}

void Program::centre_main_window() {
    main_window_->centre_on_screen();
}

void Program::start_device() {
    driver_.run([this] {
        device_.Game_State = 0;
        device_.Gam_Set_Mode();
    });
    // The first frame comes first; controllers are looked for as soon as it is on screen, or
    // after half a second if the window system never asks for a paint.
    if (main_window_->painted_once()) {
        start_controllers();
        return;
    }
    main_window_->after_first_paint = [this] { start_controllers(); };
    QTimer::singleShot(500, this, [this] { start_controllers(); });
}

bool Program::accepting_input() const {
    return !ending_ && !driver_.stopped() && main_window_ && main_window_->isEnabled() &&
           main_window_->on_screen();
}

void Program::start_controllers() {
    if (pad_source_ || ending_ || closed_) return;
    pad_source_ = std::make_unique<PadSource>(pad_input_, driver_);
    pad_source_->accepting = [this] { return accepting_input(); };
    pad_input_.on_guide = [this] { toggle_game_menu(); };
    pad_source_->start();
    const QByteArray fifo = qgetenv("Q50_VIRTUAL_PAD");
    if (!fifo.isEmpty() && pad_source_->started())
        virtual_pad_ = std::make_unique<VirtualPadHook>(fifo.toStdString(), *pad_source_);
}

void Program::toggle_game_menu() {
    // The in-game menu exists in fullscreen mode only, as its button does.
    if (!device_.Fullscreen_Mode || !side_windows_) return;
    GameMenu& gm = side_windows_->game_menu();
    gm.Game_Menu_Open = !gm.Game_Menu_Open;
    gm.Vid_Display_Game_Menu();
    main_window_->refresh();
}

} // namespace q50
