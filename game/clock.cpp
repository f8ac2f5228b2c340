// The clock: the local time of day in 12-hour form, read afresh every second.
#include "game/device.h"

namespace q50 {

void Device::Timer_ClockTimer() {
    const TimeOfDay t = clock().now(now());
    // A source that strays out of the day must not pick a glyph that does not exist.
    int hour = ((t.hour % 24) + 24) % 24;
    const int minute = ((t.minute % 60) + 60) % 60;
    const bool pm = hour >= 12;
    if (pm) hour -= 12;
    board.set_shown(board.get("im_panel_time_am"), !pm);
    board.set_shown(board.get("im_panel_time_pm"), pm);
    if (hour == 0) hour = 12;
    if (hour >= 10)
        board.copy_picture(board.Seg_Digit[1], board.Seg_Number[hour / 10]);
    else
        board.clear_picture(board.Seg_Digit[1]);
    board.copy_picture(board.Seg_Digit[2], board.Seg_Number[hour % 10]);
    board.copy_picture(board.Seg_Digit[3], board.Seg_Number[minute / 10]);
    board.copy_picture(board.Seg_Digit[4], board.Seg_Number[minute % 10]);
    timers.set_interval(TimerId::Clock, 1000);
}

} // namespace q50
