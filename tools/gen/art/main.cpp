// Paints every delivered picture and writes the skin file:
//   q50-gen-art REPO_ROOT [--preview FOLDER]
// REPO_ROOT/data receives Config.ini, Graphics/Skin, Graphics/Backdrop and Graphics/Manual (and
// Manual@2x);
// REPO_ROOT/shell/pictures the pictures built into the windows, REPO_ROOT/packaging the
// program icon (packaging/icons: every size and the scalable one). --preview also writes
// composites of the whole device for checking the artwork by eye.
#include "art_book.h"
#include "composite.h"
#include "fonts.h"
#include "outputs.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstring>
#include <filesystem>

int main(int argc, char** argv) {
    if (argc != 2 && !(argc == 4 && std::strcmp(argv[2], "--preview") == 0)) {
        std::fprintf(stderr, "usage: %s REPO_ROOT [--preview FOLDER]\n", argv[0]);
        return 2;
    }
    // No display needed: the pictures are painted offscreen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (!q50gen::load_fonts()) return 1;
    const std::filesystem::path root = argv[1];
    const q50gen::ArtBook book = q50gen::full_book();
    q50gen::write_skin(book, root / "data");
    for (int k : q50gen::kSkinSetScales) q50gen::write_skin(book, root / "data", k);
    q50gen::write_config(root / "data" / "Config.ini");
    q50gen::write_backdrop(root / "data" / "Graphics" / "Backdrop");
    for (int k : q50gen::kSkinSetScales)
        q50gen::write_backdrop(root / "data" / "Graphics" / ("Backdrop@" + std::to_string(k) + "x"),
                               k);
    q50gen::write_window_pictures(book, root / "shell" / "pictures");
    // The icon the desktop entry installs.
    std::filesystem::create_directories(root / "packaging");
    std::filesystem::copy_file(root / "shell" / "pictures" / "app_icon.png",
                               root / "packaging" / "quendrix50.png",
                               std::filesystem::copy_options::overwrite_existing);
    q50gen::write_icons(root / "packaging" / "icons");
    q50gen::write_manual(book, root / "tools" / "gen" / "art" / "manual.txt",
                         root / "data" / "Graphics" / "Manual",
                         root / "data" / "Graphics" / "Manual@2x");
    if (argc == 4) q50gen::write_previews(book, argv[3]);
    return 0;
}
