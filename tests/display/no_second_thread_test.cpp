// Where no second thread can be started (the system's limit reached, a browser without shared
// memory), the skin load decodes every picture on its own thread and gives the very board a
// load with the helper gives. The fault is made for real: a child process whose user may run
// no more processes or threads than it has.
#include "display/picture_read_ahead.h"
#include "display/skin_loader.h"
#include "tests/display/picture_makers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>
#include <thread>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace q50 {
namespace {

// How the child ended.
enum NoThreadEnd {
    kSameBoard = 0,
    kOtherBoard = 2,
    kLoadThrew = 3,
    kThreadsStillStart = 10, // the fault could not be made here
    kLimitNotSet = 11,
};

struct LoadedSkin {
    Board board;
    WindowModel window;
    test::RecordingSink sink;
    SkinLoadStatus status = SkinLoadStatus::Stopped;
    std::vector<std::string> late_failures;
};

// The delivered skin loaded as the desktop loads it: hidden segments' pictures wait and are
// finished afterwards, both through the read-ahead.
void load_delivered_skin(LoadedSkin& skin) {
    const std::filesystem::path data = std::filesystem::path(Q50_SOURCE_DIR) / "data";
    WaitingPictures waiting;
    SkinEnvironment env;
    env.executable_dir = data;
    env.current_dir = data;
    env.waiting = &waiting;
    skin.status = Load_Skin(skin.board, skin.window, env, skin.sink).status;
    skin.late_failures = waiting.finish();
}

bool same_skin(const LoadedSkin& a, const LoadedSkin& b) {
    if (a.status != b.status || !(a.window == b.window) || a.sink.messages != b.sink.messages ||
        a.late_failures != b.late_failures)
        return false;
    const auto& sa = a.board.segments();
    const auto& sb = b.board.segments();
    if (sa.size() != sb.size()) return false;
    for (std::size_t i = 0; i < sa.size(); ++i) {
        if (!sa[i].picture != !sb[i].picture || sa[i].rect != sb[i].rect) return false;
        if (sa[i].picture && sa[i].picture->pixels != sb[i].picture->pixels) return false;
    }
    return true;
}

// In the child: from here on no thread can be started. Root is not bound by the limit, so a
// root child becomes the unprivileged user first.
int refuse_threads() {
    if (::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return kLimitNotSet;
    const rlimit none{1, 1};
    if (::setrlimit(RLIMIT_NPROC, &none) != 0) return kLimitNotSet;
    try {
        std::thread probe([] {});
        probe.join();
        return kThreadsStillStart;
    } catch (const std::system_error&) {
        return -1;
    }
}

TEST(NoSecondThread, TheSkinLoadDecodesEveryPictureItselfAndGivesTheSameBoard) {
    LoadedSkin with_helper;
    load_delivered_skin(with_helper);
    ASSERT_EQ(with_helper.status, SkinLoadStatus::Complete);
    ASSERT_TRUE(with_helper.sink.messages.empty());

    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        int end = refuse_threads();
        if (end < 0) {
            try {
                LoadedSkin alone;
                load_delivered_skin(alone);
                end = same_skin(with_helper, alone) ? kSameBoard : kOtherBoard;
            } catch (...) {
                end = kLoadThrew;
            }
        }
        ::_exit(end); // no test report, no leak check from the copy of this process
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child ended on signal " << WTERMSIG(status);
    if (WEXITSTATUS(status) == kThreadsStillStart || WEXITSTATUS(status) == kLimitNotSet)
        GTEST_SKIP() << "threads cannot be refused here (child ended " << WEXITSTATUS(status)
                     << ")";
    EXPECT_EQ(WEXITSTATUS(status), kSameBoard)
        << "2: the board differs, 3: the load ended with an exception";
}

} // namespace
} // namespace q50
