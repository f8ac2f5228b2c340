#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the program and starts it with the delivered skin,
# from its run folder (the program finds Config.ini, Graphics/ and Sound/ there). Only the
# program and its data are built: the tests, benchmarks and tools are not needed to play.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build --target quendrix50 -DCMAKE_BUILD_TYPE=Release -DQ50_TESTS=OFF \
  -DQ50_BENCH=OFF
cd build/run
exec ./quendrix50 "$@"
