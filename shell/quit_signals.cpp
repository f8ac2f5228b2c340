#include "shell/quit_signals.h"

#include "shell/core/file_store.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace q50 {

namespace {

int g_pipe[2] = {-1, -1};
constexpr int kQuitSignals[] = {SIGINT, SIGTERM, SIGHUP};
volatile std::sig_atomic_t g_starting = 0;

extern "C" void on_quit_signal(int sig) {
    // Nothing reads the pipe until the message loop runs; the store's writes replace whole
    // files, so ending in the middle of one loses nothing.
    if (g_starting) ::_exit(0);
    // A write waiting for a lock held by a stuck copy would keep the message loop from the
    // signal for seconds: it gives up now (the program is ending).
    FileStore::stop_waiting();
    const unsigned char b = static_cast<unsigned char>(sig);
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &b, 1);
}

} // namespace

QuitSignals::QuitSignals(std::function<void(int)> on_signal, QObject* parent)
    : QObject(parent), on_signal_(std::move(on_signal)) {
    if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0) return;
    ::fcntl(g_pipe[1], F_SETFL, O_NONBLOCK);
    notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        unsigned char b = 0;
        if (::read(g_pipe[0], &b, 1) == 1 && on_signal_) on_signal_(b);
    });
    struct sigaction sa {};
    sa.sa_handler = on_quit_signal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    // SIGHUP too: the terminal it was started from went away, or a session manager hangs up.
    for (int sig : kQuitSignals) ::sigaction(sig, &sa, nullptr);
}

void QuitSignals::set_starting(bool on) {
    g_starting = on ? 1 : 0;
}

QuitSignals::~QuitSignals() {
    g_starting = 0;
    for (int sig : kQuitSignals) ::signal(sig, SIG_DFL);
}

} // namespace q50
