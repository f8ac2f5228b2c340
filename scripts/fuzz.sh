#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 60):
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]   (targets: ini picture store script; default all)
# Corpora grow in build-fuzz/corpus/NAME; a crash leaves its input in build-fuzz/ and makes
# this script fail.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(ini picture store script)
bash scripts/install-deps.sh
CC=clang CXX=clang++ bash scripts/build.sh build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQ50_FUZZ=ON -DQ50_DESKTOP=OFF -DQ50_TESTS=OFF -DQ50_BENCH=OFF
build-fuzz/fuzz/make_fuzz_seeds build-fuzz/seeds
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
for name in "${targets[@]}"; do
  mkdir -p "build-fuzz/corpus/$name"
  echo "fuzz_$name: $seconds s"
  (cd build-fuzz && ./fuzz/fuzz_$name -max_total_time="$seconds" -timeout=10 \
     -rss_limit_mb=2048 -print_final_stats=1 "corpus/$name" "seeds/$name")
done
