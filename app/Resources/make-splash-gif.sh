#!/usr/bin/env bash
# Draws the splash animation (brush strokes laid one by one on a white
# ground) into splash.gif with ImageMagick. Run by hand when it changes; the
# result is committed.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

strokes=(
    "#e0a040 28 M 60,220 C 160,120 260,260 380,150"
    "#c8502c 22 M 120,90 C 200,60 300,110 420,70"
    "#2f7f6f 30 M 330,240 C 400,190 470,250 560,200"
    "#d9c45a 18 M 80,140 C 150,170 220,120 300,160"
    "#7a3b62 16 M 420,130 C 470,100 520,150 575,110"
    "#3c6ea8 24 M 200,250 C 260,210 320,270 390,230"
    "#e8d8b0 14 M 260,60 C 310,40 360,80 410,50"
    "#a8c060 20 M 40,80 C 90,50 140,100 200,60"
)
magick=$(command -v magick || command -v convert)
"$magick" -size 600x290 xc:white -type TrueColor "PNG24:$work/f00.png"
i=0
prev="$work/f00.png"
for s in "${strokes[@]}"; do
    read -r colour width path <<<"$s"
    i=$((i + 1))
    next=$(printf "%s/f%02d.png" "$work" "$i")
    "$magick" "$prev" -fill none -stroke "$colour" -strokewidth "$width" \
        -draw "stroke-linecap round path '$path'" "PNG24:$next"
    prev=$next
done
# Each stroke shows for 0.25 s, the finished picture for 1.5 s.
"$magick" -delay 25 "$work"/f0[0-7].png -delay 150 "$work/f08.png" -loop 0 -layers Optimize splash.gif
