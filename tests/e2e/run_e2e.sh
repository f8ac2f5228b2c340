#!/usr/bin/env bash
# End-to-end: starts the built program from a clean store in its own Xvfb, picks "(no sound)"
# on the splash window with real key events, opens the device with the ACL key, starts Game A,
# moves the hero, and compares screenshots with frames the painter renders for the same state.
#   run_e2e.sh RUN_DIR FRAMES_TOOL OUT_DIR
# With Q50_E2E_DOCS=DIR the screenshots are also copied there.
set -euo pipefail
run_dir=$1 frames=$2 out=$3
size=1024x800
source "$(dirname "$0")/lib.sh"
begin_e2e "$size" Xvfb xdotool import
fresh_store # empty: a first start
# The pointer rests on the backdrop, away from any hint.
xdotool mousemove 1020 796
launch_program

splash=
find_splash() { splash=$(xdotool search --onlyvisible --name '^About this game\.\.\.$' | head -1); [ -n "$splash" ]; }
wait_for 20 find_splash || { echo "e2e: the splash window did not come up"; cat "$out/program.log"; exit 1; }
xdotool windowfocus --sync "$splash" || true
sleep 0.3
# Nothing chosen on a first start: three steps down the list reach "(no sound)"; "1" plays.
xdotool key Down Down Down
sleep 0.2
xdotool key 1
wait_for 10 main_up || { echo "e2e: the main window did not come up"; exit 1; }
main=$(main_window)
xdotool windowfocus --sync "$main" || true

# Each state is polled until the screen shows it (the window maps and paints on its own time).
wait_for 10 try_state closed closed || { echo "e2e: closed device not as painted"; check closed closed; exit 1; }
echo "e2e: the closed device matches"
# "(no sound)" leaves the mixer and the chain of libraries it needs unloaded.
if grep -q 'libSDL2_mixer' "/proc/$prog_pid/maps"; then echo "e2e: the mixer was loaded without sound"; exit 1; fi

xdotool key 5
wait_for 5 try_state open open || { echo "e2e: open device not as painted"; check open open; exit 1; }
echo "e2e: every segment lit matches"

xdotool key 1
started=$SECONDS
# The introduction and the stage start take about 10.6 s; the hero then stands at 1 with a bomb.
sleep 10.8
wait_for 5 try_state hero1 hero 1 || { echo "e2e: the hero is not on the walkway at 1"; check hero1 hero 1; exit 1; }
echo "e2e: the hero stands at position 1 after the introduction ($((SECONDS - started)) s)"
xdotool key Right
sleep 0.5
xdotool key Right
wait_for 3 try_state hero3 hero 3 || { echo "e2e: the hero did not walk to 3"; check hero3 hero 3; exit 1; }
echo "e2e: two steps right: the hero stands at position 3"

for v in Key1=2 Key2=3 Key3=4 Key4=6 Key5=39 Key6=40 Key7=42 SoundMode=2; do
  grep -qx "$v" "$store" || { echo "e2e: the store lacks $v"; cat "$store"; exit 1; }
done
echo "e2e: the store holds Key1..Key7 and SoundMode 2"

# SIGTERM ends the program cleanly.
kill -TERM "$prog_pid"
ended_cleanly SIGTERM
echo "e2e: SIGTERM ended the program with status 0"

# Windowed, without a compositor: the device's outline, the screen showing around it. The
# splash is switched off now that an output was chosen, so the device comes up at once.
sed -i 's/^SplashScreen=1$/SplashScreen=0/' "$store"
# At 100 % the window is the painter's frame pixel for pixel (fit would scale it).
printf 'FullscreenMode=0\nZoom=100\nFullscreenZoom=100\n' >>"$store"
(cd "$run_dir" && exec ./quendrix50) >"$out/program2.log" 2>&1 &
prog_pid=$!
wait_for 10 main_up || { echo "e2e: the windowed main window did not come up"; exit 1; }
main=$(main_window)
try_windowed() {
  eval "$(xdotool getwindowgeometry --shell "$main")"
  shot windowed
  check windowed windowed "$X" "$Y"
}
wait_for 10 try_windowed || { echo "e2e: windowed device not as painted"; try_windowed; exit 1; }
echo "e2e: windowed: the device's outline with the screen showing around it"
kill -TERM "$prog_pid"
wait "$prog_pid" || { echo "e2e: the windowed program did not end cleanly"; exit 1; }
prog_pid=

if [ -n "${Q50_E2E_DOCS:-}" ]; then
  mkdir -p "$Q50_E2E_DOCS"
  for n in closed open hero1 hero3 windowed; do cp "$out/$n.png" "$Q50_E2E_DOCS/e2e-$n.png"; done
fi
