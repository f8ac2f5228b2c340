#include "shell/core/recording_file.h"

#include "host/setting_names.h"
#include "shell/core/menu_commands.h"

#include <algorithm>
#include <charconv>
#include <fstream>

namespace q50 {

namespace {

constexpr std::int64_t kMaxTime = 1'000'000'000'000;

// Into `out`, whose room is kept from line to line: a long recording allocates nothing a line.
void words_of(std::string_view line, std::vector<std::string_view>& out) {
    if (auto hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    out.clear();
    std::size_t i = 0;
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (i < line.size()) {
        while (i < line.size() && blank(line[i])) ++i;
        std::size_t j = i;
        while (j < line.size() && !blank(line[j])) ++j;
        if (j > i) out.push_back(line.substr(i, j - i));
        i = j;
    }
}

bool all_digits(std::string_view d) {
    return std::all_of(d.begin(), d.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<std::int64_t> integer(std::string_view w) {
    std::int64_t v = 0;
    auto [ptr, ec] = std::from_chars(w.data(), w.data() + w.size(), v);
    if (ec != std::errc() || ptr != w.data() + w.size() || w.empty()) return std::nullopt;
    return v;
}

// HH:MM, HH:MM:SS or HH:MM:SS.mmm
std::optional<std::int64_t> time_of_day(std::string_view t) {
    int h = 0, m = 0, s = 0, ms = 0;
    auto two = [](std::string_view d, int& out, int max) {
        if (d.empty() || d.size() > 2 || !all_digits(d)) return false;
        out = std::stoi(std::string(d));
        return out <= max;
    };
    const auto c1 = t.find(':');
    if (c1 == std::string_view::npos || !two(t.substr(0, c1), h, 23)) return std::nullopt;
    std::string_view rest = t.substr(c1 + 1);
    const auto c2 = rest.find(':');
    if (!two(rest.substr(0, c2), m, 59)) return std::nullopt;
    if (c2 != std::string_view::npos) {
        rest = rest.substr(c2 + 1);
        const auto dot = rest.find('.');
        if (!two(rest.substr(0, dot), s, 59)) return std::nullopt;
        if (dot != std::string_view::npos) {
            const std::string_view f = rest.substr(dot + 1);
            if (f.size() != 3 || !all_digits(f)) return std::nullopt;
            ms = std::stoi(std::string(f));
        }
    }
    return ((std::int64_t(h) * 60 + m) * 60 + s) * 1000 + ms;
}

// Takes a recording line by line, keeping only what a playback needs.
class RecordingParser {
  public:
    // False once the line is refused (error() says why).
    bool line(std::string_view line);
    RecordingRead finish();

  private:
    bool fail(const std::string& why) {
        error_ = "line " + std::to_string(n_) + ": " + why;
        return false;
    }
    bool header(const std::vector<std::string_view>& w);
    bool timed(const std::vector<std::string_view>& w);

    Recording r_;
    std::int64_t last_ = 0;
    bool timed_ = false;
    int n_ = 0;
    std::string error_;
    std::vector<std::string_view> words_;
};

bool RecordingParser::line(std::string_view line) {
    ++n_;
    if (line.find('\0') != std::string_view::npos) return fail("not a text file");
    words_of(line, words_);
    const std::vector<std::string_view>& w = words_;
    if (w.empty()) return true;
    if (r_.end) return fail("a line after the end");
    return w[0] == "at" ? timed(w) : header(w);
}

bool RecordingParser::header(const std::vector<std::string_view>& w) {
    if (timed_) return fail("'" + std::string(w[0]) + "' after the first timed line");
    if (w[0] == "store" && w.size() >= 3) {
        const auto known =
            std::find(setting::kDeviceValues.begin(), setting::kDeviceValues.end(), w[1]);
        if (known == setting::kDeviceValues.end())
            return fail("unknown store value '" + std::string(w[1]) + "'");
        r_.start.store.emplace_back(std::string(w[1]), std::string(w[2]));
    } else if (w[0] == "seed" && w.size() == 2) {
        const auto v = integer(w[1]);
        if (!v || *v < 0 || *v > 0xFFFFFFFFll) return fail("bad seed");
        r_.start.seed = std::uint32_t(*v);
    } else if (w[0] == "time" && w.size() == 2) {
        const auto v = time_of_day(w[1]);
        if (!v) return fail("bad time of day '" + std::string(w[1]) + "'");
        r_.start.ms_of_day = *v;
    } else if (w[0] == "fullscreen" && w.size() == 1) {
        r_.start.fullscreen = true;
    } else if (w[0] == "skin" && w.size() >= 2) {
        // The skin the run was shown with; a playback shows the one in use.
        r_.start.skin = std::string(w[1]);
        for (std::size_t i = 2; i < w.size(); ++i) r_.start.skin += " " + std::string(w[i]);
    } else {
        return fail("'" + std::string(w[0]) + "' is not a line of a recording");
    }
    return true;
}

bool RecordingParser::timed(const std::vector<std::string_view>& w) {
    timed_ = true;
    if (w.size() < 3) return fail("'at' needs a time and a command");
    const auto t = integer(w[1]);
    if (!t || *t < 0 || *t > kMaxTime) return fail("bad time '" + std::string(w[1]) + "'");
    if (*t < last_) return fail("time " + std::to_string(*t) + " goes back");
    const std::int64_t before = last_;
    last_ = *t;
    const std::string_view what = w[2];
    RecordedLine e;
    e.time = *t;
    if ((what == "press" || what == "release") && w.size() == 4) {
        const auto b = button_named(w[3]);
        if (!b) return fail("unknown button '" + std::string(w[3]) + "'");
        e.code = std::uint8_t(*b);
        e.down = what == "press";
    } else if (what == "end" && w.size() == 3) {
        r_.end = *t;
        return true;
    } else if (what == kCatchUpWord) {
        const auto gap = w.size() == 4 ? integer(w[3]) : std::nullopt;
        if (!gap || *gap < 0 || *gap > *t) return fail("'catchup' needs the stall's length in ms");
        // The device stood still from the stall's start: no earlier line comes after it.
        if (*t - *gap < before)
            return fail("the stall begins before the previous time " + std::to_string(before));
        e.kind = RecordedLine::Kind::CatchUp;
        e.value = *gap;
    } else if (const auto c = menu_command_named(what)) {
        const bool takes = menu_command_takes_value(*c) || *c == MenuCommand::Resume;
        if (w.size() != (takes ? 4u : 3u))
            return fail("'" + std::string(what) + "': wrong arguments");
        if (takes) {
            const auto v = integer(w[3]);
            const bool ok = *c == MenuCommand::Resume ? v && *v >= 0 && *v <= kMaxTime
                                                      : v && (*v == 0 || *v == 1);
            if (!ok) return fail("bad value '" + std::string(w[3]) + "'");
            e.value = *v;
        }
        e.kind = RecordedLine::Kind::Command;
        e.code = std::uint8_t(*c);
    } else {
        return fail("'" + std::string(what) + "' is not a command of a recording");
    }
    r_.entries.push_back(e);
    return true;
}

RecordingRead RecordingParser::finish() {
    if (!error_.empty()) return {std::nullopt, error_};
    if (!timed_) return {std::nullopt, "it holds no recorded input (no 'at' line)"};
    return {std::move(r_), {}};
}

} // namespace

std::string RecordedLine::text() const {
    switch (kind) {
    case Kind::Button:
        return script_command(action());
    case Kind::CatchUp:
        return catch_up_command(stall());
    case Kind::Command:
        break;
    }
    std::string out(menu_command_word(command()));
    if (menu_command_takes_value(command()) || command() == MenuCommand::Resume)
        out += ' ' + std::to_string(value);
    return out;
}

RecordingRead parse_recording(std::string_view text) {
    RecordingParser p;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        if (!p.line(text.substr(pos, end - pos))) break;
        pos = end + 1;
    }
    return p.finish();
}

RecordingRead parse_recording(std::istream& in) {
    RecordingParser p;
    std::string line;
    // As the text's own parse counts it: the part after the last line end is a line too.
    bool more = true;
    while (more) {
        more = bool(std::getline(in, line));
        if (!more && (!in.eof() || in.bad())) return {std::nullopt, "it cannot be read"};
        if (!p.line(more ? std::string_view(line) : std::string_view())) break;
    }
    return p.finish();
}

RecordingRead read_recording(const std::filesystem::path& file) {
    std::error_code ec;
    // A device, a pipe or a folder would block or never end: only plain files are read.
    if (!std::filesystem::is_regular_file(file, ec)) return {std::nullopt, "it is not a file"};
    const auto size = std::filesystem::file_size(file, ec);
    if (ec) return {std::nullopt, "it cannot be read"};
    if (size > kMaxRecordingBytes) return {std::nullopt, "it is far too large for a recording"};
    std::ifstream in(file, std::ios::binary);
    if (!in) return {std::nullopt, "it cannot be read"};
    return parse_recording(in);
}

} // namespace q50
