#pragma once
// The context menu's "Saved state" submenu: "Save state" (F8) keeps the device in the one slot
// ($XDG_DATA_HOME/quendrix50/state.q50s), "Load state" (F10) puts it back and the game goes on
// from there, and "Resume on start" (the stored Resume) keeps a game under way at the close
// for the next start, which offers to go on with it.
#include <QAction>
#include <QMenu>
#include <QObject>
#include <QString>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>

namespace q50 {

class PopupMenu;
class Program;

class StateRows : public QObject {
    Q_OBJECT
  public:
    StateRows(PopupMenu& menu, Program& program);
    ~StateRows() override;

    // Made when first asked for (the context menu's first popup); its rows exist before it.
    QMenu* submenu();
    QAction* save() const { return save_; }
    QAction* load() const { return load_; }
    QAction* resume() const { return resume_; }

    // The device now into the slot; false, with a notice, when it cannot be kept.
    bool save_state();
    // The slot's state put back; false, with a notice, when it is refused (nothing changes).
    bool load_state();

    // The program closes: with Resume on, a game under way is kept for the next start.
    void program_closing();
    // Once the device is on: with Resume on, a game kept at the last close is offered.
    void offer_resume();
    // Asks whether to go on with that game (a question box by default; tests answer).
    std::function<bool(const QString& text)> ask;
    // How the player is told (a notice beside the device by default; tests record).
    std::function<void(const QString& text)> tell;

    void refresh();

  private:
    bool resume_on() const;
    bool put_back(std::span<const std::uint8_t> bytes, const QString& what);
    void offer(const std::filesystem::path& file);

    Program& program_;
    std::unique_ptr<QMenu> menu_;
    QAction* save_ = nullptr;
    QAction* load_ = nullptr;
    QAction* resume_ = nullptr;
};

} // namespace q50
