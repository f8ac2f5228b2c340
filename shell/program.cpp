#include "shell/program.h"

#include "display/skin_loader.h"
#include "shell/core/file_store.h"
#include "shell/core/form_create.h"
#include "shell/core/skin_folders.h"
#include "shell/game_menu.h"
#include "shell/pad_source.h"
#include "shell/side_windows.h"
#include "shell/virtual_pad.h"

#include <cmath>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <iostream>
#include <unistd.h>

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
      pad_input_(target_, pads_), driver_(device_),
      skin_watcher_(std::make_unique<SkinWatcher>([this] { reload_skin(); })) {}

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
    // An option on the command line counts for this run only; nothing is stored.
    if (options_.fullscreen) device_.Fullscreen_Mode = *options_.fullscreen;
    if (!options_.skin_dir.empty()) {
        skin_dir_ = options_.skin_dir;
        command_line_skin_ = true;
    } else if (const auto stored = store_->read_text("Skin"); stored && !stored->empty()) {
        // A chosen skin whose folder has gone leaves the delivered one in use.
        if (const auto skin = find_user_skin(skin_search_path(), *stored)) {
            skin_dir_ = skin->dir;
            skin_name_ = skin->name;
        }
    }
    Zoom = valid_zoom(store_->read_int("Zoom", kZoomFit));
    FullscreenZoom = valid_fullscreen_zoom(store_->read_int("FullscreenZoom", kZoomFit));
    Load_Skin();
    skin_watcher_->watch(skin_dir_);
    form_create_after_skin(device_, keys_);
    pads_.load(*store_);
    random_.seed_from_clock();
    form_created_ = true;
}

void Program::Load_Skin() {
    SkinEnvironment env;
    if (skin_dir_.empty()) {
        env.executable_dir = options_.executable_dir;
        env.current_dir = options_.current_dir;
    } else {
        // A skin folder of its own: its Config.ini and its relative folders are all found there.
        env.executable_dir = env.current_dir = skin_dir_;
    }
    env.Fullscreen_Mode = device_.Fullscreen_Mode;
    double ratio = 1.0;
    if (const QScreen* s = QGuiApplication::primaryScreen()) {
        env.screen_width = s->geometry().width();
        env.screen_height = s->geometry().height();
        ratio = s->devicePixelRatio();
    }
    // The loader lays the device out in design pixels on a screen measured in design pixels
    // at the scale the desktop draws at.
    double fullscreen_scale = ratio;
    const PixelSize screen{env.screen_width, env.screen_height};
    env.screen_for_device = [&](PixelSize device) {
        device_size_ = device;
        fullscreen_scale = fullscreen_total_scale(FullscreenZoom, device, screen, ratio);
        const PixelSize physical{int(std::lround(screen.width * ratio)),
                                 int(std::lround(screen.height * ratio))};
        return screen_in_design(physical, fullscreen_scale);
    };
    const SkinLoadResult r = q50::Load_Skin(device_.board, window_model_, env, messages_);
    // A user skin that cannot be read once the program runs is reported; the program goes on.
    if (r.terminate_requested && (skin_dir_.empty() || !form_created_)) end(1);
    skin_sets_.load(env, device_.board);
    main_window_->set_skin_sets(&skin_sets_);
    if (device_.Fullscreen_Mode)
        main_window_->set_scale(fullscreen_scale, ratio);
    else
        apply_windowed_scale();
    main_window_->refresh();
}

bool Program::delivered_skin_read_only() const {
    if (options_.installed) return true;
    const std::filesystem::path config = options_.executable_dir / "Config.ini";
    return ::access(config.c_str(), W_OK) != 0;
}

void Program::use_skin(const std::string& name) {
    std::filesystem::path dir;
    if (!name.empty()) {
        const auto skin = find_user_skin(skin_search_path(), name);
        if (!skin) return; // gone since the menu listed it
        dir = skin->dir;
    }
    skin_dir_ = dir;
    skin_name_ = name;
    command_line_skin_ = false;
    store_->write_text("Skin", name);
    // As the presentation switch does: off screen, loaded afresh, centred. Shown flags and
    // timers are the device's and stay as they are.
    main_window_->move_off_screen();
    Load_Skin();
    main_window_->centre_on_screen();
    main_window_->refresh();
    skin_watcher_->watch(skin_dir_);
}

void Program::reload_skin() {
    // A message box of a reload runs its own event loop, where the next change may arrive:
    // it is taken up once the box is closed.
    if (reloading_) {
        reload_pending_ = true;
        return;
    }
    reloading_ = true;
    do {
        reload_pending_ = false;
        // An editor that saves by removing and writing anew leaves a moment without the file;
        // the watch reports its return.
        std::error_code ec;
        if (skin_dir_.empty() || !std::filesystem::is_regular_file(skin_dir_ / "Config.ini", ec))
            break;
        Load_Skin();
        main_window_->refresh();
    } while (reload_pending_ && !ending_);
    reloading_ = false;
    skin_watcher_->watch(skin_dir_);
}

void Program::apply_windowed_scale() {
    if (device_.Fullscreen_Mode) return;
    TForm1& w = *main_window_;
    // The screen the window is on: the one holding its centre, the primary one before it is
    // shown.
    QScreen* screen = QGuiApplication::primaryScreen();
    if (w.on_screen())
        if (QScreen* at = QGuiApplication::screenAt(w.geometry().center())) screen = at;
    if (!screen) return;
    const QRect avail = screen->availableGeometry();
    const double ratio = screen->devicePixelRatio();
    const double total =
        windowed_total_scale(Zoom, {window_model_.client_width, window_model_.client_height},
                             {avail.width(), avail.height()}, ratio);
    w.set_scale(total, ratio);
}

double Program::fullscreen_fit_zoom() const {
    const QScreen* s = QGuiApplication::primaryScreen();
    if (!s) return 1.0;
    const double ratio = s->devicePixelRatio();
    const QSize g = s->geometry().size();
    return fullscreen_total_scale(kZoomFit, device_size_, {g.width(), g.height()}, ratio) / ratio;
}

double Program::shown_zoom() const {
    return main_window_ ? main_window_->view_scale() : 1.0;
}

void Program::set_zoom(int zoom) {
    Zoom = valid_zoom(zoom);
    store_->write_int("Zoom", Zoom);
    if (device_.Fullscreen_Mode) return; // shown when the device is windowed again
    TForm1& w = *main_window_;
    const QPoint centre = w.geometry().center();
    apply_windowed_scale();
    w.refresh();
    if (w.on_screen()) w.keep_on_screen(centre);
}

void Program::set_fullscreen_zoom(int zoom) {
    FullscreenZoom = valid_fullscreen_zoom(zoom);
    store_->write_int("FullscreenZoom", FullscreenZoom);
    if (!device_.Fullscreen_Mode) return;
    // The loader's screen in design pixels changes with the scale: lay the skin out anew.
    Load_Skin();
    if (main_window_->on_screen()) main_window_->centre_on_screen();
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
    // The sound folder's message has been shown; a missing device is asked about instead.
    if (!sound_.device_error().empty() && sound_device_failed(mode)) return true;
    end(1);
    return false;
}

// True when the user goes on without sound.
bool Program::sound_device_failed(int mode) {
    const std::string_view entry = kSoundOutputEntries[std::size_t(mode)];
    const std::string& reason = sound_.device_error();
    std::cerr << "quendrix50: the sound output \"" << entry << "\" could not be opened: " << reason
              << '\n';
    const QString text =
        QStringLiteral("The sound output \"%1\" could not be opened.\n\n%2\n\n"
                       "The game's sound files are not the cause. Go on without sound, or end "
                       "the program?")
            .arg(QString::fromLatin1(entry.data(), qsizetype(entry.size())),
                 QString::fromStdString(reason));
    if (!options_.ask_without_sound || !options_.ask_without_sound(main_window_.get(), text))
        return false;
    // As if "(no sound)" had been chosen: stored as such, so the next start is silent too.
    return sound_.Snd_Init(kSoundModeNone);
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
