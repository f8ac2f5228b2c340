#!/usr/bin/env bash
# End-to-end, a run that stalls: the windowed device in its own Xvfb records a game with the
# menu's "Record this run", and the process is stopped (SIGSTOP) for about 1.5 s in the middle of
# play and let go again (SIGCONT), as a busy machine or a debugger stops it. The real-time driver
# then runs each overdue step once and goes on; the recording says so, so that the trace tool
# replays it to the run's own event stream (Q50_EVENT_LOG), line for line, up to its end, and so
# does the desktop's own playback of it (F7) at the next start, counted from its switch-on.
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
rec_end=$(sed -n 's/^at \([0-9]*\) end$/\1/p' "$recording")
awk -v end="$rec_end" '$1 <= end' "$out/desktop.events" >"$out/desktop-to-end.events"
awk -v end="$rec_end" '$1 <= end' "$out/replay.txt" >"$out/replay-to-end.events"
grep -q ' sound ' "$out/desktop-to-end.events" || fail "the recorded run made no sound: no game was played"
if ! diff "$out/desktop-to-end.events" "$out/replay-to-end.events" >"$out/events.diff"; then
  head -20 "$out/events.diff"
  grep -v '^\(store\|seed\|time\|skin\)' "$recording" | head -40
  fail "the replay's events part from the stalled run's"
fi
echo "$e2e_tag: the replay gave the stalled run's $(wc -l <"$out/desktop-to-end.events") events up to the recording's end, to the millisecond"
grep -q '^at [0-9]* catchup [0-9]*$' "$recording" || { cat "$recording"; fail "the recording does not hold the catch-up after the stall"; }
echo "$e2e_tag: the recording holds the driver's catch-up after the stall"

# The next start plays the recording back (F7, its name typed into the file chooser): from the
# playback's switch-on, its events are the recorded run's, to the millisecond.
launch_program Q50_EVENT_LOG="$out/playback.events"
wait_for 20 main_up || fail "the main window did not come up again"
main=$(main_window)
key_to_main F7
chooser=
find_chooser() { chooser=$(xdotool search --onlyvisible --name '^Play a recording$' | head -1); [ -n "$chooser" ]; }
wait_for 10 find_chooser || fail "F7 did not open the file chooser"
sleep 0.5
xdotool windowfocus --sync "$chooser" || true
xdotool type --delay 20 "$recording"
xdotool key Return
# The playback's switch-on is the second "mode 0" of this run (the first is the program's own).
playback_on() { [ "$(grep -c ' mode 0$' "$out/playback.events")" -ge 2 ]; }
wait_for 10 playback_on || fail "the recording did not start playing"
origin=$(grep ' mode 0$' "$out/playback.events" | sed -n 2p | cut -d' ' -f1)
played_to() { [ "$(tail -1 "$out/playback.events" | cut -d' ' -f1)" -ge $((origin + rec_end)) ]; }
wait_for $((rec_end / 1000 + 20)) played_to || true
sleep 1
key_to_main Escape
ended_cleanly Esc
from_switch_on() { # from_switch_on FILE ORIGIN NTH: the lines from the NTH "mode 0" on, times less ORIGIN, up to the end
  awk -v o="$2" -v n="$3" -v end="$rec_end" '/ mode 0$/ { seen++ } seen >= n { t = $1 - o; if (t > end) exit; $1 = t; print }' "$1"
}
from_switch_on "$out/desktop.events" 0 1 >"$out/run-from-on.events"
from_switch_on "$out/playback.events" "$origin" 2 >"$out/playback-from-on.events"
if ! diff "$out/run-from-on.events" "$out/playback-from-on.events" >"$out/playback.diff"; then
  head -20 "$out/playback.diff"
  fail "the desktop's playback parts from the stalled run's events"
fi
echo "$e2e_tag: the desktop's playback gave the stalled run's $(wc -l <"$out/run-from-on.events") events from its switch-on, to the millisecond"
