#pragma once
// Allowed: its own floor, and the standard library.
#include "board/segment.h"
#include <vector>
