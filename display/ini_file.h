#pragma once
// The skin file reader. It behaves like the platform's profile reader on what a skin author
// writes by hand: names without regard to case, blanks trimmed, comment lines, the first of a
// repeated key wins, values of at most kMaxValueLength characters.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace q50 {

class IniFile {
  public:
    static constexpr std::size_t kMaxValueLength = 2047;
    // Longer files are read only this far: no skin needs more, and a huge file copied over
    // Config.ini must not take the memory and the minutes of reading it all.
    static constexpr std::size_t kMaxFileBytes = 16u * 1024 * 1024;

    // Never fails: whatever cannot be understood as a section or a key is ignored.
    static IniFile parse(std::string_view text);
    // Reads and parses a file; nullopt (with a reason in *error) when it cannot be read. A file
    // longer than `max_bytes` is read up to there, with a text saying so in *cut_notice.
    static std::optional<IniFile> load(const std::filesystem::path& path, std::string* error,
                                       std::string* cut_notice = nullptr,
                                       std::size_t max_bytes = kMaxFileBytes);

    // The value, or `fallback` when the section or the key is absent.
    std::string read_string(std::string_view section, std::string_view key,
                            std::string_view fallback) const;
    // Decimal, "$" hexadecimal or "0x" hexadecimal; anything else gives `fallback`.
    std::int32_t read_integer(std::string_view section, std::string_view key,
                              std::int32_t fallback) const;

    bool has_key(std::string_view section, std::string_view key) const;
    std::size_t section_count() const { return sections_.size(); }

  private:
    using Keys = std::unordered_map<std::string, std::string>;
    const std::string* find(std::string_view section, std::string_view key) const;
    std::unordered_map<std::string, Keys> sections_; // names folded to lower case
};

// The strict integer conversion: optional sign, then decimal digits or "$" and hexadecimal
// digits, nothing else. Decimal must fit 32 bits signed; hexadecimal may use all 32 bits and
// wraps ("$FFFFFFFF" is -1).
std::optional<std::int32_t> strict_integer(std::string_view text);
// "'abc' is not a valid integer value"
std::string invalid_integer_message(std::string_view text);

} // namespace q50
