#pragma once
// The context menu's rows beyond the fourteen for pausing and for the sound: "Pause" (F5 and
// the Pause key), "Pause when the window loses focus", and a "Sound" submenu with the volume
// in steps of 10 %, "Mute" (F6) and the sound output.
#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QObject>

#include <array>
#include <functional>
#include <memory>

namespace q50 {

class PopupMenu;
class Program;

class ComfortRows : public QObject {
    Q_OBJECT
  public:
    ComfortRows(PopupMenu& menu, Program& program);
    ~ComfortRows() override;

    QAction* pause() const { return pause_; }
    QAction* auto_pause() const { return auto_pause_; }
    // Made when first asked for (the context menu's first popup); its rows exist before it.
    QMenu* sound_menu();
    QAction* mute() const { return mute_; }
    // Step i is i * 10 %.
    QAction* volume_step(int i) const { return volume_[std::size_t(i)]; }
    QAction* output(int mode) const { return outputs_[std::size_t(mode)]; }
    // "Record this run", "Stop recording" while one is made.
    QAction* record() const { return record_; }
    // "Play a recording…", "Stop playing" while one plays.
    QAction* play() const { return play_; }
    // Asks for the recording to play (a file chooser in the recordings folder by default);
    // empty when the player cancelled.
    std::function<QString()> choose_recording;

    // Sets every check from the program's state (before the menu opens).
    void refresh();

  private:
    Program& program_;
    std::unique_ptr<QMenu> sound_;
    QAction* pause_ = nullptr;
    QAction* auto_pause_ = nullptr;
    QAction* mute_ = nullptr;
    QAction* record_ = nullptr;
    QAction* play_ = nullptr;
    std::array<QAction*, 11> volume_{};
    std::array<QAction*, 3> outputs_{};
    QString recording_file_; // the one being made, for the notice at its end
};

} // namespace q50
