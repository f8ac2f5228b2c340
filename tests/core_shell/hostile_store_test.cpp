// What can be found in the settings folder besides the store itself: a FIFO or a held lock, the
// leftovers of a killed writer, a dangling link, a byte-order mark, a file near the size
// limit; and two running copies that end games at the same time.
#include "shell/core/file_store.h"

#include "../support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
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

// A start makes a dozen writes: a lock held by a stuck copy is waited for once, the writes after
// it only try for it, and standard error says so once; once the lock is free the writes go
// through, and a lock stuck again later is waited for and told again.
TEST_F(HostileStore, AStuckLockIsWaitedForOnceAndToldOnceUntilItIsFree) {
    write_file(file(), "Key1=2\n");
    write_file(lock(), "");
    const int held = ::open(lock().c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    FileStore store(file(), std::chrono::milliseconds(300));
    ::testing::internal::CaptureStderr();
    auto start = Clock::now();
    EXPECT_FALSE(store.write_int("Key1", 3));
    EXPECT_GE(seconds_since(start), 0.3);
    start = Clock::now();
    for (int k = 2; k <= 7; ++k) EXPECT_FALSE(store.write_int("Key" + std::to_string(k), k));
    bool kept = true;
    EXPECT_EQ(store.raise_int("HiScore1", 10, &kept), 10);
    EXPECT_FALSE(kept);
    EXPECT_LT(seconds_since(start), 1.0); // seven writes, not seven waits of 0.3 s
    std::string err = ::testing::internal::GetCapturedStderr();
    const std::string told = "Quendrix50: settings not saved: " + lock().string() +
                             " is held by another process; settings and high scores are not "
                             "saved while it is\n";
    EXPECT_EQ(err, told);
    EXPECT_EQ(read_file(file()), "Key1=2\n");

    ::flock(held, LOCK_UN);
    EXPECT_TRUE(store.write_int("Key1", 3));
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    ::testing::internal::CaptureStderr();
    start = Clock::now();
    EXPECT_FALSE(store.write_int("Key1", 4));
    EXPECT_GE(seconds_since(start), 0.3);
    err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, told);
    ::close(held);
    EXPECT_EQ(store.read_int("Key1", 0), 3);
}

// A signal that ends the program ends a write's wait for a stuck lock at once (in a copy of
// this process: the stop holds for the rest of the process).
TEST_F(HostileStore, AQuitSignalEndsTheWaitForAStuckLockAtOnce) {
    write_file(lock(), "");
    const int held = ::open(lock().c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(held); // the parent's lock stays
        struct sigaction sa {};
        sa.sa_handler = [](int) { FileStore::stop_waiting(); };
        ::sigaction(SIGUSR1, &sa, nullptr);
        FileStore store(file(), std::chrono::milliseconds(20000));
        const auto start = Clock::now();
        const bool written = store.write_int("Key1", 3);
        ::_exit(!written && seconds_since(start) < 5.0 ? 0 : 1);
    }
    ::usleep(300 * 1000);
    ::kill(child, SIGUSR1);
    int status = 0;
    const auto start = Clock::now();
    ::waitpid(child, &status, 0);
    EXPECT_LT(seconds_since(start), 5.0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    ::close(held);
}

// Every way a write can fail says why on standard error, once however many writes fail so; the
// values stay as they were.
TEST_F(HostileStore, EveryWriteFailureIsToldOnceWithItsReason) {
    struct Case {
        const char* what;
        std::function<fs::path()> make; // the store file, after making the trouble
        std::string told;               // what standard error says (with the file's folder)
    };
    const fs::path dir = tmp_.path();
    const std::string long_name(249, 'n'); // its lock fits a file name, a temporary does not
    const std::vector<Case> cases = {
        {"a folder at the lock",
         [&] {
             fs::create_directories(dir / "a" / "Quendrix50.conf.lock");
             return dir / "a" / "Quendrix50.conf";
         },
         (dir / "a" / "Quendrix50.conf.lock").string() + " is not a regular file"},
        {"a FIFO at the lock",
         [&] {
             fs::create_directories(dir / "b");
             ::mkfifo((dir / "b" / "Quendrix50.conf.lock").c_str(), 0600);
             return dir / "b" / "Quendrix50.conf";
         },
         (dir / "b" / "Quendrix50.conf.lock").string() + " is not a regular file"},
        {"a folder at the store",
         [&] {
             fs::create_directories(dir / "c" / "Quendrix50.conf");
             return dir / "c" / "Quendrix50.conf";
         },
         (dir / "c" / "Quendrix50.conf").string() + " is not a regular file"},
        {"a store past the read limit",
         [&] {
             fs::create_directories(dir / "d");
             write_file(dir / "d" / "Quendrix50.conf",
                        "Key1=2\n# " + std::string(FileStore::kMaxFileSize, 'x') + "\n");
             return dir / "d" / "Quendrix50.conf";
         },
         (dir / "d" / "Quendrix50.conf").string() + " is larger than 1024 KB"},
        {"no temporary file can be made",
         [&] {
             fs::create_directories(dir / "e");
             return dir / "e" / long_name;
         },
         "no file can be made in " + (dir / "e").string() + " (File name too long)"},
        {"a link that leads round in a loop",
         [&] {
             fs::create_directories(dir / "f");
             fs::create_symlink("Quendrix50.conf", dir / "f" / "Quendrix50.conf");
             return dir / "f" / "Quendrix50.conf";
         },
         (dir / "f" / "Quendrix50.conf").string() + " is a loop of symbolic links"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path f = c.make();
        FileStore store(f);
        ::testing::internal::CaptureStderr();
        for (int k = 1; k <= 3; ++k) EXPECT_FALSE(store.write_int("Key1", k));
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  "Quendrix50: settings not saved: " + c.told + "\n");
    }
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
