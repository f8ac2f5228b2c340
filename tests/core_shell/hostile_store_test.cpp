// What can be found in the settings folder besides the store itself: a FIFO or a held lock, the
// leftovers of a killed writer, a dangling link, a byte-order mark, a file near the size
// limit; and two running copies that end games at the same time.
#include "shell/core/file_store.h"

#include "../support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace q50 {
namespace {

namespace fs = std::filesystem;
using test::read_file;
using test::TempDir;
using test::write_file;
using Clock = std::chrono::steady_clock;

class HostileStore : public ::testing::Test {
  protected:
    fs::path file() const { return tmp_.path() / "Quendrix50.conf"; }
    fs::path lock() const { return tmp_.path() / "Quendrix50.conf.lock"; }
    static double seconds_since(Clock::time_point t) {
        return std::chrono::duration<double>(Clock::now() - t).count();
    }
    TempDir tmp_;
};

TEST_F(HostileStore, AFifoAtTheLockRefusesWritesAtOnceAndReadsStillWork) {
    write_file(file(), "HiScore1=42\n");
    ASSERT_EQ(::mkfifo(lock().c_str(), 0600), 0);
    FileStore store(file());
    const auto start = Clock::now();
    EXPECT_FALSE(store.write_int("HiScore1", 50));
    EXPECT_LT(seconds_since(start), 1.0); // no open() that waits for a writer of the FIFO
    EXPECT_EQ(store.read_int("HiScore1", 0), 42);
    EXPECT_EQ(read_file(file()), "HiScore1=42\n");
}

TEST_F(HostileStore, ALockHeldByAStuckCopyFailsTheWriteAfterTheBoundedWait) {
    write_file(file(), "Key1=2\n");
    write_file(lock(), "");
    const int held = ::open(lock().c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    FileStore store(file(), std::chrono::milliseconds(100));
    const auto start = Clock::now();
    EXPECT_FALSE(store.write_int("Key1", 3));
    const double waited = seconds_since(start);
    EXPECT_GE(waited, 0.1);
    EXPECT_LT(waited, 2.0);
    EXPECT_EQ(read_file(file()), "Key1=2\n");
    ::close(held); // released: the next write goes through
    EXPECT_TRUE(store.write_int("Key1", 3));
    EXPECT_EQ(store.read_int("Key1", 0), 3);
}

TEST_F(HostileStore, OldTemporariesOfKilledWritersAreRemovedAndFreshOnesKept) {
    const fs::path stale = tmp_.path() / ".Quendrix50.conf.AbC123";
    const fs::path fresh = tmp_.path() / ".Quendrix50.conf.XyZ789";
    const fs::path other = tmp_.path() / ".Quendrix50.conf.backup-old"; // not one of ours
    for (const fs::path& p : {stale, fresh, other}) write_file(p, "half a file");
    const timespec two_minutes_ago[2] = {{::time(nullptr) - 120, 0}, {::time(nullptr) - 120, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, stale.c_str(), two_minutes_ago, 0), 0);
    ASSERT_EQ(::utimensat(AT_FDCWD, other.c_str(), two_minutes_ago, 0), 0);

    ASSERT_TRUE(FileStore(file()).write_int("SoundMode", 2));
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(fresh)); // may belong to a writer that is still running
    EXPECT_TRUE(fs::exists(other));
}

TEST_F(HostileStore, ADanglingLinkIsWrittenThroughToItsTarget) {
    fs::create_directories(tmp_.path() / "elsewhere");
    fs::create_symlink("elsewhere/real.conf", file()); // relative, and the target is missing
    FileStore store(file());
    EXPECT_EQ(store.read_int("HiScore2", -1), -1);
    ASSERT_TRUE(store.write_int("HiScore2", 77));
    EXPECT_TRUE(fs::is_symlink(file()));
    EXPECT_EQ(store.read_int("HiScore2", 0), 77);
    EXPECT_NE(read_file(tmp_.path() / "elsewhere/real.conf").find("HiScore2=77\n"),
              std::string::npos);

    fs::create_symlink("loop.conf", tmp_.path() / "loop.conf");
    EXPECT_FALSE(FileStore(tmp_.path() / "loop.conf").write_int("Key1", 2));
}

TEST_F(HostileStore, AByteOrderMarkDoesNotHideTheFirstValue) {
    write_file(file(), "\xEF\xBB\xBF"
                       "FullscreenMode=0\nKey1=5\n");
    FileStore store(file());
    EXPECT_FALSE(store.read_bool("FullscreenMode", true));
    ASSERT_TRUE(store.write_int("Key1", 6));
    EXPECT_FALSE(store.read_bool("FullscreenMode", true));
    EXPECT_EQ(read_file(file()), "FullscreenMode=0\nKey1=6\n");
}

TEST_F(HostileStore, AWriteThatWouldPassTheReadLimitIsRefusedWithTheFileUnchanged) {
    // Just under the limit: any further value would make a file the store refuses to read.
    const std::string filler = "# " + std::string(FileStore::kMaxFileSize - 16, 'x') + "\n";
    write_file(file(), filler + "Key1=2\n");
    ASSERT_LE(read_file(file()).size(), FileStore::kMaxFileSize);
    FileStore store(file());
    EXPECT_FALSE(store.write_text("LongName", std::string(40, 'v')));
    EXPECT_EQ(read_file(file()), filler + "Key1=2\n");
    EXPECT_EQ(store.read_int("Key1", 0), 2); // and everything still reads
    EXPECT_TRUE(store.write_int("Key1", 3)); // a change that keeps the size is fine
}

TEST_F(HostileStore, UpdateSeesTheStoredTextAndCanLeaveItAlone) {
    FileStore store(file());
    ASSERT_TRUE(store.write_text("SoundMode", "1"));
    std::optional<std::string> seen;
    EXPECT_TRUE(store.update_text("SoundMode", [&](const std::optional<std::string>& s) {
        seen = s;
        return std::optional<std::string>();
    }));
    EXPECT_EQ(seen, "1");
    EXPECT_EQ(store.read_text("SoundMode"), "1");
}

TEST_F(HostileStore, RaiseKeepsTheHigherScoreAndSaysWhichIsStored) {
    FileStore store(file());
    EXPECT_EQ(store.raise_int("HiScore1", 120), 120); // nothing stored yet
    EXPECT_EQ(store.raise_int("HiScore1", 90), 120);  // lower: the stored one stays
    EXPECT_EQ(store.read_int("HiScore1", 0), 120);
    EXPECT_EQ(store.raise_int("HiScore1", 121), 121);
    ASSERT_TRUE(store.write_text("HiScore1", "junk"));
    EXPECT_EQ(store.raise_int("HiScore1", 5), 5); // not an integer: counts as lower
    EXPECT_EQ(store.read_int("HiScore1", 0), 5);
}

// Two copies end games at the same moments, one always with the better score: whatever the
// order, the better scores are never overwritten by the worse.
TEST_F(HostileStore, TwoCopiesEndingGamesTogetherNeverLowerTheHighScore) {
    constexpr int kGames = 60;
    auto copy = [&](int offset) {
        FileStore store(file());
        for (int g = 0; g < kGames; ++g) store.raise_int("HiScore1", g * 10 + offset);
        return 0;
    };
    pid_t a = ::fork();
    if (a == 0) ::_exit(copy(5));
    pid_t b = ::fork();
    if (b == 0) ::_exit(copy(0));
    int sa = 0, sb = 0;
    ::waitpid(a, &sa, 0);
    ::waitpid(b, &sb, 0);
    ASSERT_TRUE(WIFEXITED(sa) && WEXITSTATUS(sa) == 0);
    ASSERT_TRUE(WIFEXITED(sb) && WEXITSTATUS(sb) == 0);
    EXPECT_EQ(FileStore(file()).read_int("HiScore1", 0), (kGames - 1) * 10 + 5);
}

} // namespace
} // namespace q50
