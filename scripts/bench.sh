#!/usr/bin/env bash
# Speed of the painting pipeline on a photograph (default: the bundled
# example, 2560 x 1600): median wall time of every stage over several runs of
# strovane-render --stats, per density level, and the stroke placement alone.
# Usage: scripts/bench.sh [PHOTO] [RUNS]   (after scripts/build.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
photo="${1:-build/bin/Resources/images/example.jpg}"
runs="${2:-5}"
render=(build/bin/strovane-render)
[ -n "${DISPLAY:-}" ] || render=(xvfb-run -a "${render[@]}")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

median() { sort -n | awk '{a[NR]=$1} END {if (NR) print (NR % 2 ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2); else print "-"}'; }

for level in 0 1 2; do
    log="$out/level$level.log"
    for ((i = 0; i < runs; i++)); do
        "${render[@]}" --stats --set density_level="$level" "$photo" "$out/painting.png" 2>>"$log" >/dev/null
    done
    strokes=$(grep -m1 -o 'placement level [0-9] on [0-9x]*: [0-9]* strokes' "$log" | awk '{print $6}')
    printf 'density level %s (%s strokes), median of %s runs:\n' "$level" "$strokes" "$runs"
    printf '  %-16s %8s ms\n' "request" "$(grep -o '^request 1: [0-9.]*' "$log" | awk '{print $3}' | median)"
    for stage in preprocessing placement adjustment painting smudge post-processing; do
        printf '  %-16s %8s ms\n' "$stage" "$(grep -o "stage $stage [0-9.]*" "$log" | awk '{print $3}' | median)"
    done
    printf '  %-16s %8s ms\n' "placing alone" "$(grep -o 'strokes in [0-9.]*' "$log" | awk '{print $3}' | median)"
done
