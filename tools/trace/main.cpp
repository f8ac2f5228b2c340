// quendrix-trace: plays a script of timed inputs against the device in virtual time and
// prints what happens. Reads the script on standard input.
#include "display/lcd_look.h"
#include "tools/trace/pixel_goldens.h"
#include "tools/trace/runner.h"
#include "tools/trace/script.h"

#include <cstring>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>

namespace {

constexpr const char* kUsage =
    "usage: quendrix-trace [--skin DIR] [--manual DIR] [--fullscreen] [--screen WxH]\n"
    "                      [--lcd-shadow N] [--lcd-fade MS]\n"
    "                      [--goldens BASE [--failed BASE] [--rebaseline all|missing]] < SCRIPT\n"
    "Plays the script against the device in virtual time and prints one event a line.\n"
    "Exit status: 0 done, 1 the run stopped with an error, 2 the script or the command line\n"
    "is wrong (nothing is run).\n"
    "  --skin DIR     load the skin whose Config.ini is in DIR (pictures resolved from DIR),\n"
    "                 also instead of the one a recording names in its skin line\n"
    "  --manual DIR   open the manual once at the start, as the program's View manual does\n"
    "                 from its delivered data: [Manual] of DIR's Config.ini, pages from DIR\n"
    "  --fullscreen   start in fullscreen presentation (the default is windowed)\n"
    "  --screen WxH   the screen size the skin loader sees (default 1024x768)\n"
    "  --lcd-shadow N snapshots show unlit segments at N % of their ink (0..100, default 0)\n"
    "  --lcd-fade MS  snapshots show segments darkening and clearing over MS milliseconds\n"
    "                 (0..200, default 0)\n"
    "  --goldens BASE snapshot N (from 1, in the script's order) is compared with the kept\n"
    "                 picture BASE.NNNN.png instead of written to the file it names; exit\n"
    "                 status 1 when one differs or is missing\n"
    "  --failed BASE  a failing comparison writes what was painted to BASE.NNNN.png and the\n"
    "                 difference (red where it differs) to BASE.NNNN.diff.png (default: the\n"
    "                 kept pictures' name in the current directory)\n"
    "  --rebaseline all|missing\n"
    "                 write the kept pictures anew: every one, or only those missing\n";

bool parse_screen(const std::string& text, int& w, int& h) {
    const auto x = text.find('x');
    if (x == std::string::npos || x == 0 || x + 1 >= text.size()) return false;
    try {
        std::size_t used = 0;
        const int width = std::stoi(text.substr(0, x), &used);
        if (used != x) return false;
        const int height = std::stoi(text.substr(x + 1), &used);
        if (used != text.size() - x - 1) return false;
        if (width < 1 || height < 1 || width > 16384 || height > 16384) return false;
        w = width;
        h = height;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// A whole number in lo..hi, nothing else.
bool parse_bounded(const std::string& text, int lo, int hi, int& out) {
    if (text.empty() || text.size() > 4) return false;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v < lo || v > hi) return false;
    out = v;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    q50::trace::RunOptions options;
    std::string goldens, failed, rebaseline;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--fullscreen") {
            options.fullscreen = true;
            continue;
        }
        if ((arg == "--lcd-shadow" || arg == "--lcd-fade") && i + 1 < argc) {
            const std::string value = argv[++i];
            const bool shadow = arg == "--lcd-shadow";
            if (parse_bounded(value, 0, shadow ? q50::kLcdShadowMax : q50::kLcdFadeMax,
                              shadow ? options.lcd_shadow : options.lcd_fade))
                continue;
            std::cerr << "quendrix-trace: bad " << arg << " value '" << value << "' (use 0.."
                      << (shadow ? q50::kLcdShadowMax : q50::kLcdFadeMax) << ")\n";
            return 2;
        }
        if ((arg == "--goldens" || arg == "--failed" || arg == "--rebaseline") && i + 1 < argc) {
            (arg == "--goldens" ? goldens : arg == "--failed" ? failed : rebaseline) = argv[++i];
            continue;
        }
        if ((arg == "--skin" || arg == "--manual" || arg == "--screen") && i + 1 < argc) {
            const std::string value = argv[++i];
            if (arg == "--skin") {
                options.skin_dir = value;
                continue;
            }
            if (arg == "--manual") {
                options.manual_dir = value;
                continue;
            }
            if (parse_screen(value, options.screen_width, options.screen_height)) continue;
            std::cerr << "quendrix-trace: bad screen size '" << value << "' (use WxH)\n";
            return 2;
        }
        std::cerr << "quendrix-trace: unknown option '" << arg << "'\n" << kUsage;
        return 2;
    }

    using q50::trace::PixelGoldens;
    if (goldens.empty() && (!failed.empty() || !rebaseline.empty())) {
        std::cerr << "quendrix-trace: --failed and --rebaseline need --goldens\n";
        return 2;
    }
    if (!rebaseline.empty() && rebaseline != "all" && rebaseline != "missing") {
        std::cerr << "quendrix-trace: bad --rebaseline value '" << rebaseline
                  << "' (use all or missing)\n";
        return 2;
    }
    std::unique_ptr<PixelGoldens> kept;
    if (!goldens.empty()) {
        const auto renew = rebaseline == "all"       ? PixelGoldens::Renew::All
                           : rebaseline == "missing" ? PixelGoldens::Renew::Missing
                                                     : PixelGoldens::Renew::None;
        if (failed.empty()) failed = std::filesystem::path(goldens).filename().string();
        kept = std::make_unique<PixelGoldens>(goldens, failed, renew);
        options.goldens = kept.get();
    }

    std::ostringstream input;
    input << std::cin.rdbuf();
    const std::string text = input.str();
    const q50::trace::ParseResult parsed = q50::trace::parse_script(text);
    if (!parsed.script) {
        std::cerr << "quendrix-trace: line " << parsed.error.line << ": " << parsed.error.message
                  << '\n';
        return 2;
    }

    // A recording names the skin it was shown with; --skin still chooses another.
    if (options.skin_dir.empty()) options.skin_dir = parsed.script->skin;
    const q50::trace::RunResult result = q50::trace::run_script(*parsed.script, std::cout, options);
    std::cout.flush();
    bool ok = result.ok;
    if (!result.ok) std::cerr << "quendrix-trace: " << result.error << '\n';
    if (kept) {
        for (const std::string& f : kept->failures()) std::cerr << "quendrix-trace: " << f << '\n';
        ok = ok && kept->failures().empty();
    }
    return ok ? 0 : 1;
}
