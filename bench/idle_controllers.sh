#!/usr/bin/env bash
# CPU the desktop program uses while idle (the closed device, nothing due), with no game
# controller and with one connected (SDL's virtual controller, attached at start through the
# Q50_VIRTUAL_PAD hook). Runs in its own Xvfb. Two windows of SECONDS each are measured: from
# 5 s after the start, and from 40 s after it. The first holds the one-off end of Qt's pooled
# threads (Qt converts a large picture at start-up on its global thread pool, whose idle threads
# end 30 s later); the second is the program at rest.
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
threads() { ls "/proc/$1/task" | wc -l; }
report() { # report LABEL FROM NS_BEFORE NS_AFTER THREADS_BEFORE THREADS_AFTER
  awk -v d=$(($4 - $3)) -v s="$seconds" -v l="$1" -v from="$2" -v t0="$5" -v t1="$6" \
    -v load="$(cut -d' ' -f1-3 /proc/loadavg)" \
    'BEGIN { printf "%s, %d-%d s after the start: %.2f ms of CPU in %d s (%.4f %% of a core), threads %d then %d, load average %s\n", l, from, from + s, d / 1e6, s, d / 1e7 / s, t0, t1, load }'
}
measure() { # measure LABEL
  (cd "$run_dir" && exec ./quendrix50) >"$out/program.log" 2>&1 &
  prog_pid=$!
  sleep 5 # start-up (and the controllers looked for after the first frame) is not idle time
  local a t_a; a=$(cpu_ns "$prog_pid"); t_a=$(threads "$prog_pid")
  sleep "$seconds"
  local b t_b; b=$(cpu_ns "$prog_pid"); t_b=$(threads "$prog_pid")
  report "$1" 5 "$a" "$b" "$t_a" "$t_b"
  sleep $((40 - 5 - seconds > 0 ? 40 - 5 - seconds : 0))
  local c t_c; c=$(cpu_ns "$prog_pid"); t_c=$(threads "$prog_pid")
  sleep "$seconds"
  local d t_d; d=$(cpu_ns "$prog_pid"); t_d=$(threads "$prog_pid")
  report "$1" $((5 + seconds > 40 ? 5 + seconds : 40)) "$c" "$d" "$t_c" "$t_d"
  kill "$prog_pid"; wait "$prog_pid" || true
  prog_pid=
}
unset Q50_VIRTUAL_PAD
measure "no controller"
mkfifo "$out/pad.fifo"
export Q50_VIRTUAL_PAD=$out/pad.fifo
measure "one (virtual) controller connected"
rm -rf "$out"
