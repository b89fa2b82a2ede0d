#!/usr/bin/env bash
# Paints the example photograph in every built-in style with strovane-render
# and writes the styles' thumbnails (modules/TEStrovane/styles/thumbnails);
# given style GUIDs, only those styles' thumbnails. Run by hand after
# changing styles.json; the small results are committed, so that the build
# needs no display.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >/dev/null
command -v convert >/dev/null && convert -version 2>/dev/null | grep -q ImageMagick \
    || { export DEBIAN_FRONTEND=noninteractive; apt-get install -y -qq imagemagick >/dev/null; }

styles=modules/TEStrovane/styles
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 - "$styles/styles.json" "$work" "$@" <<'PY'
import json, sys
styles = json.load(open(sys.argv[1]))["styles"]
chosen = set(sys.argv[3:])
unknown = chosen - {s["guid"] for s in styles}
if unknown:
    sys.exit("no built-in style " + ", ".join(sorted(unknown)))
with open(sys.argv[2] + "/list", "w") as out:
    for s in styles:
        if chosen and s["guid"] not in chosen:
            continue
        json.dump(s["preset"], open("%s/%s.json" % (sys.argv[2], s["guid"]), "w"))
        out.write("%s %s\n" % (s["guid"], s["thumbnail"]))
PY
render() { if [ -n "${DISPLAY:-}" ]; then "$@"; else xvfb-run -a "$@"; fi; }
while read -r guid thumbnail; do
    render build/bin/strovane-render --preset "$work/$guid.json" --decimation 4 \
        build/bin/Resources/images/example.jpg "$work/$guid.png" 2>/dev/null
    convert "$work/$guid.png" -resize 240x150 -quality 85 -strip "$styles/$thumbnail"
    echo "$thumbnail"
done < "$work/list"
