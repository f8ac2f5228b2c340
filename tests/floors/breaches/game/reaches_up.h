#pragma once
// Up from floor 2 to the desktop.
#include "shell/program.h"
// Down to floor 1: allowed.
#include "board/board.h"
