#include "shell/core/store_text.h"

namespace q50 {

namespace {

std::string_view trim_blanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

StoreLine parse_line(std::string_view raw) {
    StoreLine line;
    line.raw = std::string(raw);
    std::string_view body = raw;
    if (!body.empty() && body.back() == '\r') body.remove_suffix(1);
    std::string_view lead = trim_blanks(body);
    if (lead.empty() || lead.front() == '#') return line;
    auto eq = body.find('=');
    if (eq == std::string_view::npos) return line;
    std::string_view name = trim_blanks(body.substr(0, eq));
    if (name.empty()) return line;
    line.is_value = true;
    line.name = std::string(name);
    line.text = std::string(body.substr(eq + 1));
    return line;
}

} // namespace

StoreText parse_store_text(std::string_view file) {
    StoreText out;
    // Editors on some systems start a UTF-8 file with a byte-order mark; it is not part of the
    // first name. Rewriting the file drops it (every one of them, so that a rewrite reads back
    // as the same lines).
    while (file.substr(0, 3) == "\xEF\xBB\xBF") file.remove_prefix(3);
    while (!file.empty()) {
        auto nl = file.find('\n');
        std::string_view raw = file.substr(0, nl);
        out.lines.push_back(parse_line(raw));
        if (nl == std::string_view::npos) break;
        file.remove_prefix(nl + 1);
    }
    return out;
}

std::optional<std::string> StoreText::find(std::string_view name) const {
    for (auto it = lines.rbegin(); it != lines.rend(); ++it)
        if (it->is_value && it->name == name) return it->text;
    return std::nullopt;
}

void StoreText::set(std::string_view name, std::string_view text) {
    StoreLine line;
    line.raw = std::string(name) + "=" + std::string(text);
    line.is_value = true;
    line.name = std::string(name);
    line.text = std::string(text);
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (it->is_value && it->name == name) {
            *it = std::move(line);
            return;
        }
    }
    lines.push_back(std::move(line));
}

std::string StoreText::serialize() const {
    std::string out;
    for (const auto& line : lines) {
        out += line.raw;
        out += '\n';
    }
    return out;
}

bool storable_name(std::string_view name) {
    if (name.empty() || name != trim_blanks(name) || name.front() == '#') return false;
    // On the first line it would be taken for a byte-order mark and not read back.
    if (name.substr(0, 3) == "\xEF\xBB\xBF") return false;
    return name.find_first_of(std::string_view("=\r\n\0", 4)) == std::string_view::npos;
}

bool storable_text(std::string_view text) {
    if (!text.empty() && text.back() == '\r') return false;
    return text.find_first_of(std::string_view("\n\0", 2)) == std::string_view::npos;
}

} // namespace q50
