#pragma once
// The device as the input dispatch's target: each button action calls the device's own.
#include "input/dispatch.h"

namespace q50 {

class Device;

void perform(Device& d, ButtonAction a);

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
