#!/usr/bin/env bash
# End-to-end, the player's comforts with real input: the windowed device in its own Xvfb. A drag
# of the device's body stores its place; the context menu's "Pause" and the Pause key pause and
# resume (the "PAUSED" mark); the Sound submenu sets the volume, mutes and changes the output,
# F6 unmutes; "Pause when the window loses focus" pauses while another window has the focus;
# "Record this run" writes the run as a trace script, which the trace tool replays to the very
# events the desktop wrote (Q50_EVENT_LOG); at the next start the device is where it was dragged
# to, and centred when that place is off every screen.
#   run_e2e_comforts.sh RUN_DIR TRACE_TOOL OUT_DIR
set -euo pipefail
run_dir=$1 trace=$2 out=$3
e2e_tag=e2e-comforts
source "$(dirname "$0")/lib.sh"
begin_e2e 1024x800 Xvfb xdotool import convert compare
fresh_store SoundMode=2 SplashScreen=0 FullscreenMode=0 Zoom=100 FullscreenZoom=100
export XDG_DATA_HOME=$out/data
recordings=$XDG_DATA_HOME/quendrix50/recordings
xdotool mousemove 1020 796
# The run's event stream, which its recording must replay to (below).
launch_program Q50_EVENT_LOG="$out/desktop.events"
# Centred on the first start: (1024 - 498) / 2, (800 - 770) / 2.
wait_for 20 main_at 263 15 498 770 || fail "the windowed device did not come up centred"
main=$(main_window)
echo "$e2e_tag: the windowed device is up, centred"

# A drag by the lid, part of the body: the window follows, and its place is stored.
xdotool mousemove $((263 + 249)) $((15 + 20)) mousedown 1
for i in 1 2 3 4 5; do xdotool mousemove $((263 + 249 + 8 * i)) $((15 + 20 + 6 * i)); sleep 0.05; done
xdotool mouseup 1
wait_for 3 main_at 303 45 498 770 || fail "the drag did not move the window by 40,30"
wait_for 3 grep -qx "WindowLeft=303" "$store" || { cat "$store"; fail "WindowLeft was not stored"; }
grep -qx "WindowTop=45" "$store" || { cat "$store"; fail "WindowTop was not stored"; }
echo "$e2e_tag: the drag moved the window to 303,45 and stored the place"
wx=303 wy=45

# The context menu's extra rows counted from its bottom: Up once is Exit, then "Open skins
# folder", "Skin", "Saved state", "Play a recording…", "Record this run", "Sound", "Pause when
# the window loses focus", "Pause".
menu_row() { # menu_row UPS: the context menu opened, the row UPS above its bottom chosen
  xdotool mousemove $((wx + 100)) $((wy + 600)) click 3
  wait_for 5 bash -c "[ \$(xdotool search --onlyvisible --pid $prog_pid | wc -l) -ge 2 ]" ||
    fail "no context menu after a right click"
  sleep 0.3
  local i
  for ((i = 0; i < $1; i++)); do xdotool key Up; done
}
menu_closed() { wait_for 5 popup_closed || fail "the context menu did not close"; }
key_to_main() { xdotool windowfocus --sync "$main" || true; xdotool key "$@"; }
# The mark is a small window beside the device; the closed device stands still, so its middle
# is exactly as before the pause, with the mark and without it.
middle() { convert "$out/$1.png" -crop 120x32+$((wx + 249 - 60))+$((wy + 385 - 16)) +repage "png24:$out/$1-middle.png"; }
middle_differs() { # middle_differs SHOT: the number of pixels unlike the unpaused middle
  shot "$1"; middle "$1"
  compare -metric AE "$out/$1-middle.png" "$out/unpaused-middle.png" null: 2>&1 || true
}
dark_middle() { mark_shown && [ "$(middle_differs "$1")" = 0 ]; }
pale_middle() { mark_gone && [ "$(middle_differs "$1")" = 0 ]; }
shot unpaused; middle unpaused

menu_row 9
xdotool key Return
menu_closed
wait_for 5 dark_middle menu-paused || fail "the menu's Pause showed no mark"
key_to_main Pause
wait_for 5 pale_middle pause-key-resumed || fail "the Pause key did not resume"
key_to_main Pause
wait_for 5 dark_middle pause-key-paused || fail "the Pause key did not pause"
menu_row 9
xdotool key Return
menu_closed
wait_for 5 pale_middle menu-resumed || fail "the menu's Pause did not resume"
echo "$e2e_tag: the menu's Pause and the Pause key paused and resumed, with the mark"

# Sound: its submenu opens at "Mute"; below it the volume steps 100 % .. 0 %.
menu_row 7
xdotool key Right
wait_for 5 bash -c "[ \$(xdotool search --onlyvisible --pid $prog_pid | wc -l) -ge 3 ]" ||
  fail "the Sound submenu did not open"
sleep 0.3
shot sound-menu
xdotool key Down Down Down Down Down Down Return
menu_closed
wait_for 5 grep -qx "Volume=50" "$store" || { cat "$store"; fail "50 % was not stored as Volume=50"; }
menu_row 7
xdotool key Right
sleep 0.5
xdotool key Return
menu_closed
wait_for 5 grep -qx "Muted=1" "$store" || { cat "$store"; fail "the Sound submenu's Mute did not store Muted=1"; }
key_to_main F6
wait_for 5 grep -qx "Muted=0" "$store" || { cat "$store"; fail "F6 did not unmute"; }
grep -qx "Volume=50" "$store" || fail "muting changed the volume"
echo "$e2e_tag: the Sound submenu set the volume to 50 % and muted; F6 unmuted"

# The output, changed while the program runs: below the eleven volume steps come the splash
# window's three outputs (SDL's dummy audio driver stands in for the sound card here).
sound_output() { # sound_output DOWNS
  menu_row 7
  xdotool key Right
  sleep 0.5
  local i
  for ((i = 0; i < $1; i++)); do xdotool key Down; done
  xdotool key Return
  menu_closed
}
sound_output 13
wait_for 5 grep -qx "SoundMode=1" "$store" || { cat "$store"; fail "the sound card's output was not taken"; }
sleep 0.5
[ "$(program_windows)" -eq 1 ] || fail "changing the output showed a message"
sound_output 14
wait_for 5 grep -qx "SoundMode=2" "$store" || { cat "$store"; fail "no sound was not taken"; }
echo "$e2e_tag: the Sound submenu changed the output to the sound card and back to none"

# Pause when the window loses focus: another window of the program takes the focus.
menu_row 8
xdotool key Return
menu_closed
wait_for 5 grep -qx "AutoPause=1" "$store" || { cat "$store"; fail "AutoPause=1 was not stored"; }
key_to_main F1
about=
find_about() { about=$(xdotool search --onlyvisible --name '^About the author\.\.\.$' | head -1); [ -n "$about" ]; }
wait_for 5 find_about || fail "F1 did not open the about window"
# Out of the way of the mark, then given the focus.
xdotool windowmove --sync "$about" 0 0 || true
xdotool windowfocus --sync "$about" || true
wait_for 5 dark_middle focus-lost || fail "losing the focus did not pause"
xdotool key Escape
xdotool windowfocus --sync "$main" || true
wait_for 5 pale_middle focus-back || fail "the focus coming back did not resume"
echo "$e2e_tag: with AutoPause the device paused while the about window had the focus"

# Record this run: the file appears, takes the key that opens the device as it comes, and
# ends with "end" when stopped; the trace tool replays it.
menu_row 6
xdotool key Return
menu_closed
recording=
found_recording() { recording=$(ls "$recordings"/run-*.script 2>/dev/null | head -1); [ -n "$recording" ]; }
wait_for 5 found_recording || fail "Record this run made no file in $recordings"
grep -q '^seed [0-9]' "$recording" || fail "the recording has no seed"
key_to_main 5
wait_for 5 grep -q '^at [0-9]* press open$' "$recording" || { cat "$recording"; fail "the key that opens the device is not in the recording"; }
# Time held, then the clock, which reads the time of day, with a pause in the middle.
xdotool windowfocus --sync "$main" || true
xdotool keydown 3 sleep 0.3 keyup 3
sleep 1.5
key_to_main Pause
sleep 1
key_to_main Pause
sleep 1.2
menu_row 6
xdotool key Return
menu_closed
wait_for 5 grep -q '^at [0-9]* end$' "$recording" || { cat "$recording"; fail "Stop recording did not end the file"; }
"$trace" <"$recording" >"$out/replay.txt" 2>&1 || { cat "$out/replay.txt"; fail "the trace tool did not replay the recording"; }
grep -q '^[0-9]* mode 2$' "$out/replay.txt" || { cat "$out/replay.txt"; fail "the replay does not open the device"; }
echo "$e2e_tag: Record this run wrote $(wc -l <"$recording") lines, Stop recording ended them; the trace tool replayed them"

key_to_main Escape
ended_cleanly Esc

# On the real clock, with the pauses, the drag and the menus of this run: the replay's events
# are the desktop's, line for line, from the switch-on to the recording's end (the desktop ran
# on after it).
end=$(sed -n 's/^at \([0-9]*\) end$/\1/p' "$recording")
[ -n "$end" ] || fail "the recording has no end"
awk -v end="$end" '$1 <= end' "$out/desktop.events" >"$out/desktop-to-end.events"
awk -v end="$end" '$1 <= end' "$out/replay.txt" >"$out/replay-to-end.events"
grep -qx '0 mode 0' "$out/desktop-to-end.events" || { head -5 "$out/desktop-to-end.events"; fail "the desktop did not switch the device on at device time 0"; }
grep -q ' resume [0-9]*$' "$recording" || { cat "$recording"; fail "the recording holds none of the run's pauses"; }
diff "$out/desktop-to-end.events" "$out/replay-to-end.events" >"$out/events.diff" ||
  { head -20 "$out/events.diff"; fail "the replay's events differ from the desktop's"; }
echo "$e2e_tag: the replay gave the desktop's $(wc -l <"$out/desktop-to-end.events") events up to the recording's end, to the millisecond"

# The next start: where the drag left it. Its files may grow to 700 bytes only (as a full disk
# stops them; the limit's signal is ignored, as a full disk sends none): a recording of it is
# cut off with one message, and the file keeps its whole lines.
printf '#!/usr/bin/env bash\ntrap "" XFSZ\nexec prlimit --fsize=700 ./quendrix50\n' >"$out/limited.sh"
chmod +x "$out/limited.sh"
program=$out/limited.sh launch_program
wait_for 20 main_at 303 45 498 770 || { m=$(main_window); [ -n "$m" ] && xdotool getwindowgeometry "$m"; fail "the next start is not at the stored place"; }
echo "$e2e_tag: the next start showed the device at the stored place"
main=$(main_window)
rm -f "$recordings"/run-*.script
menu_row 6
xdotool key Return
menu_closed
wait_for 5 found_recording || fail "Record this run made no file at the second start"
message_up() { [ "$(program_windows)" -ge 2 ]; }
for ((i = 0; i < 40; i++)); do
  message_up && break
  xdotool windowfocus --sync "$main" || true
  xdotool key 5
  sleep 0.15
done
wait_for 5 message_up || { ls -l "$recording"; fail "a recording the disk stopped taking gave no message"; }
grep -q 'could not be written further: File too large' "$out/program.log" || fail "the message does not say why"
[ "$(tail -c 1 "$recording" | od -An -c | tr -d ' ')" = '\n' ] || fail "the cut recording ends in part of a line"
! grep -q ' end$' "$recording" || fail "the cut recording has an end"
sleep 0.3
close_message || fail "the message did not close"
sleep 1
[ "$(program_windows)" -eq 1 ] || fail "a second message came"
echo "$e2e_tag: the recording the disk stopped taking at $(wc -c <"$recording") bytes gave one message and kept whole lines"
xdotool windowfocus --sync "$main" || true
xdotool key Escape
ended_cleanly Esc

# A place off every screen (a screen gone since): centred.
sed -i 's/^WindowLeft=.*/WindowLeft=5000/' "$store"
launch_program
wait_for 20 main_at 263 15 498 770 || fail "a place off the screen was not centred"
echo "$e2e_tag: a stored place off the screen gave a centred device"
xdotool windowfocus --sync "$(main_window)" || true
xdotool key Escape
ended_cleanly Esc
echo "$e2e_tag: ended with status 0"
