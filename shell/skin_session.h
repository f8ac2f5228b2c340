#pragma once
// The skin the program shows, across its loads: which one is in use (the delivered one, a
// user's own, or a folder given for this run), each load into the board and the window with
// the pictures the first frame does not show left waiting (and the way back when one of them
// turns out damaged), the larger drawings that the scales use, and the watch on its folder
// that loads it again when its files change.
#include "board/board.h"
#include "display/picture_budget.h"
#include "display/picture_read_ahead.h"
#include "display/skin_loader.h"
#include "display/skin_sets.h"
#include "display/window_model.h"
#include "shell/skin_watcher.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace q50 {

class Program;

class SkinSession {
  public:
    SkinSession(Program& program, Board& board, WindowModel& window);

    // The skin this run starts with: `given` (--skin), else the stored choice while its folder
    // is there, else the delivered one.
    void choose(const std::filesystem::path& given);
    // The delivered skin (an empty folder) or a folder of the user's own.
    const std::filesystem::path& dir() const { return dir_; }
    // The user skin as the store names it ("" for the delivered one and for a --skin folder).
    const std::string& name() const { return name_; }
    bool from_command_line() const { return command_line_; }
    // The delivered skin cannot be changed: it is installed, or its Config.ini is not writable.
    bool delivered_read_only() const;
    // Chooses a user skin by name ("" the delivered one), remembers the choice (Skin) and
    // reloads in place as the presentation switch does: the game and its timers go on.
    void use(const std::string& name);
    // Loads the skin in use again where the window stands (after a change to its files).
    void reload();
    // Watches the folder in use anew (after each load).
    void watch() { watcher_->watch(dir_); }
    SkinWatcher& watcher() { return *watcher_; }

    // Shared with the manual's pictures.
    PictureBudget& budget() { return budget_; }
    // What the first load left waiting for the first frame (the main window completes them).
    WaitingPictures& waiting() { return waiting_; }

    // Runs the loader on the skin in use with `env`'s presentation and screen; the folders,
    // the budget and what may wait are the session's. `loaded` sees the board as loaded, before
    // the skin's larger drawings are noted from it.
    SkinLoadResult load(SkinEnvironment env,
                        const std::function<void(const SkinLoadResult&)>& loaded);
    // A waiting picture's file turned out damaged: once the event loop is back, the board and
    // window go back to what they were before that load, and the skin is loaded again decoding
    // every picture, so that the load stops at that picture with its message, as it always did.
    void picture_failed();

  private:
    void load_again_without_waiting();
    void report_state(SkinFolderState state);

    Program& program_;
    Board& board_;
    WindowModel& window_;
    PictureBudget budget_;
    SkinSets sets_;
    WaitingPictures waiting_;
    struct BeforeLoad {
        std::vector<Segment> segments;
        WindowModel window;
    };
    std::optional<BeforeLoad> before_waiting_load_;
    bool load_without_waiting_ = false;
    std::unique_ptr<SkinWatcher> watcher_;
    std::filesystem::path dir_;
    std::string name_;
    bool command_line_ = false;
    bool reloading_ = false;
    bool reload_pending_ = false;
    // What the last look at the skin folder in use found, so that each fault is told once.
    SkinFolderState state_ = SkinFolderState::Ready;
};

} // namespace q50
