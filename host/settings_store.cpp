#include "host/settings_store.h"

#include <charconv>
#include <memory>

namespace q50 {

std::optional<std::int32_t> parse_stored_int(std::string_view t) {
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    if (t.empty()) return std::nullopt;
    std::int32_t v = 0;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v, 10);
    if (ec != std::errc() || p != t.data() + t.size()) return std::nullopt;
    return v;
}

std::int32_t SettingsStore::read_int(std::string_view name, std::int32_t dflt) {
    auto text = read_text(name);
    if (!text) return dflt;
    return parse_stored_int(*text).value_or(dflt);
}

bool SettingsStore::read_bool(std::string_view name, bool dflt) {
    return read_int(name, dflt ? 1 : 0) != 0;
}

bool SettingsStore::write_int(std::string_view name, std::int32_t value) {
    return write_text(name, std::to_string(value));
}

bool SettingsStore::write_bool(std::string_view name, bool value) {
    return write_text(name, value ? "1" : "0");
}

bool SettingsStore::update_text(std::string_view name, const TextChange& change) {
    const std::optional<std::string> next = change(read_text(name));
    return !next || write_text(name, *next);
}

bool SettingsStore::write_texts(const Texts& values) {
    bool all = true;
    for (const auto& [name, text] : values) all = write_text(name, text) && all;
    return all;
}

std::int32_t SettingsStore::raise_int(std::string_view name, std::int32_t value, bool* kept) {
    // The change holds nothing of this call's frame: a store may keep it to run again once it
    // can write.
    const auto best = std::make_shared<std::int32_t>(value);
    const bool ok = update_text(
        name,
        [value, best](const std::optional<std::string>& stored) -> std::optional<std::string> {
            const std::optional<std::int32_t> old =
                stored ? parse_stored_int(*stored) : std::nullopt;
            if (old && *old >= value) {
                *best = *old;
                return std::nullopt;
            }
            return std::to_string(value);
        });
    if (kept) *kept = ok;
    return *best;
}

} // namespace q50
