#!/usr/bin/env bash
# Builds the Release benchmark build (build-bench/) and runs every benchmark, one line per
# figure:
#   bash scripts/bench.sh
# core speed, painting and the real-time driver's timing run headless; start-up and idle cost
# run the desktop program in its own Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh >/dev/null
bash scripts/build.sh build-bench -DCMAKE_BUILD_TYPE=Release -DQ50_TESTS=OFF >/dev/null
echo "bench: $(git rev-parse --short HEAD 2>/dev/null || echo '?'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
build-bench/bench/bench_core_speed
build-bench/bench/bench_paint data
QT_QPA_PLATFORM=offscreen build-bench/bench/bench_timing
build-bench/bench/bench_audio_latency data 2>/dev/null
build-bench/bench/bench_audio_latency data --load 2 2>/dev/null
bash bench/desktop.sh build-bench/run build-bench/bench/bench_startup_reference build-bench/bench/bench_first_frame
