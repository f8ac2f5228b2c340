#!/usr/bin/env bash
# CPU the desktop program uses while idle (the closed device, nothing due) over 30 s, with no
# game controller and with one connected (SDL's virtual controller, attached at start through
# the Q50_VIRTUAL_PAD hook). Runs in its own Xvfb.
#   bench/idle_controllers.sh RUN_DIR [SECONDS]
set -euo pipefail
run_dir=$(cd "$1" && pwd) seconds=${2:-30}
out=$(mktemp -d)
source "$(dirname "$0")/../tests/e2e/xvfb.sh"
start_xvfb 1024x800 "$out" || exit 1
export XDG_CONFIG_HOME=$out/config SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
mkdir -p "$XDG_CONFIG_HOME/Vantorel"
printf 'SoundMode=2\nSplashScreen=0\n' >"$XDG_CONFIG_HOME/Vantorel/Quendrix50.conf"
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
measure() { # measure LABEL
  (cd "$run_dir" && exec ./quendrix50) >"$out/program.log" 2>&1 &
  prog_pid=$!
  sleep 3 # start-up is not idle time
  local before; before=$(ticks "$prog_pid")
  sleep "$seconds"
  local after; after=$(ticks "$prog_pid")
  local hz; hz=$(getconf CLK_TCK)
  echo "$1: $(( (after - before) * 1000 / hz )) ms of CPU in $seconds s"
  kill "$prog_pid"; wait "$prog_pid" || true
  prog_pid=
}
unset Q50_VIRTUAL_PAD
measure "no controller"
mkfifo "$out/pad.fifo"
export Q50_VIRTUAL_PAD=$out/pad.fifo
measure "one controller connected"
rm -rf "$out"
