// Below the core's floor, yet not among what its library links.
#include "game/device.h"
#include "sound/sound_output.h"
