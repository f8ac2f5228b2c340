#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the test build (AddressSanitizer and
# UndefinedBehaviorSanitizer; with it the trace tool and the RetroArch core built plainly by
# GCC) and the browser edition (scripts/web.sh build: the golden traces run with its
# WebAssembly trace tool too, and the browser tests with its site), and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh build
# What only the tests need, then the browser edition, install and build beside the test build
# (the downloads and the WebAssembly compiles overlap the native compiles). One chain: apt-get
# runs one at a time. The tests' packages are in once deps.status says 0.
mkdir -p build-web
rm -f build-web/deps.status
(
  status=0
  bash scripts/install-deps.sh tests || status=$?
  echo "$status" >build-web/deps.status
  [ "$status" -eq 0 ] && bash scripts/web.sh build
) >build-web/build.log 2>&1 &
web_build=$!
# Line tables only (-g1): the sanitizers' reports still name file and line, and the build spends
# about a tenth less time writing debug information nobody reads here. clang compiles this
# build in about two thirds of GCC's time (docs/benchmarks.md has the figures); GCC still
# builds the program users build (scripts/run.sh), and here the plain trace tool and core. The
# WebAssembly trace tool runs every golden trace with libc++, so the native clang and libc++
# tool would repeat it. The floors, the core and the trace tool at -O1 (Q50_SANITIZE_O1): the
# unit tests then take about a quarter less of the machine, for a build no longer.
bash scripts/build.sh build-test -DCMAKE_BUILD_TYPE=Debug -DQ50_SANITIZE=ON -DQ50_BENCH=OFF \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQ50_LIBCXX_TRACES=OFF -DQ50_SANITIZE_O1=ON \
  -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCMAKE_C_FLAGS_DEBUG=-g1 -DQ50_WEB_BUILD="$PWD/build-web"

web_failed() {
  cat build-web/build.log >&2
  echo "test: the tests' packages did not install or the browser edition did not build" >&2
  exit 1
}
while [ ! -s build-web/deps.status ]; do
  kill -0 "$web_build" 2>/dev/null || break
  sleep 1
done
[ "$(cat build-web/deps.status 2>/dev/null)" = 0 ] || web_failed

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
cd build-test
# Three slots a core: the end-to-end tests, started first, mostly wait on their screens and take
# one slot each, the computing tests two (tests/CMakeLists.txt), so the waiting ones all run at
# once while those keep the cores busy. At two tests more than cores the end-to-end ones held
# every slot for a minute with the cores a quarter idle. They start while the browser edition
# may still be building; its tests follow it, beside them, two at a time.
cores=$(nproc 2>/dev/null || echo 2)
rm -f native-tests.log web-tests.log
ctest --output-on-failure -j "$((cores * 3))" --timeout 600 -E '^web\.' >native-tests.log 2>&1 &
native_tests=$!
web_rc=0
if wait "$web_build"; then
  ctest --output-on-failure -j 2 --timeout 600 -R '^web\.' >web-tests.log 2>&1 || web_rc=$?
else
  web_rc=1
fi
native_rc=0
wait "$native_tests" || native_rc=$?
cat native-tests.log
[ -f web-tests.log ] && cat web-tests.log
if [ "$web_rc" -ne 0 ] && [ ! -f web-tests.log ]; then
  cd .. && web_failed
fi
[ "$native_rc" -eq 0 ] && [ "$web_rc" -eq 0 ]
