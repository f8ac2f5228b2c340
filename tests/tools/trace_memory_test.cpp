// A long script against the trace tool's memory. The tool checks a script whole, then runs it a
// step at a time from its text: its resident peak grows by about the script's own size. Held as
// parsed steps, the same script took ten times its size (a 100 MB recording, 952 MB).
#include "../support/sanitizers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct Peak {
    int status = -1;
    long kb = 0;
};

// The tool's exit status and resident peak on `script`.
Peak run_tool(const std::string& tool, const fs::path& script) {
    const std::string cmd = tool + " < " + script.string() + " > /dev/null";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss};
}

TEST(TraceMemory, ALongScriptTakesAboutItsOwnSizeNotTenTimesIt) {
#if defined(Q50_ADDRESS_SANITIZED)
    // The sanitizer's own allocations would blur the figures: the tool built without it.
#if defined(Q50_PLAIN_TRACE)
    const std::string tool = Q50_PLAIN_TRACE;
#else
    GTEST_SKIP() << "no trace tool without the sanitizers in this build";
#endif
#else
    const std::string tool = Q50_BINARY_DIR "/tools/quendrix-trace";
#endif
    const fs::path dir = fs::path(Q50_BINARY_DIR) / "tests" / "trace_memory";
    fs::create_directories(dir);
    const fs::path small = dir / "small.script", large = dir / "large.script";
    std::ofstream(small) << "at 0 pause\nat 1 end\n";
    // The line that costs least to run and most to hold: 11 bytes of text, a step of its own.
    constexpr long kLines = 300'000;
    {
        std::ofstream out(large);
        const std::string line = "at 0 pause\n";
        std::string block;
        for (int i = 0; i < 10000; ++i) block += line;
        for (long n = 0; n < kLines / 10000; ++n) out << block;
        out << "at 1 end\n";
    }
    const long script_kb = long(fs::file_size(large) / 1024);

    const Peak base = run_tool(tool, small);
    const Peak peak = run_tool(tool, large);
    ASSERT_EQ(base.status, 0);
    ASSERT_EQ(peak.status, 0);
    EXPECT_LT(peak.kb - base.kb, 2 * script_kb)
        << "a " << script_kb << " kB script took " << peak.kb << " kB, " << base.kb
        << " kB for a line";
    fs::remove_all(dir);
}

} // namespace
