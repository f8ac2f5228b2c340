// The skin file reader on arbitrary bytes: it must never crash, and what it returns must obey
// its own rules.
#include "display/ini_file.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const q50::IniFile ini = q50::IniFile::parse(text);
    static const char* const keys[][2] = {
        {"Common", "SkinDir"},        {"Common", "GameWidth"},
        {"Fullscreen", "BgColor"},    {"Fullscreen", "GameOffsetX"},
        {"VideoMode", "TranspColor"}, {"Image1", "Filename"},
        {"image129", "LEFT"},         {"", ""}};
    for (const auto& k : keys) {
        const std::string v = ini.read_string(k[0], k[1], "");
        if (v.size() > q50::IniFile::kMaxValueLength) std::abort();
        if (!ini.has_key(k[0], k[1]) && !v.empty()) std::abort();
        const std::int32_t n = ini.read_integer(k[0], k[1], 12345);
        (void)n;
        if (auto strict = q50::strict_integer(v)) {
            // A text that converts strictly reads the same as an integer key.
            if (ini.read_integer(k[0], k[1], 0) != *strict) std::abort();
        }
    }
    (void)q50::strict_integer(text);
    return 0;
}
