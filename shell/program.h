#pragma once
// The program as a whole: its services, the device, the windows in their creation order, the
// way it comes up (main window off screen, FormCreate, the splash gate) and the way it ends.
#include "display/window_model.h"
#include "game/device.h"
#include "game/device_services.h"
#include "input/dispatch.h"
#include "input/keys.h"
#include "input/pad.h"
#include "shell/core/device_target.h"
#include "shell/core/event_printer.h"
#include "shell/core/menu_commands.h"
#include "shell/core/presentation.h"
#include "shell/core/run_recording.h"
#include "shell/core/scratch_store.h"
#include "shell/main_window.h"
#include "shell/main_window_host.h"
#include "shell/message_box.h"
#include "shell/realtime_driver.h"
#include "shell/skin_session.h"
#include "shell/splash_window.h"
#include "sound/sound_output.h"

#include <QObject>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QScreen;

namespace q50 {

struct ProgramOptions {
    // Config.ini is looked up here (the directory of the executable).
    std::filesystem::path executable_dir;
    // Relative picture directories of the skin are resolved against this.
    std::filesystem::path current_dir;
    // The settings store; the per-user file when not given.
    std::unique_ptr<SettingsStore> store;
    MessagePresenter presenter = show_error_box;
    // For a message with a detail (the file and the reason behind it); when not given, see
    // MessageBoxSink.
    DetailedPresenter detailed_presenter;
    // The device's clock in ms (monotonic) and the local time of day in ms since midnight;
    // the real ones when not given.
    std::function<std::int64_t()> clock_ms;
    std::function<std::int64_t()> local_ms_of_day;
    // Where the run's event stream is written, in the trace tool's output format (also
    // Q50_EVENT_LOG=FILE); none when null.
    std::ostream* event_log = nullptr;
    // Where "Record this run" writes; $XDG_DATA_HOME/quendrix50/recordings when empty.
    std::filesystem::path recordings_dir;
    // The delivered data lies in a shared folder of an installation, which is never written.
    bool installed = false;
    // --skin: this run uses the skin in this folder instead of the chosen one.
    std::filesystem::path skin_dir;
    // --fullscreen / --windowed: this run's presentation instead of the stored one.
    std::optional<bool> fullscreen;
    // Asked when a sound output's device cannot be opened.
    SoundQuestion ask_without_sound = ask_go_on_without_sound;
    // Where game controllers appear and where the kernel describes them (/dev/input and
    // /sys/class/input when empty): the tests' own folders.
    std::filesystem::path device_folder, input_class_folder;
};

class SideWindows;
class PadSource;
class VirtualPadHook;

class Program : public QObject, public SplashHost, private MainWindowHost {
    Q_OBJECT
  public:
    explicit Program(ProgramOptions options);
    ~Program() override;

    // Creates the windows in their order (the main window with FormCreate, then the splash
    // window, which may play at once). The caller then runs the message loop unless ending().
    void start();
    // The program has been asked to end (Esc on the splash, an installation failure, a
    // signal); the message loop, if it runs, stops at its next turn.
    bool ending() const { return ending_; }
    int exit_code() const { return exit_code_; }
    // The main window has closed (FormClose): no further window is shown.
    bool closed() const { return closed_; }
    void end(int code);

    void FormCreate();
    void FormActivate();
    // The main window closes: sound released, the store given up, the program ends.
    void FormClose();
    // Runs the skin loader for the current presentation mode and takes its window over; the
    // caller runs it through the driver, whose refresh shows it.
    void Load_Skin();

    // The skin in use, its loads and the watch on its folder.
    SkinSession& skins() { return skins_; }
    const std::filesystem::path& skin_dir() const { return skins_.dir(); }
    const std::string& skin_name() const { return skins_.name(); }
    bool skin_from_command_line() const { return skins_.from_command_line(); }
    bool delivered_skin_read_only() const { return skins_.delivered_read_only(); }
    void use_skin(const std::string& name) { skins_.use(name); }
    void reload_skin() { skins_.reload(); }
    SkinWatcher& skin_watcher() { return skins_.watcher(); }

    bool Splash_Pending = true;

    // The presentation's size: the stored `Zoom` (0 fit, 100..400) of the windowed device
    // and `FullscreenZoom` (0 fit, 100), read at creation.
    int Zoom = 0;
    int FullscreenZoom = 0;
    // The stored `View`: 0 the whole device, 1 the LCD only (display/presenter.h).
    int DeviceView = 0;
    // Stores a new view and shows it at the zoom in use, fitted as the device is.
    void set_view(int view);
    // Store a new zoom and show the device at it (the window keeps its centre and stays on
    // the screen that holds it). A fullscreen zoom reloads the skin for the new screen size.
    // A windowed fixed zoom that does not fit the screen is refused with a notice (false).
    bool set_zoom(int zoom);
    void set_fullscreen_zoom(int zoom);
    // The zoom in view, window pixels per design pixel (1 at 100 %).
    double shown_zoom() const;
    // What fit would give in fullscreen, window pixels per design pixel.
    double fullscreen_fit_zoom() const;
    // The windowed device's scale from the zoom and the screen it is on.
    void apply_windowed_scale();
    // The windowed zooms the screen the window is on can show.
    std::vector<ZoomChoice> windowed_zoom_choices() const;

    Device& device() { return device_; }
    DeviceRandom& random() { return random_; }
    // The device has been switched on (the splash window's Play).
    bool device_on() const { return device_on_; }
    // The computer's time of day, in milliseconds since midnight.
    std::int64_t ms_of_day() const { return clock_.ms_of_day(); }
    // Each segment's picture as the last skin load gave it, for a saved state to put back.
    std::vector<Picture> own_pictures() const;
    // The device went on from a saved state: the run's log no longer leads to it, so the run
    // cannot be recorded until the device is switched on afresh.
    void went_on_from_state() { from_state_ = true; }
    Presentation& presentation() { return presentation_; }
    // A menu command that changes the device or its presentation, run as an input is: the
    // device caught up first, the command noted in the run's log (and the recording), the
    // picture refreshed once after it.
    void run_command(MenuCommand c, bool on, const std::function<void()>& body);
    // A change of a setting or of the board that is no command of a recorded run, run as an
    // input is run: the device caught up first, the picture refreshed once after it.
    void through_driver(const std::function<void()>& change);
    SettingsStore& store() { return *store_; }
    SoundOutput& sound() { return sound_; }
    KeyAssignments& keys() { return keys_; }
    InputDispatch& input() { return input_; }
    PadAssignments& pads() { return pads_; }
    PadDispatch& pad_input() { return pad_input_; }
    // Null until the device is switched on.
    PadSource* pad_source() { return pad_source_.get(); }
    // Whether game input (keys, clicks, controller presses) reaches the device now.
    bool accepting_input() const;

    // Pause: device time, sound and presses stop; a "PAUSED" mark shows over the frame (and a
    // "REPLAY" mark while a recording plays back).
    // `automatic` marks a pause the window's losing focus made (AutoPause), which its
    // regaining focus ends.
    void set_paused(bool on, bool automatic = false);
    bool paused() const { return driver_.paused(); }
    bool auto_pause() const;
    void set_auto_pause(bool on);

    // Volume 0..100 % and mute, applied and stored (Volume, Muted).
    int volume() const { return volume_; }
    bool muted() const { return muted_; }
    void set_volume(int percent);
    // A change of a presentation setting (the LCD look): the picture is refreshed by the
    // driver's route, after the device has been caught up.
    void presentation_changed() { through_driver({}); }
    void set_muted(bool on);
    // Another sound output while the program runs (an entry of the splash window's list).
    void change_sound_output(int mode);
    int sound_mode();

    // Recording the run as a trace script: everything since the device was switched on, then
    // every input as it comes, until stopped. Returns the file, empty when it could not be made.
    std::filesystem::path start_recording();
    void stop_recording();
    bool recording() const { return recorder_.writing(); }
    const RunLog& run_log() const { return recorder_.log(); }
    std::filesystem::path recordings_dir() const;

    // Plays a recording back in the window: the device starts afresh as the recorded run did
    // (its stored values, seed, time of day and presentation, with a store of its own, so the
    // player's high scores and settings stay as they are), and each recorded input and command
    // runs at its device time, in order with the timer steps, as the driver's schedule; the
    // player's input does not reach the device until stop_playing(),
    // which gives the player a freshly switched-on device again. False, with a message, when
    // the file is not a recording (nothing is changed then).
    bool play_recording(const std::filesystem::path& file);
    void stop_playing();
    bool playing() const { return playback_.playing(); }
    // Every recorded line has run (the device plays on until stop_playing()).
    bool playback_finished() const { return playback_.finished(); }
    RealtimeDriver& driver() { return driver_; }
    const WindowModel& window_model() const { return window_model_; }
    TForm1& main_window() { return *main_window_; }
    // The splash window; null when it was switched off (or the start failed before it).
    TSplashForm* splash() { return splash_.get(); }
    bool splash_skipped() const { return splash_skipped_; }
    MessageBoxSink& messages() { return messages_; }
    // The memory that the skin's and the manual's pictures share.
    PictureBudget& picture_budget() { return skins_.budget(); }
    const ProgramOptions& options() const { return options_; }
    // The about window, key dialog, manual and menus (after start()).
    SideWindows* side_windows() { return side_windows_.get(); }
    // The check mark of "Display splash screen at startup" as Play last set it.
    bool splash_menu_check() const { return splash_menu_check_; }

    // SplashHost
    bool Snd_Init(int mode) override;
    void set_splash_menu_check(bool on) override;
    void centre_main_window() override;
    void start_device() override;
    void clear_splash_pending() override { Splash_Pending = false; }
    void quit() override { end(0); }

    // MainWindowHost: what the main window's events mean to the program.
    MainWindowHost& window_host() { return *this; }

    // How often values that could not be stored are tried again.
    static constexpr int kStoreRetryMs = 5000;

  private:
    // MainWindowHost
    bool shortcut_key(QKeyEvent* e) override;
    void context_menu_at(const QPoint& global) override;
    void activated() override { FormActivate(); }
    void active_changed(bool active) override;
    void closing() override;
    void first_frame_shown() override;
    void dragged_to(const QPoint& at) override { remember_place(at); }
    void picture_failed() override { skins_.picture_failed(); }
    void pictures_not_shown(const std::string& text) override;

    bool sound_device_failed(int mode);
    // Values that wait to be stored: tried again, and the player told in a notice.
    void watch_store();
    void tell_store(const QString& text);
    void show_store_notice();
    QTimer store_retry_;
    QString store_notice_;
    // A short notice naming the samples that did not load although the sound output opened.
    void tell_unloaded_samples();
    QScreen* windowed_screen() const;

    ProgramOptions options_;
    MessageBoxSink messages_;
    std::unique_ptr<SettingsStore> store_;
    SoundOutput sound_;
    ToldSound told_sound_{sound_};
    // The device's store: the player's, or a scratch one while a recording plays back.
    ScratchStore scratch_store_{*store_};
    ToldStore told_store_{scratch_store_};
    DeviceRandom random_;
    SystemClock clock_;
    Device device_;
    Presentation presentation_;
    KeyAssignments keys_;
    DeviceTarget target_;
    LoggingTarget logged_target_{target_};
    InputDispatch input_;
    PadAssignments pads_;
    PadDispatch pad_input_;
    RealtimeDriver driver_;
    WindowModel window_model_;
    PixelSize device_size_{498, 770}; // the skin's design size at the last load
    SkinSession skins_{*this, device_.board, window_model_};
    std::unique_ptr<TForm1> main_window_;
    std::unique_ptr<SideWindows> side_windows_;
    std::unique_ptr<TSplashForm> splash_;
    bool form_created_ = false;
    std::unique_ptr<PadSource> pad_source_;
    std::unique_ptr<VirtualPadHook> virtual_pad_;
    void start_controllers();
    void toggle_game_menu();
    void remember_place(const QPoint& at);
    std::optional<QPoint> remembered_place() const;
    bool device_on_ = false;
    bool from_state_ = false;
    // What the device was at the moment it was switched on, to start it afresh from.
    struct FreshSegment {
        bool shown = false;
        std::optional<SegmentId> source;
        Picture picture;
    };
    std::vector<FreshSegment> fresh_board_;
    std::array<std::int32_t, kTimerCount> fresh_intervals_{};
    void remember_fresh_device();
    void remember_fresh_pictures();
    // The part of the board in view (the client, or the LCD's rectangle), design pixels.
    Rect view_area() const;
    void show_mark();
    void reset_device();
    // A new run of the recorder, the device having come on afresh at device time `base`.
    void begin_run_log(std::int64_t ms_of_day, std::int64_t base);
    void switch_presentation(bool fullscreen);
    // The run as it goes (and its file while "Record this run" writes one), and a recording
    // played back.
    RunRecorder recorder_;
    Playback playback_{device_, target_, presentation_};
    bool fullscreen_before_playback_ = false;
    QPoint place_before_playback_;
    // A failed write has ended the recording: the player is told.
    void recording_failed();
    std::unique_ptr<std::ofstream> event_file_;
    std::unique_ptr<EventPrinter> printer_;
    int volume_ = 100;
    bool muted_ = false;
    bool auto_paused_ = false;
    bool splash_menu_check_ = false;
    bool splash_skipped_ = false;
    bool ending_ = false;
    bool closed_ = false;
    int exit_code_ = 0;
};

} // namespace q50
