#!/usr/bin/env bash
# End-to-end, a run that stalls: the windowed device in its own Xvfb records a game with the
# menu's "Record this run", and the process is stopped (SIGSTOP) for about 1.5 s in the middle of
# play and let go again (SIGCONT), as a busy machine or a debugger stops it. The real-time driver
# then runs each overdue step once and goes on; the recording says so, so that the trace tool
# replays it to the run's own event stream (Q50_EVENT_LOG), line for line, up to its end.
#   run_e2e_stall.sh RUN_DIR TRACE_TOOL OUT_DIR
set -euo pipefail
run_dir=$1 trace=$2 out=$3
e2e_tag=e2e-stall
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

# "Record this run" is the fifth row above the context menu's bottom.
record_row() {
  xdotool mousemove $((wx + 100)) $((wy + 600)) click 3
  wait_for 5 bash -c "[ \$(xdotool search --onlyvisible --pid $prog_pid | wc -l) -ge 2 ]" ||
    fail "no context menu after a right click"
  sleep 0.3
  xdotool key Up Up Up Up Up Return
  wait_for 5 popup_closed || fail "the context menu did not close"
}
key_to_main() { xdotool windowfocus --sync "$main" || true; xdotool key "$@"; }

record_row
recording=
found_recording() { recording=$(ls "$recordings"/run-*.script 2>/dev/null | head -1); [ -n "$recording" ]; }
wait_for 5 found_recording || fail "Record this run made no file in $recordings"
key_to_main 5
sleep 0.5
key_to_main 1
# The game's introduction and stage start are over once the hero may move.

sleep 12
echo "$e2e_tag: a game is under way; the program is stopped for 1.5 s"
kill -STOP "$prog_pid"
sleep 1.5
kill -CONT "$prog_pid"
sleep 3
record_row
wait_for 5 grep -q '^at [0-9]* end$' "$recording" || { cat "$recording"; fail "Stop recording did not end the file"; }
key_to_main Escape
ended_cleanly Esc

"$trace" <"$recording" >"$out/replay.txt" 2>"$out/replay.err" || { cat "$out/replay.err"; fail "the trace tool did not replay the recording"; }
end=$(sed -n 's/^at \([0-9]*\) end$/\1/p' "$recording")
awk -v end="$end" '$1 <= end' "$out/desktop.events" >"$out/desktop-to-end.events"
awk -v end="$end" '$1 <= end' "$out/replay.txt" >"$out/replay-to-end.events"
grep -q ' sound ' "$out/desktop-to-end.events" || fail "the recorded run made no sound: no game was played"
if ! diff "$out/desktop-to-end.events" "$out/replay-to-end.events" >"$out/events.diff"; then
  head -20 "$out/events.diff"
  grep -v '^\(store\|seed\|time\|skin\)' "$recording" | head -40
  fail "the replay's events part from the stalled run's"
fi
echo "$e2e_tag: the replay gave the stalled run's $(wc -l <"$out/desktop-to-end.events") events up to the recording's end, to the millisecond"
grep -q '^at [0-9]* catchup [0-9]*$' "$recording" || { cat "$recording"; fail "the recording does not hold the catch-up after the stall"; }
echo "$e2e_tag: the recording holds the driver's catch-up after the stall"
