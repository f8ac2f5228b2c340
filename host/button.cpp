#include "host/button.h"

#include <array>

namespace q50 {

namespace {
constexpr std::array<std::string_view, kButtonCount> kWords = {"open", "game_a", "game_b", "time",
                                                               "acl",  "left",   "right",  "bomb"};
}

std::string_view button_word(Button b) {
    return kWords[std::size_t(b)];
}

std::optional<Button> button_named(std::string_view word) {
    for (std::size_t i = 0; i < kWords.size(); ++i)
        if (kWords[i] == word) return Button(i);
    return std::nullopt;
}

} // namespace q50
