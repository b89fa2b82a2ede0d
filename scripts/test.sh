#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Tests that need
# OpenGL run under a virtual X server.
#
#   scripts/test.sh             Release build in build/, the whole suite
#   scripts/test.sh --sanitize  the same with AddressSanitizer and
#                               UndefinedBehaviorSanitizer (Debug, frame
#                               pointers) in build-sanitize/
set -euo pipefail
cd "$(dirname "$0")/.."

sanitize=0
case "${1:-}" in
    --sanitize) sanitize=1 ;;
    "") ;;
    *) echo "usage: scripts/test.sh [--sanitize]" >&2; exit 2 ;;
esac

if [ "$sanitize" -eq 0 ]; then
    scripts/build.sh
    cd build
else
    scripts/install-deps.sh
    # Leaks are reported at exit; the suppressions name the system
    # libraries' own, each with its reason, and need whole stacks.
    export ASAN_OPTIONS="detect_leaks=1:fast_unwind_on_malloc=0:strict_string_checks=1:detect_stack_use_after_return=1"
    export LSAN_OPTIONS="suppressions=$PWD/scripts/sanitizers.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    # Debug objects carry their folder; without it in the cache key a fresh
    # clone (as CI makes) reuses the compiler cache.
    export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
    cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSTROVANE_SANITIZE=ON -DSTROVANE_HAVE_M32=OFF
    cmake --build build-sanitize
    cd build-sanitize
fi
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j2 --timeout 900
