#pragma once
// The skin checker behind `quendrix50 --check-skin DIR`: reads DIR/Config.ini and every picture
// it names the way the loader would, and reports what a skin maker would otherwise find out
// from a red square, a hole or an invisible segment. Errors make a skin unsound; warnings are
// things that work but rarely look as meant.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace q50 {

struct SkinReport {
    std::vector<std::string> errors;
    std::vector<std::string> warnings;
    int pictures_checked = 0;

    bool sound() const { return errors.empty(); }
    // One line per finding ("error: ...", "warning: ..."), then the summary line.
    std::string text() const;
    std::string summary() const;
};

// Relative folders in the skin's Config.ini are resolved from `dir`, as `--skin DIR` loads it.
SkinReport check_skin(const std::filesystem::path& dir);

// A file that exists under `path` with a different letter case in one or more of its names
// (when `path` itself does not exist). Names written for a case-blind file system often differ
// from the files only in case.
std::optional<std::filesystem::path> differing_only_in_case(const std::filesystem::path& path);

} // namespace q50
