#pragma once
// The per-user settings store: named values kept as text (integers in signed decimal,
// Booleans as "1" and "0"). Every read sees every earlier write; every write is kept at once.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace q50 {

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // The stored text of a value, or nothing when the value does not exist (or the store
    // cannot be read).
    virtual std::optional<std::string> read_text(std::string_view name) = 0;
    // Stores the text; false when it could not be kept (the earlier values are then intact).
    virtual bool write_text(std::string_view name, std::string_view text) = 0;

    // The default when the value is absent or its text is not an integer.
    std::int32_t read_int(std::string_view name, std::int32_t dflt);
    // An integer read with default 1 or 0; true exactly when it is not 0.
    bool read_bool(std::string_view name, bool dflt);
    bool write_int(std::string_view name, std::int32_t value);
    bool write_bool(std::string_view name, bool value);
};

// Parses the stored text of an integer: optional blanks, an optional sign and decimal digits,
// within 32 bits. Anything else is not an integer.
std::optional<std::int32_t> parse_stored_int(std::string_view text);

} // namespace q50
