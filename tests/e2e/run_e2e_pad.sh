#!/usr/bin/env bash
# End-to-end with a game controller: the built program in its own Xvfb, with SDL's virtual
# controller attached from the start (Q50_VIRTUAL_PAD names the FIFO that drives it). Unplugged
# it does nothing; plugged in again while the program runs its X opens the device, Start begins Game A, the d-pad and the stick walk the hero two steps, Guide
# opens the in-game menu; each state is compared with the painter's frame.
#   run_e2e_pad.sh RUN_DIR FRAMES_TOOL PICTURES_DIR OUT_DIR
set -euo pipefail
run_dir=$1 frames=$2 pictures=$3 out=$4
size=1024x800
source "$(dirname "$0")/lib.sh"
begin_e2e "$size" Xvfb xdotool import compare
start_with_virtual_pad
echo "e2e: the closed device is up, with a virtual controller attached"

# Unplugged and plugged in again while the program runs: let go of, then taken up at once.
pad detach
sleep 0.5
pad "down x" "up x"
sleep 1
try_state unplugged closed || fail "a controller that was unplugged still acted"
pad attach
pad "down x" "up x"
wait_for 5 try_state open open || { check open open; fail "X on the controller plugged in again did not open the device"; }
echo "e2e: unplugged, the controller did nothing; plugged in again, its X opened the device"

pad "down start" "up start"
started=$SECONDS
sleep 10.8
wait_for 5 try_state hero1 hero 1 || { check hero1 hero 1; fail "Start did not begin Game A"; }
echo "e2e: Start began Game A; the hero stands at 1 ($((SECONDS - started)) s)"
pad "down dpright" "up dpright"
sleep 0.5
pad "axis leftx 32767" "axis leftx 0"
wait_for 3 try_state hero3 hero 3 || { check hero3 hero 3; fail "the hero did not walk to 3"; }
echo "e2e: the d-pad and the stick walked the hero to 3"

# F5 pauses: the "PAUSED" mark over the frame, and nothing moves; F5 again plays on. F6 mutes.
main=$(main_window)
xdotool windowfocus --sync "$main" || true
xdotool key F5
# The mark is a dark box in the middle of the window, over the pale LCD.
middle_mean() { convert "$out/$1.png" -crop 120x32+452+384 +repage -colorspace gray -format '%[fx:mean]' info:; }
dark_middle() { awk -v m="$(middle_mean "$1")" 'BEGIN { exit !(m < 0.45) }'; }
marked() { shot paused1; dark_middle paused1; }
wait_for 5 marked || fail "F5 showed no mark"
sleep 1.5
shot paused2
[ "$(compare -metric AE "$out/paused1.png" "$out/paused2.png" null: 2>&1 || true)" = 0 ] ||
  fail "the picture changed while paused"
pad "down dpleft" "up dpleft"
sleep 0.3
shot paused3
[ "$(compare -metric AE "$out/paused1.png" "$out/paused3.png" null: 2>&1 || true)" = 0 ] ||
  fail "a controller press acted while paused"
xdotool key F5
resumed() { shot resumed; ! dark_middle resumed; }
wait_for 5 resumed || fail "F5 did not resume"
echo "e2e: F5 paused (mark shown, picture still, controller ignored) and resumed"
xdotool key F6
store=$XDG_CONFIG_HOME/Vantorel/Quendrix50.conf
wait_for 5 grep -qx "Muted=1" "$store" || fail "F6 did not store Muted=1"
echo "e2e: F6 muted"

# Guide: the in-game menu (fullscreen), its header across the rows' width.
differing() {
  convert "$out/$1.png" -crop "256x32+0+0" +repage "$out/a.png"
  convert "$pictures/menu_backing.png" -crop "256x32+0+0" +repage "$out/b.png"
  compare -metric AE -fuzz 2% "$out/a.png" "$out/b.png" null: 2>&1 || true
}
pad "down guide" "up guide"
menu_shown() { shot game-menu; [ "$(differing game-menu)" = 0 ]; }
wait_for 5 menu_shown || fail "Guide did not open the in-game menu"
# SDL hands out a Guide release only a quarter of a second after its press: a second press
# before it is one press held, not a second one.
sleep 0.5
pad "down guide" "up guide"
menu_closed() { shot menu-closed; [ "$(differing menu-closed)" != 0 ]; }
wait_for 5 menu_closed || fail "Guide did not close the in-game menu"
echo "e2e: Guide opened and closed the in-game menu"

pad "down dpleft" "detach"
sleep 0.5
kill -0 "$prog_pid" || fail "the program ended when the controller went away"
kill -TERM "$prog_pid"
ended_cleanly SIGTERM
echo "e2e: the controller went away, the program ran on and ended with status 0"
