#!/usr/bin/env bash
# End-to-end with a game controller: the built program in its own Xvfb, with SDL's virtual
# controller attached from the start (Q50_VIRTUAL_PAD names the FIFO that drives it). That
# controller opens the device with X, begins Game A with Start, raises the bomb with A and
# lowers it with B, walks the hero with the d-pad and the stick and back with the left shoulder.
# Pulled out while its d-pad is held, the release arrives; out, it does nothing; plugged in
# again, its X is ACL; Y holds the alarm time, Back the high score of Game B and its release
# begins Game B. Under the file chooser its presses do nothing; F5 pauses it; Guide opens the
# in-game menu. Each state is compared with the painter's frame.
#   run_e2e_pad.sh RUN_DIR FRAMES_TOOL PICTURES_DIR OUT_DIR
set -euo pipefail
run_dir=$1 frames=$2 pictures=$3 out=$4
size=1024x800
source "$(dirname "$0")/lib.sh"
begin_e2e "$size" Xvfb xdotool import compare convert
start_with_virtual_pad
echo "e2e: the closed device is up, with a virtual controller attached from the start"

pad "down x" "up x"
wait_for 5 try_state open open || { check open open || true; fail "X on the controller present from the start did not open the device"; }
pad "down start" "up start"
started=$SECONDS
# The introduction and the stage start take about 10.6 s; the hero then stands at 1, the bomb
# low. From here each state is photographed at once (xwd, the quickest), twice 0.3 s apart,
# and compared later: under load a comparison takes seconds, and the game goes on meanwhile (no
# flame reaches the bomb held high for two seconds, nor the hero at 1 to 3 for nine).
sleep 10.8
snap() {
  sleep 0.3
  xwd -root -silent -out "$out/$1-a.xwd"
  sleep 0.3
  xwd -root -silent -out "$out/$1-b.xwd"
}
matched() { # matched NAME STATE...: either photograph of NAME shows STATE
  local name=$1 n
  shift
  for n in "$name-a" "$name-b"; do
    convert "$out/$n.xwd" "png24:$out/$n.png"
    check "$n" "$@" && return 0
  done
  return 1
}
pad "down a" "up a"
snap high
pad "down b" "up b"
snap low
pad "down dpright" "up dpright"
sleep 0.4
pad "axis leftx 32767" "axis leftx 0"
snap at3
pad "down leftshoulder" "up leftshoulder"
snap at2
# Pulled out while its d-pad is held: the movement pad shows the step held until the release,
# which the pulling out delivers; out, the controller does nothing.
pad "down dpleft"
snap held
pad "detach"
snap released
pad "down x" "up x"
snap unplugged
echo "e2e: the states of play photographed $((SECONDS - started)) s after Start"
matched high hero 1 high || fail "A did not raise the bomb (or Start did not begin Game A)"
matched low hero 1 || fail "B did not lower the bomb"
echo "e2e: Start began Game A; A raised the bomb and B lowered it"
matched at3 hero 3 || fail "the d-pad and the stick did not walk the hero to 3"
# A step to the left scores nothing: two points.
matched at2 hero 2 score 2 || fail "the left shoulder did not walk the hero back to 2"
echo "e2e: the d-pad and the stick walked the hero to 3, the left shoulder back to 2"
matched held hero 1 score 2 left-held || fail "the held d-pad did not step or does not show on the movement pad"
matched released hero 1 score 2 || fail "pulling the controller out did not release its d-pad"
echo "e2e: pulled out with its d-pad held, the controller's release arrived"
matched unplugged hero 1 score 2 || fail "a controller that was pulled out still acted"

# Plugged in again, its X is ACL now: held, then every segment lit.
pad attach
pad "down x" "up x"
wait_for 5 try_state acl open || { check acl open || true; fail "X on the controller plugged in again was not ACL"; }
echo "e2e: out, the controller did nothing; plugged in again, its X was ACL"

# Under the file chooser (F7) a controller's presses do not reach the game.
main=$(main_window)
xdotool windowfocus --sync "$main" || true
xdotool key F7
chooser=
find_chooser() { chooser=$(xdotool search --onlyvisible --name '^Play a recording$' | head -1); [ -n "$chooser" ]; }
wait_for 10 find_chooser || fail "F7 did not open the file chooser"
pad "down y" "up y" "down back" "up back"
sleep 0.5
xdotool windowfocus --sync "$chooser" || true
xdotool key Escape
chooser_gone() { ! find_chooser; }
wait_for 5 chooser_gone || fail "Esc did not close the file chooser"
# The dialog's place on the screen is painted again once the program has its expose event: the
# screen is waited for. A press that had reached the game would keep it from ever matching.
wait_for 5 try_state under-chooser open ||
  fail "a controller's press under the file chooser reached the game"
echo "e2e: the controller's presses under the file chooser did nothing"

# Y holds the alarm time; released, the clock. Back holds the high score of Game B; released,
# Game B begins.
pad "down y"
wait_for 5 try_state alarm alarm || { check alarm alarm || true; fail "Y held did not show the alarm time"; }
pad "up y"
pad "down back"
wait_for 5 try_state hiscore-b hiscore-b || { check hiscore-b hiscore-b || true; fail "Back held did not show the high score of Game B"; }
pad "up back"
left_hiscore() { shot game-b; ! check game-b hiscore-b >/dev/null; }
wait_for 3 left_hiscore || fail "releasing Back did not begin Game B"
echo "e2e: Y held showed the alarm time; Back held the high score of Game B, and began it"

# F5 pauses: the "PAUSED" mark beside the device, and nothing moves; F5 again plays on. F6 mutes.
xdotool windowfocus --sync "$main" || true
xdotool key F5
# The mark is a small window of its own beside the device.
marked() { mark_shown && shot paused1; }
wait_for 5 marked || fail "F5 showed no mark"
sleep 1.5
shot paused2
[ "$(compare -metric AE "$out/paused1.png" "$out/paused2.png" null: 2>&1 || true)" = 0 ] ||
  fail "the picture changed while paused"
pad "down dpleft" "up dpleft"
sleep 0.3
shot paused3
[ "$(compare -metric AE "$out/paused1.png" "$out/paused3.png" null: 2>&1 || true)" = 0 ] ||
  fail "a controller press acted while paused"
xdotool key F5
resumed() { mark_gone; }
wait_for 5 resumed || fail "F5 did not resume"
echo "e2e: F5 paused (mark shown, picture still, controller ignored) and resumed"
xdotool key F6
wait_for 5 grep -qx "Muted=1" "$store" || fail "F6 did not store Muted=1"
echo "e2e: F6 muted"

# Guide: the in-game menu (fullscreen), its header across the rows' width.
differing() {
  convert "$out/$1.png" -crop "256x32+0+0" +repage "$out/a.png"
  convert "$pictures/menu_backing.png" -crop "256x32+0+0" +repage "$out/b.png"
  compare -metric AE -fuzz 2% "$out/a.png" "$out/b.png" null: 2>&1 || true
}
pad "down guide" "up guide"
menu_shown() { shot game-menu; [ "$(differing game-menu)" = 0 ]; }
wait_for 5 menu_shown || fail "Guide did not open the in-game menu"
# SDL hands out a Guide release only a quarter of a second after its press: a second press
# before it is one press held, not a second one.
sleep 0.5
pad "down guide" "up guide"
menu_closed() { shot menu-closed; [ "$(differing menu-closed)" != 0 ]; }
wait_for 5 menu_closed || fail "Guide did not close the in-game menu"
echo "e2e: Guide opened and closed the in-game menu"

kill -TERM "$prog_pid"
ended_cleanly SIGTERM
echo "e2e: the program ended with status 0"
