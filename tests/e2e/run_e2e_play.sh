#!/usr/bin/env bash
# End-to-end "Play a recording…" (F7): the built program in its own Xvfb. F7 opens the file
# chooser in the recordings folder, the file's name is typed into it; the recording opens the
# device at its own time while the player's key that opens the device is ignored; F7 again
# stops it and the player's device is closed again and takes the player's keys. A file that is
# no recording gives a message, and the program runs on.
#   run_e2e_play.sh RUN_DIR FRAMES_TOOL OUT_DIR
set -euo pipefail
run_dir=$1 frames=$2 out=$3
size=1024x800
rm -rf "$out" && mkdir -p "$out"
for tool in Xvfb xdotool import compare; do
  command -v $tool >/dev/null || { echo "e2e: $tool is missing (scripts/install-deps.sh)"; exit 1; }
done

source "$(dirname "$0")/xvfb.sh"
start_xvfb "$size" "$out" || exit 1
fail() { echo "e2e: $*"; cat "$out/program.log" 2>/dev/null || true; exit 1; }
wait_for 10 xdpyinfo || fail "Xvfb did not start"

export XDG_CONFIG_HOME=$out/config XDG_DATA_HOME=$out/data
mkdir -p "$XDG_CONFIG_HOME/Vantorel" "$XDG_DATA_HOME/quendrix50/recordings"
store=$XDG_CONFIG_HOME/Vantorel/Quendrix50.conf
printf 'SoundMode=2\nSplashScreen=0\nZoom=100\nFullscreenZoom=100\nHiScore1=37\n' >"$store"
recording=$XDG_DATA_HOME/quendrix50/recordings/opens.script
printf '# the device is opened 5 s in, and the high scores reset\nseed 5\ntime 12:00\nfullscreen\nat 5000 press open\nat 5100 hiscores\nat 6500 end\n' >"$recording"
printf 'this is no recording\n' >"$out/notes.script"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
xdotool mousemove 1020 796
(cd "$run_dir" && exec ./quendrix50) >"$out/program.log" 2>&1 &
prog_pid=$!

shot() { import -window root "png24:$out/$1.png"; }
check() { local name=$1; shift; "$frames" "$run_dir" $size "$@" "$out/$name.png" "$out/$name-expected.png"; }
try_state() { shot "$1"; check "$@"; }
main_window() { xdotool search --onlyvisible --name '^Quendrix50$' | head -1; }
main_up() { [ -n "$(main_window)" ]; }
program_windows() { xdotool search --onlyvisible --pid "$prog_pid" | wc -l; }
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

choose "$recording"
gone() { ! find_chooser; }
wait_for 5 gone || fail "the chooser did not close"
key_to_main 5 # the player's key that opens the device: not the device's while a recording plays
sleep 1
try_state still-closed closed || fail "the player's key reached the device during the playback"
wait_for 10 try_state opened open || { check opened open; fail "the recording did not open the device"; }
echo "e2e: the recording played: the device opened at its time, the player's key was ignored"
grep -qx "HiScore1=37" "$store" || fail "the playback wrote the player's store"

key_to_main F7
wait_for 5 try_state stopped closed || { check stopped closed; fail "F7 did not stop the playback"; }
key_to_main 5
wait_for 5 try_state player-open open || { check player-open open; fail "the player's key did not open the device"; }
echo "e2e: F7 stopped it; the player's device came back closed and took the player's key"

choose "$out/notes.script"
message_up() { [ "$(program_windows)" -ge 2 ]; }
wait_for 10 message_up || fail "no message for a file that is no recording"
sleep 0.5
xdotool key Return
message_gone() { [ "$(program_windows)" -eq 1 ]; }
wait_for 5 message_gone || fail "the message did not close"
try_state after-message open || fail "a bad file changed the device"
grep -qx "HiScore1=37" "$store" || fail "the store changed"
echo "e2e: a file that is no recording gave a message and changed nothing"

kill -TERM "$prog_pid"
wait_for 5 bash -c "! kill -0 $prog_pid" || fail "the program did not end on SIGTERM"
rc=0; wait "$prog_pid" || rc=$?
prog_pid=
[ "$rc" -eq 0 ] || fail "the program ended with status $rc"
echo "e2e: ended with status 0"
