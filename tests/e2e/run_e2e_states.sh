#!/usr/bin/env bash
# End-to-end, saved states with real input: the windowed device in its own Xvfb. A game paused
# and saved with F8, played on and loaded again with F10 shows the device exactly as it was
# (screenshots of the window compared pixel for pixel), and its device time goes back to the
# state's and on from there (Q50_EVENT_LOG). A damaged slot is refused with its reason and changes
# nothing; a save onto a full disk keeps the old slot whole and leaves no temporary. "Resume on
# start", ticked in the Saved state submenu, keeps the game at Esc; the next start asks, and Yes
# brings the game back, paused, as it was left.
#   run_e2e_states.sh RUN_DIR OUT_DIR
set -euo pipefail
run_dir=$1 out=$2
e2e_tag=e2e-states
source "$(dirname "$0")/lib.sh"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
states_dir=$out/data/quendrix50
mounted=
trap '[ -z "$mounted" ] || umount "$mounted" 2>/dev/null || umount -l "$mounted" 2>/dev/null || true; cleanup' EXIT
umount "$states_dir" 2>/dev/null || true
begin_e2e 1024x800 Xvfb xdotool import convert compare
fresh_store SoundMode=2 SplashScreen=0 FullscreenMode=0 Zoom=100 FullscreenZoom=100
export XDG_DATA_HOME=$out/data
slot=$states_dir/state.q50s
resume=$states_dir/resume.q50s
xdotool mousemove 1020 796
launch_program Q50_EVENT_LOG="$out/desktop.events"
# Centred: (1024 - 498) / 2, (800 - 770) / 2.
wait_for 20 main_at 263 15 498 770 || fail "the windowed device did not come up centred"
main=$(main_window)
wx=263 wy=15
told() { grep -qF -- "$1" "$out/program.log"; }
key_to_main() { xdotool windowfocus --sync "$main" || true; xdotool key "$@"; }
# The device's window alone (the mark and the notices lie beside it).
device_shot() {
  shot "$1-screen"
  convert "$out/$1-screen.png" -crop 498x770+$wx+$wy +repage "png24:$out/$1.png"
}
differs() { compare -metric AE "$out/$1.png" "$out/$2.png" null: 2>&1 || true; }
same_as() { device_shot "$1"; [ "$(differs "$1" "$2")" = 0 ]; }
last_time() { tail -1 "$out/desktop.events" | cut -d' ' -f1; }
play_a_while() {
  local i
  for i in 1 2 3 4 5 6; do
    xdotool windowfocus --sync "$main" || true
    xdotool keydown Right sleep 0.1 keyup Right sleep 0.25 keydown Control sleep 0.1 keyup Control sleep 0.25
  done
}

# A game: open, Game A, some play, then paused and saved.
key_to_main 5
sleep 0.5
xdotool windowfocus --sync "$main" || true
xdotool keydown 1 sleep 0.2 keyup 1
wait_for 5 grep -q ' mode 6$' "$out/desktop.events" || fail "Game A did not start a game"
play_a_while
key_to_main F5
wait_for 5 mark_shown || fail "F5 did not pause"
sleep 0.3
device_shot saved
key_to_main F8
wait_for 5 test -s "$slot" || fail "F8 wrote no slot at $slot"
[ "$(stat -c %s "$slot")" = 16384 ] || fail "the slot is $(stat -c %s "$slot") bytes, not a state's 16384"
saved_time=$(last_time)
echo "$e2e_tag: F8 saved the paused game ($(stat -c %s "$slot") bytes, device time >= $saved_time)"

# On with the game, then back.
key_to_main F5
wait_for 5 mark_gone || fail "F5 did not resume"
play_a_while
sleep 1
key_to_main F5
wait_for 5 mark_shown || fail "F5 did not pause again"
sleep 0.3
device_shot played
[ "$(differs played saved)" != 0 ] || fail "the game did not change after the save (the comparison would prove nothing)"
lines_before=$(wc -l <"$out/desktop.events")
played_time=$(last_time)
key_to_main F10
wait_for 5 same_as loaded saved || fail "after F10 the device is not as saved ($(differs loaded saved) pixels differ)"
mark_shown || fail "the load ended the pause"
echo "$e2e_tag: F10 showed the device exactly as saved ($(differs played saved) pixels had changed since), still paused"
# Device time went back to the state's and goes on from there, in order.
key_to_main F5
wait_for 5 mark_gone || fail "F5 did not resume after the load"
sleep 1.5
key_to_main F5
tail -n +"$((lines_before + 1))" "$out/desktop.events" | cut -d' ' -f1 >"$out/after-load.times"
[ -s "$out/after-load.times" ] || fail "the device did nothing after the load"
sort -n -c "$out/after-load.times" || fail "device time after the load is out of order"
first=$(head -1 "$out/after-load.times")
[ "$first" -ge "$saved_time" ] && [ "$first" -lt "$played_time" ] ||
  fail "the first event after the load is at $first, not between the save ($saved_time) and the load ($played_time)"
echo "$e2e_tag: after the load device time went on from the state's ($first, the load came at $played_time)"

# A damaged slot is refused with its reason, and nothing changes.
device_shot before-damaged
cp "$slot" "$out/good.q50s"
printf 'Q50S' | dd of="$slot" bs=1 seek=300 conv=notrunc 2>/dev/null
key_to_main F10
wait_for 5 told "The saved state is refused: the saved state is damaged (its checksum does not match)." ||
  fail "a damaged slot was not refused with its reason"
wait_for 3 notice_shown || fail "no notice for the damaged slot"
same_as after-damaged before-damaged || fail "a refused slot changed the device"
echo "$e2e_tag: a damaged slot was refused with its reason; the device stayed as it was"

# A full disk: the slot's folder on a tmpfs that holds the old slot and nothing more.
mkdir -p "$out/full"
if mount -t tmpfs -o size=20k tmpfs "$out/full" 2>"$out/mount.log"; then
  mounted=$out/full
  cp "$out/good.q50s" "$out/full/state.q50s"
  mv "$states_dir" "$out/states-aside"
  ln -s "$out/full" "$states_dir"
  key_to_main F8
  wait_for 5 told "The state could not be saved" || fail "a save onto a full disk was not told"
  told "No space left on device" || fail "the full disk's notice does not say why"
  cmp -s "$out/full/state.q50s" "$out/good.q50s" || fail "a failed save changed the slot"
  [ "$(ls -A "$out/full")" = state.q50s ] || fail "a failed save left $(ls -A "$out/full")"
  rm "$states_dir"
  mv "$out/states-aside" "$states_dir"
  umount "$out/full" && mounted=
  echo "$e2e_tag: a save onto a full disk was told, kept the old slot whole and left no temporary"
else
  echo "$e2e_tag: (no tmpfs could be mounted here: the full-disk save is not tried; $(cat "$out/mount.log"))"
fi

# Resume on start: ticked in the Saved state submenu, the fourth row above the menu's bottom.
xdotool mousemove $((wx + 100)) $((wy + 600)) click 3
wait_for 5 bash -c "[ \$(xdotool search --onlyvisible --pid $prog_pid | wc -l) -ge 2 ]" ||
  fail "no context menu after a right click"
sleep 0.3
xdotool key Up Up Up Up Right
wait_for 5 bash -c "[ \$(xdotool search --onlyvisible --pid $prog_pid | wc -l) -ge 3 ]" ||
  fail "the Saved state submenu did not open"
sleep 0.3
shot states-menu
xdotool key Down Down Return
wait_for 5 popup_closed || fail "the menu did not close"
wait_for 5 grep -qx "Resume=1" "$store" || { cat "$store"; fail "Resume on start did not store Resume=1"; }
key_to_main F5
wait_for 5 mark_gone || fail "F5 did not resume for the close"
play_a_while
key_to_main F5
wait_for 5 mark_shown || fail "F5 did not pause before the close"
sleep 0.3
device_shot left
key_to_main Escape
ended_cleanly Esc
[ -s "$resume" ] || fail "closing mid-game with Resume on kept nothing in $resume"
echo "$e2e_tag: Esc mid-game with Resume on kept the game in $resume"

launch_program Q50_EVENT_LOG="$out/desktop2.events"
wait_for 20 main_up || fail "the next start did not come up"
main=$(main_window)
question_up() { [ "$(program_windows)" -ge 2 ]; }
wait_for 10 question_up || fail "the next start did not ask about the game left"
sleep 0.5
shot question
close_message || fail "the question did not take Return (Yes)"
wait_for 5 mark_shown || fail "the game came back unpaused"
wait_for 5 same_as resumed left || fail "the game that came back is not as it was left ($(differs resumed left) pixels differ)"
[ ! -e "$resume" ] || fail "the kept game is still there after it was offered"
echo "$e2e_tag: the next start asked, Yes brought the game back paused, exactly as left"
# The load's own lines stand at the state's time; the game's next ones come after it.
lines_at_load=$(wc -l <"$out/desktop2.events")
load_time=$(tail -1 "$out/desktop2.events" | cut -d' ' -f1)
key_to_main F5
wait_for 5 mark_gone || fail "F5 did not go on with the game"
sleep 1
[ "$(wc -l <"$out/desktop2.events")" -gt "$lines_at_load" ] || fail "the game did not go on after F5"
[ "$(tail -1 "$out/desktop2.events" | cut -d' ' -f1)" -gt "$load_time" ] || fail "device time did not go on from the state's"
key_to_main F5
wait_for 5 mark_shown || fail "F5 did not pause"
key_to_main Escape
ended_cleanly Esc
[ -s "$resume" ] || fail "the game under way was not kept at the second close"
echo "$e2e_tag: ended with status 0"
