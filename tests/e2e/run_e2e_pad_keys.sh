#!/usr/bin/env bash
# End-to-end controller remapping: the built program in its own Xvfb with SDL's virtual
# controller (Q50_VIRTUAL_PAD). Guide opens the in-game menu, a click on "Key settings" opens
# the key dialog, a click switches it to the controller page and chooses "Open the game/ACL",
# B pressed on the controller becomes its button, Enter accepts. The store then holds Pad4=b,
# X no longer opens the device and B does.
#   run_e2e_pad_keys.sh RUN_DIR FRAMES_TOOL OUT_DIR
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

export XDG_CONFIG_HOME=$out/config
mkdir -p "$XDG_CONFIG_HOME/Vantorel"
store=$XDG_CONFIG_HOME/Vantorel/Quendrix50.conf
printf 'SoundMode=2\nSplashScreen=0\nZoom=100\nFullscreenZoom=100\n' >"$store"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
fifo=$out/pad.fifo
mkfifo "$fifo"
export Q50_VIRTUAL_PAD=$fifo
xdotool mousemove 1020 796
(cd "$run_dir" && exec ./quendrix50) >"$out/program.log" 2>&1 &
prog_pid=$!

pad() { printf '%s\n' "$@" >"$fifo"; }
shot() { import -window root "png24:$out/$1.png"; }
check() { local name=$1; shift; "$frames" "$run_dir" $size "$@" "$out/$name.png" "$out/$name-expected.png"; }
try_state() { shot "$1"; check "$@"; }

main_up() { xdotool search --onlyvisible --name '^Quendrix50$' | grep -q .; }
wait_for 20 main_up || fail "the main window did not come up"
wait_for 10 try_state closed closed || { check closed closed; fail "closed device not as painted"; }
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

kill -TERM "$prog_pid"
wait_for 5 bash -c "! kill -0 $prog_pid" || fail "the program did not end on SIGTERM"
rc=0; wait "$prog_pid" || rc=$?
prog_pid=
[ "$rc" -eq 0 ] || fail "the program ended with status $rc"
echo "e2e: ended with status 0"
