#include "game/timers.h"

namespace q50 {

TimerSet::TimerSet() = default;

void TimerSet::set_interval(TimerId id, std::int32_t ms) {
    // The window system's shortest period is one millisecond.
    if (ms < 1) ms = 1;
    Slot& s = slot(id);
    if (s.interval == ms) return;
    s.interval = ms;
    if (s.enabled) {
        s.due = now_ + ms;
        ++s.period;
    }
}

void TimerSet::set_enabled(TimerId id, bool on) {
    Slot& s = slot(id);
    if (s.enabled == on) return;
    s.enabled = on;
    if (on) {
        s.due = now_ + s.interval;
        ++s.period;
    }
}

std::optional<std::int64_t> TimerSet::due(TimerId id) const {
    const Slot& s = slot(id);
    if (!s.enabled) return std::nullopt;
    return s.due;
}

std::optional<std::int64_t> TimerSet::next_due() const {
    std::optional<std::int64_t> best;
    for (const Slot& s : slots_)
        if (s.enabled && (!best || s.due < *best)) best = s.due;
    return best;
}

std::optional<TimerId> TimerSet::earliest(std::int64_t limit) const {
    std::optional<TimerId> best;
    std::int64_t best_due = 0;
    for (int i = 0; i < kTimerCount; ++i) {
        const Slot& s = slots_[std::size_t(i)];
        if (!s.enabled || s.due > limit) continue;
        // Strictly earlier only: ties go to the timer declared first.
        if (!best || s.due < best_due) {
            best = TimerId(i);
            best_due = s.due;
        }
    }
    return best;
}

void TimerSet::advance_to(std::int64_t t, const Handler& fire) {
    if (t < now_) t = now_;
    while (auto id = earliest(t)) {
        Slot& s = slot(*id);
        now_ = s.due;
        const std::uint64_t period = s.period;
        const std::int64_t step_time = s.due;
        // Until the handler says otherwise the timer is not due again in this step.
        s.due = step_time + s.interval;
        fire(*id);
        Slot& after = slot(*id);
        if (after.enabled && after.period == period) after.due = step_time + after.interval;
    }
    now_ = t;
}

bool TimerSet::catch_up_to(std::int64_t t, std::int64_t stall_ms, const Handler& fire) {
    if (t < now_) t = now_;
    bool stalled = false;
    for (Slot& s : slots_) {
        if (s.enabled && s.due < t - stall_ms) {
            s.due = t;
            ++s.period;
            stalled = true;
        }
    }
    advance_to(t, fire);
    return stalled;
}

} // namespace q50
