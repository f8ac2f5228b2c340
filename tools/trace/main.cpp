// quendrix-trace: plays a script of timed inputs against the device in virtual time and
// prints what happens. Reads the script on standard input.
#include "tools/trace/runner.h"
#include "tools/trace/script.h"

#include <cstring>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

constexpr const char* kUsage =
    "usage: quendrix-trace < SCRIPT\n"
    "Plays the script against the device in virtual time and prints one event a line.\n"
    "Exit status: 0 done, 1 the run stopped with an error, 2 the script or the command line\n"
    "is wrong (nothing is run).\n";

} // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    q50::trace::RunOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::cout << kUsage;
            return 0;
        }
        std::cerr << "quendrix-trace: unknown option '" << arg << "'\n" << kUsage;
        return 2;
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

    const q50::trace::RunResult result = q50::trace::run_script(*parsed.script, std::cout, options);
    std::cout.flush();
    if (!result.ok) {
        std::cerr << "quendrix-trace: " << result.error << '\n';
        return 1;
    }
    return 0;
}
