#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the test build (AddressSanitizer and
# UndefinedBehaviorSanitizer), with it the trace tool for clang and libc++ (the golden traces
# run with both), and the browser edition (scripts/web.sh build: the golden traces run with its
# WebAssembly trace tool too, and the browser tests with its site), and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# The browser edition builds beside the test build (its downloads and the WebAssembly compiles
# overlap the native compiles); its tests need it only when they run.
mkdir -p build-web
bash scripts/web.sh build >build-web/build.log 2>&1 &
web_build=$!
# Line tables only (-g1): the sanitizers' reports still name file and line, and the build spends
# about a tenth less time writing debug information nobody reads here.
bash scripts/build.sh build-test -DCMAKE_BUILD_TYPE=Debug -DQ50_SANITIZE=ON -DQ50_BENCH=OFF \
  -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCMAKE_C_FLAGS_DEBUG=-g1 -DQ50_WEB_BUILD="$PWD/build-web"
if ! wait "$web_build"; then
  cat build-web/build.log >&2
  echo "test: the browser edition did not build" >&2
  exit 1
fi
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
