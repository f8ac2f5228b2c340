#!/usr/bin/env bash
# Makes the pictures of docs/ (shown in the README) from the pictures the trace tests keep:
# each snapshot of tests/trace/picture_*.script names the picture of docs/ it is, and the
# picture kept for it (NAME.NNNN.png, the Nth snapshot of the script), which the trace tests
# compare with what the painter paints, is copied there. After a change of the painter, renew
# the kept pictures first (cmake --build build-test --target rebaseline-traces, then review).
#   snapshots.sh          copies them
#   snapshots.sh --check  copies nothing; fails when a picture of docs/ is not its kept one
set -euo pipefail
cd "$(dirname "$0")/.."
check=0
[ "${1:-}" = "--check" ] && check=1
status=0
for script in tests/trace/picture_*.script; do
  base=${script%.script}
  n=0
  while read -r at _ word file _; do
    [ "$at" = at ] && [ "$word" = snapshot ] || continue
    n=$((n + 1))
    kept=$(printf '%s.%04d.png' "$base" "$n")
    case $file in docs/*) ;; *) continue ;; esac
    if [ ! -f "$kept" ]; then
      echo "snapshots: $kept is not kept yet (cmake --build BUILD --target" \
           "rebaseline-missing-pictures writes it)" >&2
      status=1
    elif [ "$check" = 1 ]; then
      if ! cmp -s "$kept" "$file"; then
        echo "snapshots: $file is not $kept (bash scripts/snapshots.sh copies it)" >&2
        status=1
      fi
    else
      cp "$kept" "$file"
    fi
  done <"$script"
done
[ "$check" = 1 ] || [ "$status" != 0 ] || echo "snapshots written to docs/"
exit "$status"
