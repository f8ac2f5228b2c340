#include "shell/quit_signals.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace q50 {
namespace {

// Each signal reaches the callback through the event loop, not in the handler, and the
// process lives on to end itself the orderly way.
TEST(QuitSignals, InterruptTerminateAndHangUpEachEndTheProgramOrderly) {
    std::vector<int> got;
    {
        QuitSignals quit([&](int sig) { got.push_back(sig); });
        for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
            const std::size_t before = got.size();
            ASSERT_EQ(std::raise(sig), 0);
            QElapsedTimer t;
            t.start();
            while (got.size() == before && t.elapsed() < 2000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
    }
    EXPECT_EQ(got, (std::vector<int>{SIGINT, SIGTERM, SIGHUP}));
    // Given up again afterwards: the default action is back.
    struct sigaction now {};
    sigaction(SIGHUP, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
}

// A start held by something that never answers (a file that is a named pipe, a slow disk)
// runs no message loop: the signal ends the process itself, with the orderly status.
TEST(QuitSignals, ASignalDuringTheStartEndsTheProcessAtOnce) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        QuitSignals quit([](int) { ::_exit(2); });
        QuitSignals::set_starting(true);
        std::raise(SIGTERM);
        ::_exit(3); // the start went on as if nothing had been asked
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
} // namespace q50
