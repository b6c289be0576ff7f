#!/usr/bin/env bash
# Try Bobbinlark without a machine: a fake machine on loopback and the program with settings of
# its own (a temporary config folder holding that machine, selected), so the user's real
# settings are never read or written. Designs the fake machine receives are kept in the
# temporary folder while the demo runs.
#   demo.sh BUILD_DIR
set -euo pipefail

build=$1
shift
demo=$(mktemp -d -t bobbinlark-demo.XXXXXX)
machine_pid=
cleanup() {
    [ -z "$machine_pid" ] || { kill "$machine_pid" 2>/dev/null; wait "$machine_pid" 2>/dev/null; } || true
    rm -rf "$demo"
}
trap cleanup EXIT
trap "exit 130" INT TERM
mkdir -p "$demo/config" "$demo/run" "$demo/received"
chmod 700 "$demo/run"
export XDG_CONFIG_HOME=$demo/config XDG_RUNTIME_DIR=$demo/run

"$build/tools/bobbinlark-fake-machine" --address 127.0.0.1 --port 0 --name "Demo Machine" \
    --save-to "$demo/received" >"$demo/machine.log" 2>&1 </dev/null &
machine_pid=$!
for _ in $(seq 100); do grep -q "listening at" "$demo/machine.log" && break; sleep 0.1; done
port=$(sed -n 's/.*listening at 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$demo/machine.log")
[ -n "$port" ] || { cat "$demo/machine.log"; exit 1; }
"$build/tools/bobbinlark-tool" add-machine "Demo Machine" 127.0.0.1 "$port" >/dev/null
# Open the panel right away.
printf 'BobbinlarkOpenOnLaunch=true\n' >>"$XDG_CONFIG_HOME/Bobbinlark/Bobbinlark.conf"

echo "Demo machine at 127.0.0.1:$port; designs it receives go to $demo/received"
echo "Settings for this demo only: $XDG_CONFIG_HOME (yours are untouched)"
echo "Quit Bobbinlark (Ctrl+Q or its menu) to end the demo."
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    "$build/bobbinlark" "$@" || true
else
    echo "No display: running on a virtual one (xvfb-run)."
    xvfb-run -a "$build/bobbinlark" || true
fi
echo "--- the fake machine saw:"
grep -E "Received|not a design" "$demo/machine.log" || echo "(no designs)"
