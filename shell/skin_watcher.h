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

class SkinWatcher : public QObject {
    Q_OBJECT
  public:
    // Milliseconds without a further change before the callback runs.
    static constexpr int kSettleMs = 150;

    explicit SkinWatcher(std::function<void()> changed);

    // Watches `skin_dir` (nothing for an empty path) anew; call again after each reload, since
    // the folders named in Config.ini may have changed and replaced files lose their watch.
    void watch(const std::filesystem::path& skin_dir);
    QStringList watched() const;

  private:
    QFileSystemWatcher watcher_;
    QTimer settle_;
    std::function<void()> changed_;
};

} // namespace q50
