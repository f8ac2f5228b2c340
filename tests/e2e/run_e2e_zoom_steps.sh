#!/usr/bin/env bash
# End-to-end, the zoom keys and rows on a screen as high as a 4K one (1600x2160: the windowed
# fit is 200 %, 300 % and 400 % do not fit): "-" from fit goes to 100 % and no further (it
# never enlarges), "+" goes back to 200 % and no further (it never shrinks), a key that changes
# nothing leaves the window where it is to the pixel, and the "300 %" row, which cannot fit,
# keeps the zoom, its mark and the store as they were and says why. Real keys (xdotool).
#   run_e2e_zoom_steps.sh RUN_DIR OUT_DIR
set -euo pipefail
run_dir=$1 out=$2
e2e_tag=zoom-steps
sw=1600 sh=2160
source "$(dirname "$0")/lib.sh"
begin_e2e "${sw}x${sh}" Xvfb xdotool import convert
fresh_store SoundMode=2 SplashScreen=0 FullscreenMode=0
xdotool mousemove $((sw - 4)) $((sh - 4))
launch_program

# geometry_now: X Y WIDTH HEIGHT of the main window
geometry_now() { local X Y WIDTH HEIGHT SCREEN WINDOW; geometry_of "$(main_window)" && echo "$X $Y $WIDTH $HEIGHT"; }
sized() { local want=$1 g; g=$(geometry_now) && set -- $g && [ "$3x$4" = "$want" ]; }
stored_zoom() { sed -n 's/^Zoom=//p' "$store"; }
key_to_main() { xdotool windowfocus --sync "$(main_window)" 2>/dev/null || true; xdotool key "$@"; }
# A notice: a second window of the program while no menu is open.
notice_up() { notice_shown; }

wait_for 30 main_up || fail "the main window did not come up"
wait_for 10 sized 996x1540 || fail "windowed fit is $(geometry_now), not 996x1540"
read -r x0 y0 _ _ <<<"$(geometry_now)"
echo "zoom-steps: fit shows 200 % (996x1540 at $x0,$y0)"

key_to_main minus
wait_for 10 sized 498x770 || fail "- from fit did not go to 100 % ($(geometry_now))"
[ "$(stored_zoom)" = 100 ] || fail "- stored Zoom=$(stored_zoom), not 100"
read -r x1 y1 _ _ <<<"$(geometry_now)"
echo "zoom-steps: - went to 100 % (498x770 at $x1,$y1)"

key_to_main minus
sleep 1.5
sized 498x770 || fail "- at 100 % changed the window to $(geometry_now): it must never enlarge"
[ "$(stored_zoom)" = 100 ] || fail "- at 100 % stored Zoom=$(stored_zoom)"
main_at "$x1" "$y1" 498 770 || fail "- that changed nothing moved the window from $x1,$y1 to $(geometry_now)"
wait_for 5 notice_up || fail "- at the smallest zoom said nothing"
shot smallest
echo "zoom-steps: - at 100 % stays at 100 %, where it was, with a notice"

key_to_main plus
wait_for 10 sized 996x1540 || fail "+ from 100 % did not go to 200 % ($(geometry_now))"
[ "$(stored_zoom)" = 200 ] || fail "+ stored Zoom=$(stored_zoom), not 200"
read -r x2 y2 _ _ <<<"$(geometry_now)"
for i in 1 2 3; do key_to_main plus; sleep 0.5; done
sleep 1
main_at "$x2" "$y2" 996 1540 || fail "+ at the largest zoom that fits moved or resized the window: $(geometry_now), was $x2 $y2 996 1540"
[ "$(stored_zoom)" = 200 ] || fail "+ at the largest zoom that fits stored Zoom=$(stored_zoom)"
wait_for 5 notice_up || fail "+ at the largest zoom that fits said nothing"
shot largest
echo "zoom-steps: + went to 200 % and three more left the window as it was, with a notice"

# The context menu's Zoom submenu (the eleventh row), its fourth row: 300 %, which cannot fit.
sleep 4.5 # the notice goes
wait_for 5 popup_closed || fail "the notice did not go"
read -r x y w h <<<"$(geometry_now)"
xdotool mousemove $((x + w / 2)) $((y + 80)) click 3
popup_open() { [ "$(program_windows)" -ge 2 ]; }
wait_for 5 popup_open || fail "no context menu after a right click"
sleep 0.5
xdotool key Down Down Down Down Down Down Down Down Down Down Down Right
sleep 0.5
shot zoom-submenu
xdotool key Down Down Down Return
sleep 1.5
main_at "$x2" "$y2" 996 1540 || fail "the 300 % row changed the window to $(geometry_now)"
[ "$(stored_zoom)" = 200 ] || fail "the 300 % row, which cannot fit, stored Zoom=$(stored_zoom)"
wait_for 5 notice_up || fail "the 300 % row, which cannot fit, said nothing"
shot refused
convert "$out/refused.png" -crop 1200x300+$((x2 - 100))+$((y2 - 100)) +repage "png24:$out/refused-notice.png"
# The mark stays on the zoom shown: the submenu opened again has 200 % ticked, not 300 %.
sleep 4.5
xdotool mousemove $((x + w / 2)) $((y + 80)) click 3
wait_for 5 popup_open || fail "no context menu after a right click"
sleep 0.5
xdotool key Down Down Down Down Down Down Down Down Down Down Down Right
sleep 0.8
shot zoom-marks
xdotool key Escape Escape
echo "zoom-steps: the 300 % row kept the window, Zoom=200 and the mark, and said why"

kill -TERM "$prog_pid"
program_ended SIGTERM
prog_pid=
echo "zoom-steps: passed"
