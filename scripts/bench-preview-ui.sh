#!/usr/bin/env bash
# How fast the program answers as the user feels it: the real window under
# Xvfb with a new user's settings (the welcome, the Styles panel first),
# each step timed from the key or click to the moment the view's pixels
# hold still: the first painting after launch, style clicks, Brush Size
# steps in the default style, Brush Size to 0.92 in the palette-knife
# style, and a zoom from fit to 100 %. Prints the goal beside each figure.
#   scripts/bench-preview-ui.sh [PHOTO] [RUNS]
# Without PHOTO the bundled example opens.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >/dev/null
exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" build/bin/strovane-bench-ui "$@"
