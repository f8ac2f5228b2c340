// Picture bombs against the trace tool itself, under a 2 GB memory limit: a skin whose 129
// segments name PNG files of a few kilobytes that declare 256 MB each, a manual of sixteen pages
// of one kilobyte that declare 256 MB each, and a skin whose pictures are a progressive JPEG of
// hundreds of scans. The tool must finish in seconds, within the limit, naming each file that
// is refused.
#include "../support/picture_bombs.h"
#include "../support/sanitizers.h"
#include "display/picture_budget.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
namespace bombs = q50::test::bombs;

std::string slurp(const fs::path& p) {
    std::ifstream f(p);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

// The tool the bombs run against, and how its memory is limited. A sanitized build cannot run
// under `ulimit -v` (AddressSanitizer reserves terabytes of address space): there the sanitized
// tool runs under the sanitizer's own resident-memory ceiling, and the same tool built without
// the sanitizers under `ulimit -v`.
struct Tool {
    const char* name;
    std::string path;
    std::string limit; // a shell prefix
};

std::vector<Tool> tools() {
    const std::string own = Q50_BINARY_DIR "/tools/quendrix-trace";
    const std::string ulimit = "ulimit -v 2097152 && ";
#if defined(Q50_ADDRESS_SANITIZED)
    return {{"sanitized, resident memory up to 2 GB", own,
             "ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}hard_rss_limit_mb=2048\" "},
            {"without sanitizers, ulimit -v 2 GB", Q50_PLAIN_TRACE, ulimit}};
#else
    return {{"ulimit -v 2 GB", own, ulimit}};
#endif
}

struct ToolRun {
    int status = -1; // exit status, -1 when it did not exit
    double seconds = 0;
    long peak_kb = 0; // its resident peak
    std::string out, err;
};

ToolRun run_tool(const Tool& tool, const std::string& args, const fs::path& dir) {
    const fs::path out = dir / "trace.out", err = dir / "trace.err", script = dir / "script";
    std::ofstream(script) << "at 0 dump\nat 10 end\n";
    const std::string cmd = tool.limit + tool.path + " " + args + " < " + script.string() + " > " +
                            out.string() + " 2> " + err.string();
    const auto start = std::chrono::steady_clock::now();
    ToolRun r;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.peak_kb = usage.ru_maxrss;
    r.out = slurp(out);
    r.err = slurp(err);
    return r;
}

// The skins: segments 1..64 name one bomb (which the budget holds exactly), 65..129 another; a
// manual of bombs; and a skin of a JPEG of endless scans. Set Q50_BOMB_SKIN to a folder to keep
// them there (for measuring a build by hand: DIR/png with DIR/png/script, DIR/jpeg).
class PictureBombs : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* keep = std::getenv("Q50_BOMB_SKIN");
        keep_ = keep && *keep;
        // A folder of each test's own: the tests may run at the same time.
        dir_ = keep_ ? fs::path(keep)
                     : fs::path(Q50_BINARY_DIR) / "tests" / "picture_bombs" /
                           ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir_);
        std::string ini = "[Common]\nSkinDir=pics\\\n[Manual]\nManualDir=manual\\\n";
        std::string jpeg_ini = "[Common]\nSkinDir=pics\\\n";
        for (int i = 1; i <= 129; ++i) {
            const std::string rect = "\nLeft=0\nTop=0\nWidth=10\nHeight=10\n";
            ini += "[Image" + std::to_string(i) + "]\nFilename=" + (i <= 64 ? "a" : "b") + ".png" +
                   rect;
            jpeg_ini += "[Image" + std::to_string(i) + "]\nFilename=scans.jpg" + rect;
        }
        bombs::write(png_dir() / "Config.ini", bombs::Bytes(ini.begin(), ini.end()));
        const bombs::Bytes png = bombs::png(16384, 4096);
        bombs::write(png_dir() / "pics/a.png", png);
        bombs::write(png_dir() / "pics/b.png", png);
        const bombs::Bytes page = bombs::rle(8192, 8192);
        for (int n = 1; n <= 16; ++n)
            bombs::write(png_dir() / "manual" / (std::to_string(n) + ".bmp"), page);
        bombs::write(jpeg_dir() / "Config.ini", bombs::Bytes(jpeg_ini.begin(), jpeg_ini.end()));
        const bombs::Bytes jpeg = bombs::jpeg_scans(4096, 4096, 500);
        bombs::write(jpeg_dir() / "pics/scans.jpg", jpeg);
        png_size_ = png.size();
        page_size_ = page.size();
        jpeg_size_ = jpeg.size();
    }
    void TearDown() override {
        if (!keep_) fs::remove_all(dir_);
    }
    fs::path png_dir() const { return dir_ / "png"; }
    fs::path jpeg_dir() const { return dir_ / "jpeg"; }
    fs::path dir_;
    bool keep_ = false;
    std::size_t png_size_ = 0, page_size_ = 0, jpeg_size_ = 0;
};

TEST_F(PictureBombs, TheTraceToolFinishesInSecondsUnderATwoGigabyteLimit) {
    EXPECT_LT(png_size_, 40u * 1024);
    EXPECT_LT(page_size_, 2u * 1024);
    const std::string budget = "(256 MB, 0 MB left of the 256 MB that the skin and the manual "
                               "may take for pictures)";
    for (const Tool& tool : tools()) {
        SCOPED_TRACE(tool.name);
        const ToolRun r = run_tool(
            tool, "--skin " + png_dir().string() + " --manual " + png_dir().string(), png_dir());
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_LT(r.seconds, 30.0);
        // The budget bounds what the pictures take however the load is done, a second thread
        // decoding ahead included: the tool peaks at the budget plus its own few megabytes
        // (the sanitizers add some 50), never at two budgets.
        EXPECT_LT(r.peak_kb, (q50::kPictureBudgetBytes + 128 * 1024 * 1024) / 1024)
            << "peak resident kB of the trace tool";
        EXPECT_NE(r.out.find("0 message \"" + (png_dir() / "pics/b.png").string() +
                             "\" is not loaded: its 16384 x 4096 pixels need more memory than "
                             "is left for pictures " +
                             budget + "\n"),
                  std::string::npos)
            << r.out;
        // The manual, opened after the skin, finds the budget taken.
        EXPECT_NE(r.out.find("0 message \"" + (png_dir() / "manual/1.bmp").string() +
                             "\" is not loaded: its 8192 x 8192 pixels need more memory than "
                             "is left for pictures " +
                             budget + "\n"),
                  std::string::npos)
            << r.out;
        EXPECT_NE(r.out.find("0 lit"), std::string::npos) << r.out; // and the script ran on
    }
}

// A progressive JPEG of 500 scans over 4096 x 4096 pixels, named by every segment: decoded
// once, cut short at the scan limit, the load stopped there with the decoder's reason.
TEST_F(PictureBombs, AJpegOfEndlessScansIsCutShortUnderTheLimit) {
    EXPECT_LT(jpeg_size_, 400u * 1024);
    for (const Tool& tool : tools()) {
        SCOPED_TRACE(tool.name);
        const ToolRun r = run_tool(tool, "--skin " + jpeg_dir().string(), jpeg_dir());
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_LT(r.seconds, 30.0);
        EXPECT_LT(r.peak_kb, (q50::kPictureBudgetBytes + 128 * 1024 * 1024) / 1024);
        EXPECT_NE(r.out.find("0 message \"" + (jpeg_dir() / "pics/scans.jpg").string() +
                             "\" is not a valid JPEG picture (more than 100 scans)\n"),
                  std::string::npos)
            << r.out;
        EXPECT_NE(r.out.find("0 lit"), std::string::npos) << r.out;
    }
}

// A picture the budget allows but the machine's memory cannot hold (here a limit on the tool's
// address space far below the picture): the load goes on as for any picture that cannot be
// decoded, and the message names the file and the memory, not a damaged picture. Only a tool
// without the sanitizers can be given such a limit.
TEST_F(PictureBombs, APictureTheMemoryCannotHoldIsNamedAndNotCalledDamaged) {
    std::vector<Tool> plain;
    for (const Tool& tool : tools())
        if (tool.limit.rfind("ulimit", 0) == 0) plain.push_back(tool);
    ASSERT_FALSE(plain.empty());
    const fs::path skin = dir_ / "memory";
    const std::string ini = "[Common]\nSkinDir=pics\\\n[Image1]\nFilename=a.png\nWidth=10\n"
                            "[Image2]\nFilename=a.png\n";
    bombs::write(skin / "Config.ini", bombs::Bytes(ini.begin(), ini.end()));
    bombs::write(skin / "pics/a.png", bombs::png(16384, 4096));
    for (Tool tool : plain) {
        SCOPED_TRACE(tool.name);
        // 160 MB of address space: the tool itself needs some tens, the picture 256.
        tool.limit = "ulimit -v 163840 && ";
        const ToolRun r = run_tool(tool, "--skin " + skin.string(), skin);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_LT(r.seconds, 30.0);
        const std::string told = "0 message \"" + (skin / "pics/a.png").string() +
                                 "\" is not loaded: not enough memory for its 16384 x 4096 "
                                 "pixels\n";
        EXPECT_NE(r.out.find(told), std::string::npos) << r.out;
        // Told once: the load stops at the first picture that cannot be decoded.
        EXPECT_EQ(r.out.find(told), r.out.rfind(told)) << r.out;
        EXPECT_NE(r.out.find("0 lit"), std::string::npos) << r.out;
    }
}

} // namespace
