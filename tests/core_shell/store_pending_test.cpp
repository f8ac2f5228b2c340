// Values that a full disk or a held lock kept out of the store: they wait, and reach the file
// with the next write that succeeds (or a retry), as the higher score where it is one.
#include "shell/core/file_store.h"

#include "../support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

namespace q50 {
namespace {

namespace fs = std::filesystem;
using test::read_file;
using test::write_file;

// Files of this process cannot grow past `bytes` for the scope, as on a disk that is full.
class FullDisk {
  public:
    explicit FullDisk(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &was_);
        rlimit small = was_;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FullDisk() { setrlimit(RLIMIT_FSIZE, &was_); }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

  private:
    rlimit was_{};
};

// Standard error into a pipe for the scope: a pipe has no size limit a full disk would cut it at,
// as the file of gtest's capture has.
class StderrPipe {
  public:
    StderrPipe() {
        if (::pipe(fds_) != 0) return;
        ::fcntl(fds_[0], F_SETFL, O_NONBLOCK);
        std::fflush(stderr);
        saved_ = ::dup(2);
        ::dup2(fds_[1], 2);
    }
    ~StderrPipe() { restore(); }
    StderrPipe(const StderrPipe&) = delete;
    StderrPipe& operator=(const StderrPipe&) = delete;
    std::string text() {
        restore();
        std::string out;
        char buf[4096];
        for (ssize_t n; (n = ::read(fds_[0], buf, sizeof buf)) > 0;)
            out.append(buf, std::size_t(n));
        return out;
    }

  private:
    void restore() {
        if (saved_ < 0) return;
        std::fflush(stderr);
        ::dup2(saved_, 2);
        ::close(saved_);
        ::close(fds_[1]);
        saved_ = -1;
    }
    int fds_[2] = {-1, -1};
    int saved_ = -1;
};

struct Told {
    std::vector<std::string> not_saved; // "Name: why"
    int saved = 0;
    void attach(FileStore& store) {
        store.on_not_saved = [this](const std::string& name, const std::string& why) {
            not_saved.push_back(name + ": " + why);
        };
        store.on_saved = [this] { ++saved; };
    }
};

class StorePending : public ::testing::Test {
  protected:
    fs::path file() const { return tmp_.path() / "Quendrix50.conf"; }
    test::TempDir tmp_;
};

TEST_F(StorePending, AScoreRefusedByAFullDiskIsWrittenWithTheNextWriteThatSucceeds) {
    write_file(file(), "HiScore1=10\n");
    FileStore store(file());
    Told told;
    told.attach(store);
    StderrPipe err_pipe;
    {
        FullDisk full(8);
        bool kept = true;
        EXPECT_EQ(store.raise_int("HiScore1", 500, &kept), 500);
        EXPECT_FALSE(kept);
        EXPECT_FALSE(store.write_int("Zoom", 200));
        EXPECT_FALSE(store.write_int("Zoom", 300));
        EXPECT_FALSE(store.retry());
    }
    const std::string err = err_pipe.text();
    // One line for the one reason, however many temporary files the writes tried.
    EXPECT_EQ(err, "Quendrix50: settings not saved: writing " + file().string() +
                       " failed (File too large)\n");
    EXPECT_EQ(read_file(file()), "HiScore1=10\n");
    EXPECT_EQ(store.read_int("HiScore1", 0), 10) << "the file is what is read";
    EXPECT_EQ(store.pending_names(), (std::vector<std::string>{"HiScore1", "Zoom"}));
    const std::string why = "writing " + file().string() + " failed (File too large)";
    EXPECT_EQ(told.not_saved, (std::vector<std::string>{"HiScore1: " + why, "Zoom: " + why}));
    EXPECT_EQ(told.saved, 0);

    EXPECT_TRUE(store.write_int("Volume", 50));
    EXPECT_EQ(read_file(file()), "HiScore1=500\nZoom=300\nVolume=50\n");
    EXPECT_FALSE(store.pending());
    EXPECT_EQ(told.saved, 1);
    EXPECT_TRUE(store.write_int("Volume", 60));
    EXPECT_EQ(told.saved, 1) << "told only when something had waited";
    // Nothing of the temporaries is left.
    for (const auto& e : fs::directory_iterator(tmp_.path())) {
        const std::string name = e.path().filename().string();
        EXPECT_TRUE(name == "Quendrix50.conf" || name == "Quendrix50.conf.lock") << name;
    }
}

TEST_F(StorePending, ARetryWritesWhatWaitsOnceTheDiskHasRoom) {
    write_file(file(), "HiScore2=7\n");
    FileStore store(file());
    StderrPipe err_pipe;
    {
        FullDisk full(4);
        EXPECT_FALSE(store.write_texts({{"SoundMode", "0"}, {"SplashScreen", "0"}}));
    }
    err_pipe.text();
    EXPECT_EQ(store.pending_names(), (std::vector<std::string>{"SoundMode", "SplashScreen"}));
    EXPECT_TRUE(store.retry());
    EXPECT_EQ(read_file(file()), "HiScore2=7\nSoundMode=0\nSplashScreen=0\n");
    EXPECT_TRUE(store.retry()) << "nothing waits";
}

// While a stuck copy held the lock, another copy stored a higher score once it could: the
// score that waited gives way to it, as a score written at once would have.
TEST_F(StorePending, AWaitingScoreGivesWayToAHigherOneStoredMeanwhile) {
    write_file(file(), "HiScore1=10\n");
    const fs::path lock = tmp_.path() / "Quendrix50.conf.lock";
    write_file(lock, "");
    const int held = ::open(lock.c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    FileStore store(file(), std::chrono::milliseconds(20));
    ::testing::internal::CaptureStderr();
    bool kept = true;
    store.raise_int("HiScore1", 500, &kept);
    EXPECT_FALSE(kept);
    store.raise_int("HiScore2", 40, &kept);
    ::testing::internal::GetCapturedStderr();
    ::close(held);
    FileStore other(file());
    ASSERT_TRUE(other.write_int("HiScore1", 900));
    EXPECT_TRUE(store.retry());
    EXPECT_EQ(read_file(file()), "HiScore1=900\nHiScore2=40\n");
}

// A value the store refuses for what it is never waits: it would hold back every later write.
TEST_F(StorePending, AValueRefusedForItsOwnFormOrSizeDoesNotWait) {
    FileStore store(file());
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(store.write_text("Name", "two\nlines"));
    EXPECT_FALSE(store.write_text("Big", std::string(FileStore::kMaxFileSize, 'x')));
    ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(store.pending());
    EXPECT_TRUE(store.write_int("Key1", 3));
    EXPECT_EQ(store.read_int("Key1", 0), 3);
}

} // namespace
} // namespace q50
