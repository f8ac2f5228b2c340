#!/usr/bin/env bash
# Builds the generators and regenerates everything they make: data/ (Config.ini, the skin,
# backdrop and manual pictures, the sounds) and the window pictures in shell/pictures/.
# The output is the same byte for byte on every run and machine, so `git status` shows real
# changes only.
#   bash scripts/gen-data.sh [--preview FOLDER]   (also writes composites of the device)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh build-gen -DCMAKE_BUILD_TYPE=Release -DQ50_TESTS=OFF -DQ50_DESKTOP=OFF \
  -DQ50_BENCH=OFF >/dev/null
build-gen/tools/gen/sound/q50-gen-sound data/Sound
build-gen/tools/gen/art/q50-gen-art . "$@"
echo "gen-data: data/ and shell/pictures/ regenerated"
