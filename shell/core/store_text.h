#pragma once
// The text of the settings file: one value per line as `Name=Text`. Blank lines and lines
// starting with '#' are comments. Any other line without a name and '=' is kept as it is, so
// that rewriting a damaged or hand-edited file never throws away what is in it.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace q50 {

struct StoreLine {
    std::string raw; // the line as it stands in the file, without its line end
    bool is_value = false;
    std::string name; // for a value: the name, without surrounding blanks
    std::string text; // for a value: everything after the first '=' (a trailing CR removed)
};

struct StoreText {
    std::vector<StoreLine> lines;

    // The text of a value; when a name appears more than once, the last one counts.
    std::optional<std::string> find(std::string_view name) const;
    // Replaces the value that `find` reads, or appends a new line.
    void set(std::string_view name, std::string_view text);
    // Every line, each followed by "\n".
    std::string serialize() const;
};

StoreText parse_store_text(std::string_view file);

// Whether a name and a text fit on one `Name=Text` line and read back unchanged.
bool storable_name(std::string_view name);
bool storable_text(std::string_view text);

} // namespace q50
