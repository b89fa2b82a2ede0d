#!/usr/bin/env bash
# Installs what is missing, builds in Release, and paints the bundled example
# photograph with the default style. The painting is written to
# build/out/example-painting.png (or the path given as the first argument).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
out="${1:-build/out/example-painting.png}"
mkdir -p "$(dirname "$out")"
render=(build/bin/strovane-render build/bin/Resources/images/example.jpg "$out")
if [ -n "${DISPLAY:-}" ]; then
    "${render[@]}"
else
    # OpenGL needs an X display; a virtual one does when there is none.
    xvfb-run -a "${render[@]}"
fi
echo "The painting of the example photograph is at $(realpath "$out")"
