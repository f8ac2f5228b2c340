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
# The process's own CPU clock in ns (the scheduler's count, threads that have ended included;
# the ticks of /proc/PID/stat are 10 ms coarse): clock id ((~PID) << 3) | 2 is that clock.
cpu_ns() { python3 -c 'import sys, time; print(time.clock_gettime_ns(((~int(sys.argv[1])) << 3) | 2))' "$1"; }
measure() { # measure LABEL
  (cd "$run_dir" && exec ./quendrix50) >"$out/program.log" 2>&1 &
  prog_pid=$!
  sleep 5 # start-up (and the controllers looked for after the first frame) is not idle time
  local before; before=$(cpu_ns "$prog_pid")
  sleep "$seconds"
  local after; after=$(cpu_ns "$prog_pid")
  awk -v d=$((after - before)) -v s="$seconds" -v l="$1" -v load="$(cut -d' ' -f1-3 /proc/loadavg)" \
    'BEGIN { printf "%s: %.2f ms of CPU in %d s (%.4f %% of a core), load average %s\n", l, d / 1e6, s, d / 1e7 / s, load }'
  kill "$prog_pid"; wait "$prog_pid" || true
  prog_pid=
}
unset Q50_VIRTUAL_PAD
measure "no controller"
mkfifo "$out/pad.fifo"
export Q50_VIRTUAL_PAD=$out/pad.fifo
measure "one controller connected"
rm -rf "$out"
