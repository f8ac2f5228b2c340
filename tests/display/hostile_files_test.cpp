// Files a user or a broken download can leave in the program's folder: huge or unreadable
// skin files and pictures. The load must end with the documented outcome, quickly, and never
// crash.
#include "display/ini_file.h"
#include "display/picture_file.h"
#include "tests/display/skin_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace q50::test {
namespace {

namespace fs = std::filesystem;

// Runs `body` in a child that is an ordinary user, since root reads every file whatever its
// permissions; returns the child's exit code, or -1.
int as_ordinary_user(const fs::path& tree, const std::function<int()>& body) {
    if (::geteuid() == 0) {
        for (const auto& p : fs::recursive_directory_iterator(tree))
            if (::lchown(p.path().c_str(), 65534, 65534) != 0) return -1;
        if (::chown(tree.c_str(), 65534, 65534) != 0) return -1;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(99);
        ::_exit(body());
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

class HostileSkin : public SkinFixture {
  protected:
    double seconds_to_load() {
        const auto start = std::chrono::steady_clock::now();
        result = load(false);
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    SkinLoadResult result;
};

TEST_F(HostileSkin, UnreadableConfigCountsAsMissingAndUnreadablePictureIsNamed) {
    config("[Common]\nGameWidth=300\n");
    file("Graphics/Skin/locked.png", png_of(Image(1, 1, argb(255, 1, 2, 3))));
    fs::permissions(exe_dir() / "Config.ini", fs::perms::none);
    fs::permissions(run_dir() / "Graphics/Skin/locked.png", fs::perms::none);
    const int rc = as_ordinary_user(tmp.path(), [&] {
        if (load(false).status != SkinLoadStatus::ConfigMissing) return 1;
        const PictureLoad p = load_picture_file(run_dir() / "Graphics/Skin/locked.png");
        if (p || p.error.find("cannot be read") == std::string::npos) return 2;
        if (p.error.find("locked.png") == std::string::npos) return 3;
        return 0;
    });
    EXPECT_EQ(rc, 0);
}

// Named pipes in the place of Config.ini and of a picture: an open that blocked would wait here
// for a writer that never comes. Each is refused by name, as the loader refuses a damaged file.
TEST_F(HostileSkin, NamedPipesAsConfigOrPictureAreRefusedByNameWithoutWaiting) {
    config("[Common]\nGameWidth=300\n" + images_naming("pipe.png", 1, 1));
    fs::create_directories(run_dir() / "Graphics/Skin");
    ASSERT_EQ(::mkfifo((run_dir() / "Graphics/Skin/pipe.png").c_str(), 0600), 0);
    EXPECT_LT(seconds_to_load(), 30.0);
    EXPECT_NE(result.status, SkinLoadStatus::Complete);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].find("pipe.png\" is not a regular file"), std::string::npos)
        << sink.messages[0];

    fs::remove(exe_dir() / "Config.ini");
    ASSERT_EQ(::mkfifo((exe_dir() / "Config.ini").c_str(), 0600), 0);
    sink.messages.clear();
    EXPECT_LT(seconds_to_load(), 30.0);
    EXPECT_EQ(result.status, SkinLoadStatus::ConfigMissing);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0], kConfigMissingMessage);
    std::string why;
    EXPECT_FALSE(IniFile::load(exe_dir() / "Config.ini", &why));
    EXPECT_EQ(why, (exe_dir() / "Config.ini").string() + ": is not a regular file");
}

// A wrong file copied over Config.ini: without [ImageN] sections every segment loses its
// rectangle, as a missing section does, and the load completes. Only the first 16 MB are
// read, so a file just past that proves the same as a larger one.
TEST_F(HostileSkin, ConfigLargerThanTheReadLimitLoadsQuicklyWithANotice) {
    std::string junk(IniFile::kMaxFileBytes + 4096, 'x');
    for (std::size_t i = 4096; i < junk.size(); i += 4096) junk[i] = '\n';
    config(junk);
    EXPECT_LT(seconds_to_load(), 60.0);
    EXPECT_EQ(result.status, SkinLoadStatus::Complete);
    EXPECT_FALSE(result.terminate_requested);
    EXPECT_EQ(seg("im_pelko_3_up").rect, (Rect{0, 0, 0, 0}));
    ASSERT_EQ(sink.notices.size(), 1u);
    EXPECT_NE(sink.notices[0].find("is larger than 16 MB; only its first 16 MB are read"),
              std::string::npos)
        << sink.notices[0];
}

TEST(IniFileLimit, OnlyTheFirstBytesOfALongFileAreRead) {
    ScratchDir tmp;
    tmp.write_text("Config.ini", "[Common]\nGameWidth=300\nGameHeight=400\n");
    std::string cut;
    const std::optional<IniFile> ini = IniFile::load(tmp / "Config.ini", nullptr, &cut, 26);
    ASSERT_TRUE(ini);
    EXPECT_EQ(ini->read_integer("Common", "GameWidth", 0), 300);
    EXPECT_EQ(ini->read_integer("Common", "GameHeight", 0), 0); // beyond the limit
    EXPECT_NE(cut.find("is larger than 26 bytes"), std::string::npos) << cut;
    cut.clear();
    ASSERT_TRUE(IniFile::load(tmp / "Config.ini", nullptr, &cut, 38)); // exactly its size
    EXPECT_EQ(cut, "");
}

TEST_F(HostileSkin, HundredThousandRepeatsKeepTheFirstValues) {
    std::string text = "[Image6]\nLeft=5\nTop=6\nWidth=7\nHeight=8\n";
    text.reserve(2'000'000);
    for (int i = 0; i < 100'000; ++i) text += "[Image6]\nLeft=" + std::to_string(i) + "\n";
    config(text);
    EXPECT_LT(seconds_to_load(), 60.0);
    EXPECT_EQ(result.status, SkinLoadStatus::Complete);
    // The first of a repeated key wins, however many follow.
    EXPECT_EQ(seg("btn_game_a_down").rect, (Rect{5, 6, 7, 8}));
}

} // namespace
} // namespace q50::test
