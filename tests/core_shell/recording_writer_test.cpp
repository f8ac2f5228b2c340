// Writing a recording: every line reaches the file as it is written, and a file that cannot take
// more is reported, not passed over, and keeps only whole lines.
#include "shell/core/recording_writer.h"

#include "../support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace q50 {
namespace {

TEST(RecordingWriter, LinesAreInTheFileAsSoonAsTheyAreWritten) {
    test::TempDir dir;
    const auto file = dir.path() / "run.script";
    RecordingWriter w;
    ASSERT_TRUE(w.open(file)) << w.error();
    ASSERT_TRUE(w.write("seed 3\ntime 10:00\n"));
    EXPECT_EQ(test::read_file(file), "seed 3\ntime 10:00\n") << "nothing held back";
    ASSERT_TRUE(w.write("at 5 press open\n"));
    EXPECT_TRUE(w.close());
    EXPECT_FALSE(w.is_open());
    EXPECT_EQ(test::read_file(file), "seed 3\ntime 10:00\nat 5 press open\n");
}

TEST(RecordingWriter, AFullDeviceIsReportedAtTheFirstLine) {
    RecordingWriter w;
    ASSERT_TRUE(w.open("/dev/full")) << w.error();
    EXPECT_FALSE(w.write("seed 3\n"));
    EXPECT_EQ(w.error(), "No space left on device");
    EXPECT_FALSE(w.is_open()) << "nothing more is tried";
    EXPECT_FALSE(w.write("time 10:00\n"));
    EXPECT_FALSE(w.close()) << "the failure stays reported";
}

TEST(RecordingWriter, AFolderThatCannotTakeTheFileIsReported) {
    test::TempDir dir;
    RecordingWriter w;
    EXPECT_FALSE(w.open(dir.path() / "gone" / "run.script"));
    EXPECT_EQ(w.error(), "No such file or directory");
    EXPECT_FALSE(w.is_open());
}

// A file that reaches its size limit part-way through a line (as a full disk would stop it):
// the write is refused, and the file is cut back to the lines written whole.
TEST(RecordingWriter, AFileCutPartWayThroughALineKeepsItsWholeLines) {
    test::TempDir dir;
    const auto file = dir.path() / "run.script";
    RecordingWriter w;
    ASSERT_TRUE(w.open(file));
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit was{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &was), 0);
    rlimit small = was;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string line = "at 1000 press right\n"; // 20 bytes
    int whole = 0;
    while (w.write(line) && whole < 10) ++whole;
    setrlimit(RLIMIT_FSIZE, &was);
    EXPECT_EQ(whole, 5);
    EXPECT_EQ(w.error(), "File too large");
    EXPECT_EQ(w.written(), 100u);
    EXPECT_EQ(std::filesystem::file_size(file), 100u);

    // A line that straddles the limit: its first part went in, and is taken out again.
    ASSERT_TRUE(w.open(file));
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string longer = "at 1000 press bomb # a longer line of forty\n";
    ASSERT_EQ(100 % longer.size(), 100 - 2 * longer.size());
    int written = 0;
    while (w.write(longer) && written < 10) ++written;
    setrlimit(RLIMIT_FSIZE, &was);
    EXPECT_EQ(written, 2);
    EXPECT_EQ(w.written(), 2 * longer.size());
    EXPECT_EQ(test::read_file(file), longer + longer);
}

// A disk that takes not even the first line: no empty file is left to look like a recording.
TEST(RecordingWriter, AFileThatGotNoWholeLineIsRemoved) {
    test::TempDir dir;
    const auto file = dir.path() / "run.script";
    RecordingWriter w;
    ASSERT_TRUE(w.open(file));
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit was{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &was), 0);
    rlimit small = was;
    small.rlim_cur = 10;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool wrote = w.write("# a first line longer than the limit\n");
    setrlimit(RLIMIT_FSIZE, &was);
    EXPECT_FALSE(wrote);
    EXPECT_EQ(w.error(), "File too large");
    EXPECT_FALSE(std::filesystem::exists(file));
    // A device is written to but never removed.
    ASSERT_TRUE(w.open("/dev/full"));
    EXPECT_FALSE(w.write("seed 3\n"));
    EXPECT_TRUE(std::filesystem::exists("/dev/full"));
}

} // namespace
} // namespace q50
