#pragma once
// A controller made in software through SDL's virtual joystick: the in-process tests attach
// one, and the end-to-end test has the program attach one at start (Q50_VIRTUAL_PAD names a
// FIFO) and drives it by writing lines to that FIFO:
//   down BUTTON | up BUTTON | axis AXIS VALUE | detach | attach
// with SDL's button and axis names. Each line is applied and the pad source woken at once.
#include "input/pad.h"

#include <QObject>
#include <QSocketNotifier>

#include <memory>
#include <string>

struct _SDL_Joystick;

namespace q50 {

class PadSource;

class VirtualPad {
  public:
    VirtualPad() = default;
    ~VirtualPad();
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;

    // Needs SDL's game-controller subsystem started (PadSource::start). False on failure.
    bool attach();
    void detach();
    bool attached() const { return joystick_ != nullptr; }
    void set_button(PadButton b, bool down);
    void set_axis(PadAxis a, int value);

  private:
    _SDL_Joystick* joystick_ = nullptr;
    int device_index_ = -1;
};

// The end-to-end test's hook: reads commands from the FIFO and wakes the source after each.
class VirtualPadHook : public QObject {
    Q_OBJECT
  public:
    VirtualPadHook(const std::string& fifo, PadSource& source);
    ~VirtualPadHook() override;
    bool ok() const { return fd_ >= 0; }

  private:
    void read_commands();
    void apply(const std::string& line);

    PadSource& source_;
    VirtualPad pad_;
    int fd_ = -1;
    std::string pending_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace q50
