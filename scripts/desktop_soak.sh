#!/usr/bin/env bash
# The desktop program under its own Xvfb for SECONDS of random real key presses and mouse
# clicks (xdotool), from a store that holds a high score and skips the splash:
#   desktop_soak.sh RUN_DIR [SECONDS]
# Fails when the program crashes (ends by a signal or with a non-zero status), when its
# resident memory grows by more than 20 MB from the first minute to the end, or when the
# stored high score is lost or lowered (other than both cleared by the menus' entry for it). A program closed by its own menu (a random click on
# the exit entry) is started again and counted.
set -euo pipefail
run_dir=$(cd "$1" && pwd) seconds=${2:-600}
out=$(mktemp -d /tmp/q50-soak.XXXXXX)
# A private Xvfb on a display it picks itself, ended with the program however the run ends.
source "$(dirname "$0")/../tests/e2e/xvfb.sh"
start_xvfb 1024x800 "$out" || exit 1
export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
wait_for 10 xdpyinfo || { echo "soak: Xvfb did not start"; exit 1; }

export XDG_CONFIG_HOME=$out/config
store=$XDG_CONFIG_HOME/Vantorel/Quendrix50.conf
mkdir -p "$(dirname "$store")"
printf 'SoundMode=2\nSplashScreen=0\nHiScore1=150\nHiScore2=90\n' >"$store"
# ASan's quarantine is kept small so that resident memory shows what the program holds.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:quarantine_size_mb=16:abort_on_error=1}

starts=0
start_program() {
  (cd "$run_dir" && exec ./quendrix50) >>"$out/program.log" 2>&1 &
  prog_pid=$!
  starts=$((starts + 1))
  for _ in $(seq 300); do
    xdotool search --onlyvisible --name '^Quendrix50$' >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "soak: the main window did not come up"; cat "$out/program.log"; exit 1
}
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$prog_pid/status" 2>/dev/null || echo 0; }

# Escape closes the program, which would end the run the memory samples follow.
keys=(1 2 3 4 5 Left Right Up Down space Return Tab ctrl shift alt a z F1 F10 Menu)
start_program
first_pid=$prog_pid
end=$((SECONDS + seconds)) next_sample=$SECONDS events=0
samples=()
while [ $SECONDS -lt $end ]; do
  if ! kill -0 "$prog_pid" 2>/dev/null; then
    rc=0; wait "$prog_pid" || rc=$?
    if [ "$rc" -ne 0 ]; then
      echo "soak: the program ended with status $rc after $events events"
      tail -40 "$out/program.log"; exit 1
    fi
    echo "soak: the program closed itself (status 0) after $events events; starting it again"
    # Random clicks may have switched the splash window back on; the soak wants the device.
    sed -i 's/^SplashScreen=.*/SplashScreen=0/' "$store"
    start_program
  fi
  if [ $SECONDS -ge $next_sample ]; then
    [ "$prog_pid" = "$first_pid" ] && samples+=("$(rss_kb)")
    next_sample=$((next_sample + 10))
  fi
  win=$(xdotool search --onlyvisible --name '^Quendrix50$' 2>/dev/null | head -1 || true)
  x=$((RANDOM % 1024)) y=$((RANDOM % 800))
  case $((RANDOM % 10)) in
    0 | 1 | 2 | 3 | 4) xdotool key --clearmodifiers "${keys[RANDOM % ${#keys[@]}]}" ;;
    5) xdotool keydown Right sleep 0.3 keyup Right ;;
    6 | 7) xdotool mousemove $x $y click 1 ;;
    8) xdotool mousemove $x $y mousedown 1 sleep 0.2 mouseup 1 ;;
    9) if [ $((RANDOM % 4)) -eq 0 ]; then xdotool mousemove $x $y click 3; else
         [ -n "$win" ] && xdotool mousemove --window "$win" 200 300 click 1; fi ;;
  esac
  events=$((events + 1))
  sleep 0.0$((RANDOM % 9 + 1))
done

kill -TERM "$prog_pid"
rc=0; wait "$prog_pid" || rc=$?
prog_pid=
[ "$rc" -eq 0 ] || { echo "soak: SIGTERM ended the program with status $rc"; tail -40 "$out/program.log"; exit 1; }

hi=$(sed -n 's/^HiScore1=//p' "$store" | tail -1)
echo "soak: $seconds s, $events random events, $starts start(s); HiScore1 before 150, after ${hi:-missing}"
echo "soak: resident memory of the first run each 10 s (kB): ${samples[*]}"
hi2=$(sed -n 's/^HiScore2=//p' "$store" | tail -1)
# The menus' high-score entry clears both scores on purpose; anything else lower is a loss.
if [ "${hi:-}" = 0 ] && [ "${hi2:-}" = 0 ]; then
  echo "soak: both high scores were cleared, as the menus' high-score entry does"
elif [ -z "$hi" ] || [ "$hi" -lt 150 ]; then
  echo "soak: the stored high score was lost"; cat "$store"; exit 1
fi
if [ ${#samples[@]} -ge 8 ]; then
  base=${samples[6]} last=${samples[-1]}
  echo "soak: resident memory from 60 s to the end: $base kB -> $last kB"
  [ $((last - base)) -le 20480 ] || { echo "soak: resident memory grew by $((last - base)) kB"; exit 1; }
fi
rm -rf "$out"
echo "soak: passed"
