#!/usr/bin/env bash
# End-to-end "Play a recording…" (F7): the built program in its own Xvfb. F7 opens the file
# chooser in the recordings folder, the file's name is typed into it; the recording opens the
# device at its own time while the player's key that opens the device is ignored; F7 again
# stops it and the player's device is closed again and takes the player's keys. A file that is
# no recording gives a message, and the program runs on. A mark shows while the recording plays.
#   run_e2e_play.sh RUN_DIR FRAMES_TOOL OUT_DIR
set -euo pipefail
run_dir=$1 frames=$2 out=$3
size=1024x800
source "$(dirname "$0")/lib.sh"
begin_e2e "$size" Xvfb xdotool import compare
fresh_store SoundMode=2 SplashScreen=0 Zoom=100 FullscreenZoom=100 HiScore1=37
export XDG_DATA_HOME=$out/data
mkdir -p "$XDG_DATA_HOME/quendrix50/recordings"
recording=$XDG_DATA_HOME/quendrix50/recordings/opens.script
printf '# the device is opened 5 s in, and the high scores reset\nseed 5\ntime 12:00\nfullscreen\nat 5000 press open\nat 5100 hiscores\nat 6500 end\n' >"$recording"
printf 'this is no recording\n' >"$out/notes.script"
xdotool mousemove 1020 796
launch_program
key_to_main() { xdotool windowfocus --sync "$(main_window)" || true; xdotool key "$@"; }

wait_for 20 main_up || fail "the main window did not come up"
wait_for 10 try_state closed closed || { check closed closed; fail "closed device not as painted"; }
echo "e2e: the closed device is up (fullscreen)"

chooser=
find_chooser() { chooser=$(xdotool search --onlyvisible --name '^Play a recording$' | head -1); [ -n "$chooser" ]; }
choose() {
  key_to_main F7
  wait_for 10 find_chooser || fail "F7 did not open the file chooser"
  sleep 0.5
  xdotool windowfocus --sync "$chooser" || true
  xdotool type --delay 20 "$1"
  xdotool key Return
}

# While a recording plays, a "REPLAY" mark shows beside the device: the screen must show the
# mark's window, and the frame of STATE everywhere else (where the mark lies, the frame's own
# pixels are put in before the comparison).
marked_state() { # marked_state NAME STATE
  local m x y w h
  m=$(window_rect 'Quendrix50 mark') || { echo "e2e: no mark in $1"; return 1; }
  read -r x y w h <<<"$m"
  shot "$1"
  check "$1" "$2" >/dev/null 2>&1 || true # writes the expected frame
  [ -s "$out/$1-expected.png" ] || return 1
  convert "$out/$1-expected.png" -crop "${w}x${h}+$x+$y" +repage "png24:$out/$1-under.png"
  convert "$out/$1.png" "$out/$1-under.png" -geometry "+$x+$y" -composite "png24:$out/$1-unmarked.png"
  "$frames" "$run_dir" $size "$2" "$out/$1-unmarked.png" "$out/$1-expected.png"
}

choose "$recording"
gone() { ! find_chooser; }
wait_for 5 gone || fail "the chooser did not close"
key_to_main 5 # the player's key that opens the device: not the device's while a recording plays
sleep 1
marked_state still-closed closed || fail "the player's key reached the device during the playback, or no mark"
wait_for 10 marked_state opened open || fail "the recording did not open the device"
echo "e2e: the recording played under its mark: the device opened at its time, the player's key was ignored"
grep -qx "HiScore1=37" "$store" || fail "the playback wrote the player's store"

key_to_main F7
wait_for 5 try_state stopped closed || { check stopped closed; fail "F7 did not stop the playback"; }
mark_gone || fail "the REPLAY mark stayed after the playback"
key_to_main 5
wait_for 5 try_state player-open open || { check player-open open; fail "the player's key did not open the device"; }
echo "e2e: F7 stopped it; the player's device came back closed and took the player's key"

choose "$out/notes.script"
message_up() { [ "$(program_windows)" -ge 2 ]; }
wait_for 10 message_up || fail "no message for a file that is no recording"
sleep 0.5
close_message || fail "the message did not close"
try_state after-message open || fail "a bad file changed the device"
grep -qx "HiScore1=37" "$store" || fail "the store changed"
echo "e2e: a file that is no recording gave a message and changed nothing"

kill -TERM "$prog_pid"
program_ended SIGTERM
rc=0; wait "$prog_pid" || rc=$?
prog_pid=
[ "$rc" -eq 0 ] || fail "the program ended with status $rc"
echo "e2e: ended with status 0"
