// Compiled, never run, by check.cmake: once with a real control's name, which must build, and
// once each way the program could name a control wrongly, which must not.
#include "board/board.h"

#include <string>

void probe(q50::Board& board) {
#if defined(PROBE_NUMBER)
    // A name composed of a stem and a number is checked as a written one is.
    board.show(q50::SegmentId::numbered("im_flame_", PROBE_NUMBER));
    board.show(q50::SegmentId::numbered("im_enemy_", PROBE_NUMBER, "_flame_4"));
#elif defined(PROBE_RUNTIME_NAME)
    // A name only known at run time has to go through Board::find or Board::named.
    const std::string name = "im_flame_1";
    board.show(name);
#else
    board.show(PROBE_NAME);
    board.hide({"im_flame_1", PROBE_NAME});
    (void)board.get(PROBE_NAME).rect;
#endif
}
