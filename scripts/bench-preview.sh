#!/usr/bin/env bash
# How fast the preview answers a slider: the example photograph (or PHOTO)
# painted at the preview's reduction at fit zoom (1/3), then a late-stage
# change (texture strength) and a stroke change (brush size) with the
# caches of the first request, as the program's preview does. Prints the
# median of RUNS runs of each.
#   scripts/bench-preview.sh [PHOTO] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >/dev/null
photo=${1:-build/bin/Resources/images/example.jpg}
runs=${2:-5}
render() { if [ -n "${DISPLAY:-}" ]; then "$@"; else xvfb-run -a "$@"; fi; }
out=$(mktemp --suffix=.png)
times=$(mktemp)
trap 'rm -f "$out" "$times"' EXIT
for _ in $(seq "$runs"); do
    render build/bin/strovane-render --stats --decimation 3 \
        --then bg_canvas_texture_strength=0.5 --then stroke_brush_size=0.6 "$photo" "$out" 2>&1 \
        | awk '/^request [0-9]+:/ { sub(":", "", $2); print $2, $3 }' >> "$times"
done
names=("" "first preview (new image)" "texture strength" "brush size")
for r in 1 2 3; do
    median=$(awk -v r="$r" '$1 == r { print $2 }' "$times" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
    printf "%-26s median %7.1f ms of %d runs\n" "${names[$r]}" "$median" "$runs"
done
