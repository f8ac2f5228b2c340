// Across to a sibling on floor 2, spelt with angle brackets.
#include <game/device.h>
// Out of the tree by a relative path.
#include "../input/keys.h"
