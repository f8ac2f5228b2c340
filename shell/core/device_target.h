#pragma once
// The device as the input dispatch's target: each button action presses or releases one of
// the device's buttons.
#include "input/dispatch.h"

namespace q50 {

class Device;

class DeviceTarget : public ButtonTarget {
  public:
    explicit DeviceTarget(Device& d) : d_(d) {}
    std::int32_t game_state() const override;
    bool fullscreen_mode() const override;
    void perform(ButtonAction a) override;

  private:
    Device& d_;
};

} // namespace q50
