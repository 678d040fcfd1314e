#!/usr/bin/env bash
# Start-up time of the client to its sign-in window, against a Qt window with a label and a
# line edit (bench/startup): each started RUNS times in turn on a private Xvfb display, timed
# from the start until its window is mapped; prints both medians and their ratio.
# Usage: scripts/startup-ratio.sh [RUNS]   (BUILD_DIR as for build.sh, default build)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-15}
build=$(cd "${BUILD_DIR:-build}" && pwd)
client=$build/bin/kel14
anchor=$build/bench/startup_text_window
for program in "$client" "$anchor"; do
    [[ -x $program ]] || { echo "missing $program: build first" >&2; exit 1; }
done

display=99
while [[ -e /tmp/.X$display-lock ]]; do display=$((display + 1)); done
work=$(mktemp -d)
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
cleanup() {
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=:$display QT_QPA_PLATFORM=xcb
for _ in $(seq 100); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.05
done
xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start on :$display" >&2; exit 1; }
# The client keeps its settings and history where it runs; they stay in a folder of their own.
export HOME=$work XDG_CONFIG_HOME=$work/config

# Milliseconds from the start of a program until its window whose title begins so is mapped
# (Qt adds the application's name).
time_to_window() {
    local program=$1 title=$2 start end pid
    start=$(date +%s%N)
    (cd "$work" && exec "$program") >"$work/output" 2>&1 &
    pid=$!
    until xdotool search --onlyvisible --name "^$title" >/dev/null 2>&1; do
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "$program exited before its window was mapped:" >&2
            cat "$work/output" >&2
            return 1
        fi
        # A pause between looks, so that the looks do not crowd the display's connections.
        sleep 0.005
    done
    end=$(date +%s%N)
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo $(((end - start) / 1000000))
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

client_ms=() anchor_ms=()
for _ in $(seq "$runs"); do
    client_ms+=("$(time_to_window "$client" "Аутентификация")")
    anchor_ms+=("$(time_to_window "$anchor" "Текстовое окно")")
done
client_median=$(printf '%s\n' "${client_ms[@]}" | median)
anchor_median=$(printf '%s\n' "${anchor_ms[@]}" | median)
echo "start to the sign-in window: median $client_median ms; text window: median $anchor_median ms ($runs runs each)"
awk -v c="$client_median" -v a="$anchor_median" \
    'BEGIN { printf "start vs text window ratio: %.2f\n", (a > 0 ? c / a : 0) }'
