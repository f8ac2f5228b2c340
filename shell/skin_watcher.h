#pragma once
// Watches a skin folder while it is in use: its Config.ini and every file in the picture
// folders it names. A change (also a file replaced by an editor's save-and-rename) calls back
// once the changes have settled for a moment, so one save is one reload.
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <filesystem>
#include <functional>

namespace q50 {

// What a reload would find in the folder of a skin in use.
enum class SkinFolderState {
    Ready,      // Config.ini is there (whether the loader can read it is the loader's to say)
    FolderGone, // the folder itself was removed or moved away
    ConfigGone, // the folder is there, its Config.ini is not
    NoPictures, // Config.ini gives nothing a size, or names pictures of which none is there
};
SkinFolderState skin_folder_state(const std::filesystem::path& skin_dir);

class SkinWatcher : public QObject {
    Q_OBJECT
  public:
    // Milliseconds without a further change before the callback runs.
    static constexpr int kSettleMs = 150;

    explicit SkinWatcher(std::function<void()> changed);

    // Watches `skin_dir` (nothing for an empty path) anew; call again after each reload, since
    // the folders named in Config.ini may have changed and replaced files lose their watch.
    // The nearest folder above it that is there is watched as well, so that the folder's going
    // and its return are seen.
    void watch(const std::filesystem::path& skin_dir);
    QStringList watched() const;

  private:
    static QString nearest_folder_above(const std::filesystem::path& skin_dir);

    QFileSystemWatcher watcher_;
    std::filesystem::path skin_dir_;
    QString above_;
    bool present_ = false;
    bool above_shared_ = false;
    QTimer settle_;
    std::function<void()> changed_;
};

} // namespace q50
