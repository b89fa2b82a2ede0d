#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Tests that need
# OpenGL run under a virtual X server.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
cd build
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j2 --timeout 900
