#include "game/device.h"

namespace q50 {

Device::Device(Services services) : services_(services) {}

void Device::advance_to(std::int64_t t) {
    timers.advance_to(t, [this](TimerId id) { fire(id); });
}

bool Device::catch_up_to(std::int64_t t) {
    return timers.catch_up_to(t, kStallMs, [this](TimerId id) { fire(id); });
}

std::vector<VariableRef> Device::variables() {
#define Q50_INTEGER(name) {#name, &name},
#define Q50_FLAG(name) {#name, nullptr, &name},
    return {Q50_DEVICE_VARIABLES(Q50_INTEGER, Q50_FLAG)};
#undef Q50_INTEGER
#undef Q50_FLAG
}

} // namespace q50
