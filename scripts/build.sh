#!/usr/bin/env bash
# Configures and builds one build folder: build.sh DIR [--target NAME]... [cmake options...]
# With targets, only they (and what they need) are built; without, everything.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
options=() targets=()
while [ $# -gt 0 ]; do
  if [ "$1" = --target ] && [ $# -ge 2 ]; then
    targets+=(--target "$2")
    shift 2
  else
    options+=("$1")
    shift
  fi
done
jobs=$(nproc 2>/dev/null || echo 2)
generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S . -B "$dir" "${generator[@]}" "${options[@]}"
else
  cmake -S . -B "$dir" "${options[@]}" >/dev/null
fi
cmake --build "$dir" -j "$jobs" "${targets[@]}"
