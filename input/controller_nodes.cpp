#include "input/controller_nodes.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace q50 {

namespace {

// The kernel prints its unsigned long, which a native build shares.
constexpr int kWordBits = 8 * int(sizeof(unsigned long));

// The button codes of input-event-codes.h that only controllers have.
constexpr int kJoystickFirst = 0x120; // BTN_JOYSTICK, BTN_TRIGGER
constexpr int kGamepadLast = 0x13e;   // BTN_THUMBR
constexpr int kHappyFirst = 0x2c0;    // BTN_TRIGGER_HAPPY1
constexpr int kHappyLast = 0x2e7;     // BTN_TRIGGER_HAPPY40

// The words least significant first; none when the text is not a list of hex words.
std::optional<std::vector<std::uint64_t>> words_of(std::string_view text) {
    std::vector<std::uint64_t> words;
    std::size_t i = 0;
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (i < text.size()) {
        if (space(text[i])) {
            ++i;
            continue;
        }
        std::uint64_t word = 0;
        int digits = 0;
        for (; i < text.size() && !space(text[i]); ++i, ++digits) {
            const char c = text[i];
            int v;
            if (c >= '0' && c <= '9')
                v = c - '0';
            else if (c >= 'a' && c <= 'f')
                v = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                v = c - 'A' + 10;
            else
                return std::nullopt;
            if (digits == kWordBits / 4) return std::nullopt;
            word = word << 4 | std::uint64_t(v);
        }
        words.push_back(word);
    }
    if (words.empty()) return std::nullopt;
    std::reverse(words.begin(), words.end());
    return words;
}

bool any_bit(const std::vector<std::uint64_t>& words, int first, int last) {
    for (int code = first; code <= last; ++code) {
        const std::size_t w = std::size_t(code / kWordBits);
        if (w < words.size() && (words[w] >> (code % kWordBits) & 1)) return true;
    }
    return false;
}

// "js" or "event" followed by a number.
bool numbered(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) return false;
    return std::all_of(name.begin() + std::ptrdiff_t(prefix.size()), name.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

bool key_capabilities_name_pad_buttons(std::string_view text) {
    const auto words = words_of(text);
    if (!words) return true;
    return any_bit(*words, kJoystickFirst, kGamepadLast) ||
           any_bit(*words, kHappyFirst, kHappyLast);
}

bool node_may_be_controller(std::string_view name, const std::filesystem::path& input_class) {
    if (numbered(name, "js")) return true;
    if (!numbered(name, "event")) return false;
    std::ifstream in(input_class / std::string(name) / "device" / "capabilities" / "key");
    if (!in) return true;
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return true;
    return key_capabilities_name_pad_buttons(text);
}

bool folder_may_hold_controller(const std::filesystem::path& folder,
                                const std::filesystem::path& input_class) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return ec != std::errc::no_such_file_or_directory && ec != std::errc::not_a_directory;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) return true;
        if (node_may_be_controller(it->path().filename().string(), input_class)) return true;
    }
    return !!ec;
}

} // namespace q50
