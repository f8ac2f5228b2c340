#include "shell/core/event_printer.h"

#include "game/device.h"
#include "game/timers.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <vector>

namespace q50 {

EventPrinter::EventPrinter(std::ostream& out, Device& device) : out_(out), dev_(device) {}

void EventPrinter::attach() {
    dev_.board.set_observer(this);
    dev_.on_set_mode = [this](std::int32_t mode) { line() << "mode " << mode << '\n'; };
}

void EventPrinter::sound(std::string_view what) {
    if (what == "silence")
        line() << "silence\n";
    else
        line() << "sound " << what << '\n';
}

void EventPrinter::stored(const std::string& name, const std::string& text) {
    line() << "store " << name << ' ' << text << '\n';
}

std::ostream& EventPrinter::line() {
    return out_ << dev_.now() << ' ';
}

std::string EventPrinter::source_of(const Segment& s) {
    if (!s.picture && !s.picture_source) return "-";
    return s.picture_source ? std::string(s.source_name()) : "?";
}

void EventPrinter::shown_changed(const Segment& s) {
    line() << (s.shown ? "on " : "off ") << s.name << '\n';
}

void EventPrinter::picture_changed(const Segment& s) {
    // Only copies of the glyphs or of the pressed pad pictures, and emptying, are reported;
    // a picture of the segment's own (from a skin) is remembered as unreported.
    Board& b = dev_.board;
    for (int k = 1; k <= 4; ++k) {
        if (&s != &b.Seg_Digit[k]) continue;
        // A digit shows one of the ten glyphs, or nothing.
        std::string glyph = source_of(s);
        for (int n = 0; n <= 9 && s.picture_source; ++n)
            if (*s.picture_source == b.id_of(b.Seg_Number[n])) glyph = std::to_string(n);
        const bool reportable = glyph == "-" || (glyph.size() == 1 && std::isdigit(glyph[0]));
        std::string& last = digit_[std::size_t(k)];
        if (!reportable) last = "?";
        if (!reportable || glyph == last) return;
        last = glyph;
        line() << "digit " << k << ' ' << glyph << '\n';
        return;
    }
    if (&s == &b.get("btn_move_top")) {
        const std::string source = source_of(s);
        const bool reportable = source == "-" ||
                                s.picture_source == SegmentId("btn_move_down_left") ||
                                s.picture_source == SegmentId("btn_move_down_right");
        if (!reportable) pad_ = "?";
        if (!reportable || source == pad_) return;
        pad_ = source;
        line() << "picture btn_move_top " << source << '\n';
    }
}

void EventPrinter::error(const std::string& text) {
    line() << "message " << text << '\n';
}

void EventPrinter::notice(const std::string& text) {
    line() << "message " << text << '\n';
}

void EventPrinter::dump() {
    auto joined = [](const auto& values, int from, int to) {
        std::string s;
        for (int i = from; i <= to; ++i) {
            if (i > from) s += ',';
            s += std::to_string(values[std::size_t(i)]);
        }
        return s;
    };
    for (const VariableRef& v : dev_.variables()) {
        line() << "var " << v.name << ' ' << (v.flag ? int(*v.flag) : *v.integer) << '\n';
        if (v.name == "Stage_Ticks") {
            line() << "var Enemy_Flame " << joined(dev_.Enemy_Flame, 1, 5) << '\n';
            line() << "var Speed_Table " << joined(dev_.Speed_Table, 0, 19) << '\n';
        }
    }
    for (int i = 0; i < kTimerCount; ++i) {
        const TimerId id = TimerId(i);
        line() << "timer " << timer_name(id) << ' ' << dev_.timers.interval(id) << ' '
               << (dev_.timers.enabled(id) ? "on" : "off") << '\n';
    }
    std::vector<std::string_view> lit;
    for (const Segment& s : dev_.board.segments())
        if (s.shown) lit.push_back(s.name);
    std::sort(lit.begin(), lit.end());
    line() << "lit";
    for (auto n : lit) out_ << ' ' << n;
    out_ << '\n';
}

} // namespace q50
