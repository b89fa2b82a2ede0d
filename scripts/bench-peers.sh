#!/usr/bin/env bash
# Our renderer against the programs people use instead for a painted look:
# G'MIC's painting filter and ImageMagick's -paint, on the same photo, run in
# turn RUNS times. Prints each one's median wall time and peak memory and
# our ratios to them. Installs gmic and imagemagick for itself.
#   scripts/bench-peers.sh [PHOTO] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
photo=${1:-build/bin/Resources/images/example.jpg}
runs=${2:-5}

missing=()
command -v gmic >/dev/null || missing+=(gmic)
[ -x /usr/bin/convert ] || missing+=(imagemagick)
[ -x /usr/bin/time ] || missing+=(time)
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi
scripts/build.sh >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Wall seconds and peak resident kilobytes of one run.
measure() {
    local name=$1
    shift
    if ! /usr/bin/time -f "$name %e %M" -a -o "$work/times" "$@" >"$work/$name.log" 2>&1; then
        echo "$name failed:" >&2
        cat "$work/$name.log" >&2
        exit 1
    fi
}
for _ in $(seq "$runs"); do
    measure strovane build/bin/strovane-render "$photo" "$work/strovane.png"
    measure gmic gmic "$photo" fx_painting 1.5,1.5,0.5,0,0,0,0 o "$work/gmic.png"
    measure imagemagick /usr/bin/convert "$photo" -paint 4 "$work/imagemagick.png"
done

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
field() { awk -v n="$1" -v f="$2" '$1 == n { print $f }' "$work/times" | median; }
size=$(identify -format "%w x %h" "$photo" 2>/dev/null || echo "?")
echo "photo: $photo ($size), median of $runs runs, $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
printf "%-12s %9s %12s\n" "program" "wall s" "peak MB"
for name in strovane gmic imagemagick; do
    printf "%-12s %9.2f %12.0f\n" "$name" "$(field "$name" 2)" "$(awk -v k="$(field "$name" 3)" 'BEGIN { print k / 1024 }')"
done
ratio() { awk -v a="$(field strovane 2)" -v b="$(field "$1" 2)" 'BEGIN { print a / b }'; }
printf "strovane / gmic        %.2f (goal <= 0.25)\n" "$(ratio gmic)"
# A large photo (20 megapixels and more) has goals of its own.
megapixels=$(identify -format "%[fx:floor(w*h/1000000)]" "$photo" 2>/dev/null || echo 0)
if [ "$megapixels" -ge 20 ]; then
    printf "strovane / imagemagick %.2f (goal <= 0.8)\n" "$(ratio imagemagick)"
    printf "strovane peak          %.2f GB (goal <= 1.0)\n" "$(awk -v k="$(field strovane 3)" 'BEGIN { print k / 1048576 }')"
else
    printf "strovane / imagemagick %.2f (goal <= 1.0)\n" "$(ratio imagemagick)"
fi
