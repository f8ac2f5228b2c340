#!/usr/bin/env bash
# End-to-end, what the program says about itself and about what a key did, with real input:
# the splash window and the about window (F1) are photographed for a look; F6 mutes and says so
# beside the device, F6 again says the sound is on; "Record this run" says where the recording
# goes, and its end says so too.
#   run_e2e_texts.sh RUN_DIR OUT_DIR
set -euo pipefail
run_dir=$1 out=$2
e2e_tag=texts
source "$(dirname "$0")/lib.sh"
begin_e2e 1024x800 Xvfb xdotool import
fresh_store SoundMode=2 SplashScreen=1 FullscreenMode=0 Zoom=100
export XDG_DATA_HOME=$out/data
xdotool mousemove 1020 796
launch_program
key_to_main() { xdotool windowfocus --sync "$(main_window)" 2>/dev/null || true; xdotool key "$@"; }

splash=
find_splash() { splash=$(xdotool search --onlyvisible --name '^About this game\.\.\.$' | head -1); [ -n "$splash" ]; }
wait_for 20 find_splash || fail "the splash window did not come up"
sleep 0.5
shot splash
xdotool windowfocus --sync "$splash" || true
xdotool key 1
wait_for 20 main_at 263 15 498 770 || fail "Play did not bring the device up"
key_to_main F1
about=
find_about() { about=$(xdotool search --onlyvisible --name '^About the author\.\.\.$' | head -1); [ -n "$about" ]; }
wait_for 5 find_about || fail "F1 did not open the about window"
sleep 0.5
shot about
xdotool windowfocus --sync "$about" || true
xdotool key Escape
about_gone() { ! find_about; }
wait_for 5 about_gone || fail "Esc did not close the about window"

key_to_main F6
wait_for 5 grep -qx "Muted=1" "$store" || fail "F6 did not mute (Muted=1 not stored)"
wait_for 5 notice_shown || fail "F6 muted without a word"
shot muted
echo "texts: F6 muted and said so ($(window_rect 'Quendrix50 notice'))"
key_to_main F6
wait_for 5 grep -qx "Muted=0" "$store" || fail "F6 did not unmute"
wait_for 5 notice_shown || fail "F6 unmuted without a word"

# "Record this run": the context menu's seventeenth row.
sleep 4.5
xdotool mousemove $((263 + 249)) $((15 + 600)) click 3
popup_open() { [ "$(program_windows)" -ge 2 ]; }
wait_for 5 popup_open || fail "no context menu after a right click"
sleep 0.5
for i in $(seq 17); do xdotool key Down; done
xdotool key Return
recorded() { ls "$XDG_DATA_HOME"/quendrix50/recordings/*.script >/dev/null 2>&1; }
wait_for 5 recorded || fail "Record this run made no recording"
wait_for 5 notice_shown || fail "Record this run began without a word"
shot recording
echo "texts: Record this run said where the recording goes"

kill -TERM "$prog_pid"
program_ended SIGTERM
prog_pid=
echo "texts: passed"
