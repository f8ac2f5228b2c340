#pragma once
// The sixteen interval timers of the device, in virtual time.
//
// Enabling a disabled timer or giving an enabled timer a different interval starts a fresh
// period from now; repeating either changes nothing. A timer that is still enabled after its
// handler, and whose period the handler did not restart, is due again one interval after the
// step it just ran, so periods never drift. Steps due at the same millisecond run in the
// order of declaration.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace q50 {

enum class TimerId : int {
    Bonus_Phase_1,
    Bonus_Phase_2,
    Bonus_Phase_3,
    Bonus_Phase_4,
    Chance,
    Clock,
    Game,
    Game_Over,
    Game_Start,
    Game_Start_Enemy,
    Pelko_Move,
    Miss_Phase_1,
    Miss_Phase_2,
    Miss_Phase_3,
    Score_Blink,
    Stage_Init,
};
constexpr int kTimerCount = 16;

// "Timer_Game", "Timer_Pelko_Move", ... (from the device's table of timers, timer_table.cpp)
std::string_view timer_name(TimerId id);

class TimerSet {
  public:
    using Handler = std::function<void(TimerId)>;

    TimerSet();

    void set_interval(TimerId id, std::int32_t ms);
    void set_enabled(TimerId id, bool on);
    void enable(TimerId id) { set_enabled(id, true); }
    void disable(TimerId id) { set_enabled(id, false); }
    // Interval first, then enable: the usual way a sequence arms its timer.
    void start(TimerId id, std::int32_t ms) {
        set_interval(id, ms);
        set_enabled(id, true);
    }

    bool enabled(TimerId id) const { return slot(id).enabled; }
    std::int32_t interval(TimerId id) const { return slot(id).interval; }
    // Device time of the timer's next step, if it is enabled.
    std::optional<std::int64_t> due(TimerId id) const;

    // The device's time: the time of the step being handled, or the time last advanced to.
    std::int64_t now() const { return now_; }
    // The earliest step due, if any timer runs.
    std::optional<std::int64_t> next_due() const;

    // Runs every step due at or before t, in order, calling `fire` for each; then now() == t.
    // A t in the past is treated as now().
    void advance_to(std::int64_t t, const Handler& fire);

    // Real-time driving: as advance_to, but a timer whose step is overdue by more than
    // `stall_ms` (the machine was suspended, the thread blocked) fires once at t and
    // restarts its period from t instead of bursting through its backlog. True when one did:
    // the steps then differ from exact device time, and a recording must say so.
    bool catch_up_to(std::int64_t t, std::int64_t stall_ms, const Handler& fire);

    // One timer as a saved state of the device keeps it.
    struct Slot {
        bool enabled = false;
        std::int32_t interval = 1;
        std::int64_t due = 0;
        std::uint64_t period = 0; // bumped when a fresh period starts
        bool operator==(const Slot&) const = default;
    };
    const Slot& saved(TimerId id) const { return slot(id); }
    // Puts back every timer and the time as saved; the caller has checked that they fit
    // together (an enabled timer is not due before `now`).
    void restore(const std::array<Slot, kTimerCount>& timers, std::int64_t now) {
        slots_ = timers;
        now_ = now;
    }

  private:
    Slot& slot(TimerId id) { return slots_[std::size_t(id)]; }
    const Slot& slot(TimerId id) const { return slots_[std::size_t(id)]; }
    std::optional<TimerId> earliest(std::int64_t limit) const;

    std::array<Slot, kTimerCount> slots_;
    std::int64_t now_ = 0;
};

} // namespace q50
