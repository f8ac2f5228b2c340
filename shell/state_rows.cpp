#include "shell/state_rows.h"

#include "host/setting_names.h"
#include "shell/core/desktop_state.h"
#include "shell/core/state_slot.h"
#include "shell/notice.h"
#include "shell/popup_menu.h"
#include "shell/program.h"

#include <QMessageBox>
#include <QTimer>

namespace q50 {

namespace {

QString text_of(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

StateRows::StateRows(PopupMenu& menu, Program& program) : program_(program) {
    save_ = new QAction(QStringLiteral("Save state"), this);
    save_->setObjectName(QStringLiteral("pm_save_state"));
    save_->setText(QStringLiteral("Save state\tF8"));
    connect(save_, &QAction::triggered, this, [this] { save_state(); });
    menu.add_extra_shortcut(Qt::Key_F8, save_);

    load_ = new QAction(QStringLiteral("Load state"), this);
    load_->setObjectName(QStringLiteral("pm_load_state"));
    load_->setText(QStringLiteral("Load state\tF10"));
    connect(load_, &QAction::triggered, this, [this] { load_state(); });
    menu.add_extra_shortcut(Qt::Key_F10, load_);

    resume_ = new QAction(QStringLiteral("Resume on start"), this);
    resume_->setObjectName(QStringLiteral("pm_resume"));
    resume_->setCheckable(true);
    connect(resume_, &QAction::triggered, this, [this] {
        const bool on = !resume_on();
        program_.store().write_bool(setting::Resume, on);
        refresh();
    });

    ask = [this](const QString& text) {
        QWidget* parent = &program_.main_window();
        if (!parent->isVisible()) parent = nullptr;
        return QMessageBox::question(parent, QString::fromLatin1(kProductTitle), text,
                                     QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::Yes) == QMessageBox::Yes;
    };
    tell = [this](const QString& text) { show_notice(program_.main_window(), text); };
    menu.add_extra_menu([this] { return submenu(); });
    menu.on_extra_popup([this] { refresh(); });
    refresh();
}

StateRows::~StateRows() = default;

QMenu* StateRows::submenu() {
    if (!menu_) {
        menu_ = std::make_unique<QMenu>(QStringLiteral("Saved state"));
        menu_->setObjectName(QStringLiteral("pm_state"));
        menu_->addAction(save_);
        menu_->addAction(load_);
        menu_->addSeparator();
        menu_->addAction(resume_);
    }
    return menu_.get();
}

void StateRows::refresh() {
    resume_->setChecked(resume_on());
}

bool StateRows::resume_on() const {
    return program_.store().read_bool(setting::Resume, false);
}

bool StateRows::save_state() {
    if (!program_.device_on() || program_.driver().stopped()) return false;
    if (program_.playing()) {
        // Its game is the recorded run's, played on a store of its own.
        tell(QStringLiteral("A recording is playing: its game cannot be saved as yours"));
        return false;
    }
    std::vector<std::uint8_t> bytes;
    program_.through_driver([&] {
        DesktopStateParts parts{program_.device(), program_.random(), program_.own_pictures(),
                                program_.main_window().lcd_look()};
        bytes = save_desktop_state(parts, program_.ms_of_day());
    });
    const std::filesystem::path file = state_slot_path();
    std::string why;
    if (!write_state_slot(file, bytes, why)) {
        const std::string text =
            "The state could not be saved: " + why + ". The slot keeps what it held before.";
        write_notice(text);
        tell(text_of(text));
        return false;
    }
    tell(QStringLiteral("State saved (F10 loads it)"));
    return true;
}

bool StateRows::load_state() {
    if (!program_.device_on() || program_.driver().stopped()) return false;
    std::string why;
    const auto bytes = read_state_slot(state_slot_path(), why);
    if (!bytes) {
        const std::string text = "No state loaded: " + why + ".";
        write_notice(text);
        tell(text_of(text));
        return false;
    }
    if (!put_back(*bytes, QStringLiteral("The saved state"))) return false;
    tell(QStringLiteral("State loaded"));
    return true;
}

bool StateRows::put_back(std::span<const std::uint8_t> bytes, const QString& what) {
    // A playback runs the recorded lines at their times; a recording replays from the switch-on.
    // A state put back in either would break the run they stand for.
    if (program_.playing()) {
        tell(QStringLiteral("A recording is playing: stop it (F7) before loading a state"));
        return false;
    }
    if (program_.recording()) {
        tell(QStringLiteral("A recording is being made: stop it before loading a state, which "
                            "the recording could not replay"));
        return false;
    }
    bool loaded = false;
    std::string why;
    program_.through_driver([&] {
        Device& d = program_.device();
        const std::vector<Picture> own = program_.own_pictures();
        DesktopStateParts parts{d, program_.random(), own, program_.main_window().lcd_look()};
        loaded = load_desktop_state(bytes, parts, why);
        if (!loaded) return;
        // The sounds of the moment left are not the state's: halted, as "silence" does, and
        // the state's own sounds start as its steps come.
        program_.sound().Snd_Silence();
        // The device's timers are due at the state's own times: device time goes on from it.
        program_.driver().continue_at(d.now());
        program_.went_on_from_state();
        // The clock shows the time of day as it is now, not as it was at the save.
        if (d.Game_State == 4) d.Timer_ClockTimer();
    });
    if (!loaded) {
        const std::string text = what.toStdString() + " is refused: " + why + ".";
        write_notice(text);
        tell(text_of(text));
    }
    return loaded;
}

void StateRows::program_closing() {
    if (!resume_on() || !program_.device_on()) return;
    const std::filesystem::path file = resume_file_path();
    Device& d = program_.device();
    std::error_code ec;
    if (program_.playing() || !game_under_way(d)) {
        // Nothing under way: the next start has nothing to offer.
        std::filesystem::remove(file, ec);
        return;
    }
    DesktopStateParts parts{d, program_.random(), program_.own_pictures(),
                            program_.main_window().lcd_look()};
    std::string why;
    if (!write_state_slot(file, save_desktop_state(parts, program_.ms_of_day()), why))
        write_notice("The game under way could not be kept for the next start: " + why + ".");
}

void StateRows::offer_resume() {
    if (!resume_on()) return;
    const std::filesystem::path file = resume_file_path();
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(file, ec))) return;
    // Once the window is on the screen, outside the switch-on.
    QTimer::singleShot(0, this, [this, file] { offer(file); });
}

void StateRows::offer(const std::filesystem::path& file) {
    if (program_.ending() || program_.driver().stopped()) return;
    std::string why;
    const auto bytes = read_state_slot(file, why);
    // Offered once, whatever the answer: a "no" starts as usual, and so does every start after.
    std::error_code ec;
    std::filesystem::remove(file, ec);
    if (!bytes) {
        const std::string text = "The game kept at the last close cannot go on: " + why + ".";
        write_notice(text);
        tell(text_of(text));
        return;
    }
    if (!ask(QStringLiteral("A game was under way when the program closed. Go on with it?")))
        return;
    // The player has just answered a box: the game waits, paused, until they are ready. Paused
    // first, so that not a millisecond of it runs before the pause.
    program_.set_paused(true);
    if (!put_back(*bytes, QStringLiteral("The game kept at the last close"))) {
        program_.set_paused(false);
        return;
    }
    tell(QStringLiteral("The game goes on where it was left: F5 ends the pause"));
}

} // namespace q50
