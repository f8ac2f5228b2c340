#include "shell/core/recording_file.h"

#include "host/setting_names.h"
#include "shell/core/menu_commands.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

namespace q50 {

namespace {

constexpr std::int64_t kMaxTime = 1'000'000'000'000;

std::vector<std::string_view> words_of(std::string_view line) {
    if (auto hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    std::vector<std::string_view> out;
    std::size_t i = 0;
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (i < line.size()) {
        while (i < line.size() && blank(line[i])) ++i;
        std::size_t j = i;
        while (j < line.size() && !blank(line[j])) ++j;
        if (j > i) out.push_back(line.substr(i, j - i));
        i = j;
    }
    return out;
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

} // namespace

RecordingRead parse_recording(std::string_view text) {
    Recording r;
    std::int64_t last = 0;
    bool timed = false;
    int n = 0;
    std::size_t pos = 0;
    auto fail = [&](const std::string& why) {
        return RecordingRead{std::nullopt, "line " + std::to_string(n) + ": " + why};
    };
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++n;
        if (line.find('\0') != std::string_view::npos) return fail("not a text file");
        const auto w = words_of(line);
        if (w.empty()) continue;
        if (r.end) return fail("a line after the end");
        if (w[0] != "at") {
            if (timed) return fail("'" + std::string(w[0]) + "' after the first timed line");
            if (w[0] == "store" && w.size() >= 3) {
                const auto known =
                    std::find(setting::kDeviceValues.begin(), setting::kDeviceValues.end(), w[1]);
                if (known == setting::kDeviceValues.end())
                    return fail("unknown store value '" + std::string(w[1]) + "'");
                r.start.store.emplace_back(std::string(w[1]), std::string(w[2]));
            } else if (w[0] == "seed" && w.size() == 2) {
                const auto v = integer(w[1]);
                if (!v || *v < 0 || *v > 0xFFFFFFFFll) return fail("bad seed");
                r.start.seed = std::uint32_t(*v);
            } else if (w[0] == "time" && w.size() == 2) {
                const auto v = time_of_day(w[1]);
                if (!v) return fail("bad time of day '" + std::string(w[1]) + "'");
                r.start.ms_of_day = *v;
            } else if (w[0] == "fullscreen" && w.size() == 1) {
                r.start.fullscreen = true;
            } else if (w[0] == "skin" && w.size() >= 2) {
                // The skin the run was shown with; a playback shows the one in use.
                r.start.skin = std::string(w[1]);
                for (std::size_t i = 2; i < w.size(); ++i) r.start.skin += " " + std::string(w[i]);
            } else {
                return fail("'" + std::string(w[0]) + "' is not a line of a recording");
            }
            continue;
        }
        timed = true;
        if (w.size() < 3) return fail("'at' needs a time and a command");
        const auto t = integer(w[1]);
        if (!t || *t < 0 || *t > kMaxTime) return fail("bad time '" + std::string(w[1]) + "'");
        if (*t < last) return fail("time " + std::to_string(*t) + " goes back");
        last = *t;
        const std::string_view what = w[2];
        if ((what == "press" || what == "release") && w.size() == 4) {
            const auto b = button_named(w[3]);
            if (!b) return fail("unknown button '" + std::string(w[3]) + "'");
            r.entries.push_back({*t, {*b, what == "press"}, {}});
        } else if (what == "end" && w.size() == 3) {
            r.end = *t;
        } else if (const auto c = menu_command_named(what)) {
            std::string command(what);
            const bool takes = menu_command_takes_value(*c) || *c == MenuCommand::Resume;
            if (w.size() != (takes ? 4u : 3u)) return fail("'" + command + "': wrong arguments");
            if (takes) {
                const auto v = integer(w[3]);
                const bool ok = *c == MenuCommand::Resume ? v && *v >= 0 && *v <= kMaxTime
                                                          : v && (*v == 0 || *v == 1);
                if (!ok) return fail("bad value '" + std::string(w[3]) + "'");
                command += ' ' + std::to_string(*v);
            }
            r.entries.push_back({*t, {}, command});
        } else {
            return fail("'" + std::string(what) + "' is not a command of a recording");
        }
    }
    if (!timed) return {std::nullopt, "it holds no recorded input (no 'at' line)"};
    return {std::move(r), {}};
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
    std::ostringstream s;
    s << in.rdbuf();
    return parse_recording(s.str());
}

} // namespace q50
