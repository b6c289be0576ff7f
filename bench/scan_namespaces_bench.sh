#!/usr/bin/env bash
# Whole-program scan figures, taken from outside `bobbinlark-tool scan` in two network
# namespaces of our own (see tests/scan_namespaces.sh): a full /24 whose other addresses refuse,
# the time to a machine that is in the ARP cache, and the bound when the other addresses are
# silent. Needs root (or the isolated wrapper's user namespace).
#   bench/scan_namespaces_bench.sh [RUNS]     (release build, 5 runs by default)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
build=build/release
[ -f "$build/build.ninja" ] || cmake --preset release >/dev/null
cmake --build --preset release -j "${JOBS:-2}" --target bobbinlark-tool bobbinlark-fake-machine >/dev/null
isolated=../shared/tools/isolated
[ -x "$isolated" ] || isolated=
$isolated tests/scan_namespaces.sh "$build/tools/bobbinlark-tool" \
    "$build/tools/bobbinlark-fake-machine" --bench "$runs"
