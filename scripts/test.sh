#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the test build (AddressSanitizer and
# UndefinedBehaviorSanitizer), with it the trace tool for clang and libc++ (the golden traces
# run with both), and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# Line tables only (-g1): the sanitizers' reports still name file and line, and the build spends
# about a tenth less time writing debug information nobody reads here.
bash scripts/build.sh build-test -DCMAKE_BUILD_TYPE=Debug -DQ50_SANITIZE=ON -DQ50_BENCH=OFF \
  -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCMAKE_C_FLAGS_DEBUG=-g1
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
cd build-test
# Two tests more than cores: the end-to-end tests, started first, mostly wait on their screens,
# and the other tests keep the cores busy meanwhile.
cores=$(nproc 2>/dev/null || echo 2)
ctest --output-on-failure -j "$((cores + 2))" --timeout 600
