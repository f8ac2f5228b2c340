#pragma once
// Finding files that skins made on a system whose file names ignore letter case name in
// another case ("Graphics/Skin/Image1.BMP" for graphics/skin/image1.bmp).
#include <filesystem>
#include <string>
#include <vector>

namespace q50 {

struct CaseLookup {
    // The existing path found, or the path as given when nothing matches.
    std::filesystem::path path;
    bool found = false;
    // Found only by ignoring case in at least one component.
    bool case_differs = false;
    // One text for each component where several entries differ from the name only in case:
    // the first in byte order is taken, and the text says which and what else matched.
    std::vector<std::string> ambiguities;
};

// Looks `path` up as written; when it does not exist, walks it one component at a time and
// takes, for each component that does not exist as written, the entry of its folder that
// equals it without regard to (ASCII) letter case. A component that exists as written always
// wins. The last component may be anything but a folder (a named pipe is found, and refused by
// its reader); the others must be folders.
CaseLookup find_ignoring_case(const std::filesystem::path& path);

} // namespace q50
