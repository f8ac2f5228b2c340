#include "shell/core/file_store.h"

#include "../support/temp_dir.h"
#include "shell/core/store_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace q50 {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using test::read_file;
using test::TempDir;
using test::write_file;

constexpr int kCannotDropRoot = 99;

// Runs `body` in a child process and returns its exit code. When the tests run as root, the
// child first becomes an ordinary user, since root is not stopped by file permissions.
int run_in_child(const std::function<int()>& body, bool unprivileged) {
    pid_t pid = ::fork();
    if (pid == 0) {
        if (unprivileged && ::geteuid() == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(kCannotDropRoot);
        }
        ::_exit(body());
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

class FileStoreTest : public ::testing::Test {
  protected:
    fs::path dir() const { return tmp_.path() / "Vantorel"; }
    fs::path file() const { return dir() / "Quendrix50.conf"; }

    // The folder and the file as an ordinary user would own them.
    void hand_to_ordinary_user() {
        if (::geteuid() != 0) return;
        for (const auto& p : fs::recursive_directory_iterator(tmp_.path()))
            ASSERT_EQ(::lchown(p.path().c_str(), 65534, 65534), 0);
        ASSERT_EQ(::chown(tmp_.path().c_str(), 65534, 65534), 0);
    }

    int run_unprivileged(const std::function<int()>& body) {
        int rc = run_in_child(body, true);
        if (rc == kCannotDropRoot) ADD_FAILURE() << "could not switch to an ordinary user";
        return rc;
    }

    std::vector<std::string> leftovers() const {
        std::vector<std::string> names;
        for (const auto& p : fs::directory_iterator(dir())) {
            auto name = p.path().filename().string();
            if (name != "Quendrix50.conf" && name != "Quendrix50.conf.lock") names.push_back(name);
        }
        return names;
    }

    TempDir tmp_;
};

TEST_F(FileStoreTest, DefaultPathFollowsXdgConfigHome) {
    const char* old_xdg = std::getenv("XDG_CONFIG_HOME");
    const char* old_home = std::getenv("HOME");
    std::string saved_xdg = old_xdg ? old_xdg : "", saved_home = old_home ? old_home : "";

    ::setenv("XDG_CONFIG_HOME", "/some/where", 1);
    EXPECT_EQ(FileStore::default_path(), fs::path("/some/where/Vantorel/Quendrix50.conf"));
    ::setenv("HOME", "/home/player", 1);
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(FileStore::default_path(), fs::path("/home/player/.config/Vantorel/Quendrix50.conf"));
    ::setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(FileStore::default_path(), fs::path("/home/player/.config/Vantorel/Quendrix50.conf"));
    ::setenv("XDG_CONFIG_HOME", "relative/dir", 1); // not absolute, so ignored
    EXPECT_EQ(FileStore::default_path(), fs::path("/home/player/.config/Vantorel/Quendrix50.conf"));

    if (old_xdg)
        ::setenv("XDG_CONFIG_HOME", saved_xdg.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
    if (old_home)
        ::setenv("HOME", saved_home.c_str(), 1);
    else
        ::unsetenv("HOME");
}

TEST_F(FileStoreTest, OpeningCreatesTheFolderButNoValue) {
    FileStore store(file());
    EXPECT_EQ(store.path(), file());
    EXPECT_TRUE(fs::is_directory(dir()));
    EXPECT_FALSE(fs::exists(file()));
    EXPECT_EQ(store.read_int("HiScore1", 0), 0);
    EXPECT_TRUE(store.read_bool("FullscreenMode", true));
    EXPECT_EQ(store.read_text("SoundMode"), std::nullopt);
}

TEST_F(FileStoreTest, ValuesAreKeptInTheirTextForms) {
    FileStore store(file());
    ASSERT_TRUE(store.write_int("HiScore1", 1234));
    ASSERT_TRUE(store.write_int("SoundMode", -1));
    ASSERT_TRUE(store.write_bool("FullscreenMode", false));
    ASSERT_TRUE(store.write_bool("CtrlrOverlay", true));
    ASSERT_TRUE(store.write_int("HiScore2", INT32_MIN));
    ASSERT_TRUE(store.write_int("HiScore1", 99)); // replaces, not appends

    auto t = parse_store_text(read_file(file()));
    EXPECT_EQ(t.find("HiScore1"), "99");
    EXPECT_EQ(t.find("SoundMode"), "-1");
    EXPECT_EQ(t.find("FullscreenMode"), "0");
    EXPECT_EQ(t.find("CtrlrOverlay"), "1");
    EXPECT_EQ(t.find("HiScore2"), "-2147483648");
    EXPECT_EQ(read_file(file()).find("HiScore1=1234"), std::string::npos);

    EXPECT_EQ(store.read_int("HiScore1", 0), 99);
    EXPECT_EQ(store.read_int("HiScore2", 0), INT32_MIN);
    EXPECT_FALSE(store.read_bool("FullscreenMode", true));
    EXPECT_TRUE(store.read_bool("CtrlrOverlay", false));
}

TEST_F(FileStoreTest, TextsThatAreNotIntegersReadAsTheDefault) {
    write_file(dir() / "Quendrix50.conf", "");
    FileStore store(file());
    write_file(file(), "FullscreenMode=abc\nCtrlrOverlay=5\nKey1=\nHiScore1=99999999999\n"
                       "HiScore2= -7 \nSplashScreen=0\n");
    EXPECT_TRUE(store.read_bool("FullscreenMode", true));
    EXPECT_FALSE(store.read_bool("FullscreenMode", false));
    EXPECT_TRUE(store.read_bool("CtrlrOverlay", false));
    EXPECT_EQ(store.read_int("Key1", 2), 2);
    EXPECT_EQ(store.read_int("HiScore1", 0), 0);
    EXPECT_EQ(store.read_int("HiScore2", 0), -7);
    EXPECT_FALSE(store.read_bool("SplashScreen", true));
}

TEST_F(FileStoreTest, EveryReadSeesTheFileAsItIsNow) {
    FileStore first(file()), second(file());
    ASSERT_TRUE(first.write_int("Key1", 39));
    EXPECT_EQ(second.read_int("Key1", 2), 39);
    ASSERT_TRUE(second.write_int("Key1", 40));
    EXPECT_EQ(first.read_int("Key1", 2), 40);
    // An edit by hand (or by another program) is seen too.
    write_file(file(), "Key1=41\n");
    EXPECT_EQ(first.read_int("Key1", 2), 41);
    fs::remove(file());
    EXPECT_EQ(first.read_int("Key1", 2), 2);
}

TEST_F(FileStoreTest, AWriteReplacesTheFileInsteadOfOverwritingIt) {
    FileStore store(file());
    ASSERT_TRUE(store.write_int("HiScore1", 1));
    const std::string before = read_file(file());
    struct stat st_before {};
    ASSERT_EQ(::stat(file().c_str(), &st_before), 0);
    int old_fd = ::open(file().c_str(), O_RDONLY);
    ASSERT_GE(old_fd, 0);

    ASSERT_TRUE(store.write_int("HiScore1", 2));

    // Whoever had the old file open still sees it whole and unchanged.
    std::string old_content(4096, '\0');
    ssize_t n = ::pread(old_fd, old_content.data(), old_content.size(), 0);
    ::close(old_fd);
    ASSERT_GE(n, 0);
    old_content.resize(std::size_t(n));
    EXPECT_EQ(old_content, before);
    struct stat st_after {};
    ASSERT_EQ(::stat(file().c_str(), &st_after), 0);
    EXPECT_NE(st_after.st_ino, st_before.st_ino);
    EXPECT_EQ(store.read_int("HiScore1", 0), 2);
    EXPECT_TRUE(leftovers().empty());
}

TEST_F(FileStoreTest, AReaderNeverSeesAHalfWrittenFile) {
    FileStore store(file());
    for (int i = 0; i < 40; ++i) ASSERT_TRUE(store.write_int("Value" + std::to_string(i), i));

    // Another process keeps rewriting the file while this one reads it.
    constexpr int kWrites = 150;
    pid_t writer = ::fork();
    if (writer == 0) {
        FileStore w(file());
        for (int i = 1; i <= kWrites; ++i)
            if (!w.write_int("Counter", i)) ::_exit(1);
        ::_exit(0);
    }
    ASSERT_GT(writer, 0);
    int last = 0, snapshots = 0, broken = 0;
    while (last < kWrites) {
        auto t = parse_store_text(read_file(file()));
        ++snapshots;
        for (int i = 0; i < 40; ++i)
            if (t.find("Value" + std::to_string(i)) != std::to_string(i)) ++broken;
        auto counter = parse_stored_int(t.find("Counter").value_or("0"));
        if (!counter || *counter < last) ++broken;
        if (counter) last = *counter;
        if (broken) break;
    }
    int status = 0;
    ::waitpid(writer, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(broken, 0) << "after " << snapshots << " snapshots";
    EXPECT_TRUE(leftovers().empty());
}

TEST_F(FileStoreTest, TwoCopiesWritingAtOnceLoseNothing) {
    constexpr int kEach = 40;
    FileStore(file()).write_int("Before", 1);
    auto writer = [&](char who) {
        return [&, who] {
            FileStore s(file());
            for (int i = 0; i < kEach; ++i)
                if (!s.write_int(std::string(1, who) + std::to_string(i), i)) return 1;
            return 0;
        };
    };
    pid_t a = ::fork();
    if (a == 0) ::_exit(writer('A')());
    pid_t b = ::fork();
    if (b == 0) ::_exit(writer('B')());
    int sa = 0, sb = 0;
    ::waitpid(a, &sa, 0);
    ::waitpid(b, &sb, 0);
    ASSERT_TRUE(WIFEXITED(sa) && WEXITSTATUS(sa) == 0);
    ASSERT_TRUE(WIFEXITED(sb) && WEXITSTATUS(sb) == 0);

    FileStore store(file());
    int missing = 0;
    for (int i = 0; i < kEach; ++i) {
        if (store.read_int("A" + std::to_string(i), -1) != i) ++missing;
        if (store.read_int("B" + std::to_string(i), -1) != i) ++missing;
    }
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(store.read_int("Before", 0), 1);
}

TEST_F(FileStoreTest, ADamagedFileKeepsWhatCanStillBeRead) {
    const std::string damaged = "HiScore1=850\n"
                                "\x00\x01\x02 binary junk without an equals sign\n"
                                "Key1=39\r\n"
                                "[Some Section]\n"
                                "HiScore2=abc\n"s;
    FileStore store(file());
    write_file(file(), damaged);
    EXPECT_EQ(store.read_int("HiScore1", 0), 850);
    EXPECT_EQ(store.read_int("Key1", 2), 39);
    EXPECT_EQ(store.read_int("HiScore2", 0), 0);

    ASSERT_TRUE(store.write_bool("FullscreenMode", false));
    const std::string after = read_file(file());
    EXPECT_EQ(after.substr(0, damaged.size()), damaged);
    EXPECT_EQ(store.read_int("HiScore1", 0), 850);
    EXPECT_EQ(store.read_int("Key1", 2), 39);
    EXPECT_FALSE(store.read_bool("FullscreenMode", true));
    // The unreadable text is still there for whoever repairs it by hand.
    EXPECT_EQ(store.read_text("HiScore2"), "abc");
}

TEST_F(FileStoreTest, SomethingThatIsNotAFileReadsAsDefaultsAndIsNotReplaced) {
    FileStore store(file());
    fs::create_directory(file());
    EXPECT_EQ(store.read_int("HiScore1", 5), 5);
    EXPECT_FALSE(store.write_int("HiScore1", 1));
    EXPECT_TRUE(fs::is_directory(file()));
    fs::remove(file());

    ASSERT_EQ(::mkfifo(file().c_str(), 0600), 0);
    EXPECT_EQ(store.read_int("HiScore1", 5), 5); // must not hang waiting for a writer
    EXPECT_FALSE(store.write_int("HiScore1", 1));
    fs::remove(file());

    std::string huge = "HiScore1=1\n" + std::string(FileStore::kMaxFileSize, '#') + "\n";
    write_file(file(), huge);
    EXPECT_EQ(store.read_int("HiScore1", 5), 5);
    EXPECT_FALSE(store.write_int("HiScore1", 2));
    EXPECT_EQ(read_file(file()), huge);
    EXPECT_TRUE(leftovers().empty());
}

TEST_F(FileStoreTest, AFileWithoutReadPermissionIsLeftAlone) {
    FileStore(file()).write_int("HiScore1", 777);
    const std::string before = read_file(file());
    hand_to_ordinary_user();
    fs::permissions(file(), fs::perms::none);

    int rc = run_unprivileged([&] {
        FileStore store(file());
        if (store.read_int("HiScore1", 5) != 5) return 1;
        if (store.write_int("HiScore2", 3)) return 2;
        return 0;
    });
    EXPECT_EQ(rc, 0);
    fs::permissions(file(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(read_file(file()), before);
    EXPECT_TRUE(leftovers().empty());
}

TEST_F(FileStoreTest, AReadOnlyFolderFailsTheWriteAndKeepsTheValues) {
    FileStore(file()).write_int("HiScore1", 777);
    const std::string before = read_file(file());
    hand_to_ordinary_user();
    fs::permissions(dir(), fs::perms::owner_read | fs::perms::owner_exec);

    int rc = run_unprivileged([&] {
        FileStore store(file());
        if (store.write_int("HiScore1", 5)) return 1;
        if (store.write_bool("SplashScreen", false)) return 2;
        if (store.read_int("HiScore1", 0) != 777) return 3;
        return 0;
    });
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(read_file(file()), before);
    fs::permissions(dir(), fs::perms::owner_all);
    EXPECT_TRUE(leftovers().empty());

    // A folder that cannot be created fails the same way.
    hand_to_ordinary_user();
    fs::permissions(tmp_.path(), fs::perms::owner_read | fs::perms::owner_exec);
    rc = run_unprivileged([&] {
        FileStore store(tmp_.path() / "Other" / "Quendrix50.conf");
        return store.write_int("HiScore1", 5) ? 1 : 0;
    });
    EXPECT_EQ(rc, 0);
}

TEST_F(FileStoreTest, ALineThatWouldNotReadBackIsRefused) {
    FileStore store(file());
    ASSERT_TRUE(store.write_int("HiScore1", 3));
    const std::string before = read_file(file());
    EXPECT_FALSE(store.write_text("HiScore1", "4\nHiScore2=9"));
    EXPECT_FALSE(store.write_text("Hi=Score", "4"));
    EXPECT_FALSE(store.write_text("", "4"));
    EXPECT_EQ(read_file(file()), before);
}

TEST_F(FileStoreTest, AStoreFileBehindALinkStaysALink) {
    FileStore(tmp_.path() / "real.conf").write_int("HiScore1", 10);
    fs::create_directories(dir());
    fs::create_symlink(tmp_.path() / "real.conf", file());
    FileStore store(file());
    EXPECT_EQ(store.read_int("HiScore1", 0), 10);
    ASSERT_TRUE(store.write_int("HiScore1", 11));
    EXPECT_TRUE(fs::is_symlink(file()));
    EXPECT_EQ(FileStore(tmp_.path() / "real.conf").read_int("HiScore1", 0), 11);
}

// Files the store put in place over its file (renamed onto it) while `body` ran.
int replacements_during(const fs::path& dir, const std::function<void()>& body) {
    const int fd = ::inotify_init1(IN_NONBLOCK);
    if (fd < 0 || ::inotify_add_watch(fd, dir.c_str(), IN_MOVED_TO) < 0) return -1;
    body();
    int count = 0;
    alignas(inotify_event) char buf[4096];
    for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;)
        for (char* p = buf; p < buf + n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(p);
            if (e->len && std::string(e->name) == "Quendrix50.conf") ++count;
            p += sizeof(inotify_event) + e->len;
        }
    ::close(fd);
    return count;
}

TEST_F(FileStoreTest, SeveralValuesAreKeptByOneReplacedFile) {
    FileStore store(file());
    ASSERT_TRUE(store.write_int("HiScore1", 1));
    bool kept = false;
    EXPECT_EQ(replacements_during(
                  dir(),
                  [&] {
                      kept = store.write_texts({{"Key1", "3"}, {"Key2", "4"}, {"HiScore1", "5"}});
                  }),
              1);
    EXPECT_TRUE(kept);
    EXPECT_EQ(store.read_int("Key1", 0), 3);
    EXPECT_EQ(store.read_int("Key2", 0), 4);
    EXPECT_EQ(store.read_int("HiScore1", 0), 5);
    EXPECT_TRUE(leftovers().empty());

    // The same values again change nothing, and the file is not replaced.
    EXPECT_EQ(replacements_during(dir(), [&] { kept = store.write_texts({{"Key1", "3"}}); }), 0);
    EXPECT_TRUE(kept);

    // What write_text refuses is left out and the write reports it; the others are kept.
    EXPECT_FALSE(
        store.write_texts({{"Key1", "6"}, {"HiScore1", "4\nHiScore2=9"}, {"Hi=Score", "1"}}));
    EXPECT_EQ(store.read_int("Key1", 0), 6);
    EXPECT_EQ(store.read_int("HiScore1", 0), 5);
    EXPECT_FALSE(store.read_text("HiScore2").has_value());
    EXPECT_FALSE(store.read_text("Hi=Score").has_value());
}

TEST_F(FileStoreTest, SeveralValuesWaitForTheLockAndFailWithTheFileAsItWas) {
    FileStore store(file(), std::chrono::milliseconds(50));
    ASSERT_TRUE(store.write_int("Key1", 1));
    const std::string before = read_file(file());
    const int held = ::open(store.lock_path().c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    EXPECT_FALSE(store.write_texts({{"Key1", "2"}, {"Key2", "3"}}));
    EXPECT_EQ(read_file(file()), before);
    ::close(held);
    EXPECT_TRUE(store.write_texts({{"Key1", "2"}, {"Key2", "3"}}));
    EXPECT_EQ(store.read_int("Key2", 0), 3);
}

} // namespace
} // namespace q50
