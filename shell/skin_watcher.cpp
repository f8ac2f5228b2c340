#include "shell/skin_watcher.h"

#include "display/ini_file.h"
#include "display/skin_loader.h"

#include <system_error>

namespace q50 {

namespace fs = std::filesystem;

SkinWatcher::SkinWatcher(std::function<void()> changed) : changed_(std::move(changed)) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, [this] {
        if (changed_) changed_();
    });
    auto touched = [this](const QString&) { settle_.start(); };
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, touched);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, touched);
}

void SkinWatcher::watch(const fs::path& skin_dir) {
    if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
    if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
    if (skin_dir.empty()) return;

    QStringList paths;
    auto add_folder = [&paths](const fs::path& dir) {
        std::error_code ec;
        if (!fs::is_directory(dir, ec)) return;
        // The folder itself tells of files made, removed or renamed into place.
        paths << QString::fromStdString(dir.string());
        for (auto it = fs::directory_iterator(dir, ec); !ec && it != fs::directory_iterator();
             it.increment(ec)) {
            std::error_code e2;
            if (fs::is_regular_file(it->path(), e2))
                paths << QString::fromStdString(it->path().string());
        }
    };
    add_folder(skin_dir);
    std::string error;
    if (const std::optional<IniFile> ini = IniFile::load(skin_dir / "Config.ini", &error)) {
        add_folder(
            skin_directory(ini->read_string("Common", "SkinDir", "Graphics\\Skin\\"), skin_dir));
        add_folder(skin_directory(
            ini->read_string("Fullscreen", "BackdropDir", "Graphics\\Backdrop\\"), skin_dir));
        for (const char* key : {"SkinDir2x", "SkinDir3x", "SkinDir4x"}) {
            const std::string dir = ini->read_string("Scaled", key, "");
            if (!dir.empty()) add_folder(skin_directory(dir, skin_dir));
        }
    }
    paths.removeDuplicates();
    watcher_.addPaths(paths);
}

QStringList SkinWatcher::watched() const {
    return watcher_.files() + watcher_.directories();
}

} // namespace q50
