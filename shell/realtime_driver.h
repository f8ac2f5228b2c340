#pragma once
// Drives the device in real time: device time is the monotonic milliseconds since start, and
// one timer is armed for the device's next due step, nothing while nothing is due. The timer
// is a kernel timer set to the step's own nanosecond (not a millisecond count from a rounded
// clock), so a step runs neither early nor a millisecond late, and steps due together run in
// one wake. Every input goes through run(), so that it is handled after every step due by then.
#include "game/device.h"
#include "shell/core/catch_up.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QSocketNotifier;

namespace q50 {

class RealtimeDriver : public QObject {
    Q_OBJECT
  public:
    // `clock` gives the milliseconds since start; by default a monotonic clock started here.
    explicit RealtimeDriver(Device& device, std::function<std::int64_t()> clock = {},
                            QObject* parent = nullptr);
    ~RealtimeDriver() override;

    // Device time now: the clock since the device was switched on, less every pause so far
    // (frozen while paused); in milliseconds, and to the nanosecond.
    std::int64_t clock_ms() const { return clock_ns() / 1000000; }
    std::int64_t clock_ns() const;
    // The device is switched on: its time counts from 0 now, and `first` (reading the time of
    // day, the power-on) runs at device time 0 exactly, however long it takes.
    void start_at_zero(const std::function<void()>& first = {});
    // Device time takes up from `device_ms` now, paused or not (a saved state was put back):
    // the next steps come at their own times counted from there.
    void continue_at(std::int64_t device_ms);

    // Inputs known ahead of their time (a recording played back): `next_due` gives the next one,
    // or nothing; `run_due` runs it. Each runs at its own device time, after every timer step
    // due at or before it and before any later one, however late the driver wakes, as a replay
    // orders them; device time is exact meanwhile (CatchUp). Empty functions end the schedule.
    void set_schedule(std::function<std::optional<ReplayDue>()> next_due,
                      std::function<void()> run_due);
    // Told of each stall the driver caught the device up from (live, not in a playback): the
    // recording writes it.
    std::function<void(const Stall&)> on_stall;

    // Device time stops: no timer step runs until resume(), and every timer keeps the time it
    // had left, because device time takes up again where it stopped. Inputs that still come
    // (releases) run at the stopped time.
    void pause();
    void resume();
    bool paused() const { return paused_; }
    // How long the last pause lasted, in milliseconds of the clock.
    std::int64_t last_pause_ms() const { return last_pause_ms_; }

    // Catches the device up to now, runs `action` (an input, a menu command), re-arms the timer
    // and tells the listeners.
    void run(const std::function<void()>& action);
    // Catches the device up to now, re-arms and tells the listeners.
    void poll();

    // From now on nothing runs: no timer step, no input (the program is closing).
    void stop();
    bool stopped() const { return stopped_; }

    bool armed() const { return armed_; }
    // The time from the last arming to the step it waits for, in whole milliseconds rounded up.
    int armed_delay_ms() const { return armed_delay_ms_; }
    // Wake-ups of the timer so far.
    std::uint64_t wakes() const { return wakes_; }

  signals:
    // After every timer step and every input: the board may have changed.
    void stepped();

  private:
    void rearm();
    void disarm();
    void expired();
    // Runs the steps and the scheduled inputs due by `t`, in the order of their device times.
    void catch_up(std::int64_t t);

    Device& device_;
    std::function<std::int64_t()> clock_;
    std::int64_t origin_ns_ = 0; // the monotonic clock when the driver was made
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool armed_ = false;
    int armed_delay_ms_ = 0;
    std::uint64_t wakes_ = 0;
    bool stopped_ = false;
    bool paused_ = false;
    // Nanoseconds of the raw clock (`clock` or the monotonic clock since origin_ns_).
    std::int64_t paused_at_ = 0;    // when the pause began
    std::int64_t paused_total_ = 0; // spent in earlier pauses
    std::int64_t start_ = 0;        // at device time 0
    std::int64_t last_pause_ms_ = 0;
    CatchUp catch_up_;
    // While a scheduled input (or the power-on) runs, device time stands at its time: a run()
    // it makes in turn (a recorded menu command) must not catch up past it, and the timer is
    // armed once it is done.
    bool holding_ = false;
    // Inside run()'s action: device time stands still until it is done.
    bool acting_ = false;
    std::int64_t raw_ns() const;
};

} // namespace q50
