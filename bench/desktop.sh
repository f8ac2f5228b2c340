#!/usr/bin/env bash
# Start-up and idle cost of the desktop program in its own Xvfb:
#   desktop.sh RUN_DIR REFERENCE_PROGRAM [RUNS]
# Start-up: from the launch to the first frame that changes the screen (the root window is
# read with xwd as fast as it goes), for the simulator and for a minimal Qt window showing
# one picture, alternately, RUNS times each (default 5); medians, with resident memory 1 s
# after the first frame. Idle cost: CPU time of the simulator over 30 s with the device
# closed (mode 0), showing the clock, and during a game without input. The store in a private
# XDG_CONFIG_HOME skips the splash window and the sound. Last, the clock once more with the
# LCD shadow and fade switched on.
set -euo pipefail
run_dir=$(cd "$1" && pwd) reference=$(realpath "$2") runs=${3:-5}
out=$(mktemp -d /tmp/q50-bench.XXXXXX)
xvfb_pid= prog_pid=
cleanup() {
  [ -n "$prog_pid" ] && kill "$prog_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$out"
}
trap cleanup EXIT
display=
for n in $(seq 200 249); do
  if [ ! -e /tmp/.X$n-lock ] && [ ! -e /tmp/.X11-unix/X$n ]; then display=:$n; break; fi
done
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=$display QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
export XDG_CONFIG_HOME=$out/config
mkdir -p "$XDG_CONFIG_HOME/Vantorel"
printf 'SoundMode=2\nSplashScreen=0\n' >"$XDG_CONFIG_HOME/Vantorel/Quendrix50.conf"
xdotool mousemove 1023 767

screen_sum() { xwd -root -silent | md5sum; }
blank=$(screen_sum)
now_ms() { echo $(($(date +%s%N) / 1000000)); }
rss_mb() { awk '/^VmRSS:/ {printf "%.1f", $2 / 1024}' "/proc/$1/status"; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
median() { printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

# start NAME COMMAND...: launches, waits for the first frame; sets ms and rss.
start() {
  local t0 t1
  t0=$(now_ms)
  (cd "$run_dir" && exec "$@") >>"$out/program.log" 2>&1 &
  prog_pid=$!
  until [ "$(screen_sum)" != "$blank" ]; do
    kill -0 "$prog_pid" 2>/dev/null || { echo "bench: $1 ended early"; cat "$out/program.log"; exit 1; }
    [ $(($(now_ms) - t0)) -lt 30000 ] || { echo "bench: no frame from $1"; exit 1; }
  done
  t1=$(now_ms)
  ms=$((t1 - t0))
  sleep 1
  rss=$(rss_mb "$prog_pid")
}
stop() {
  kill -TERM "$prog_pid" && wait "$prog_pid" || true
  prog_pid=
  until [ "$(screen_sum)" = "$blank" ]; do sleep 0.05; done
}

sim_ms=() sim_rss=() ref_ms=() ref_rss=()
for _ in $(seq "$runs"); do
  start ./quendrix50; sim_ms+=("$ms"); sim_rss+=("$rss"); stop
  start "$reference" "$run_dir/Graphics/Backdrop/Backdrop.png"; ref_ms+=("$ms"); ref_rss+=("$rss"); stop
done
s=$(median "${sim_ms[@]}") r=$(median "${ref_ms[@]}")
echo "start-up to first frame: simulator median $s ms (runs: ${sim_ms[*]}), resident $(median "${sim_rss[@]}") MB"
echo "start-up to first frame: minimal Qt window with one picture median $r ms (runs: ${ref_ms[*]}), resident $(median "${ref_rss[@]}") MB"
echo "start-up ratio simulator / minimal window: $(awk -v s="$s" -v r="$r" 'BEGIN {printf "%.2f", s / r}')"

hz=$(getconf CLK_TCK)
idle() { # idle LABEL: CPU time over 30 s from now
  local c0 c1
  c0=$(cpu_ticks "$prog_pid")
  sleep 30
  c1=$(cpu_ticks "$prog_pid")
  echo "idle cost over 30 s, $1: $(awk -v d=$((c1 - c0)) -v hz="$hz" 'BEGIN {printf "%.2f s CPU (%.2f%%)", d / hz, d / hz / 30 * 100}')"
}
start ./quendrix50
idle "device closed (mode 0)"
xdotool key 5 # the ACL key opens the device
sleep 2
xdotool key 3 # the time button shows the clock
sleep 1
idle "clock mode"
xdotool key 1 # Game A: the introduction, then play without input
sleep 1
idle "a game of A without input (introduction included)"
stop

# The clock again with the LCD look on: a 25 % shadow and an 80 ms fade, so that every blink
# of the colon fades in and out.
printf 'LcdShadow=25\nLcdFade=80\n' >>"$XDG_CONFIG_HOME/Vantorel/Quendrix50.conf"
start ./quendrix50
xdotool key 5
sleep 2
xdotool key 3
sleep 1
idle "clock mode, 25 % shadow and 80 ms fade"
stop
