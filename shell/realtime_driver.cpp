#include "shell/realtime_driver.h"

#include <algorithm>
#include <limits>

namespace q50 {

RealtimeDriver::RealtimeDriver(Device& device, std::function<std::int64_t()> clock, QObject* parent)
    : QObject(parent), device_(device), clock_(std::move(clock)) {
    elapsed_.start();
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &RealtimeDriver::poll);
}

std::int64_t RealtimeDriver::raw_ms() const {
    return clock_ ? clock_() : std::int64_t(elapsed_.elapsed());
}

std::int64_t RealtimeDriver::clock_ms() const {
    return (paused_ ? paused_at_ : raw_ms()) - paused_total_ - origin_;
}

void RealtimeDriver::start_at_zero() {
    origin_ = raw_ms();
    paused_total_ = 0;
}

void RealtimeDriver::pause() {
    if (paused_ || stopped_) return;
    // Everything due until now runs first; the pause begins after it.
    device_.catch_up_to(clock_ms());
    paused_at_ = raw_ms();
    paused_ = true;
    timer_.stop();
    emit stepped();
}

void RealtimeDriver::resume() {
    if (!paused_) return;
    last_pause_ms_ = raw_ms() - paused_at_;
    paused_total_ += last_pause_ms_;
    paused_ = false;
    poll();
}

void RealtimeDriver::run(const std::function<void()>& action) {
    if (stopped_) return;
    device_.catch_up_to(clock_ms());
    if (action) action();
    rearm();
    emit stepped();
}

void RealtimeDriver::poll() {
    run({});
}

void RealtimeDriver::stop() {
    stopped_ = true;
    timer_.stop();
}

void RealtimeDriver::rearm() {
    const auto due = device_.next_due();
    if (!due || paused_) {
        timer_.stop();
        return;
    }
    // The clock can lag the device by the part of a millisecond the timer woke early.
    const std::int64_t delay = std::max<std::int64_t>(0, *due - clock_ms());
    timer_.start(int(std::min<std::int64_t>(delay, std::numeric_limits<int>::max())));
}

} // namespace q50
