#pragma once
// The toolkit-free steps of the main window's creation, shared by the desktop program and the
// trace tool. The skin load (and, on the desktop, the menus) comes between the two halves.
#include "game/device.h"
#include "game/device_services.h"
#include "input/keys.h"
#include "shell/core/presentation.h"

#include <functional>

namespace q50 {

// Fills the speed table and reads FullscreenMode (default true).
void form_create_before_skin(Device& device, Presentation& presentation);

// Loads the key assignments and hints, reads CtrlrOverlay (default true) and shows the overlay
// buttons accordingly, reads both high scores, clears Play_Active and Move_Lock.
void form_create_after_skin(Device& device, Presentation& presentation, KeyAssignments& keys);

// The whole creation: the first half, `load_skin` (when given; it finds the stored presentation
// and may change it for the run), the second half. The desktop, the trace tool, the end-to-end
// frames and the rigs all create the device this way; Device::power_on() follows when the
// splash window plays.
void form_create(Device& device, Presentation& presentation, KeyAssignments& keys,
                 const std::function<void()>& load_skin);

} // namespace q50
