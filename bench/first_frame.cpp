// Time from exec to the first change of the screen, and resident memory one second later:
//   bench_first_frame PROGRAM [ARGS...]
// The X server reports every change of the root window through the DAMAGE extension; on each
// report the screen is read through MIT-SHM and compared with the screen before the launch, so
// a report that leaves the pixels as they were (a window mapped without a background) does not
// count. Nothing polls: between reports the tool sleeps in poll(). After the measurement the
// program is ended with SIGTERM and the tool waits until the screen is back as it was.
// Prints one line: "first_frame_ms=F rss_kb=R cpu_ms=C", C the CPU time the program used up
// to its first frame (a figure that a busy machine disturbs less than the time).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xdamage.h>

#include <poll.h>
#include <signal.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

class ScreenReader {
  public:
    explicit ScreenReader(Display* dpy) : dpy_(dpy), root_(DefaultRootWindow(dpy)) {
        const int s = DefaultScreen(dpy);
        image_ = XShmCreateImage(dpy, DefaultVisual(dpy, s), unsigned(DefaultDepth(dpy, s)),
                                 ZPixmap, nullptr, &shm_, unsigned(DisplayWidth(dpy, s)),
                                 unsigned(DisplayHeight(dpy, s)));
        if (!image_) return;
        shm_.shmid = shmget(IPC_PRIVATE, std::size_t(image_->bytes_per_line) * image_->height,
                            IPC_CREAT | 0600);
        if (shm_.shmid < 0) return;
        shm_.shmaddr = image_->data = static_cast<char*>(shmat(shm_.shmid, nullptr, 0));
        shm_.readOnly = False;
        ok_ = shm_.shmaddr != reinterpret_cast<char*>(-1) && XShmAttach(dpy, &shm_);
        // Once both sides are attached the segment may be marked; it goes when both detach.
        shmctl(shm_.shmid, IPC_RMID, nullptr);
    }
    ~ScreenReader() {
        if (ok_) XShmDetach(dpy_, &shm_);
        if (shm_.shmaddr && shm_.shmaddr != reinterpret_cast<char*>(-1)) shmdt(shm_.shmaddr);
        if (image_) {
            image_->data = nullptr;
            XDestroyImage(image_);
        }
    }
    bool ok() const { return ok_; }
    std::size_t bytes() const { return std::size_t(image_->bytes_per_line) * image_->height; }
    const char* read() {
        XShmGetImage(dpy_, root_, image_, 0, 0, AllPlanes);
        return image_->data;
    }

  private:
    Display* dpy_;
    Window root_;
    XImage* image_ = nullptr;
    XShmSegmentInfo shm_{};
    bool ok_ = false;
};

long rss_kb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// Waits for damage reports until the screen equals (`want_equal`) or differs from `blank`,
// or `limit_ms` passes. Returns false on time-out or when `child` ended first.
bool wait_screen(Display* dpy, int damage_event, Damage damage, ScreenReader& screen,
                 const std::vector<char>& blank, bool want_equal, pid_t child, double limit_ms) {
    const auto t0 = Clock::now();
    auto matches = [&] {
        return (std::memcmp(screen.read(), blank.data(), blank.size()) == 0) == want_equal;
    };
    if (want_equal && matches()) return true;
    pollfd fd{ConnectionNumber(dpy), POLLIN, 0};
    for (;;) {
        while (XPending(dpy)) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            if (ev.type != damage_event + XDamageNotify) continue;
            XDamageSubtract(dpy, damage, None, None);
            if (matches()) return true;
        }
        if (child > 0 && waitpid(child, nullptr, WNOHANG) == child) return false;
        const double left = limit_ms - ms_since(t0);
        if (left <= 0) return false;
        poll(&fd, 1, int(std::min(left, 50.0)) + 1);
    }
}

// CPU time the process has used so far, all its threads, those that have ended included (a
// thread that helped the start and ended before the first frame still cost its time): the
// process's own CPU clock, in nanoseconds.
double cpu_ms(pid_t pid) {
    clockid_t clock{};
    timespec t{};
    if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &t) != 0) return -1;
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "first_frame: no X display\n");
        return 2;
    }
    int damage_event = 0, damage_error = 0;
    if (!XDamageQueryExtension(dpy, &damage_event, &damage_error) || !XShmQueryExtension(dpy)) {
        std::fprintf(stderr, "first_frame: the X server lacks DAMAGE or MIT-SHM\n");
        return 2;
    }
    auto owned = std::make_unique<ScreenReader>(dpy);
    ScreenReader& screen = *owned;
    if (!screen.ok()) {
        std::fprintf(stderr, "first_frame: no shared-memory image of the screen\n");
        return 2;
    }
    const char* now = screen.read();
    const std::vector<char> blank(now, now + screen.bytes());
    const Damage damage = XDamageCreate(dpy, DefaultRootWindow(dpy), XDamageReportNonEmpty);
    XSync(dpy, False);

    const auto t0 = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    if (child < 0) return 2;

    const bool framed =
        wait_screen(dpy, damage_event, damage, screen, blank, false, child, 30000.0);
    const double first_ms = ms_since(t0);
    const double cpu = framed ? cpu_ms(child) : -1;
    long rss = -1;
    if (framed) {
        usleep(1000000);
        rss = rss_kb(child);
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    // The next launch must start from the same screen.
    const bool cleared = wait_screen(dpy, damage_event, damage, screen, blank, true, -1, 10000.0);
    XDamageDestroy(dpy, damage);
    owned.reset(); // detaches from the server, so before the connection closes
    XCloseDisplay(dpy);
    if (!framed) {
        std::fprintf(stderr, "first_frame: %s showed nothing\n", argv[1]);
        return 1;
    }
    std::printf("first_frame_ms=%.1f rss_kb=%ld cpu_ms=%.1f\n", first_ms, rss, cpu);
    if (!cleared) std::fprintf(stderr, "first_frame: the screen did not return to its start\n");
    return cleared ? 0 : 1;
}
