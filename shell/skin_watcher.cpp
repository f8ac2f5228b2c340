#include "shell/skin_watcher.h"

#include "display/ini_file.h"
#include "display/skin_loader.h"

#include <set>
#include <system_error>

namespace q50 {

namespace fs = std::filesystem;

namespace {

struct Quiet : MessageSink {
    void error(const std::string&) override {}
    void notice(const std::string&) override {}
};

bool names_picture(const std::string& file) {
    return !file.empty() && file != "nil";
}

} // namespace

SkinFolderState skin_folder_state(const fs::path& skin_dir) {
    std::error_code ec;
    if (!fs::is_directory(skin_dir, ec)) return SkinFolderState::FolderGone;
    const fs::path config = skin_dir / "Config.ini";
    if (!fs::is_regular_file(config, ec)) return SkinFolderState::ConfigGone;
    std::string error;
    const std::optional<IniFile> ini = IniFile::load(config, &error);
    if (!ini) return SkinFolderState::Ready;
    const fs::path pictures =
        skin_directory(ini->read_string("Common", "SkinDir", "Graphics\\Skin\\"), skin_dir);
    Quiet quiet;
    std::set<std::string> told;
    // Nothing with a size shows nothing; pictures named where none is found would show only
    // the loader's red squares. A section with a size and no picture is a layout of its own.
    bool sized = false, named = false;
    for (int i = 1; i <= kSkinImageCount; ++i) {
        const std::string section = "Image" + std::to_string(i);
        if (ini->read_integer(section, "Width", 0) <= 0 ||
            ini->read_integer(section, "Height", 0) <= 0)
            continue;
        sized = true;
        const std::string file = ini->read_string(section, "Filename", "");
        if (!names_picture(file)) continue;
        named = true;
        bool found = false;
        find_skin_picture(pictures, file, quiet, told, &found);
        if (found) return SkinFolderState::Ready;
    }
    return sized && !named ? SkinFolderState::Ready : SkinFolderState::NoPictures;
}

SkinWatcher::SkinWatcher(std::function<void()> changed) : changed_(std::move(changed)) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, [this] {
        if (changed_) changed_();
    });
    auto touched = [this](const QString&) { settle_.start(); };
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, touched);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this](const QString& path) {
        if (path != above_ || above_shared_) return settle_.start();
        // The folder above tells of the skin folder going or coming back (the folder's own
        // watch says nothing when it is moved away); the other skins' changes are not ours.
        std::error_code ec;
        if (fs::is_directory(skin_dir_, ec) != present_) return settle_.start();
        if (nearest_folder_above(skin_dir_) != above_) watch(skin_dir_);
    });
}

QString SkinWatcher::nearest_folder_above(const fs::path& skin_dir) {
    std::error_code ec;
    fs::path above = fs::absolute(skin_dir, ec).lexically_normal();
    if (!above.has_filename()) above = above.parent_path();
    do above = above.parent_path();
    while (above.has_relative_path() && !fs::is_directory(above, ec));
    return fs::is_directory(above, ec) ? QString::fromStdString(above.string()) : QString();
}

void SkinWatcher::watch(const fs::path& skin_dir) {
    if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
    if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
    skin_dir_ = skin_dir;
    above_.clear();
    if (skin_dir.empty()) return;

    QStringList paths;
    std::error_code ec;
    present_ = fs::is_directory(skin_dir, ec);
    above_ = nearest_folder_above(skin_dir);
    if (!above_.isEmpty()) paths << above_;
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
    // A skin may keep its pictures in the folder above it: then every change there is its own.
    above_shared_ = paths.count(above_) > 1;
    paths.removeDuplicates();
    if (!paths.isEmpty()) watcher_.addPaths(paths);
}

QStringList SkinWatcher::watched() const {
    return watcher_.files() + watcher_.directories();
}

} // namespace q50
