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

# The tests' own packages (Krita) first; the build installs the rest.
scripts/install-deps.sh --test
if [ "$sanitize" -eq 0 ]; then
    scripts/build.sh
    cd build
else
    # The build runs its generators: they are checked for leaks too, with
    # whole stacks, which the suppressions need (the system libraries have
    # no frame pointers).
    export ASAN_OPTIONS="detect_leaks=1:fast_unwind_on_malloc=0"
    export LSAN_OPTIONS="suppressions=$PWD/scripts/sanitizers.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    # Debug objects carry their folder; without it in the cache key a fresh
    # clone (as CI makes) reuses the compiler cache.
    export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
    cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSTROVANE_SANITIZE=ON -DSTROVANE_HAVE_M32=OFF
    cmake --build build-sanitize
    # The suite runs without leak checks: the GL driver (llvmpipe) allocates
    # from code it compiles at run time, whose frames no unwinder can name
    # (so no suppression can match them) and in which whole-stack unwinding
    # deadlocks. The fuzz targets check the parsers for leaks.
    export ASAN_OPTIONS="detect_leaks=0:detect_stack_use_after_return=1"
    # Without a session bus, D-Bus starts one by forking from a threaded
    # program, and the child locks up in the sanitizer's allocator, still
    # holding the program's single-instance socket: no bus at all here.
    export DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent/strovane-test-bus"
    cd build-sanitize
fi
# -noreset: by default the server resets whenever its last client leaves,
# and a test connecting in that moment is refused.
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure -j2 --timeout 900
