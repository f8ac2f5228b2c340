#!/usr/bin/env bash
# End-to-end controller remapping: the built program in its own Xvfb with SDL's virtual
# controller (Q50_VIRTUAL_PAD). Guide opens the in-game menu, a click on "Key settings" opens
# the key dialog, a click switches it to the controller page and chooses "Open the game/ACL",
# B pressed on the controller becomes its button, Enter accepts. The store then holds Pad4=b,
# X no longer opens the device and B does. A clash in a store edited by hand shows on the keys
# page, in the button to the controller page.
#   run_e2e_pad_keys.sh RUN_DIR FRAMES_TOOL OUT_DIR
set -euo pipefail
run_dir=$1 frames=$2 out=$3
size=1024x800
source "$(dirname "$0")/lib.sh"
begin_e2e "$size" Xvfb xdotool import compare
start_with_virtual_pad
echo "e2e: the closed device is up (fullscreen), with a virtual controller attached"

# Guide opens the in-game menu; its seventh row (32 px each, below the button) is "Key settings".
pad "down guide" "up guide"
sleep 1
xdotool mousemove 60 $((32 * 7 + 16)) click 1
dialog=
find_dialog() { dialog=$(xdotool search --onlyvisible --name '^Key settings$' | head -1); [ -n "$dialog" ]; }
wait_for 10 find_dialog || fail "the key dialog did not open"
X= Y=
placed() { eval "$(xdotool getwindowgeometry --shell "$dialog")"; [ "$WIDTH" = 448 ]; }
wait_for 5 placed || fail "the key dialog has not its size"
echo "e2e: the key dialog is open at $X,$Y"
sleep 0.3
shot dialog-keys
# red_in SHOT: the pure-red pixels of the "CONTROLLER" button (8,162 100x25) in SHOT
red_in() {
  convert "$out/$1.png" -crop "100x25+$((X + 8))+$((Y + 162))" +repage \
    -fx 'r > 0.7 && g < 0.3 && b < 0.3' -format '%[fx:int(mean*w*h+0.5)]' info:
}
[ "$(red_in dialog-keys)" -eq 0 ] || fail "the page button is red without a clash"

# "CONTROLLER" (8,162 100x25), then the Open/ACL row (8,125 120x22).
xdotool mousemove $((X + 58)) $((Y + 174)) click 1
sleep 0.5
xdotool mousemove $((X + 68)) $((Y + 136)) click 1
sleep 0.5
shot dialog-listening
pad "down b" "up b"
sleep 0.5
shot dialog-assigned
xdotool windowfocus --sync "$dialog" || true
xdotool key Return
gone() { ! xdotool search --onlyvisible --name '^Key settings$' | grep -q .; }
wait_for 5 gone || fail "Enter did not close the key dialog"
wait_for 5 grep -qx "Pad4=b" "$store" || { cat "$store"; fail "Pad4=b was not stored"; }
echo "e2e: B was assigned to open the game through the dialog and stored"

pad "down x" "up x"
sleep 1
try_state still-closed closed || fail "X still opened the device after the remapping"
pad "down b" "up b"
wait_for 5 try_state open open || { check open open; fail "B did not open the device"; }
echo "e2e: X no longer opens the device; B does"

# The dialog again, on the page it was left at: "- DEFAULTS -" on the controller page
# (320,125 120x22) and Enter give X back to the lid.
pad "down guide" "up guide"
sleep 1
xdotool mousemove 60 $((32 * 7 + 16)) click 1
wait_for 10 find_dialog || fail "the key dialog did not open again"
wait_for 5 placed || fail "the key dialog has not its size"
xdotool mousemove $((X + 380)) $((Y + 136)) click 1
sleep 0.5
shot dialog-defaults
xdotool windowfocus --sync "$dialog" || true
xdotool key Return
wait_for 5 gone || fail "Enter did not close the key dialog after Defaults"
wait_for 5 grep -qx "Pad4=x" "$store" || { cat "$store"; fail "Defaults did not store Pad4=x"; }
grep -qx "Pad1=start" "$store" || { cat "$store"; fail "Defaults did not store Pad1=start"; }
echo "e2e: Defaults on the controller page gave the lid back to X (stored)"

kill -TERM "$prog_pid"
ended_cleanly SIGTERM

# A store edited by hand gives Game A the bomb's button: on the keys page, where the dialog
# opens, the button to the controller page shows the clash in red (Accept is greyed).
sed -i 's/^Pad1=.*/Pad1=a/' "$store"
launch_program
wait_for 20 main_up || fail "the main window did not come up again"
wait_for 10 try_state closed-again closed || fail "closed device not as painted at the second start"
pad "down guide" "up guide"
sleep 1
xdotool mousemove 60 $((32 * 7 + 16)) click 1
wait_for 10 find_dialog || fail "the key dialog did not open at the second start"
wait_for 5 placed || fail "the key dialog has not its size"
red_shown() { shot dialog-clash; [ "$(red_in dialog-clash)" -gt 20 ]; }
wait_for 5 red_shown || fail "a clash on the controller page does not show on the keys page ($(red_in dialog-clash) red pixels)"
echo "e2e: a clash from the store shows in red on the keys page's button to the controller page"
kill -TERM "$prog_pid"
ended_cleanly SIGTERM
echo "e2e: ended with status 0"
