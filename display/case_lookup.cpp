#include "display/case_lookup.h"

#include <algorithm>
#include <system_error>

namespace q50 {

namespace fs = std::filesystem;

namespace {

bool same_ignoring_case(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// The last part may be anything but a folder: a named pipe or a device in a file's place is
// found, so that its reader refuses it by name rather than calling it missing.
bool usable(const fs::path& p, bool last) {
    std::error_code ec;
    if (!last) return fs::is_directory(p, ec);
    const fs::file_status st = fs::status(p, ec);
    return !ec && fs::exists(st) && !fs::is_directory(st);
}

} // namespace

CaseLookup find_ignoring_case(const fs::path& path) {
    CaseLookup out;
    out.path = path;
    if (usable(path, true)) {
        out.found = true;
        return out;
    }
    std::vector<fs::path> parts;
    for (const fs::path& part : path.relative_path()) parts.push_back(part);
    // A trailing separator leaves an empty last part.
    while (!parts.empty() && parts.back().empty()) parts.pop_back();
    fs::path at = path.root_path();
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const bool last = i + 1 == parts.size();
        const std::string name = parts[i].string();
        const fs::path exact = at.empty() ? fs::path(name) : at / name;
        if (name == "." || name == ".." || usable(exact, last)) {
            at = exact;
            continue;
        }
        std::vector<std::string> matches;
        std::error_code ec;
        const fs::path folder = at.empty() ? fs::path(".") : at;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string entry = it->path().filename().string();
            if (same_ignoring_case(entry, name) && usable(it->path(), last))
                matches.push_back(entry);
        }
        if (matches.empty()) return out;
        std::sort(matches.begin(), matches.end());
        if (matches.size() > 1) {
            std::string text = (folder / name).string() + " matches ";
            for (std::size_t m = 0; m < matches.size(); ++m)
                text += (m ? (m + 1 == matches.size() ? " and " : ", ") : "") + matches[m];
            text += " without regard to case; taking " + matches.front();
            out.ambiguities.push_back(std::move(text));
        }
        at = at.empty() ? fs::path(matches.front()) : at / matches.front();
        out.case_differs = true;
    }
    out.path = at;
    out.found = true;
    return out;
}

} // namespace q50
