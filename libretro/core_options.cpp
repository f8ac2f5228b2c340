#include "libretro/core_options.h"

#include <charconv>

namespace q50 {

const OptionEntry kOptionEntries[] = {
    {"quendrix50_view", "Picture; Whole device|LCD only"},
    {"quendrix50_scale", "Scale; 1x|2x|3x|4x"},
    {"quendrix50_lcd_shadow", "LCD shadow of unlit segments (%); 0|10|20|30|40|50|60|70|80|90|100"},
    {"quendrix50_lcd_response", "LCD response time (ms); 0|25|50|75|100|150|200"},
    {"quendrix50_volume", "Volume (%); 100|90|80|70|60|50|40|30|20|10|0"},
    {nullptr, nullptr},
};

namespace {

std::optional<int> number(std::string_view text, int lo, int hi) {
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || v < lo || v > hi) return std::nullopt;
    const std::string_view rest(end, std::size_t(text.data() + text.size() - end));
    if (!rest.empty() && rest != "x") return std::nullopt;
    return v;
}

} // namespace

void apply_option(CoreOptions& o, std::string_view key, std::string_view value) {
    if (key == "quendrix50_view") {
        if (value == "Whole device") o.view.view = View::Device;
        if (value == "LCD only") o.view.view = View::Lcd;
    } else if (key == "quendrix50_scale") {
        if (auto v = number(value, 1, kMaxViewScale)) o.view.scale = *v;
    } else if (key == "quendrix50_lcd_shadow") {
        if (auto v = number(value, 0, 100)) o.lcd_shadow = *v;
    } else if (key == "quendrix50_lcd_response") {
        if (auto v = number(value, 0, 200)) o.lcd_response = *v;
    } else if (key == "quendrix50_volume") {
        if (auto v = number(value, 0, 100)) o.volume = *v;
    }
}

} // namespace q50
