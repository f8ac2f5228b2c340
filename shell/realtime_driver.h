#pragma once
// Drives the device in real time: device time is the monotonic milliseconds since start, and
// one precise single-shot timer is armed for the device's next due step, nothing while nothing
// is due. Every input goes through run(), so that it is handled after every step due by then.
#include "game/device.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>

namespace q50 {

class RealtimeDriver : public QObject {
    Q_OBJECT
  public:
    // `clock` gives the milliseconds since start; by default a monotonic clock started here.
    explicit RealtimeDriver(Device& device, std::function<std::int64_t()> clock = {},
                            QObject* parent = nullptr);

    // Device time now: the clock since the device was switched on, less every pause so far
    // (frozen while paused).
    std::int64_t clock_ms() const;
    // The device is switched on: its time counts from 0 now.
    void start_at_zero();

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

    bool armed() const { return timer_.isActive(); }
    // The delay the timer was last armed with.
    int armed_delay_ms() const { return timer_.interval(); }

  signals:
    // After every timer step and every input: the board may have changed.
    void stepped();

  private:
    void rearm();

    Device& device_;
    std::function<std::int64_t()> clock_;
    QElapsedTimer elapsed_;
    QTimer timer_;
    bool stopped_ = false;
    bool paused_ = false;
    std::int64_t paused_at_ = 0;    // the raw clock when the pause began
    std::int64_t paused_total_ = 0; // raw milliseconds spent in earlier pauses
    std::int64_t origin_ = 0;       // the raw clock at device time 0
    std::int64_t last_pause_ms_ = 0;
    std::int64_t raw_ms() const;
};

} // namespace q50
