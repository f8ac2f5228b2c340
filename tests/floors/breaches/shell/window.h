#pragma once
// The desktop must not lean on the tools beside it.
#include "tools/trace/rig.h"
// Floor 3 below: allowed.
#include "shell/core/form_create.h"
