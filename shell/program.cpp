#include "shell/program.h"

#include "board/render_ops.h"
#include "display/painter.h"
#include "display/skin_loader.h"
#include "host/setting_names.h"
#include "shell/core/file_store.h"
#include "shell/core/form_create.h"
#include "shell/game_menu.h"
#include "shell/notice.h"
#include "shell/pad_source.h"
#include "shell/side_windows.h"
#include "shell/state_rows.h"
#include "shell/virtual_pad.h"
#include "shell/window_pictures.h"
#include "shell/window_scale.h"

#include <cmath>

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <iostream>

namespace q50 {

namespace {

std::unique_ptr<SettingsStore> open_store(std::unique_ptr<SettingsStore> given) {
    if (given) return given;
    return std::make_unique<FileStore>(FileStore::default_path());
}

} // namespace

Program::Program(ProgramOptions options)
    : options_(std::move(options)), messages_(options_.presenter, options_.detailed_presenter),
      store_(open_store(std::move(options_.store))), sound_(*store_, messages_),
      device_(Services{told_sound_, told_store_, random_, clock_}),
      target_(device_, &presentation_), input_(logged_target_, keys_),
      pad_input_(logged_target_, pads_), driver_(device_, options_.clock_ms) {
    clock_.source = options_.local_ms_of_day;
    watch_store();
    logged_target_.on_action = [this](ButtonAction a) { recorder_.action(device_.now(), a); };
    logged_target_.passes = [this] { return !playing(); };
    playback_.drive(driver_);
    playback_.on_fullscreen = [this](bool on) { switch_presentation(on); };
    recorder_.on_file_failed = [this] { recording_failed(); };
    // A stall the driver caught up from is the run's, as an input is: its replay needs it. A
    // playback's own stalls are not (its lines say what the recorded run did).
    driver_.on_stall = [this](const Stall& s) {
        if (device_on_ && !playing()) recorder_.stall(s);
    };
    std::ostream* events = options_.event_log;
    const QByteArray event_file = qgetenv("Q50_EVENT_LOG");
    if (!events && !event_file.isEmpty()) {
        event_file_ = std::make_unique<std::ofstream>(event_file.toStdString());
        // Each line reaches the file as it happens, so a test (or a player's `tail -f`) can
        // follow the device while it runs.
        event_file_->setf(std::ios::unitbuf);
        if (*event_file_) events = event_file_.get();
    }
    if (events) {
        printer_ = std::make_unique<EventPrinter>(*events, device_);
        printer_->attach();
        told_sound_.told = [this](std::string_view what) { printer_->sound(what); };
        told_store_.told = [this](const std::string& name, const std::string& text) {
            printer_->stored(name, text);
        };
    }
}

Program::~Program() {
    // Whichever way the loop ended (the menu's Exit, a signal), the sound device is let go.
    FormClose();
    virtual_pad_.reset();
    pad_source_.reset();
    device_.board.set_observer(nullptr);
    device_.on_set_mode = nullptr;
    splash_.reset();
    side_windows_.reset();
    main_window_.reset();
}

void Program::watch_store() {
    auto* file = dynamic_cast<FileStore*>(store_.get());
    if (!file) return;
    // A full disk, a read-only folder, a lock held by a stuck copy: what could not be stored
    // waits, and is tried again now and then as well as with every write.
    store_retry_.setInterval(kStoreRetryMs);
    connect(&store_retry_, &QTimer::timeout, this, [file] { file->retry(); });
    file->on_not_saved = [this](const std::string& name, const std::string& why) {
        store_retry_.start();
        // The reason in its parentheses when it has them ("No space left on device").
        std::string reason = why;
        if (const auto open = why.rfind('('); open != std::string::npos && why.back() == ')')
            reason = why.substr(open + 1, why.size() - open - 2);
        const bool score = name.rfind("HiScore", 0) == 0;
        tell_store(QStringLiteral("%1 not saved yet: %2")
                       .arg(score ? QStringLiteral("High score") : QStringLiteral("Setting"),
                            QString::fromStdString(reason)));
    };
    file->on_saved = [this] {
        store_retry_.stop();
        tell_store(QStringLiteral("Settings and high scores saved"));
    };
}

void Program::tell_store(const QString& text) {
    // Shown once the window it lies over is on the screen (a start writes before that), and
    // never from inside the step that wrote.
    store_notice_ = text;
    QTimer::singleShot(0, this, [this] { show_store_notice(); });
}

void Program::show_store_notice() {
    if (store_notice_.isEmpty() || closed_ || !main_window_) return;
    if (!main_window_->on_screen()) {
        QTimer::singleShot(250, this, [this] { show_store_notice(); });
        return;
    }
    show_notice(*main_window_, store_notice_);
    store_notice_.clear();
}

void Program::end(int code) {
    if (!ending_) exit_code_ = code;
    ending_ = true;
    // Like a quit request: the loop ends when control returns to it.
    QTimer::singleShot(0, qApp, [c = exit_code_] { QCoreApplication::exit(c); });
}

void Program::start() {
    // From the program's own picture, so that the windows carry it wherever the program runs
    // from (the desktop entry's icon is only found for an installed copy).
    if (QGuiApplication::windowIcon().isNull())
        QGuiApplication::setWindowIcon(QIcon(window_picture(QStringLiteral("app_icon.png"))));
    main_window_ = std::make_unique<TForm1>(device_.board, window_model_, input_, driver_);
    main_window_->set_waiting_pictures(&skins_.waiting());
    main_window_->set_picture_names(&skins_.budget());
    main_window_->set_host(this);
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
    // As large as the device will be, where the desktop does not scale the windows itself.
    if (!splash_->skipped()) splash_->set_scale(side_window_factor(*main_window_));
    if (!splash_->skipped()) splash_->show();
    // The main window is not mapped while it is off screen, so its first activation is the
    // message loop's first turn.
    QTimer::singleShot(0, this, [this] { FormActivate(); });
}

bool Program::shortcut_key(QKeyEvent* e) {
    return side_windows_ && side_windows_->shortcut_key(e);
}

void Program::context_menu_at(const QPoint& global) {
    if (side_windows_) side_windows_->menu().popup_at(global);
}

void Program::closing() {
    FormClose();
    end(exit_code_);
}

void Program::first_frame_shown() {
    // Before the switch-on, start_device() finds the frame painted and starts them itself.
    if (device_on_) start_controllers();
}

void Program::pictures_not_shown(const std::string& text) {
    // Told once the paint that found them is over: a box must not open inside a paint.
    QTimer::singleShot(0, this, [this, text] { messages_.error(text); });
}

void Program::FormCreate() {
    // The window has no title bar; its title is what the window system shows for the program.
    main_window_->setWindowTitle(QString::fromLatin1(kProductTitle));
    main_window_->move_off_screen();
    // The segment tables were built with the board.
    form_create(device_, presentation_, keys_, [this] {
        // An option on the command line counts for this run only; nothing is stored.
        if (options_.fullscreen) presentation_.Fullscreen_Mode = *options_.fullscreen;
        skins_.choose(options_.skin_dir);
        Zoom = valid_zoom(store_->read_int(setting::Zoom, kZoomFit));
        FullscreenZoom = valid_fullscreen_zoom(store_->read_int(setting::FullscreenZoom, kZoomFit));
        DeviceView = int(valid_view(store_->read_int(setting::View, int(View::Device))));
        main_window_->presenter().set_view(View(DeviceView));
        through_driver([this] { Load_Skin(); });
        skins_.watch();
    });
    pads_.load(*store_);
    volume_ = std::clamp(store_->read_int(setting::Volume, 100), 0, 100);
    muted_ = store_->read_bool(setting::Muted, false);
    sound_.set_volume(volume_, muted_);
    random_.seed_from_clock();
    form_created_ = true;
}

void Program::Load_Skin() {
    SkinEnvironment env;
    env.Fullscreen_Mode = presentation_.Fullscreen_Mode;
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
    // At fit, the whole scale above it when only see-through margins would leave the screen:
    // the device pixel for pixel, nothing resampled (1024x768 cuts two clear rows of 770).
    double snap_scale = 0;
    env.snapped_screen_for_device = [&](PixelSize device) -> std::optional<PixelSize> {
        if (FullscreenZoom != kZoomFit) return std::nullopt;
        const PixelSize physical{int(std::lround(screen.width * ratio)),
                                 int(std::lround(screen.height * ratio))};
        snap_scale = fullscreen_snap_scale(device, physical);
        if (snap_scale <= 0) return std::nullopt;
        return screen_in_design(physical, snap_scale);
    };
    skins_.load(env, [&](const SkinLoadResult& r) {
        if (r.snapped) fullscreen_scale = snap_scale;
        // The LCD alone fills the screen by its own size; the loader still lays the whole
        // device out, as the whole device would be shown.
        const double device_scale = fullscreen_scale;
        if (const Rect lcd = view_area();
            !(lcd.width == window_model_.client_width && lcd.height == window_model_.client_height))
            fullscreen_scale =
                fullscreen_total_scale(FullscreenZoom, {lcd.width, lcd.height}, screen, ratio);
        // A user skin that cannot be read once the program runs is reported; the program goes
        // on.
        if (r.terminate_requested && (skin_dir().empty() || !form_created_)) end(1);
        // Shown at its design size, a stretched backdrop is drawn as one picture of the
        // window's size: that is all that is kept of it. At a scale the decorations are
        // resampled from the decoded picture and its larger drawings, so it stays as it was
        // read.
        if (presentation_.Fullscreen_Mode && device_scale == 1.0 && ratio == 1.0)
            keep_backdrop_as_drawn(device_.board, window_model_);
        // A device started afresh later (a playback) must show this skin's pictures, not the
        // ones it had at switch-on.
        remember_fresh_pictures();
    });
    if (presentation_.Fullscreen_Mode)
        main_window_->set_scale(fullscreen_scale, ratio);
    else
        apply_windowed_scale();
}

QScreen* Program::windowed_screen() const {
    // The one holding the window's centre, the primary one before it is shown.
    QScreen* screen = QGuiApplication::primaryScreen();
    const TForm1& w = *main_window_;
    if (w.on_screen())
        if (QScreen* at = QGuiApplication::screenAt(w.geometry().center())) screen = at;
    return screen;
}

void Program::apply_windowed_scale() {
    if (presentation_.Fullscreen_Mode) return;
    const QScreen* screen = windowed_screen();
    if (!screen) return;
    const QRect avail = screen->availableGeometry();
    const double ratio = screen->devicePixelRatio();
    const Rect shown = view_area();
    const double total = windowed_total_scale(Zoom, {shown.width, shown.height},
                                              {avail.width(), avail.height()}, ratio);
    main_window_->set_scale(total, ratio);
}

std::vector<ZoomChoice> Program::windowed_zoom_choices() const {
    const QScreen* screen = windowed_screen();
    if (!screen) return {};
    const QRect avail = screen->availableGeometry();
    // In fullscreen the window is the screen; the device is the skin's design size. The LCD
    // alone is fitted by its own size.
    const Rect shown = view_area();
    const PixelSize device =
        presentation_.Fullscreen_Mode ? device_size_ : PixelSize{shown.width, shown.height};
    return q50::windowed_zoom_choices(device, {avail.width(), avail.height()},
                                      screen->devicePixelRatio());
}

double Program::fullscreen_fit_zoom() const {
    const QScreen* s = QGuiApplication::primaryScreen();
    if (!s) return 1.0;
    const double ratio = s->devicePixelRatio();
    const QSize g = s->geometry().size();
    const Rect shown = view_area();
    const PixelSize size =
        View(DeviceView) == View::Lcd ? PixelSize{shown.width, shown.height} : device_size_;
    return fullscreen_total_scale(kZoomFit, size, {g.width(), g.height()}, ratio) / ratio;
}

Rect Program::view_area() const {
    return main_window_->presenter().view_area();
}

void Program::set_view(int view) {
    DeviceView = int(valid_view(view));
    store_->write_int(setting::View, DeviceView);
    main_window_->presenter().set_view(View(DeviceView));
    if (presentation_.Fullscreen_Mode) {
        // The scale that fits comes with the skin's layout for the screen.
        through_driver([this] { Load_Skin(); });
        if (main_window_->on_screen()) main_window_->centre_on_screen();
        return;
    }
    TForm1& w = *main_window_;
    const QPoint centre = w.pos() + QPoint(w.width() / 2, w.height() / 2);
    through_driver([this] { apply_windowed_scale(); });
    if (w.on_screen()) w.keep_on_screen(centre);
}

double Program::shown_zoom() const {
    return main_window_ ? main_window_->view_scale() : 1.0;
}

bool Program::set_zoom(int zoom) {
    zoom = valid_zoom(zoom);
    if (zoom != kZoomFit) {
        const std::vector<ZoomChoice> choices = windowed_zoom_choices();
        const bool fits = std::any_of(choices.begin(), choices.end(),
                                      [zoom](const ZoomChoice& c) { return c.zoom == zoom; });
        if (!fits) {
            // Kept as it was, and the player told why: a window larger than the screen would
            // put the device's buttons out of reach.
            show_notice(*main_window_, QStringLiteral("%1 % does not fit on this screen; the "
                                                      "zoom stays as it was")
                                           .arg(zoom));
            return false;
        }
    }
    Zoom = zoom;
    store_->write_int(setting::Zoom, Zoom);
    if (presentation_.Fullscreen_Mode) return true; // shown when the device is windowed again
    TForm1& w = *main_window_;
    const double before = w.scale();
    // The exact middle: QRect::center() lies half a pixel up and left of it, and a window put
    // back around it crept by a pixel with every step.
    const QPoint centre = w.pos() + QPoint(w.width() / 2, w.height() / 2);
    through_driver([this] { apply_windowed_scale(); });
    if (w.on_screen() && w.scale() != before) w.keep_on_screen(centre);
    return true;
}

void Program::set_fullscreen_zoom(int zoom) {
    FullscreenZoom = valid_fullscreen_zoom(zoom);
    store_->write_int(setting::FullscreenZoom, FullscreenZoom);
    if (!presentation_.Fullscreen_Mode) return;
    // The loader's screen in design pixels changes with the scale: lay the skin out anew.
    through_driver([this] { Load_Skin(); });
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
    if (side_windows_) side_windows_->states().program_closing();
    stop_recording();
    // A last try for what still waits to be stored.
    store_retry_.stop();
    if (auto* file = dynamic_cast<FileStore*>(store_.get())) file->retry();
    // No timer step may run once the store is given up.
    driver_.stop();
    if (pad_source_) pad_source_->stop();
    sound_.Snd_Close();
}

bool Program::Snd_Init(int mode) {
    if (sound_.Snd_Init(mode)) {
        tell_unloaded_samples();
        return true;
    }
    // The sound folder's message has been shown; a missing device is asked about instead.
    if (!sound_.device_error().empty() && sound_device_failed(mode)) return true;
    end(1);
    return false;
}

void Program::tell_unloaded_samples() {
    QStringList names;
    for (Sample s : sound_.unloaded_samples())
        names << QString::fromStdString(sample_file(s)).section(QLatin1Char('/'), -1);
    if (names.isEmpty()) return;
    // Standard error has each file's reason; the game goes on without these sounds. Shown
    // once the window that it lies over has its place.
    const QString text =
        QStringLiteral("Not heard (could not be loaded): %1").arg(names.join(", "));
    QTimer::singleShot(0, this, [this, text] {
        if (main_window_ && !closed_) show_notice(*main_window_, text);
    });
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
    const std::optional<QPoint> place = remembered_place();
    main_window_->centre_on_screen(place ? &*place : nullptr);
}

void Program::remember_place(const QPoint& at) {
    store_->write_int(setting::WindowLeft, at.x());
    store_->write_int(setting::WindowTop, at.y());
}

std::optional<QPoint> Program::remembered_place() const {
    const auto left = store_->read_text(setting::WindowLeft);
    const auto top = store_->read_text(setting::WindowTop);
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

void Program::through_driver(const std::function<void()>& change) {
    // Before the device is switched on its time has not begun: nothing to catch up.
    if (!device_on_ || driver_.stopped()) {
        if (change) change();
        if (main_window_) main_window_->refresh();
        return;
    }
    driver_.run(change);
}

void Program::run_command(MenuCommand c, bool on, const std::function<void()>& body) {
    through_driver([&] {
        if (device_on_) recorder_.command(device_.now(), menu_command_text(c, on));
        body();
    });
}

void Program::set_paused(bool on, bool automatic) {
    if (on == paused() || driver_.stopped()) return;
    auto_paused_ = on && automatic;
    if (on) {
        driver_.pause();
        recorder_.pause(device_.now());
    } else {
        driver_.resume();
        // The time of day went on meanwhile: a replay moves its own on by as much.
        recorder_.resume(device_.now(), driver_.last_pause_ms());
        // The clock shows the time of day as it is now, not as it was when the pause began.
        if (device_.Game_State == 4) driver_.run([this] { device_.Timer_ClockTimer(); });
    }
    sound_.pause(on);
    input_.set_presses_enabled(!on);
    show_mark();
}

void Program::show_mark() {
    // A playback ignores the player's keys: the mark says why nothing answers them.
    main_window_->set_mark(paused()    ? QStringLiteral("PAUSED")
                           : playing() ? QStringLiteral("REPLAY")
                                       : QString());
}

bool Program::auto_pause() const {
    return store_->read_bool(setting::AutoPause, false);
}

void Program::set_auto_pause(bool on) {
    through_driver([this, on] { store_->write_bool(setting::AutoPause, on); });
}

void Program::active_changed(bool active) {
    if (!main_window_->on_screen()) return;
    if (!active && !paused() && auto_pause()) set_paused(true, true);
    if (active && paused() && auto_paused_) set_paused(false);
}

void Program::set_volume(int percent) {
    volume_ = std::clamp(percent, 0, 100);
    store_->write_int(setting::Volume, volume_);
    // Sounds due before now play at the volume they were due at.
    through_driver([this] { sound_.set_volume(volume_, muted_); });
}

void Program::set_muted(bool on) {
    muted_ = on;
    store_->write_bool(setting::Muted, on);
    through_driver([this] { sound_.set_volume(volume_, muted_); });
}

int Program::sound_mode() {
    return store_->read_int(setting::SoundMode, kSoundModeNotChosen);
}

void Program::change_sound_output(int mode) {
    // A failure shows its message and leaves the program running without sound; the store
    // then asks for an output at the next start, as after a failed start. The sounds of the
    // steps due before now go to the output they were due on.
    bool failed = false;
    through_driver([&] {
        sound_.Snd_Close();
        failed = !sound_.Snd_Init(mode) && !sound_.device_error().empty();
    });
    // Shown once the driver is done: the box's own event loop runs the device on meanwhile.
    if (!failed) {
        tell_unloaded_samples();
        return;
    }
    const std::string_view entry = kSoundOutputEntries[std::size_t(mode)];
    messages_.error("The sound output \"" + std::string(entry) + "\" could not be opened.\n\n" +
                    sound_.device_error() + "\n\nThe game goes on without sound.");
}

void Program::start_device() {
    device_on_ = true;
    remember_fresh_device();
    // Device time 0 is now, and the time of day is read at it: the mode is set at 0 and the
    // clock counts from the recorded time of day, as a replay of the run does.
    driver_.start_at_zero([this] {
        begin_run_log(clock_.ms_of_day(), 0);
        device_.power_on();
    });
    if (side_windows_) side_windows_->states().offer_resume();
    // The first frame comes first; controllers are looked for as soon as it is on screen, or
    // after half a second if the window system never asks for a paint.
    if (main_window_->painted_once()) {
        start_controllers();
        return;
    }
    QTimer::singleShot(500, this, [this] { start_controllers(); });
}

void Program::begin_run_log(std::int64_t ms_of_day, std::int64_t base) {
    RunStart start;
    start.ms_of_day = ms_of_day;
    start.store = run_start_values(*store_);
    start.seed = random_.last_seed();
    start.fullscreen = presentation_.Fullscreen_Mode;
    std::error_code ec;
    const std::filesystem::path skin = skin_dir().empty() ? options_.executable_dir : skin_dir();
    start.skin = std::filesystem::absolute(skin, ec).lexically_normal().string();
    if (ec) start.skin.clear();
    recorder_.begin(std::move(start), base);
}

void Program::remember_fresh_device() {
    fresh_board_.clear();
    for (const Segment& s : device_.board.segments())
        fresh_board_.push_back({s.shown, s.picture_source, s.picture});
    for (int i = 0; i < kTimerCount; ++i)
        fresh_intervals_[std::size_t(i)] = device_.timers.interval(TimerId(i));
}

std::vector<Picture> Program::own_pictures() const {
    std::vector<Picture> out;
    for (const FreshSegment& f : fresh_board_) out.push_back(f.picture);
    return out;
}

void Program::remember_fresh_pictures() {
    const auto& segments = device_.board.segments();
    for (std::size_t i = 0; i < fresh_board_.size() && i < segments.size(); ++i)
        if (!segments[i].picture_source && segments[i].picture)
            fresh_board_[i].picture = segments[i].picture;
}

void Program::reset_device() {
    device_.Gam_Stop_All_Timers();
    for (int i = 0; i < kTimerCount; ++i)
        device_.timers.set_interval(TimerId(i), fresh_intervals_[std::size_t(i)]);
    for (const VariableRef& v : device_.variables()) {
        if (v.flag) *v.flag = false;
        if (v.integer) *v.integer = 0;
    }
    device_.Enemy_Flame.fill(0);
    Board& b = device_.board;
    for (std::size_t i = 0; i < fresh_board_.size() && i < b.segments().size(); ++i) {
        Segment& s = b.segments()[i];
        const FreshSegment& f = fresh_board_[i];
        // The switch-on may have been in the other presentation.
        if (presentation_segment(s.name)) continue;
        // A picture of its own may have been cleared or replaced since (the movement pad
        // shows none after a step), not only copied.
        if (s.picture_source != f.source || (!f.source && f.picture && s.picture != f.picture)) {
            if (f.source)
                b.copy_picture(s, b.get(*f.source));
            else
                b.set_picture(s, f.picture);
        }
        b.set_shown(s, f.shown);
    }
    // As the main window's creation reads them, from the store the device now uses.
    presentation_.Ctrlr_Overlay = device_.store().read_bool(setting::CtrlrOverlay, true);
    Vid_Display_Ctrl_Overlay(b, presentation_.Ctrlr_Overlay);
    device_.Hi_Score_A = device_.store().read_int(setting::HiScore1, 0);
    device_.Hi_Score_B = device_.store().read_int(setting::HiScore2, 0);
}

void Program::switch_presentation(bool fullscreen) {
    if (presentation_.Fullscreen_Mode == fullscreen || !side_windows_) return;
    side_windows_->menu().run(10);
}

bool Program::play_recording(const std::filesystem::path& file) {
    if (!device_on_ || driver_.stopped()) return false;
    RecordingRead read = read_recording(file);
    if (!read.recording) {
        messages_.error("The file " + file.string() +
                        " cannot be played as a recording: " + read.error + ".");
        return false;
    }
    if (playing()) stop_playing();
    stop_recording();
    set_paused(false);
    playback_.load(std::move(*read.recording));
    const RunStart& start = playback_.recording().start;
    fullscreen_before_playback_ = presentation_.Fullscreen_Mode;
    place_before_playback_ = main_window_->place();
    scratch_store_.begin(start.store);
    // The recorded run's presentation; the switch writes only to the playback's store.
    switch_presentation(start.fullscreen);
    random_.seed(start.seed);
    clock_.source = [this] { return playback_.ms_of_day(device_.now()); };
    driver_.run([this] {
        // From here on the recorded lines are the driver's to run, each at its own time; the
        // recorded time of day counts from here as the device comes on.
        playback_.start(device_.now());
        reset_device();
        device_.power_on();
    });
    show_mark();
    driver_.poll();
    return true;
}

void Program::stop_playing() {
    if (!playing()) return;
    playback_.stop();
    show_mark();
    // Switched back while the playback's store still takes the write, to where the player
    // had the window (the recording's own switches centred it).
    switch_presentation(fullscreen_before_playback_);
    if (!presentation_.Fullscreen_Mode) main_window_->centre_on_screen(&place_before_playback_);
    scratch_store_.end();
    clock_.source = options_.local_ms_of_day;
    from_state_ = false;
    // The player's own device, switched on afresh.
    random_.seed_from_clock();
    driver_.run([this] {
        reset_device();
        begin_run_log(clock_.ms_of_day(), device_.now());
        device_.power_on();
    });
}

std::filesystem::path Program::recordings_dir() const {
    if (!options_.recordings_dir.empty()) return options_.recordings_dir;
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    std::filesystem::path base =
        data.isEmpty() ? std::filesystem::path() : std::filesystem::path(data.toStdString());
    if (!base.is_absolute())
        base = std::filesystem::path(qgetenv("HOME").toStdString()) / ".local/share";
    return base / "quendrix50" / "recordings";
}

std::filesystem::path Program::start_recording() {
    if (recorder_.writing()) return {};
    if (from_state_) {
        messages_.error("This run went on from a saved state, which a recording cannot hold: "
                        "a recording replays the run from the moment the device was switched "
                        "on. Nothing is recorded; the next start (or the end of a playback) "
                        "begins a run that can be.");
        return {};
    }
    const std::filesystem::path dir = recordings_dir();
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    std::filesystem::path file = dir / ("run-" + stamp.toStdString() + ".script");
    for (int n = 2; std::filesystem::exists(file, ec); ++n)
        file = dir / ("run-" + stamp.toStdString() + "-" + std::to_string(n) + ".script");
    if (!recorder_.create_file(file)) {
        messages_.error("The recording could not be written to " + file.string() + ": " +
                        recorder_.file().error() + ".");
        return {};
    }
    const std::string comment = "A run of Quendrix50, recorded " +
                                QDateTime::currentDateTime().toString(Qt::ISODate).toStdString() +
                                "; replay it with quendrix-trace < this file";
    if (!recorder_.write_so_far(comment)) return {};
    return file;
}

void Program::recording_failed() {
    // Told once: the writer is closed now, so nothing more is written or reported.
    const RecordingWriter& f = recorder_.file();
    const std::string text =
        f.written() == 0
            ? "The recording could not be written to " + f.file().string() + ": " + f.error() +
                  ". Nothing is recorded; no file was left."
            : "The recording " + f.file().string() + " could not be written further: " + f.error() +
                  ". Recording has stopped; the file holds the run up to this moment.";
    std::cerr << "quendrix50: " << text << '\n';
    if (side_windows_) side_windows_->comfort().refresh();
    // Not in the middle of the input that wrote the line (a message box runs a loop of its
    // own); and the program that is closing shows no more windows.
    if (!closed_) QTimer::singleShot(0, this, [this, text] { messages_.error(text); });
}

void Program::stop_recording() {
    if (recorder_.writing()) recorder_.end_file(driver_.clock_ms());
}

bool Program::accepting_input() const {
    // A modal window (the file chooser, a message box) or an open menu takes the keys; the
    // controller's presses are kept from the game there as well.
    return !ending_ && !playing() && !driver_.paused() && !driver_.stopped() && main_window_ &&
           main_window_->isEnabled() && main_window_->on_screen() &&
           !QApplication::activeModalWidget() && !QApplication::activePopupWidget();
}

void Program::start_controllers() {
    if (pad_source_ || ending_ || closed_) return;
    pad_source_ = std::make_unique<PadSource>(pad_input_, driver_);
    pad_source_->accepting = [this] { return accepting_input(); };
    // While the key dialog is open, a controller's presses are the dialog's. A dialog never
    // made is not open: the first press must not wait for it to be made.
    pad_source_->capture = [this](PadButton b) {
        return side_windows_ && side_windows_->keys_dialog_made() &&
               side_windows_->keys_dialog().take_pad_button(b);
    };
    pad_input_.on_guide = [this] { toggle_game_menu(); };
    if (!options_.device_folder.empty())
        pad_source_->set_device_folder(QString::fromStdString(options_.device_folder.string()));
    if (!options_.input_class_folder.empty())
        pad_source_->set_input_class_folder(
            QString::fromStdString(options_.input_class_folder.string()));
    // SDL is loaded once a controller can be there; the end-to-end tests' virtual controller
    // needs it at once.
    const QByteArray fifo = qgetenv("Q50_VIRTUAL_PAD");
    if (fifo.isEmpty()) {
        pad_source_->arm();
        return;
    }
    if (pad_source_->start())
        virtual_pad_ = std::make_unique<VirtualPadHook>(fifo.toStdString(), *pad_source_);
}

void Program::toggle_game_menu() {
    // The in-game menu exists in fullscreen mode only, as its button does.
    if (!presentation_.Fullscreen_Mode || !side_windows_) return;
    GameMenu& gm = side_windows_->game_menu();
    gm.Game_Menu_Open = !gm.Game_Menu_Open;
    gm.Vid_Display_Game_Menu();
}

} // namespace q50
