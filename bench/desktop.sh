#!/usr/bin/env bash
# Start-up and idle cost of the desktop program in its own Xvfb:
#   desktop.sh RUN_DIR REFERENCE_PROGRAM FIRST_FRAME_TOOL [PAIRS]
# Start-up: FIRST_FRAME_TOOL (bench_first_frame) launches a program and waits, through the X
# DAMAGE extension, for the first change of the screen, which it reads through MIT-SHM; then
# it reads the resident memory one second later. The simulator and the reference (a minimal Qt
# window showing the backdrop) run in PAIRS pairs (default 9), alternately, the order swapped
# every pair, first fullscreen and then windowed; each pair gives its own ratios, for the time
# to the first frame, the CPU time the process used until then (less disturbed by a busy
# machine) and the resident memory. Idle cost: CPU time (from the scheduler's own nanosecond
# count) and wake-ups of the simulator over 30 s with the device closed (mode 0), showing the
# clock, during a game without input, and the clock again with the LCD shadow and fade on. The
# store in a private XDG_CONFIG_HOME skips the splash window and the sound.
set -euo pipefail
run_dir=$(cd "$1" && pwd) reference=$(realpath "$2") first_frame=$(realpath "$3") pairs=${4:-9}
out=$(mktemp -d /tmp/q50-bench.XXXXXX)
source "$(dirname "$0")/../tests/e2e/xvfb.sh"
trap 'cleanup; rm -rf "$out"' EXIT
start_xvfb 1024x768 "$out"
export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
wait_for 10 xdpyinfo
export XDG_CONFIG_HOME=$out/config
mkdir -p "$XDG_CONFIG_HOME/Vantorel"
store() { printf 'SoundMode=2\nSplashScreen=0\nFullscreenMode=%s\n' "$1" >"$XDG_CONFIG_HOME/Vantorel/Quendrix50.conf"; }
xdotool mousemove 1023 767

median() { printf '%s\n' "$@" | sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
# measure COMMAND...: sets ms, kb and cpu
measure() {
  local line
  line=$(cd "$run_dir" && "$first_frame" "$@" 2>>"$out/program.log") || {
    echo "bench: $1 failed"; cat "$out/program.log"; exit 1; }
  ms=$(sed -n 's/.*first_frame_ms=\([0-9.]*\).*/\1/p' <<<"$line")
  kb=$(sed -n 's/.*rss_kb=\([0-9]*\).*/\1/p' <<<"$line")
  cpu=$(sed -n 's/.*cpu_ms=\([0-9.]*\).*/\1/p' <<<"$line")
}

startup() { # startup LABEL FULLSCREEN(1/0)
  local label=$1 full=$2 ref_args=("$run_dir/Graphics/Backdrop/Backdrop.png")
  [ "$full" = 1 ] && ref_args+=(--fullscreen)
  store "$full"
  local time_ratios=() mem_ratios=() cpu_ratios=() sim_ms=() ref_ms=() sim_kb=() ref_kb=() sim_cpu=() ref_cpu=()
  local i s_ms s_kb s_cpu r_ms r_kb r_cpu
  for i in $(seq "$pairs"); do
    if [ $((i % 2)) = 1 ]; then
      measure ./quendrix50; s_ms=$ms s_kb=$kb s_cpu=$cpu
      measure "$reference" "${ref_args[@]}"; r_ms=$ms r_kb=$kb r_cpu=$cpu
    else
      measure "$reference" "${ref_args[@]}"; r_ms=$ms r_kb=$kb r_cpu=$cpu
      measure ./quendrix50; s_ms=$ms s_kb=$kb s_cpu=$cpu
    fi
    sim_ms+=("$s_ms") ref_ms+=("$r_ms") sim_kb+=("$s_kb") ref_kb+=("$r_kb") sim_cpu+=("$s_cpu") ref_cpu+=("$r_cpu")
    cpu_ratios+=("$(awk -v s="$s_cpu" -v r="$r_cpu" 'BEGIN {printf "%.2f", (r > 0) ? s / r : 0}')")
    time_ratios+=("$(awk -v s="$s_ms" -v r="$r_ms" 'BEGIN {printf "%.2f", s / r}')")
    mem_ratios+=("$(awk -v s="$s_kb" -v r="$r_kb" 'BEGIN {printf "%.2f", s / r}')")
  done
  echo "start-up $label: simulator ms ${sim_ms[*]}; reference ms ${ref_ms[*]}"
  echo "start-up $label: time ratio per pair ${time_ratios[*]}; median $(median "${time_ratios[@]}") (medians $(median "${sim_ms[@]}") / $(median "${ref_ms[@]}") ms)"
  echo "start-up $label: CPU time to the first frame, simulator ms ${sim_cpu[*]}; reference ms ${ref_cpu[*]}; ratio per pair ${cpu_ratios[*]}; median $(median "${cpu_ratios[@]}")"
  echo "start-up $label: memory ratio per pair ${mem_ratios[*]}; median $(median "${mem_ratios[@]}") (medians $(awk -v k="$(median "${sim_kb[@]}")" 'BEGIN {printf "%.1f", k / 1024}') / $(awk -v k="$(median "${ref_kb[@]}")" 'BEGIN {printf "%.1f", k / 1024}') MB resident 1 s after the first frame)"
}
startup fullscreen 1
startup windowed 0

[ "${Q50_BENCH_IDLE:-1}" = 1 ] || exit 0
store 1
# CPU time in nanoseconds and voluntary context switches (wake-ups), over all threads.
# The process's own CPU clock keeps the time of threads that have ended between the two reads.
cpu_ns() { "$first_frame" --cpu-of "$1"; }
wakes() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ {s += $2} END {print s}'; }
idle() { # idle LABEL: CPU time and wake-ups over 30 s from now
  local c0 c1 w0 w1
  c0=$(cpu_ns "$prog_pid") w0=$(wakes "$prog_pid")
  sleep 30
  c1=$(cpu_ns "$prog_pid") w1=$(wakes "$prog_pid")
  echo "idle cost over 30 s, $1: $(awk -v d=$((c1 - c0)) -v w=$((w1 - w0)) 'BEGIN {printf "%.1f ms CPU (%.3f%% of a core), %.1f wake-ups a second", d / 1e6, d / 1e9 / 30 * 100, w / 30}')"
}
(cd "$run_dir" && exec ./quendrix50) >>"$out/program.log" 2>&1 &
prog_pid=$!
sleep 3
idle "device closed (mode 0)"
xdotool key 5 # the ACL key opens the device
sleep 2
xdotool key 3 # the time button shows the clock
sleep 1
idle "clock mode"
xdotool key 1 # Game A: the introduction, then play without input
sleep 1
idle "a game of A without input (introduction included)"
# The clock again with the LCD look on: a 25 % shadow and an 80 ms fade, so that every blink
# of the colon fades in and out.
kill -TERM "$prog_pid" && wait "$prog_pid" || true
printf 'LcdShadow=25
LcdFade=80
' >>"$XDG_CONFIG_HOME/Vantorel/Quendrix50.conf"
(cd "$run_dir" && exec ./quendrix50) >>"$out/program.log" 2>&1 &
prog_pid=$!
sleep 3
xdotool key 5
sleep 2
xdotool key 3
sleep 1
idle "clock mode, 25 % shadow and 80 ms fade"
