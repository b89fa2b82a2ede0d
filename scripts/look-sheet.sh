#!/usr/bin/env bash
# Guards the look when a change moves the strokes: paints the example and
# three photographs of our own making (a harbour, a portrait, a forest) with
# the renderer of REV (default HEAD) and with the working tree's, prints for
# each the stroke counts and how far the colours of the 32 x 32 blocks of the
# blurred paintings moved, and draws the side-by-side sheet (REV left).
#   scripts/look-sheet.sh [REV] [OUT_DIR]
# OUT_DIR defaults to build/look-sheet; the sheet is OUT_DIR/sheet.png.
set -euo pipefail
cd "$(dirname "$0")/.."
rev=${1:-HEAD}
out=${2:-build/look-sheet}

command -v montage >/dev/null || {
    sudo_cmd=(); [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq imagemagick >/dev/null
}
scripts/build.sh >/dev/null

# The renderer of REV, built once per revision beside the build.
old=build-look/$(git rev-parse --short "$rev")
if [ ! -x "$old/build/bin/strovane-render" ]; then
    rm -rf "$old" && mkdir -p "$old"
    git archive "$rev" | tar -x -C "$old"
    (cd "$old" && export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1 &&
        cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null &&
        cmake --build build --target strovane-render brush_data canvas_data >/dev/null)
fi

mkdir -p "$out"
photos=$out/photos
mkdir -p "$photos"
cp build/bin/Resources/images/example.jpg "$photos/example.jpg"
# Seeded, so that every run paints the same photographs.
convert -size 2000x1250 gradient:'#7fa8d8-#f2e6d0' \
    \( -size 2000x560 -seed 11 plasma:'#1c4a66-#0a2236' -blur 0x1.5 \) -gravity south -composite \
    -fill '#e8e0d0' -draw 'polygon 300,690 760,690 700,780 360,780' -fill '#8a2a1a' -draw 'rectangle 520,430 540,690' \
    -fill '#f4f0e8' -draw 'polygon 545,450 545,680 700,680' -fill '#3a3a40' -draw 'rectangle 1200,520 1900,700' \
    -fill '#c8b89a' -draw 'rectangle 1260,430 1840,520' -quality 92 "$photos/harbour.jpg"
convert -size 1200x1600 radial-gradient:'#6a7a5a-#1e2418' \
    -fill '#5a3424' -draw 'ellipse 600,560 330,380 0,360' -fill '#d9a68a' -draw 'ellipse 600,700 250,330 0,360' \
    -fill '#2a1a12' -draw 'ellipse 510,640 28,16 0,360' -draw 'ellipse 690,640 28,16 0,360' \
    -fill '#a85a50' -draw 'ellipse 600,880 70,22 0,360' -fill '#30405a' -draw 'ellipse 600,1600 520,420 180,360' \
    -blur 0x3 -seed 5 -attenuate 0.4 +noise Gaussian -quality 92 "$photos/portrait.jpg"
convert -size 1800x1200 -seed 3 plasma:'#2e5a24-#9ab04a' -blur 0x2 \
    -fill '#3a2a1c' -draw 'rectangle 200,300 260,1200' -draw 'rectangle 620,200 700,1200' \
    -draw 'rectangle 1100,350 1150,1200' -draw 'rectangle 1500,250 1590,1200' \
    -fill '#e8e4b0' -draw 'circle 900,120 900,60' -quality 92 "$photos/forest.jpg"

render() { # BINARY PHOTO OUT [ARGS...] -> prints the stroke count
    local bin=$1 photo=$2 png=$3; shift 3
    xvfb-run -a "$bin" --stats --decimation 2 "$@" "$photo" "$png" 2>&1 |
        sed -n 's/.*placement level [0-9]* on [0-9x]*: \([0-9]*\) strokes.*/\1/p' | head -1
}
# Mean and worst colour change of the 32 x 32 blocks (of the full
# painting) after a blur of about a stroke, in 8-bit levels.
blocks() {
    local size
    size=$(identify -format '%[fx:int(w/16)]x%[fx:int(h/16)]!' "$1")
    convert "$1" -blur 0x8 -filter box -resize "$size" "$out/a.miff"
    convert "$2" -blur 0x8 -filter box -resize "$size" "$out/b.miff"
    local mean peak
    mean=$(compare -metric MAE "$out/a.miff" "$out/b.miff" null: 2>&1 | sed 's/.*(\(.*\)).*/\1/')
    peak=$(compare -metric PAE "$out/a.miff" "$out/b.miff" null: 2>&1 | sed 's/.*(\(.*\)).*/\1/')
    awk -v m="$mean" -v p="$peak" 'BEGIN { printf "%5.1f %5.1f", m * 255, p * 255 }'
}

printf '%-16s %8s %8s %8s %12s %12s\n' "" "strokes" "" "" "blocks moved" ""
printf '%-16s %8s %8s %8s %12s %12s\n' photo before after change mean worst
rows=()
for case in example harbour portrait forest example:impasto; do
    photo=${case%%:*}
    args=()
    [ "$case" = example:impasto ] && args=(--preset tools/strovane-render/tests/data/references/impasto.json)
    name=${case/:/-}
    before=$(render "$old/build/bin/strovane-render" "$photos/$photo.jpg" "$out/$name-before.png" "${args[@]}")
    after=$(render build/bin/strovane-render "$photos/$photo.jpg" "$out/$name-after.png" "${args[@]}")
    read -r mean peak <<<"$(blocks "$out/$name-before.png" "$out/$name-after.png")"
    change=$(awk -v a="$before" -v b="$after" 'BEGIN { printf "%+.1f%%", 100 * (b - a) / a }')
    printf '%-16s %8s %8s %8s %12s %12s\n' "$name" "$before" "$after" "$change" "$mean" "$peak"
    montage -label "$name: $rev, $before strokes" "$out/$name-before.png" \
        -label "$name: working tree, $after strokes" "$out/$name-after.png" \
        -tile 2x1 -geometry 900x+6+6 -pointsize 22 "$out/$name-sheet.png"
    rows+=("$out/$name-sheet.png")
done
convert "${rows[@]}" -append "$out/sheet.png"
rm -f "$out/a.miff" "$out/b.miff"
echo "sheet: $out/sheet.png (the stroke count should stay within 3 %, the blocks within a few levels)"
