#pragma once
// The per-user settings store: named values kept as text (integers in signed decimal,
// Booleans as "1" and "0"). Every read sees every earlier write; every write is kept at once.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace q50 {

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // The stored text of a value, or nothing when the value does not exist (or the store
    // cannot be read).
    virtual std::optional<std::string> read_text(std::string_view name) = 0;
    // Stores the text; false when it could not be kept (the earlier values are then intact).
    virtual bool write_text(std::string_view name, std::string_view text) = 0;

    // Gets the stored text (nothing when absent) and gives the text to store, or nothing to
    // leave the value as it is. A store that cannot write now may keep the change and run it
    // again on the value stored then: it holds what it needs by value.
    using TextChange =
        std::function<std::optional<std::string>(const std::optional<std::string>& stored)>;
    // Reads a value and writes what `change` makes of it, with no write of another writer (in
    // this or another running copy) between the read and the write. False when the store
    // could not be read or the new text not kept. This version suits stores that only this
    // process writes; a store shared between processes overrides it.
    virtual bool update_text(std::string_view name, const TextChange& change);
    // Stores several values, in this order; false when any was not kept. This version writes
    // them one by one; a store that keeps each write at a cost (a file flushed to the disk)
    // overrides it to keep them all at once.
    using Texts = std::vector<std::pair<std::string_view, std::string>>;
    virtual bool write_texts(const Texts& values);

    // The default when the value is absent or its text is not an integer.
    std::int32_t read_int(std::string_view name, std::int32_t dflt);
    // An integer read with default 1 or 0; true exactly when it is not 0.
    bool read_bool(std::string_view name, bool dflt);
    bool write_int(std::string_view name, std::int32_t value);
    bool write_bool(std::string_view name, bool value);
    // Keeps the higher of `value` and the stored integer (an absent or non-integer value counts
    // as lower), in one update, and returns the value stored afterwards: `value` when it was
    // higher (also when it could not be written), the stored value otherwise. `kept` (when
    // given) tells whether the store holds what is returned.
    std::int32_t raise_int(std::string_view name, std::int32_t value, bool* kept = nullptr);
};

// Parses the stored text of an integer: optional blanks, an optional sign and decimal digits,
// within 32 bits. Anything else is not an integer.
std::optional<std::int32_t> parse_stored_int(std::string_view text);

} // namespace q50
