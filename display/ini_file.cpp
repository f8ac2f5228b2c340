#include "display/ini_file.h"

#include "host/regular_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

namespace q50 {

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

std::string fold(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return out;
}

// Files saved as "Unicode" by a Windows editor are UTF-16; the rest of the reader works on
// UTF-8.
void append_utf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

std::string utf16_to_utf8(std::string_view bytes, bool big_endian) {
    std::string out;
    out.reserve(bytes.size() / 2);
    auto unit = [&](std::size_t i) {
        auto b0 = std::uint8_t(bytes[i]), b1 = std::uint8_t(bytes[i + 1]);
        return big_endian ? std::uint32_t(b0 << 8 | b1) : std::uint32_t(b1 << 8 | b0);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        std::uint32_t u = unit(i);
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
            std::uint32_t lo = unit(i + 2);
            if (lo >= 0xDC00 && lo < 0xE000) {
                append_utf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
                i += 2;
                continue;
            }
        }
        append_utf8(out, u >= 0xD800 && u < 0xE000 ? 0xFFFD : u);
    }
    return out;
}

} // namespace

IniFile IniFile::parse(std::string_view text) {
    std::string converted;
    if (text.size() >= 2 && std::uint8_t(text[0]) == 0xFF && std::uint8_t(text[1]) == 0xFE) {
        converted = utf16_to_utf8(text.substr(2), false);
        text = converted;
    } else if (text.size() >= 2 && std::uint8_t(text[0]) == 0xFE && std::uint8_t(text[1]) == 0xFF) {
        converted = utf16_to_utf8(text.substr(2), true);
        text = converted;
    } else if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }

    IniFile ini;
    Keys* current = &ini.sections_[std::string()];
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++pos;

        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            std::string_view name = line.substr(1);
            std::size_t close = name.rfind(']');
            if (close != std::string_view::npos) name = name.substr(0, close);
            // A repeated section adds to the first one.
            current = &ini.sections_[fold(trim(name))];
            continue;
        }
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view key = trim(line.substr(0, eq));
        if (key.empty()) continue;
        std::string_view value = trim(line.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        if (value.size() > kMaxValueLength) value = value.substr(0, kMaxValueLength);
        current->try_emplace(fold(key), value);
    }
    return ini;
}

std::optional<IniFile> IniFile::load(const std::filesystem::path& path, std::string* error,
                                     std::string* cut_notice, std::size_t max_bytes) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        if (error) *error = path.string() + ": is a directory";
        return std::nullopt;
    }
    const FileBytes file = read_regular_file(path.string(), max_bytes, WhenLarger::Cut);
    if (!file.error.empty()) {
        if (error) *error = path.string() + ": " + file.error;
        return std::nullopt;
    }
    if (file.cut && cut_notice) {
        const std::string size = size_text(max_bytes);
        *cut_notice =
            path.string() + " is larger than " + size + "; only its first " + size + " are read";
    }
    return parse(std::string(file.bytes.begin(), file.bytes.end()));
}

const std::string* IniFile::find(std::string_view section, std::string_view key) const {
    auto s = sections_.find(fold(section));
    if (s == sections_.end()) return nullptr;
    auto k = s->second.find(fold(key));
    return k == s->second.end() ? nullptr : &k->second;
}

bool IniFile::has_key(std::string_view section, std::string_view key) const {
    return find(section, key) != nullptr;
}

std::string IniFile::read_string(std::string_view section, std::string_view key,
                                 std::string_view fallback) const {
    const std::string* v = find(section, key);
    return v ? *v : std::string(fallback);
}

std::int32_t IniFile::read_integer(std::string_view section, std::string_view key,
                                   std::int32_t fallback) const {
    std::string text = read_string(section, key, "");
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.replace(0, 2, "$");
    return strict_integer(text).value_or(fallback);
}

std::optional<std::int32_t> strict_integer(std::string_view s) {
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    std::uint64_t value = 0;
    if (!s.empty() && s.front() == '$') {
        s.remove_prefix(1);
        if (s.empty()) return std::nullopt;
        for (char c : s) {
            int d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else
                return std::nullopt;
            value = value * 16 + std::uint64_t(d);
            if (value > 0xFFFFFFFFull) return std::nullopt;
        }
        std::uint32_t bits = std::uint32_t(value);
        if (negative) bits = 0u - bits;
        return std::int32_t(bits);
    }
    if (s.empty()) return std::nullopt;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + std::uint64_t(c - '0');
        if (value > 2147483648ull) return std::nullopt;
    }
    if (negative) return std::int32_t(-std::int64_t(value));
    if (value > 2147483647ull) return std::nullopt;
    return std::int32_t(value);
}

std::string invalid_integer_message(std::string_view text) {
    std::string out = "'";
    out += text;
    out += "' is not a valid integer value";
    return out;
}

} // namespace q50
