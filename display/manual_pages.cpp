#include "display/manual_pages.h"

#include "display/ini_file.h"
#include "display/skin_loader.h"

#include <optional>
#include <set>
#include <system_error>

namespace q50 {

namespace fs = std::filesystem;

ManualSettings read_manual_settings(const fs::path& executable_dir, const fs::path& current_dir,
                                    MessageSink& messages) {
    std::optional<IniFile> ini;
    std::error_code ec;
    const fs::path config = executable_dir / "Config.ini";
    if (fs::is_regular_file(config, ec)) ini = open_skin_file(config, nullptr, messages);
    if (!ini) ini = IniFile::parse(""); // every key takes its default
    ManualSettings s;
    s.dir =
        skin_directory(ini->read_string("Manual", "ManualDir", "Graphics\\Manual\\"), current_dir);
    const std::string dir2x = ini->read_string("Manual", "ManualDir2x", "");
    if (!dir2x.empty()) s.dir2x = skin_directory(dir2x, current_dir);
    s.height = read_skin_side(*ini, "Manual", "ManualHeight", s.height, messages);
    s.width = read_skin_side(*ini, "Manual", "ManualWidth", s.width, messages);
    return s;
}

ManualPages load_manual_pages(const ManualSettings& settings, PictureBudget& budget,
                              MessageSink& messages) {
    ManualPages out;
    PictureShelf shelf(budget, PictureBudget::Owner::Manual);
    std::set<std::string> told;
    Picture placeholder;
    std::vector<std::string> missing;
    for (int n = 1; n <= kManualPageCount; ++n) {
        bool found = false;
        const fs::path file =
            find_skin_picture(settings.dir, std::to_string(n) + ".bmp", messages, told, &found);
        if (!found) {
            if (!placeholder) placeholder = placeholder_picture();
            out.page[std::size_t(n)] = placeholder;
            missing.push_back(std::to_string(n));
            continue;
        }
        const PictureLoad load = shelf.get(file, false);
        if (!load) {
            messages.error(load.error);
            out.complete = false;
            break;
        }
        out.page[std::size_t(n)] = load.picture;
        out.file[std::size_t(n)] = file;
    }
    // A manual that is not there at all is one line, not sixteen.
    if (missing.size() == std::size_t(kManualPageCount)) {
        messages.notice("\"" + settings.dir.string() +
                        "\": no manual pages (1.bmp .. 16.bmp) found; shown as red squares");
    } else {
        for (const std::string& n : missing)
            messages.notice("\"" + (settings.dir / (n + ".bmp")).string() + "\" (manual page " + n +
                            ") not found; shown as a red square");
    }
    return out;
}

Picture load_manual_page_2x(const ManualSettings& settings, int n, PixelSize design,
                            PictureBudget& budget, MessageSink& messages) {
    if (settings.dir2x.empty() || n < 1 || n > kManualPageCount) return nullptr;
    const std::string page = "(manual page " + std::to_string(n) + " at twice the size)";
    std::error_code ec;
    if (!fs::is_directory(settings.dir2x, ec)) {
        // One line for the folder, not one a page.
        if (n == 1)
            messages.notice("\"" + settings.dir2x.string() +
                            "\": no manual pages at twice the size found; the pages are shown "
                            "enlarged");
        return nullptr;
    }
    std::set<std::string> told;
    bool found = false;
    const fs::path file =
        find_skin_picture(settings.dir2x, std::to_string(n) + ".png", messages, told, &found);
    if (!found) {
        messages.notice("\"" + file.string() + "\" " + page + " not found; page " +
                        std::to_string(n) + " is shown enlarged");
        return nullptr;
    }
    PictureShelf shelf(budget, PictureBudget::Owner::Manual, PictureShelf::Start::Adding);
    const PictureLoad load = shelf.get(file, false);
    if (!load) {
        messages.notice(load.error + "; page " + std::to_string(n) + " is shown enlarged");
        return nullptr;
    }
    if (load.picture->width != 2 * design.width || load.picture->height != 2 * design.height) {
        budget.give_back(PictureBudget::Owner::Manual,
                         picture_bytes(load.picture->width, load.picture->height));
        messages.notice("\"" + file.string() + "\" " + page + " is " +
                        std::to_string(load.picture->width) + "x" +
                        std::to_string(load.picture->height) + ", not " +
                        std::to_string(2 * design.width) + "x" + std::to_string(2 * design.height) +
                        "; page " + std::to_string(n) + " is shown enlarged");
        return nullptr;
    }
    return load.picture;
}

} // namespace q50
