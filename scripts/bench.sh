#!/usr/bin/env bash
# Builds the Release benchmark build (build-bench/) and runs every benchmark, one line per
# figure:
#   bash scripts/bench.sh
# core speed, painting (also at a scale and with the LCD look), audio latency and the real-time
# driver's timing run headless; the frame into the window, start-up and idle cost, and the idle
# cost with and without a game controller run in an Xvfb of their own.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh >/dev/null
bash scripts/build.sh build-bench -DCMAKE_BUILD_TYPE=Release -DQ50_TESTS=OFF >/dev/null
echo "bench: $(git rev-parse --short HEAD 2>/dev/null || echo '?'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
build-bench/bench/bench_core_speed
build-bench/bench/bench_paint data
build-bench/bench/bench_paint_scaled build-bench/run
build-bench/bench/bench_lcd_look build-bench/run
QT_QPA_PLATFORM=offscreen build-bench/bench/bench_timing
build-bench/bench/bench_audio_latency data 2>/dev/null
build-bench/bench/bench_audio_latency data --load 2 2>/dev/null
(
  out=$(mktemp -d)
  source tests/e2e/xvfb.sh
  start_xvfb 1024x768 "$out" >/dev/null
  QT_QPA_PLATFORM=xcb build-bench/bench/bench_backing_store 41
  rm -rf "$out"
)
bash bench/desktop.sh build-bench/run build-bench/bench/bench_startup_reference build-bench/bench/bench_first_frame
bash bench/idle_controllers.sh build-bench/run 30
