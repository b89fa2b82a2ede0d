#!/usr/bin/env bash
# Paints the reference renders the tests compare new renders with
# (tools/strovane-render/tests/data/references). Run it only when a change
# of the pictures is intended, and look at the new ones before committing.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >/dev/null
refs=tools/strovane-render/tests/data/references
photo=build/bin/Resources/images/example.jpg
render() { if [ -n "${DISPLAY:-}" ]; then build/bin/strovane-render "$@"; else xvfb-run -a build/bin/strovane-render "$@"; fi; }
# Keep in step with RenderCli.RendersMatchTheReferences.
render --decimation 4 "$photo" "$refs/default.png"
render --decimation 4 --set density_level=0 --set stroke_paint_volume=0.6 "$photo" "$refs/level0-relief.png"
render --decimation 4 --preset "$refs/impasto.json" "$photo" "$refs/impasto.png"
render --decimation 4 --preset "$refs/hatching.json" --set vignette_midpoint=0.5 "$photo" "$refs/hatching-vignette.png"
