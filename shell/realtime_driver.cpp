#include "shell/realtime_driver.h"

#include <QSocketNotifier>

#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <limits>

namespace q50 {

namespace {

std::int64_t monotonic_ns() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

} // namespace

RealtimeDriver::RealtimeDriver(Device& device, std::function<std::int64_t()> clock, QObject* parent)
    : QObject(parent), device_(device), clock_(std::move(clock)), origin_ns_(monotonic_ns()),
      catch_up_(device) {
    catch_up_.on_stall = [this](const Stall& s) {
        if (on_stall) on_stall(s);
    };
    fd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ >= 0) {
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        connect(notifier_.get(), &QSocketNotifier::activated, this, &RealtimeDriver::expired);
    }
}

RealtimeDriver::~RealtimeDriver() {
    notifier_.reset();
    if (fd_ >= 0) ::close(fd_);
}

std::int64_t RealtimeDriver::raw_ns() const {
    return clock_ ? clock_() * 1000000 : monotonic_ns() - origin_ns_;
}

std::int64_t RealtimeDriver::clock_ns() const {
    return (paused_ ? paused_at_ : raw_ns()) - paused_total_ - start_;
}

void RealtimeDriver::start_at_zero(const std::function<void()>& first) {
    start_ = raw_ns();
    paused_total_ = 0;
    if (stopped_) return;
    holding_ = true;
    if (first) first();
    holding_ = false;
    rearm();
    emit stepped();
}

void RealtimeDriver::continue_at(std::int64_t device_ms) {
    // clock_ns() is the raw clock less the pauses and start_: only start_ moves.
    start_ = (paused_ ? paused_at_ : raw_ns()) - paused_total_ - device_ms * 1000000;
}

void RealtimeDriver::set_schedule(std::function<std::optional<ReplayDue>()> next_due,
                                  std::function<void()> run_due) {
    if (!next_due || !run_due) {
        catch_up_.set_schedule({}, {});
        return;
    }
    catch_up_.set_schedule(std::move(next_due), [this, run = std::move(run_due)] {
        holding_ = true;
        run();
        holding_ = false;
    });
}

void RealtimeDriver::catch_up(std::int64_t t) {
    if (holding_ || acting_) return;
    catch_up_.to(t, [this] { return paused_ || stopped_; });
}

void RealtimeDriver::pause() {
    if (paused_ || stopped_) return;
    // Everything due until now runs first; the pause begins after it.
    catch_up(clock_ms());
    paused_at_ = raw_ns();
    paused_ = true;
    disarm();
    emit stepped();
}

void RealtimeDriver::resume() {
    if (!paused_) return;
    const std::int64_t paused_ns = raw_ns() - paused_at_;
    last_pause_ms_ = paused_ns / 1000000;
    paused_total_ += paused_ns;
    paused_ = false;
    poll();
}

void RealtimeDriver::run(const std::function<void()>& action) {
    if (stopped_) return;
    if (holding_ || acting_) {
        // Within a scheduled input or another action: at its time, and the outer run re-arms
        // and tells. A menu command that loads the skin or opens a box (whose loop wakes the
        // timer) would otherwise move the device on halfway, and its effects would come a
        // millisecond after the time it is recorded at.
        if (action) action();
        return;
    }
    catch_up(clock_ms());
    if (action) {
        acting_ = true;
        struct Done {
            bool& acting;
            ~Done() { acting = false; }
        } done{acting_};
        action();
    }
    rearm();
    emit stepped();
}

void RealtimeDriver::poll() {
    run({});
}

void RealtimeDriver::expired() {
    std::uint64_t expirations = 0;
    // Non-blocking: nothing to read means the timer was re-armed since it fired.
    if (::read(fd_, &expirations, sizeof expirations) != sizeof expirations) return;
    ++wakes_;
    poll();
}

void RealtimeDriver::stop() {
    stopped_ = true;
    disarm();
}

void RealtimeDriver::disarm() {
    armed_ = false;
    if (fd_ < 0) return;
    const itimerspec off{};
    timerfd_settime(fd_, 0, &off, nullptr);
}

void RealtimeDriver::rearm() {
    if (holding_) return;
    const auto due = catch_up_.next_due();
    if (!due || paused_ || fd_ < 0) {
        disarm();
        return;
    }
    // The step's own nanosecond on the monotonic clock; one already past fires at once.
    const std::int64_t now_ns = clock_ns();
    const std::int64_t wait_ns = std::max<std::int64_t>(0, *due * 1000000 - now_ns);
    // On the real clock, the monotonic time at which device time reaches the step.
    const std::int64_t at =
        clock_ ? monotonic_ns() + wait_ns : origin_ns_ + start_ + paused_total_ + now_ns + wait_ns;
    itimerspec spec{};
    spec.it_value.tv_sec = time_t(at / 1000000000);
    spec.it_value.tv_nsec = long(at % 1000000000);
    timerfd_settime(fd_, TFD_TIMER_ABSTIME, &spec, nullptr);
    armed_ = true;
    armed_delay_ms_ =
        int(std::min<std::int64_t>((wait_ns + 999999) / 1000000, std::numeric_limits<int>::max()));
}

} // namespace q50
