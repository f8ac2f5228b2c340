#include "tools/trace/script.h"

#include "board/board_geometry.h"
#include "input/pad.h"
#include "tools/trace/rig.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace q50::trace {

namespace {

struct CommandWord {
    std::string_view word;
    Command command;
    // False until the part of the program the command drives exists; the parser then
    // refuses the word like any unknown one.
    bool available;
};

constexpr std::array<CommandWord, 22> kCommands = {{
    {"press", Command::Press, true},
    {"release", Command::Release, true},
    {"keydown", Command::KeyDown, true},
    {"keyup", Command::KeyUp, true},
    {"mousedown", Command::MouseDown, true},
    {"mouseup", Command::MouseUp, true},
    {"set", Command::Set, true},
    {"show", Command::Show, true},
    {"hide", Command::Hide, true},
    {"draws", Command::Draws, true},
    {"dump", Command::Dump, true},
    {"snapshot", Command::Snapshot, true},
    {"end", Command::End, true},
    {"paddown", Command::PadDown, true},
    {"padup", Command::PadUp, true},
    {"padaxis", Command::PadAxis, true},
    {"padremove", Command::PadRemove, true},
    {"hiscores", Command::Hiscores, true},
    {"overlays", Command::Overlays, true},
    {"fullscreen", Command::Fullscreen, true},
    {"pause", Command::Pause, true},
    {"resume", Command::Resume, true},
}};

std::vector<std::string_view> split_words(std::string_view line) {
    if (auto hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    std::vector<std::string_view> words;
    std::size_t i = 0;
    auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
    };
    while (i < line.size()) {
        while (i < line.size() && blank(line[i])) ++i;
        std::size_t j = i;
        while (j < line.size() && !blank(line[j])) ++j;
        if (j > i) words.push_back(line.substr(i, j - i));
        i = j;
    }
    return words;
}

std::optional<std::int64_t> parse_integer(std::string_view w) {
    std::int64_t v = 0;
    const char* first = w.data();
    const char* last = w.data() + w.size();
    if (first != last && *first == '+') ++first;
    auto [ptr, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || ptr != last || first == last) return std::nullopt;
    return v;
}

bool is_segment(std::string_view name) {
    for (const SegmentGeometry& g : kDesignGeometry)
        if (g.name == name) return true;
    return false;
}

class Parser {
  public:
    explicit Parser(std::string_view text) : text_(text) {}

    ParseResult run() {
        std::size_t pos = 0;
        while (pos <= text_.size() && !failed_) {
            std::size_t end = text_.find('\n', pos);
            if (end == std::string_view::npos) end = text_.size();
            ++line_;
            line(split_words(text_.substr(pos, end - pos)));
            pos = end + 1;
        }
        if (failed_) return {std::nullopt, error_};
        return {std::move(script_), {}};
    }

  private:
    bool fail(std::string message) {
        if (!failed_) error_ = {line_, std::move(message)};
        failed_ = true;
        return false;
    }

    bool line(const std::vector<std::string_view>& w) {
        if (w.empty()) return true;
        if (w[0] == "at") return timed(w);
        if (w[0] == "store" || w[0] == "seed" || w[0] == "time" || w[0] == "fullscreen" ||
            w[0] == "skin") {
            if (!script_.steps.empty())
                return fail(std::string("'").append(w[0]) + "' must come before the first 'at'");
            if (w[0] == "store") return store(w);
            if (w[0] == "seed") return seed(w);
            if (w[0] == "skin") {
                if (w.size() < 2) return fail("'skin' needs a folder");
                // A folder's name may hold spaces: the rest of the line, one space between words.
                script_.skin = std::string(w[1]);
                for (std::size_t i = 2; i < w.size(); ++i) script_.skin += " " + std::string(w[i]);
                return true;
            }
            if (w[0] == "fullscreen") {
                if (w.size() != 1) return fail("'fullscreen' takes no arguments");
                script_.fullscreen = true;
                return true;
            }
            return time(w);
        }
        return fail("unknown command '" + std::string(w[0]) + "'");
    }

    bool store(const std::vector<std::string_view>& w) {
        if (w.size() < 3) return fail("'store' needs a value name and a text");
        if (!is_store_value(w[1]))
            return fail(std::string("unknown store value '").append(w[1]) + "'");
        std::string text(w[2]);
        for (std::size_t i = 3; i < w.size(); ++i) text.append(" ").append(w[i]);
        script_.store.emplace_back(std::string(w[1]), text);
        return true;
    }

    bool seed(const std::vector<std::string_view>& w) {
        if (w.size() != 2) return fail("'seed' needs one number");
        auto v = parse_integer(w[1]);
        if (!v || *v < 0 || *v > 0xFFFFFFFFll) return fail("bad seed '" + std::string(w[1]) + "'");
        script_.seed = std::uint32_t(*v);
        return true;
    }

    // HH:MM, or HH:MM:SS and HH:MM:SS.mmm as a recording of a run writes it.
    bool time(const std::vector<std::string_view>& w) {
        if (w.size() != 2) return fail("'time' needs HH:MM");
        const std::string_view t = w[1];
        const std::string bad = "bad time '" + std::string(t) + "', expected HH:MM[:SS[.mmm]]";
        auto digits = [](std::string_view d, std::size_t min, std::size_t max) {
            return d.size() >= min && d.size() <= max &&
                   d.find_first_not_of("0123456789") == std::string_view::npos;
        };
        std::string_view rest = t;
        auto take = [&](char sep) {
            const auto at = rest.find(sep);
            const std::string_view part = rest.substr(0, at);
            rest = at == std::string_view::npos ? std::string_view() : rest.substr(at + 1);
            return part;
        };
        const bool has_seconds = std::count(t.begin(), t.end(), ':') == 2;
        const std::string_view hh = take(':');
        const std::string_view mm = has_seconds ? take(':') : rest;
        std::string_view ss, ms;
        const auto dot = rest.find('.');
        if (has_seconds) {
            ss = rest.substr(0, dot);
            if (dot != std::string_view::npos) ms = rest.substr(dot + 1);
        }
        if (!digits(hh, 1, 2) || !digits(mm, 2, 2)) return fail(bad);
        if (has_seconds &&
            (!digits(ss, 2, 2) || (dot != std::string_view::npos && !digits(ms, 3, 3))))
            return fail(bad);
        if (!has_seconds && t.find('.') != std::string_view::npos) return fail(bad);
        TimeOfDaySetting v;
        v.hour = std::stoi(std::string(hh));
        v.minute = std::stoi(std::string(mm));
        if (has_seconds) v.second = std::stoi(std::string(ss));
        if (!ms.empty()) v.millisecond = std::stoi(std::string(ms));
        if (v.hour > 23 || v.minute > 59 || v.second > 59) return fail(bad);
        script_.time = v;
        return true;
    }

    bool timed(const std::vector<std::string_view>& w) {
        if (w.size() < 3) return fail("'at' needs a time and a command");
        auto t = parse_integer(w[1]);
        if (!t || *t < 0 || *t > kMaxTime) return fail("bad time '" + std::string(w[1]) + "'");
        if (*t < last_time_)
            return fail("time " + std::to_string(*t) + " is before the previous time " +
                        std::to_string(last_time_));
        last_time_ = *t;
        Step step;
        step.line = line_;
        step.time = *t;
        const CommandWord* cw = nullptr;
        for (const CommandWord& c : kCommands)
            if (c.word == w[2] && c.available) cw = &c;
        if (!cw) return fail("unknown command '" + std::string(w[2]) + "'");
        step.command = cw->command;
        const std::vector<std::string_view> args(w.begin() + 3, w.end());
        switch (step.command) {
        case Command::Press:
        case Command::Release:
            if (!button(args, step)) return false;
            break;
        case Command::Set:
            if (!set(args, step)) return false;
            break;
        case Command::Show:
        case Command::Hide:
        case Command::MouseDown:
        case Command::MouseUp:
            if (args.size() != 1) return fail("'" + std::string(w[2]) + "' needs one name");
            if (!is_segment(args[0])) return fail("unknown segment '" + std::string(args[0]) + "'");
            step.name = std::string(args[0]);
            break;
        case Command::KeyDown:
        case Command::KeyUp: {
            auto code = args.size() == 1 ? parse_integer(args[0]) : std::nullopt;
            if (!code || *code < 0 || *code > 0xFFFF)
                return fail("'" + std::string(w[2]) + "' needs one key code");
            step.values.push_back(*code);
            break;
        }
        case Command::Draws:
            if (args.empty()) return fail("'draws' needs at least one value");
            for (auto a : args) {
                auto v = parse_integer(a);
                if (!v || *v < INT32_MIN || *v > INT32_MAX)
                    return fail("bad draw '" + std::string(a) + "'");
                step.values.push_back(*v);
            }
            break;
        case Command::Snapshot:
            // A file name with blanks would be ambiguous in a blank-separated script.
            if (args.size() != 1) return fail("'snapshot' needs one file name");
            step.name = std::string(args[0]);
            break;
        case Command::PadDown:
        case Command::PadUp:
        case Command::PadAxis:
        case Command::PadRemove:
            if (!pad(std::string(w[2]), args, step)) return false;
            break;
        case Command::Overlays:
        case Command::Fullscreen: {
            auto v = args.size() == 1 ? parse_integer(args[0]) : std::nullopt;
            if (!v || (*v != 0 && *v != 1)) return fail("'" + std::string(w[2]) + "' needs 0 or 1");
            step.values.push_back(*v);
            break;
        }
        case Command::Resume: {
            auto v = args.size() == 1 ? parse_integer(args[0]) : std::nullopt;
            if (!v || *v < 0 || *v > kMaxTime)
                return fail("'resume' needs the pause's length in ms");
            step.values.push_back(*v);
            break;
        }
        case Command::Hiscores:
        case Command::Pause:
        case Command::Dump:
        case Command::End:
            if (!args.empty()) return fail("'" + std::string(w[2]) + "' takes no arguments");
            break;
        }
        script_.steps.push_back(std::move(step));
        return true;
    }

    bool button(const std::vector<std::string_view>& args, Step& step) {
        if (args.size() != 1) return fail("'press' and 'release' need one button");
        const std::optional<Button> b = button_named(args[0]);
        if (!b) return fail("unknown button '" + std::string(args[0]) + "'");
        step.button = *b;
        if (step.button == Button::Open && step.command == Command::Release)
            return fail("the open button has no release");
        return true;
    }

    // paddown BUTTON [PAD], padup BUTTON [PAD], padaxis AXIS VALUE [PAD], padremove [PAD]
    bool pad(const std::string& word, const std::vector<std::string_view>& args, Step& step) {
        const std::size_t fixed = step.command == Command::PadAxis     ? 2
                                  : step.command == Command::PadRemove ? 0
                                                                       : 1;
        const std::string usage = word == "padaxis"     ? "AXIS VALUE [PAD]"
                                  : word == "padremove" ? "[PAD]"
                                                        : "BUTTON [PAD]";
        if (args.size() < fixed || args.size() > fixed + 1)
            return fail("'" + word + "' needs " + usage);
        if (step.command == Command::PadDown || step.command == Command::PadUp) {
            auto b = pad_button_by_name(args[0]);
            if (!b) return fail("unknown controller button '" + std::string(args[0]) + "'");
            step.pad_item = int(*b);
        }
        if (step.command == Command::PadAxis) {
            auto a = pad_axis_by_name(args[0]);
            if (!a) return fail("unknown controller axis '" + std::string(args[0]) + "'");
            auto v = parse_integer(args[1]);
            if (!v || *v < -32768 || *v > 32767)
                return fail("bad axis value '" + std::string(args[1]) +
                            "', expected -32768..32767");
            step.pad_item = int(*a);
            step.values.push_back(*v);
        }
        if (args.size() == fixed + 1) {
            auto p = parse_integer(args[fixed]);
            if (!p || *p < 0 || *p > INT32_MAX)
                return fail("bad controller number '" + std::string(args[fixed]) + "'");
            step.pad = std::int32_t(*p);
        }
        return true;
    }

    bool set(const std::vector<std::string_view>& args, Step& step) {
        if (args.empty()) return fail("'set' needs a variable and a value");
        const Settable s = settable(args[0]);
        if (!s.known) return fail(std::string("unknown variable '").append(args[0]) + "'");
        if (int(args.size()) - 1 != s.count)
            return fail(std::string("'").append(args[0]) + "' takes " + std::to_string(s.count) +
                        (s.count == 1 ? " value" : " values"));
        for (std::size_t i = 1; i < args.size(); ++i) {
            auto v = parse_integer(args[i]);
            const std::int64_t lo = s.boolean ? 0 : -kMaxSetValue;
            const std::int64_t hi = s.boolean ? 1 : kMaxSetValue;
            if (!v || *v < lo || *v > hi)
                return fail("bad value '" + std::string(args[i]) + "' for " + std::string(args[0])),
                       false;
            step.values.push_back(*v);
        }
        // The hero is drawn through a table of positions 0..5; any other value cannot be
        // drawn, so it is refused here rather than stopping the device later.
        if (args[0] == "Pelko_Pos" && (step.values[0] < 0 || step.values[0] > 5))
            return fail("Pelko_Pos must be 0..5");
        step.name = std::string(args[0]);
        return true;
    }

    std::string_view text_;
    Script script_;
    int line_ = 0;
    std::int64_t last_time_ = 0;
    bool failed_ = false;
    ParseError error_;
};

} // namespace

ParseResult parse_script(std::string_view text) {
    return Parser(text).run();
}

} // namespace q50::trace
