#pragma once
// The pages of the manual and its window size from the [Manual] section of Config.ini,
// without any toolkit: the manual window shows them, the trace tool loads them as the program
// does at its start.
#include "display/picture_budget.h"
#include "display/scale.h"
#include "host/services.h"

#include <array>
#include <filesystem>

namespace q50 {

constexpr int kManualPageCount = 16;

struct ManualSettings {
    std::filesystem::path dir; // ends in a delimiter
    // The same pages drawn at twice the size ("n.png"), for a manual shown above 1x; empty
    // when the skin file names none.
    std::filesystem::path dir2x;
    int width = 545;
    int height = 365;
};

// Reads [Manual] from Config.ini in `executable_dir`; a missing file gives the defaults. A
// relative ManualDir is resolved against `current_dir`. Sizes outside 1..4096 and a cut file
// are told to `messages`.
ManualSettings read_manual_settings(const std::filesystem::path& executable_dir,
                                    const std::filesystem::path& current_dir,
                                    MessageSink& messages);

struct ManualPages {
    // Pages 1..16 (entry 0 unused). A missing page has the placeholder; after a page that
    // cannot be decoded the rest stay null.
    std::array<Picture, kManualPageCount + 1> page{};
    // The file each page was read from (empty for a missing page), for what is said about it
    // later.
    std::array<std::filesystem::path, kManualPageCount + 1> file{};
    bool complete = true;
};

// Page n is "n.bmp" in the manual folder (letter case ignored as for the skin). A missing page
// is named to `messages` as a notice, a page that fails as an error, and the load stops there.
ManualPages load_manual_pages(const ManualSettings& settings, PictureBudget& budget,
                              MessageSink& messages);

// Page `n` drawn at twice the size, from the folder ManualDir2x names: exactly twice
// `design` each way, or null when there is none or it cannot be used (the page at its design
// size then shows, scaled). Its memory is charged to the manual in `budget`. What keeps it
// from use is told to `messages` as a notice, for the first page only when the whole folder is
// missing.
Picture load_manual_page_2x(const ManualSettings& settings, int n, PixelSize design,
                            PictureBudget& budget, MessageSink& messages);

} // namespace q50
