#!/usr/bin/env bash
# End-to-end, the pause mark and the notices with real keys and clicks: they hide nothing of
# the device. Windowed at 100 % on a 1024x800 screen, F5's "PAUSED" and F9's screenshot notice
# lie beside the device, and the part of the device where the mark used to lie (the closed lid's
# OPEN button) is as before; in fullscreen at 100 %, the mark and the "High scores reset" notice
# lie beside the device, away from the menu button in the screen's corner.
#   run_e2e_marks.sh RUN_DIR OUT_DIR
set -euo pipefail
run_dir=$1 out=$2
e2e_tag=marks
source "$(dirname "$0")/lib.sh"
begin_e2e 1024x800 Xvfb xdotool import convert compare
fresh_store SoundMode=2 SplashScreen=0 FullscreenMode=0 Zoom=100 FullscreenZoom=100
export HOME=$out/home XDG_CONFIG_HOME=$out/config
mkdir -p "$HOME"
xdotool mousemove 1020 796
launch_program
key_to_main() { xdotool windowfocus --sync "$(main_window)" 2>/dev/null || true; xdotool key "$@"; }
# The device's middle, where the OPEN button lies.
middle() { convert "$out/$1.png" -crop 160x80+$((263 + 169))+$((15 + 345)) +repage "png24:$out/$1-middle.png"; }
same_middle() { [ "$(compare -metric AE "$out/$1-middle.png" "$out/$2-middle.png" null: 2>&1 || true)" = 0 ]; }

wait_for 20 main_at 263 15 498 770 || fail "the windowed main window did not come up centred"
sleep 1
shot unpaused; middle unpaused

key_to_main F5
wait_for 5 mark_shown || fail "F5 showed no mark"
sleep 0.5
shot paused; middle paused
mark=$(window_rect 'Quendrix50 mark')
outside "$mark" 263 15 498 770 || fail "the mark ($mark) lies over the windowed device"
same_middle paused unpaused || fail "the device's middle (its OPEN button) changed with the pause"
echo "marks: windowed, the mark lies beside the device ($mark) and the OPEN button is as before"

key_to_main F9
wait_for 10 notice_shown || fail "F9 showed no notice"
notice=$(window_rect 'Quendrix50 notice')
shot screenshot-notice
outside "$notice" 263 15 498 770 || fail "the screenshot notice ($notice) lies over the windowed device"
outside "$notice" $mark || fail "the notice ($notice) lies over the mark ($mark)"
echo "marks: the screenshot notice lies beside the device too ($notice)"
key_to_main F5
wait_for 5 mark_gone || fail "F5 did not take the mark away"

# Fullscreen at 100 %: the device in the middle of the screen, the menu button in its corner.
key_to_main F12
wait_for 10 main_at 0 0 1024 800 || fail "F12 did not switch to fullscreen"
sleep 1
key_to_main F5
wait_for 5 mark_shown || fail "F5 showed no mark in fullscreen"
mark=$(window_rect 'Quendrix50 mark')
outside "$mark" 263 15 498 770 || fail "the mark ($mark) lies over the fullscreen device"
outside "$mark" 0 0 36 32 || fail "the mark ($mark) lies over the menu button"
key_to_main F5
wait_for 5 mark_gone || fail "F5 did not take the mark away"
# The context menu's eighth row: Reset Hiscores.
xdotool mousemove 512 400 click 3
popup_open() { [ "$(program_windows)" -ge 2 ]; }
wait_for 5 popup_open || fail "no context menu after a right click"
sleep 0.5
xdotool key Down Down Down Down Down Down Down Return
wait_for 10 notice_shown || fail "Reset Hiscores showed no notice"
notice=$(window_rect 'Quendrix50 notice')
shot hiscores-notice
outside "$notice" 263 15 498 770 || fail "the notice ($notice) lies over the fullscreen device"
outside "$notice" 0 0 36 32 || fail "the notice ($notice) lies over the menu button"
echo "marks: fullscreen, the mark ($mark) and the notice ($notice) lie beside the device, off the menu button"

kill -TERM "$prog_pid"
program_ended SIGTERM
prog_pid=
echo "marks: passed"
