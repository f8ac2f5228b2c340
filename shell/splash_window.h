#pragma once
// The gate between program start and play: the title, the sound output choice, Play.
#include "host/settings_store.h"

#include <QUrl>
#include <QWidget>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;

namespace q50 {

// What Play does outside the splash window.
class SplashHost {
  public:
    virtual ~SplashHost() = default;
    // Starts the chosen output (0, 1, 2); false after the sound-folder failure.
    virtual bool Snd_Init(int mode) = 0;
    // The check mark of the main window's "Display splash screen at startup".
    virtual void set_splash_menu_check(bool on) = 0;
    virtual void centre_main_window() = 0;
    // Game_State 0 and Gam_Set_Mode: the closed device.
    virtual void start_device() = 0;
    virtual void clear_splash_pending() = 0;
    // Esc: the application ends after the current event.
    virtual void quit() = 0;
};

inline constexpr const char* kProductTitle = "Quendrix50";
inline constexpr const char* kVersionLine = "Version 5.01 * Graphic improvements *";
inline constexpr const char* kReleaseLine = "Released by the Quendrix50 developers, 2026";

// The Play action: starts the chosen sound output, stores the check box's state and gives it
// to the menu, brings the device onto the screen. False when the sound folder failed (the
// program is then ending).
bool splash_play(SettingsStore& store, SplashHost& host, int sound_mode, bool box_ticked);

class TSplashForm : public QWidget {
    Q_OBJECT
  public:
    // The stored sound output when one was chosen and the splash window is switched off: the
    // window would skip itself and play with it at once, so it need not be made at all.
    static std::optional<int> skip_choice(SettingsStore& store);

    TSplashForm(SettingsStore& store, SplashHost& host, QWidget* parent = nullptr);

    // Creation: texts, the stored choice, and the skip rule (which runs Play at once).
    void FormCreate();
    void cb_soundChange();
    void btn_playClick();
    void btn_paypalClick();
    void la_website_2Click();
    void la_email_2Click();

    bool play_enabled() const;
    // Whether creation skipped the window.
    bool skipped() const { return skipped_; }

    // How links are opened (the desktop's "open" by default).
    std::function<void(const QUrl&)> open_url;
    static QUrl readme_url();
    static QUrl whatsnew_url();
    static QUrl email_url();

    QLabel* la_game_title;
    QLabel* la_version;
    QLabel* la_release_date;
    QLabel* la_website_1;
    QLabel* la_website_2;
    QLabel* la_email_1;
    QLabel* la_email_2;
    QLabel* la_sound_select;
    QComboBox* cb_sound;
    QLabel* btn_play;
    QLabel* btn_play_disabled;
    QLabel* btn_paypal;
    QCheckBox* chb_splashscreen;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    // Keys are seen here before the focused control (Enter, "1", Esc).
    bool FormKeyDown(QKeyEvent* event);
    void update_play_button();
    void centre_on_screen();

  public:
    // The window at a whole factor of its design size (the device's zoom on a desktop without
    // a scale of its own), its background drawn to match.
    void set_scale(int factor);

  private:
    SettingsStore& store_;
    SplashHost& host_;
    QPixmap background_;
    QLabel* im_box_picture;
    bool skipped_ = false;
};

} // namespace q50
