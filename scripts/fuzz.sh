#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UBSan) in
# build-fuzz/ and runs each for SECONDS (default 60), starting from the
# committed seeds in fuzz/corpus/<target> and keeping what it finds new in
# build-fuzz/corpus/<target>. A crash stops the run with its input saved
# under build-fuzz/artifacts/ and exit status 1. Prints the executions
# per target.
#
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

scripts/install-deps.sh
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
# Whole stacks, which the leak suppressions need (system libraries have no
# frame pointers).
export ASAN_OPTIONS="detect_leaks=1:fast_unwind_on_malloc=0"
export LSAN_OPTIONS="suppressions=$PWD/scripts/sanitizers.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTROVANE_FUZZ=ON \
    -DBUILD_TESTING=OFF -DSTROVANE_HAVE_M32=OFF >/dev/null
cmake --build build-fuzz --target fuzzers

mkdir -p build-fuzz/artifacts
summary=()
status=0
for seeds in fuzz/corpus/*/; do
    name="$(basename "$seeds")"
    corpus="build-fuzz/corpus/$name"
    mkdir -p "$corpus"
    log="build-fuzz/$name.log"
    if ! "build-fuzz/bin/${name}_fuzzer" -max_total_time="$seconds" -max_len=16384 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="build-fuzz/artifacts/$name-" "$corpus" "$seeds" >"$log" 2>&1; then
        status=1
        echo "$name: FOUND A FAULT (see $log and build-fuzz/artifacts/)" >&2
        tail -40 "$log" >&2
    fi
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
    summary+=("$(printf '%-24s %12s executions in %ss' "$name" "${runs:-?}" "$seconds")")
done
printf '%s\n' "${summary[@]}"
exit "$status"
