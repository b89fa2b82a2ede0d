#!/usr/bin/env bash
# Configures and builds the project (Release) into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# Paths relative to the checkout in the compiler cache's keys: another
# clone (as CI makes) reuses what this one compiled.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build
