#pragma once
// The device as the input dispatch's target: each button action presses or releases one of
// the device's buttons.
#include "input/dispatch.h"
#include "shell/core/presentation.h"

namespace q50 {

class Device;

class DeviceTarget : public ButtonTarget {
  public:
    // Without a presentation the device counts as windowed.
    explicit DeviceTarget(Device& d, const Presentation* p = nullptr) : d_(d), p_(p) {}
    std::int32_t game_state() const override;
    bool fullscreen_mode() const override;
    void perform(ButtonAction a) override;

  private:
    Device& d_;
    const Presentation* p_;
};

} // namespace q50
