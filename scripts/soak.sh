#!/usr/bin/env bash
# Soak tests, outside the test command's time budget:
#   bash scripts/soak.sh [HOURS]              the randomised whole-device test for HOURS of
#                                             simulated play (default 100) under AddressSanitizer
#                                             and UndefinedBehaviorSanitizer
#   bash scripts/soak.sh --desktop [SECONDS]  the desktop program under Xvfb for SECONDS (default
#                                             600) of random real key and mouse events
# Both use the sanitized test build in build-test/.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=device
if [ "${1:-}" = "--desktop" ]; then mode=desktop; shift; fi
bash scripts/install-deps.sh >/dev/null
bash scripts/build.sh build-test -DCMAKE_BUILD_TYPE=Debug -DQ50_SANITIZE=ON -DQ50_BENCH=OFF >/dev/null
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

if [ "$mode" = device ]; then
  hours=${1:-100}
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
  export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:print_suppressions=0}
  start=$SECONDS
  Q50_SOAK_HOURS=$hours build-test/tests/test_game --gtest_filter='Soak.*'
  echo "soak: $hours simulated hours took $((SECONDS - start)) s"
  exit 0
fi

exec bash scripts/desktop_soak.sh build-test/run "${1:-600}"
