#pragma once
// Floor 3 from the top: allowed.
#include "shell/core/memory_store.h"
