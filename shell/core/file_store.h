#pragma once
// The per-user settings store: a text file of `Name=Text` lines (see store_text.h), by default
// $XDG_CONFIG_HOME/Vantorel/Quendrix50.conf (XDG_CONFIG_HOME defaults to ~/.config).
//
// Every read reads the file afresh, so a value written by one window or by another running copy
// is seen by the next read. Every write reads, changes and replaces the whole file under an
// advisory lock, through a temporary file that is flushed to the disk and renamed over the old
// one: the file is always either the old or the new content, and two copies of the program
// never lose each other's values.
#include "host/settings_store.h"
#include "shell/core/store_text.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace q50 {

class FileStore : public SettingsStore {
  public:
    // Opens the store on `file`, creating its folder when it is missing (a failure to create it
    // shows later as writes that return false).
    explicit FileStore(std::filesystem::path file);
    // How long a writer waits for another writer's lock before it gives up (the write then
    // fails as any other, and the file is unchanged).
    FileStore(std::filesystem::path file, std::chrono::milliseconds lock_wait);

    // $XDG_CONFIG_HOME/Vantorel/Quendrix50.conf, or ~/.config/Vantorel/Quendrix50.conf when
    // XDG_CONFIG_HOME is unset, empty or relative.
    static std::filesystem::path default_path();

    const std::filesystem::path& path() const { return file_; }
    // The lock file beside the store file that every writer holds while it writes.
    std::filesystem::path lock_path() const;

    // Nothing when the value is absent or the file cannot be read. A value still waiting to be
    // stored is not read: the file is what every running copy shares.
    std::optional<std::string> read_text(std::string_view name) override;
    // False, with the file unchanged, when the folder cannot be written, the existing file
    // cannot be read (its values would be lost), the lock cannot be had, or the name or text do
    // not fit on a line. Each reason is told once on standard error while it lasts. A value
    // refused for any reason but its own form or the file's size limit waits, and goes into the
    // file with the next write that succeeds, or with retry().
    bool write_text(std::string_view name, std::string_view text) override;
    // The read and the write happen under the writers' lock.
    bool update_text(std::string_view name, const TextChange& change) override;
    // One read and one replaced file under one lock for all of them (a start writes a dozen,
    // and each file replaced is flushed to the disk).
    bool write_texts(const Texts& values) override;

    // Writes what waits to be stored; true when nothing waits any more.
    bool retry();
    bool pending() const { return !pending_.empty(); }
    // The names of the values that wait, in the order they were first refused.
    std::vector<std::string> pending_names() const;
    // Told when a value begins to wait (its name and why the write failed), and when every
    // waiting value has reached the file.
    std::function<void(const std::string& name, const std::string& why)> on_not_saved;
    std::function<void()> on_saved;

    // Files larger than this are treated as unreadable rather than loaded, and no write makes
    // the file larger than this.
    static constexpr std::size_t kMaxFileSize = 1 << 20;
    static constexpr std::chrono::milliseconds kLockWait{2000};
    // Once the lock was found held past the wait, later writes wait only this long for it (a
    // live writer holds it for milliseconds) until they get it again.
    static constexpr std::chrono::milliseconds kStuckLockWait{20};
    // For a signal handler: every wait for the lock ends at once, and the write fails.
    static void stop_waiting();
    // Temporary files of a writer that was killed before its rename are removed by the next
    // writer once they are this old (a live writer renames its file within milliseconds).
    static constexpr std::chrono::seconds kStaleTemporaryAge{60};

  private:
    // What an edit of the stored values did: nothing, changed them, or refused (with a reason,
    // told unless it is empty).
    enum class Edit { Unchanged, Changed, Refused };
    using Editor = std::function<Edit(StoreText& values, std::string& why)>;
    // The read, the edit and the replaced file under the writers' lock.
    bool rewrite(const Editor& edit);
    bool refuse(const std::string& why);
    bool kept();
    void settled();
    bool change_text(std::string_view name, const TextChange& change, bool replaces);
    void keep_pending(std::string name, TextChange change, bool replaces);

    struct Pending {
        std::string name;
        TextChange change;
    };
    std::vector<Pending> pending_;
    std::string last_reason_;
    bool too_large_ = false; // the last rewrite was refused for the file's size

    std::filesystem::path file_;
    std::chrono::milliseconds lock_wait_ = kLockWait;
    bool lock_stuck_ = false;
    std::set<std::string> told_;
};

} // namespace q50
