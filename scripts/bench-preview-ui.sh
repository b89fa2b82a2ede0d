#!/usr/bin/env bash
# How fast the program's preview answers a control, measured in the real
# window under Xvfb: the example photograph at fit zoom, the first preview
# of the image, then RUNS steps of the Brush Size slider (a stroke key)
# and of Texture Strength (a late-stage key) by arrow key, each timed from
# the change to the answered preview (the effect's "preview answered" log
# line). Prints the median of each. Uses the default settings otherwise.
#   scripts/bench-preview-ui.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${BENCH_INSIDE_XVFB:-}" ]; then
    scripts/build.sh >/dev/null
    BENCH_INSIDE_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
runs=${1:-7}
home=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$home"' EXIT
mkdir -p "$home/config/Velmora Labs"
# A window of known size at a known place, nothing over the module.
cat > "$home/config/Velmora Labs/Velmora Strovane 2.conf" <<CONF
[appMain]
vmMain_x=0
vmMain_y=0
vmMain_width=1200
vmMain_height=800
showStartupWindow=false
startWithPresetPanel=false
CONF
log=$home/log.txt
HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data \
STROVANE_UPDATE_URL=http://127.0.0.1:1/none QT_LOGGING_RULES="strovane.preview.info=true" \
    build/bin/vmstrovane2 >"$log" 2>&1 &
pid=$!

answers() { grep -c "TStrovane preview answered" "$log" || true; }
# Waits for answer number $1 and prints its time.
wait_answer() {
    for _ in $(seq 600); do
        if [ "$(answers)" -ge "$1" ]; then
            grep "TStrovane preview answered" "$log" | sed -n "$1p" | awk '{ print $(NF - 1) }'
            return
        fi
        sleep 0.1
    done
    echo "no preview answered; log:" >&2
    cat "$log" >&2
    exit 1
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
# Steps the focused slider RUNS times, right and left in turn.
steps() {
    local key
    for i in $(seq "$runs"); do
        key=Right; [ $((i % 2)) -eq 0 ] && key=Left
        local n=$(($(answers) + 1))
        xdotool key --window "$window" "$key"
        wait_answer "$n"
        sleep 0.3
    done
}

first=$(wait_answer 1)
window=$(xdotool search --onlyvisible --pid "$pid" | head -1)
xdotool windowfocus --sync "$window"
sleep 1
click 1043 604                # the Brush Size handle, which takes the focus
sleep 2
brush=$(steps | median)
click 1000 72                 # fold STROKE
click 1000 159                # open TEXTURE
sleep 1
click 914 217                 # the Texture Strength handle
sleep 2
texture=$(steps | median)
printf "%-28s %7d ms\n" "first preview (new image)" "$first"
printf "%-28s %7d ms (median of %d)\n" "brush size step" "$brush" "$runs"
printf "%-28s %7d ms (median of %d)\n" "texture strength step" "$texture" "$runs"
