#!/usr/bin/env bash
# End-to-end, the player's window around a playback: the device switched on in fullscreen, F12
# to windowed, the window dragged by its body to a place of the player's; F7 plays a recording made in fullscreen (the program switches to
# fullscreen for it), F7 again stops it. The player's presentation comes back as it was: the
# window where the player dragged it, not centred, and the windowed device as painted, without
# the fullscreen menu button in its corner. Real keys and pointer (xdotool).
#   run_e2e_play_window.sh RUN_DIR FRAMES_TOOL OUT_DIR
set -euo pipefail
run_dir=$1 frames=$2 out=$3
size=1024x800
e2e_tag=play-window
source "$(dirname "$0")/lib.sh"
begin_e2e "$size" Xvfb xdotool import compare xsetroot
fresh_store SoundMode=2 SplashScreen=0 FullscreenMode=1 Zoom=100 FullscreenZoom=100
export XDG_DATA_HOME=$out/data
mkdir -p "$XDG_DATA_HOME/quendrix50/recordings"
recording=$XDG_DATA_HOME/quendrix50/recordings/fullscreen.script
printf '# made in fullscreen: the device is opened 2 s in\nseed 5\ntime 12:00\nfullscreen\nat 2000 press open\nat 3000 end\n' >"$recording"
xdotool mousemove 1020 796
launch_program
key_to_main() { xdotool windowfocus --sync "$(main_window)" 2>/dev/null || true; xdotool key "$@"; }

wait_for 20 main_at 0 0 1024 800 || fail "the main window did not come up in fullscreen"
key_to_main F12
wait_for 10 main_at 263 15 498 770 || fail "F12 did not switch to windowed mode, centred"
# The body drag (the lid at design 249,20) moves the window 200 to the left and 10 down.
xdotool mousemove $((263 + 249)) $((15 + 20)) mousedown 1
for i in 1 2 3 4 5; do xdotool mousemove $((263 + 249 - 40 * i)) $((15 + 20 + 2 * i)); sleep 0.05; done
xdotool mouseup 1
wait_for 5 main_at 63 25 498 770 || fail "the drag did not move the window to 63,25"
wait_for 10 try_state placed windowed 63 25 || fail "the dragged windowed device is not as painted"
echo "play-window: the window was dragged to 63,25"

chooser=
find_chooser() { chooser=$(xdotool search --onlyvisible --name '^Play a recording$' | head -1); [ -n "$chooser" ]; }
key_to_main F7
wait_for 10 find_chooser || fail "F7 did not open the file chooser"
sleep 0.5
xdotool windowfocus --sync "$chooser" || true
xdotool type --delay 20 "$recording"
xdotool key Return
wait_for 10 main_at 0 0 1024 800 || fail "the recording made in fullscreen did not play in fullscreen"
shot playing
echo "play-window: the recording plays in fullscreen"

key_to_main F7
stopped_windowed() { local m X Y WIDTH HEIGHT SCREEN WINDOW; m=$(main_window) && geometry_of "$m" && [ "$WIDTH" = 498 ]; }
wait_for 10 stopped_windowed || fail "F7 did not give the windowed device back"
sleep 0.5
main_at 63 25 498 770 || {
  local_geometry=$(xdotool getwindowgeometry "$(main_window)" | tr -s '\n ' ' ')
  fail "after the playback the window is at $local_geometry, not where the player dragged it (63,25)"
}
echo "play-window: F7 stopped it and the window came back to 63,25"
# Without a window manager nothing paints the screen behind the window again after the
# fullscreen one went: the root is painted black, so that the see-through corners show black.
xsetroot -solid black
wait_for 10 try_state after windowed 63 25 || {
  check after windowed 63 25
  fail "after the playback the windowed device is not as painted (the fullscreen menu button in its corner?)"
}
echo "play-window: the windowed device is as painted, without the fullscreen menu button"

kill -TERM "$prog_pid"
program_ended SIGTERM
rc=0; wait "$prog_pid" || rc=$?
prog_pid=
[ "$rc" -eq 0 ] || fail "the program ended with status $rc"
echo "play-window: passed"
