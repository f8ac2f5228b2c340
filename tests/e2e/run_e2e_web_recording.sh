#!/usr/bin/env bash
# End-to-end across editions: the desktop program in its own Xvfb records a game with the
# menu's "Record this run", played with real keys (open, game A, the hero walked, a bomb, F12 to
# fullscreen and back); the recording then plays in the browser edition by a replay link, in
# Debian's chromium, and the page's events up to its end must be the desktop's own event log
# and the trace tool's replay of it (tests/web/desktop_recording.mjs).
#   run_e2e_web_recording.sh RUN_DIR TRACE_TOOL OUT_DIR   (Q50_WEB_SITE, Q50_WEB_TRACE, Q50_NODE)
set -euo pipefail
run_dir=$1 trace=$2 out=$3
e2e_tag=web-recording
source "$(dirname "$0")/lib.sh"
begin_e2e 1024x800 Xvfb xdotool
fresh_store SoundMode=2 SplashScreen=0 FullscreenMode=0 Zoom=100 FullscreenZoom=100
export XDG_DATA_HOME=$out/data
recordings=$XDG_DATA_HOME/quendrix50/recordings
xdotool mousemove 1020 796
launch_program Q50_EVENT_LOG="$out/desktop.events"
wait_for 20 main_up || fail "the main window did not come up"
main=$(main_window)
# The windowed device is centred: (1024 - 498) / 2, (800 - 770) / 2.
wx=263 wy=15

# "Record this run" is the sixth row above the context menu's bottom.
record_row() {
  xdotool mousemove $((wx + 100)) $((wy + 600)) click 3
  wait_for 5 bash -c "[ \$(xdotool search --onlyvisible --pid $prog_pid | wc -l) -ge 2 ]" ||
    fail "no context menu after a right click"
  sleep 0.3
  xdotool key Up Up Up Up Up Up Return
  wait_for 5 popup_closed || fail "the context menu did not close"
}
key_to_main() { xdotool windowfocus --sync "$main" || true; xdotool key "$@"; }
hold() { xdotool windowfocus --sync "$main" || true; xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; }

record_row
recording=
found_recording() { recording=$(ls "$recordings"/run-*.script 2>/dev/null | head -1); [ -n "$recording" ]; }
wait_for 5 found_recording || fail "Record this run made no file in $recordings"
key_to_main 5
sleep 0.5
key_to_main 1
sleep 12 # the introduction and the stage's start: the hero may move
hold Left 0.4
hold Control_L 0.2
key_to_main F12
wait_for 10 main_at 0 0 1024 800 || fail "F12 did not switch to fullscreen"
sleep 1
hold Right 0.3
key_to_main F12
sleep 1.5
record_row
wait_for 5 grep -q '^at [0-9]* end$' "$recording" || { cat "$recording"; fail "Stop recording did not end the file"; }
key_to_main Escape
ended_cleanly Esc
cp "$recording" "$out/desktop.script"
for line in ' press left$' ' press bomb$' ' fullscreen 1$' ' fullscreen 0$'; do
  grep -q "$line" "$recording" || { cat "$recording"; fail "the recording holds no '$line'"; }
done
echo "$e2e_tag: the desktop recorded a game with a walk, a bomb and fullscreen"

"${Q50_NODE:-node}" "$(dirname "$0")/../web/desktop_recording.mjs" "$recording" \
  "$out/desktop.events" "$trace" || fail "the page did not play the desktop's recording as it ran"
