#include "shell/comfort_rows.h"

#include "shell/notice.h"
#include "shell/popup_menu.h"
#include "shell/program.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QTreeView>

namespace q50 {

ComfortRows::ComfortRows(PopupMenu& menu, Program& program) : program_(program) {
    pause_ = new QAction(QStringLiteral("Pause"), &menu);
    pause_->setObjectName(QStringLiteral("pm_pause"));
    pause_->setCheckable(true);
    connect(pause_, &QAction::triggered, this, [this] { program_.set_paused(!program_.paused()); });
    menu.add_extra_row(pause_, Qt::Key_F5);
    menu.add_extra_shortcut(Qt::Key_Pause, pause_);

    auto_pause_ = new QAction(QStringLiteral("Pause when the window loses focus"), &menu);
    auto_pause_->setObjectName(QStringLiteral("pm_auto_pause"));
    auto_pause_->setCheckable(true);
    connect(auto_pause_, &QAction::triggered, this,
            [this] { program_.set_auto_pause(!program_.auto_pause()); });
    menu.add_extra_row(auto_pause_);

    mute_ = new QAction(QStringLiteral("Mute"), this);
    mute_->setObjectName(QStringLiteral("pm_mute"));
    mute_->setCheckable(true);
    connect(mute_, &QAction::triggered, this, [this] {
        program_.set_muted(!program_.muted());
        // A silent game says nothing by itself: the player is told which way F6 went.
        show_notice(program_.main_window(), program_.muted()
                                                ? QStringLiteral("Sound muted (F6 turns it on)")
                                                : QStringLiteral("Sound on"));
    });
    // Shown after a tab, taken by the menu's own shortcut handling like the other rows.
    mute_->setText(QStringLiteral("Mute\tF6"));
    menu.add_extra_shortcut(Qt::Key_F6, mute_);

    auto* volumes = new QActionGroup(this);
    for (int i = 10; i >= 0; --i) {
        auto* a = new QAction(QStringLiteral("%1 %").arg(i * 10), this);
        a->setObjectName(QStringLiteral("pm_volume_%1").arg(i * 10));
        a->setCheckable(true);
        volumes->addAction(a);
        connect(a, &QAction::triggered, this, [this, i] { program_.set_volume(i * 10); });
        volume_[std::size_t(i)] = a;
    }

    auto* outputs = new QActionGroup(this);
    for (int mode = 0; mode < int(kSoundOutputEntries.size()); ++mode) {
        auto* a =
            new QAction(QString::fromLatin1(kSoundOutputEntries[std::size_t(mode)].data(),
                                            int(kSoundOutputEntries[std::size_t(mode)].size())),
                        this);
        a->setObjectName(QStringLiteral("pm_output_%1").arg(mode));
        a->setCheckable(true);
        outputs->addAction(a);
        connect(a, &QAction::triggered, this, [this, mode] {
            if (program_.sound_mode() != mode) program_.change_sound_output(mode);
            refresh();
        });
        outputs_[std::size_t(mode)] = a;
    }
    menu.add_extra_menu([this] { return sound_menu(); });

    record_ = new QAction(QStringLiteral("Record this run"), &menu);
    record_->setObjectName(QStringLiteral("pm_record"));
    connect(record_, &QAction::triggered, this, [this] {
        if (program_.recording()) {
            program_.stop_recording();
            show_notice(program_.main_window(),
                        QStringLiteral("Recording stopped: %1").arg(recording_file_));
        } else if (const auto file = program_.start_recording(); !file.empty()) {
            recording_file_ = QString::fromStdString(file.string());
            show_notice(program_.main_window(),
                        QStringLiteral("Recording this run to %1").arg(recording_file_));
        }
        refresh();
    });
    menu.add_extra_row(record_);

    play_ = new QAction(QStringLiteral("Play a recording\u2026"), &menu);
    play_->setObjectName(QStringLiteral("pm_play"));
    choose_recording = [this] {
        std::error_code ec;
        std::filesystem::create_directories(program_.recordings_dir(), ec);
        const QString dir = QString::fromStdString(program_.recordings_dir().string());
        // Qt's own chooser: the same on every desktop, and one a test can type into.
        QFileDialog chooser(&program_.main_window(), QStringLiteral("Play a recording"), dir,
                            QStringLiteral("Recordings (*.script);;All files (*)"));
        chooser.setOption(QFileDialog::DontUseNativeDialog);
        chooser.setFileMode(QFileDialog::ExistingFile);
        // The size and date columns as wide as what they show: at Qt's first size they were
        // cut ("281...tes").
        for (QTreeView* files : chooser.findChildren<QTreeView*>()) {
            QHeaderView* h = files->header();
            h->setStretchLastSection(false);
            h->setSectionResizeMode(0, QHeaderView::Stretch);
            for (int c = 1; c < h->count(); ++c)
                h->setSectionResizeMode(c, QHeaderView::ResizeToContents);
        }
        chooser.resize(chooser.sizeHint().expandedTo(QSize(760, 440)));
        return chooser.exec() == QDialog::Accepted ? chooser.selectedFiles().value(0) : QString();
    };
    connect(play_, &QAction::triggered, this, [this] {
        if (program_.playing()) {
            program_.stop_playing();
        } else if (choose_recording) {
            const QString file = choose_recording();
            if (!file.isEmpty()) program_.play_recording(file.toStdString());
        }
        refresh();
    });
    menu.add_extra_row(play_, Qt::Key_F7);
    menu.on_extra_popup([this] { refresh(); });
    refresh();
}

ComfortRows::~ComfortRows() = default;

QMenu* ComfortRows::sound_menu() {
    if (!sound_) {
        sound_ = std::make_unique<QMenu>(QStringLiteral("Sound"));
        sound_->setObjectName(QStringLiteral("pm_sound"));
        sound_->addAction(mute_);
        sound_->addSection(QStringLiteral("Volume"));
        for (int i = 10; i >= 0; --i) sound_->addAction(volume_[std::size_t(i)]);
        sound_->addSection(QStringLiteral("Output"));
        for (QAction* a : outputs_) sound_->addAction(a);
    }
    return sound_.get();
}

void ComfortRows::refresh() {
    pause_->setChecked(program_.paused());
    record_->setText(program_.recording() ? QStringLiteral("Stop recording")
                                          : QStringLiteral("Record this run"));
    // A playback is no run of the player's to record.
    record_->setEnabled(!program_.playing());
    play_->setText((program_.playing() ? QStringLiteral("Stop playing")
                                       : QStringLiteral("Play a recording\u2026")) +
                   QStringLiteral("\tF7"));
    auto_pause_->setChecked(program_.auto_pause());
    mute_->setChecked(program_.muted());
    for (int i = 0; i <= 10; ++i) volume_[std::size_t(i)]->setChecked(program_.volume() == i * 10);
    const int mode = program_.sound_mode();
    for (int m = 0; m < int(outputs_.size()); ++m) outputs_[std::size_t(m)]->setChecked(mode == m);
}

} // namespace q50
