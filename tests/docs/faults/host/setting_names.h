#pragma once
// A table of stored names as the checker reads it; "Gamma" in a comment is no name.
#include <array>
#include <string_view>

inline constexpr std::string_view Alpha = "Alpha";
inline constexpr std::string_view Beta = "Beta";
inline constexpr std::array<std::string_view, 4> kKeyNames = {"Key1", "Key2", "Key3", "Key4"};
