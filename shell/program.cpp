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

#include <algorithm>

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
    main_window_->on_dragged = [this](const QPoint& at) { remember_place(at); };
    main_window_->on_active_changed = [this](bool active) { active_changed(active); };
    main_window_->on_close = [this] {
        FormClose();
        end(exit_code_);
    };
    messages_.set_parent(main_window_.get());
    FormCreate();
    // A failed installation ends here: no further window is made.
    if (ending_) return;

    side_windows_ = std::make_unique<SideWindows>(*this);
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
    volume_ = std::clamp(store_->read_int("Volume", 100), 0, 100);
    muted_ = store_->read_bool("Muted", false);
    sound_.set_volume(volume_, muted_);
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
    const std::optional<QPoint> place = remembered_place();
    main_window_->centre_on_screen(place ? &*place : nullptr);
}

void Program::remember_place(const QPoint& at) {
    store_->write_int("WindowLeft", at.x());
    store_->write_int("WindowTop", at.y());
}

std::optional<QPoint> Program::remembered_place() const {
    const auto left = store_->read_text("WindowLeft");
    const auto top = store_->read_text("WindowTop");
    if (!left || !top) return std::nullopt;
    const auto x = parse_stored_int(*left);
    const auto y = parse_stored_int(*top);
    if (!x || !y) return std::nullopt;
    // Still on a screen: the device's middle lies on one of them (a screen since unplugged, or
    // a smaller resolution, would leave it out of reach).
    const QPoint middle(*x + window_model_.client_width / 2, *y + window_model_.client_height / 2);
    for (const QScreen* s : QGuiApplication::screens())
        if (s->geometry().contains(middle)) return QPoint(*x, *y);
    return std::nullopt;
}

void Program::set_paused(bool on, bool automatic) {
    if (on == paused() || driver_.stopped()) return;
    auto_paused_ = on && automatic;
    if (on) {
        driver_.pause();
    } else {
        driver_.resume();
        // The clock shows the time of day as it is now, not as it was when the pause began.
        if (device_.Game_State == 4) driver_.run([this] { device_.Timer_ClockTimer(); });
    }
    sound_.pause(on);
    input_.set_presses_enabled(!on);
    main_window_->set_mark(on ? QStringLiteral("PAUSED") : QString());
}

bool Program::auto_pause() const {
    return store_->read_bool("AutoPause", false);
}

void Program::set_auto_pause(bool on) {
    store_->write_bool("AutoPause", on);
}

void Program::active_changed(bool active) {
    if (!main_window_->on_screen()) return;
    if (!active && !paused() && auto_pause()) set_paused(true, true);
    if (active && paused() && auto_paused_) set_paused(false);
}

void Program::set_volume(int percent) {
    volume_ = std::clamp(percent, 0, 100);
    store_->write_int("Volume", volume_);
    sound_.set_volume(volume_, muted_);
}

void Program::set_muted(bool on) {
    muted_ = on;
    store_->write_bool("Muted", on);
    sound_.set_volume(volume_, muted_);
}

int Program::sound_mode() {
    return store_->read_int("SoundMode", kSoundModeNotChosen);
}

void Program::change_sound_output(int mode) {
    // A failure shows its message and leaves the program running without sound; the store
    // then asks for an output at the next start, as after a failed start.
    sound_.Snd_Close();
    sound_.Snd_Init(mode);
}

void Program::start_device() {
    driver_.run([this] {
        device_.Game_State = 0;
        device_.Gam_Set_Mode();
    });
    start_controllers();
}

bool Program::accepting_input() const {
    return !ending_ && !driver_.paused() && !driver_.stopped() && main_window_ &&
           main_window_->isEnabled() && main_window_->on_screen();
}

void Program::start_controllers() {
    if (pad_source_) return;
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
