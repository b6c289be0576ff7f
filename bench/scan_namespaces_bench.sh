#!/usr/bin/env bash
# Whole-program scan figures, taken from outside `bobbinlark-tool scan` in two network
# namespaces of our own (see tests/scan_namespaces.sh): a full /24 whose other addresses refuse,
# the time to a machine that is in the ARP cache, and a quiet network where every other address
# fails at ARP, with the ARP cache empty and with one machine in it. Needs root (or the isolated
# wrapper's user namespace).
#   bench/scan_namespaces_bench.sh [RUNS [OTHER_TOOL]]
# (release build, 5 runs by default; OTHER_TOOL, another build of bobbinlark-tool, is measured
# in the same runs, one scan after the other)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
other_tool=${2:-}
build=build/release
[ -f "$build/build.ninja" ] || cmake --preset release >/dev/null
cmake --build --preset release -j "${JOBS:-2}" --target bobbinlark-tool bobbinlark-fake-machine >/dev/null
isolated=../shared/tools/isolated
[ -x "$isolated" ] || isolated=
$isolated tests/scan_namespaces.sh "$build/tools/bobbinlark-tool" \
    "$build/tools/bobbinlark-fake-machine" --bench "$runs" $other_tool
