#!/usr/bin/env bash
# Screenshots of the delivered skin as the desktop shows it at 100, 200 and 400 %, windowed
# (the device opened, everything lit), into docs/device-zoom-100.png, -200, -400.
#   bash scripts/zoom-shots.sh [BUILD_DIR]   (default build; the program must be built)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=$(mktemp -d)
source tests/e2e/xvfb.sh
trap 'cleanup; rm -rf "$out"' EXIT
start_xvfb 3840x3200 "$out"
wait_for 10 xdpyinfo
export XDG_CONFIG_HOME=$out/config ASAN_OPTIONS=detect_leaks=0 SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb
for zoom in 100 200 400; do
  mkdir -p "$XDG_CONFIG_HOME/Vantorel"
  printf 'SoundMode=2\nSplashScreen=0\nFullscreenMode=0\nZoom=%s\n' "$zoom" \
    >"$XDG_CONFIG_HOME/Vantorel/Quendrix50.conf"
  (cd "$build/run" && exec ./quendrix50) >"$out/log" 2>&1 &
  prog_pid=$!
  main=
  find_main() { main=$(xdotool search --onlyvisible --name '^Quendrix50$' | head -1); [ -n "$main" ]; }
  wait_for 20 find_main
  sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$main")"
  # OPEN, at the scale: the everything-on display.
  s=$((zoom / 100))
  xdotool mousemove $((X + 248 * s)) $((Y + 396 * s)) click 1 mousemove 0 0
  sleep 1
  import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "png24:docs/device-zoom-$zoom.png"
  kill -TERM "$prog_pid"; wait "$prog_pid" || true; prog_pid=
done
ls -l docs/device-zoom-*.png
