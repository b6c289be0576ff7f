#!/usr/bin/env bash
# Start-up until the tray icon is shown, and idle memory, for Bobbinlark and for a bare Qt
# program that only shows a tray icon, side by side in one run on a virtual display with trayer
# as the tray. Alternates the two programs for ROUNDS rounds and prints medians.
#   bench/tray_startup.sh BUILD_DIR [ROUNDS]
# Run it through ../shared/tools/isolated (make bench-tray does).
set -euo pipefail

build=$1 rounds=${2:-7}
program=$build/bobbinlark bare=$build/bench/bare-tray
for needed in Xvfb trayer xdotool; do
    command -v "$needed" >/dev/null || { echo "$needed is not installed" >&2; exit 1; }
done

# shellcheck source=/dev/null
source "$(dirname "$0")/../tests/support/background.sh"
trap "exit 130" INT TERM
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
trayer --edge top --align right --widthtype request --height 24 --SetDockType true \
    --transparent false >/dev/null 2>&1 </dev/null &
pids+=($!)
sleep 1

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# A mapped window of that class no larger than a tray slot.
icon_shown() {
    local id
    for id in $(xdotool search --onlyvisible --class "$1" 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        [ "$WIDTH" -le 64 ] && [ "$HEIGHT" -le 64 ] && return 0
    done
    return 1
}

# measure NAME CLASS COMMAND...: prints "milliseconds rss_kB pss_kB".
measure() {
    local class=$1; shift
    local run=$work/run-$RANDOM
    mkdir -p "$run/config" "$run/runtime" && chmod 700 "$run/runtime"
    local start; start=$(now_ms)
    XDG_CONFIG_HOME=$run/config XDG_RUNTIME_DIR=$run/runtime "$@" >/dev/null 2>&1 </dev/null &
    local pid=$!
    until icon_shown "$class"; do
        kill -0 "$pid" 2>/dev/null || { echo "$* ended early" >&2; exit 1; }
    done
    local elapsed=$(($(now_ms) - start))
    sleep 3 # idle
    local rss pss
    rss=$(awk '/^Rss:/ {print $2}' "/proc/$pid/smaps_rollup")
    pss=$(awk '/^Pss:/ {print $2}' "/proc/$pid/smaps_rollup")
    kill "$pid"; wait "$pid" 2>/dev/null || true
    echo "$elapsed $rss $pss"
}

median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

: >"$work/bobbinlark" ; : >"$work/bare"
for round in $(seq "$rounds"); do
    measure bare-tray "$bare" >>"$work/bare"
    measure bobbinlark "$program" >>"$work/bobbinlark"
done

report() {
    local file=$1
    printf "%-11s icon shown %5s ms   idle RSS %7s kB   PSS %7s kB\n" "$2" \
        "$(cut -d' ' -f1 "$file" | median)" "$(cut -d' ' -f2 "$file" | median)" \
        "$(cut -d' ' -f3 "$file" | median)"
}
echo "medians of $rounds rounds (poll resolution: one xdotool call, a few ms)"
report "$work/bare" "bare-tray"
report "$work/bobbinlark" "bobbinlark"
bare_ms=$(cut -d' ' -f1 "$work/bare" | median)
ours_ms=$(cut -d' ' -f1 "$work/bobbinlark" | median)
bare_pss=$(cut -d' ' -f3 "$work/bare" | median)
ours_pss=$(cut -d' ' -f3 "$work/bobbinlark" | median)
awk -v a="$ours_ms" -v b="$bare_ms" -v p="$ours_pss" -v q="$bare_pss" 'BEGIN {
    printf "start-up ratio %.2fx (goal <= 2x); idle PSS difference %.1f MB (goal <= 15 MB)\n",
        a / b, (p - q) / 1024 }'
