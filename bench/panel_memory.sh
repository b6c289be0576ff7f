#!/usr/bin/env bash
# The whole program's memory with 50 recent sends of a crafted design: 598,000 colour blocks of
# two points each in just under 3 MB (make_bench_designs' colour-runs.pes), 50 copies sent to the
# fake machine with bobbinlark-tool. The panel opens on a virtual display, its list is scrolled
# to the end and back so that every card draws its thumbnail, and the peak resident size
# (VmHWM) and the size then (VmRSS) are read from /proc. The goal is under 150 MB.
#   bench/panel_memory.sh BUILD_DIR
# Run it through ../shared/tools/isolated (make bench-memory does).
set -euo pipefail

build=$1
for needed in Xvfb xdotool xdpyinfo; do
    command -v "$needed" >/dev/null || { echo "$needed is not installed" >&2; exit 1; }
done

# shellcheck source=/dev/null
source "$(dirname "$0")/../tests/support/background.sh"
fail() { echo "FAIL: $*" >&2; exit 1; }
mkdir -p "$work/config" "$work/run" "$work/designs"
chmod 700 "$work/run"
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

"$build/bench/make_bench_designs" "$work" >/dev/null
for i in $(seq -w 1 50); do cp "$work/colour-runs.pes" "$work/designs/runs-$i.pes"; done

start_display
"$build/tools/bobbinlark-fake-machine" --address 127.0.0.1 --port 0 --largest-design 4000000 \
    >"$work/machine.log" 2>&1 </dev/null &
pids+=($!)
wait_for 10 grep -q "listening at" "$work/machine.log" || fail "the fake machine did not start"
port=$(sed -n 's/.*listening at 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/machine.log")
"$build/tools/bobbinlark-tool" add-machine Bench 127.0.0.1 "$port" >/dev/null
"$build/tools/bobbinlark-tool" send "$work"/designs/*.pes >/dev/null || fail "the sends failed"

"$build/bobbinlark" >"$work/program.log" 2>&1 </dev/null &
program=$!
pids+=($!)
panel() {
    local id
    for id in $(xdotool search --onlyvisible --class bobbinlark 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        [ "$WIDTH" -eq 360 ] && [ "$HEIGHT" -eq 520 ] && echo "$X $Y" && return
    done
}
has_panel() { [ -n "$(panel)" ]; }
wait_for 15 has_panel || fail "the panel did not show"
read -r x y <<<"$(panel)"
sleep 2
# Over the list, to its end and back up, a few wheel steps at a time.
xdotool mousemove $((x + 180)) $((y + 420))
for direction in 5 4; do
    for _ in $(seq 40); do
        xdotool click --repeat 3 "$direction"
        sleep 0.15
    done
done
sleep 3
status() { sed -n "s/^$1:[[:space:]]*\([0-9]*\) kB/\1/p" "/proc/$program/status"; }
echo "50 cards of colour-runs.pes ($(stat -c %s "$work/colour-runs.pes") bytes):" \
    "peak $(($(status VmHWM) / 1024)) MB, now $(($(status VmRSS) / 1024)) MB"
