#!/usr/bin/env bash
# Paints the delivered skin in a few moments of play with the trace tool and writes them to
# docs/ (shown in the documentation). Needs a build: bash scripts/build.sh build
set -euo pipefail
cd "$(dirname "$0")/.."
trace=${TRACE:-build/tools/quendrix-trace}
[ -x "$trace" ] || bash scripts/build.sh build -DQ50_TESTS=OFF >/dev/null
mkdir -p docs
run() { "$trace" --skin data >/dev/null; }

# The closed device, then every segment lit after opening.
run <<'S'
at 0 snapshot docs/device-closed.png
at 0 press open
at 0 snapshot docs/device-all-lit.png
S

# The clock at 10:42 in the morning.
run <<'S'
time 10:42
at 0 press open
at 0 press time
at 10 release time
at 20 snapshot docs/device-clock.png
S

# Game A in play: the hero at 3 raises the bomb under enemy 3's lit flame tip, and the next
# enemy step finds it: the miss.
run <<'S'
seed 4
at 0 press open
at 0 press game_a
at 10 release game_a
at 10700 press right
at 10750 release right
at 11100 press right
at 11150 release right
at 11200 show im_enemy_3_flame_3
at 11200 show im_enemy_3_flame_4
at 11200 snapshot docs/device-play-low.png
at 11210 press bomb
at 11260 release bomb
at 11270 snapshot docs/device-play-high-under-flame.png
at 13800 snapshot docs/device-miss.png
S

# The fifth bomb of a stage is handed over and the enemies are blown up.
run <<'S'
seed 4
at 0 press open
at 0 press game_a
at 10 release game_a
at 10700 set Bombs_Delivered 4
at 10700 hide im_pelko_1_body
at 10700 hide im_pelko_1_down
at 10700 set Pelko_Pos 5
at 10700 show im_pelko_5_body
at 10700 show im_pelko_5_down
at 10700 show im_partner_right_2
at 10700 hide im_partner_right_3
at 10710 press bomb
at 10760 release bomb
at 14500 snapshot docs/device-enemy-blast.png
S
# Game A in play with the unlit segments' shadow at 0, 10 and 25 % of their ink.
for shadow in 0 10 25; do
  "$trace" --skin data --lcd-shadow $shadow >/dev/null <<S
seed 4
at 0 press open
at 0 press game_a
at 10 release game_a
at 10700 press right
at 10750 release right
at 11100 snapshot docs/lcd-shadow-$shadow.png
S
done

# Halfway through an 80 ms fade, with a 10 % shadow: the hero has just stepped from 2 to 3.
"$trace" --skin data --lcd-shadow 10 --lcd-fade 80 >/dev/null <<'S'
seed 4
at 0 press open
at 0 press game_a
at 10 release game_a
at 10700 press right
at 10750 release right
at 11100 press right
at 11140 snapshot docs/lcd-fade-half.png
S
echo "snapshots written to docs/"
