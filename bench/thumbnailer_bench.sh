#!/usr/bin/env bash
# The file-manager thumbnailer as a whole process, the way a file manager runs it: wall time
# (median of RUNS runs) and peak memory at 40 (the card size), 128, 256, 512 and 1024 pixels, on
# a big real design three times over (peacock-x3.dst, when ../shared/corpus or
# $BOBBINLARK_REAL_DESIGNS holds the peacock) and on a 3 MB design of stitches that all cross it
# (crossing.pec). Given a second thumbnailer (an older build), both are measured in the same run,
# alternating, and the PNGs of both are kept side by side.
#   bench/thumbnailer_bench.sh BUILD_DIR [OTHER_THUMBNAILER] [RUNS]
# A run that takes longer than TIMEOUT seconds (default 60) is cut and reported as such.
set -euo pipefail

build=$1 other=${2:-} runs=${3:-5} timeout_s=${TIMEOUT:-60}
thumbnailer=$build/tools/bobbinlark-thumbnailer
designs_dir=${BOBBINLARK_REAL_DESIGNS:-$(dirname "$0")/../../shared/corpus}
out=$build/bench-output/thumbnails
mkdir -p "$out"
command -v /usr/bin/time >/dev/null || { echo "/usr/bin/time is not installed" >&2; exit 1; }

peacock=$designs_dir/JulieStenning__01Peacock.dst
if [ -f "$peacock" ]; then
    "$build/bench/make_bench_designs" "$out" "$peacock" >/dev/null
    designs=("$out/peacock-x3.dst" "$out/crossing.pec")
else
    echo "no peacock design in $designs_dir: the crossing design only" >&2
    "$build/bench/make_bench_designs" "$out" >/dev/null
    designs=("$out/crossing.pec")
fi

programs=("$thumbnailer")
labels=(this)
if [ -n "$other" ]; then
    programs+=("$other")
    labels+=(other)
fi

# One run: prints "milliseconds peak-kilobytes cpu-milliseconds", or "cut" past the time-out.
# The processor time (user and system) tells the work apart from waiting on a busy machine.
run_once() {
    local program=$1 size=$2 design=$3 png=$4 start end status
    start=$(date +%s%N)
    status=0
    timeout "$timeout_s" /usr/bin/time -f "%M %U %S" -o "$out/rss" "$program" -s "$size" "$design" "$png" 2>>"$out/stderr" \
        || status=$?
    end=$(date +%s%N)
    if [ "$status" -eq 124 ]; then echo cut; return; fi
    [ "$status" -eq 0 ] || { echo "$program failed on $design at $size" >&2; exit 1; }
    read -r peak user system < <(tail -n 1 "$out/rss")
    echo "$(((end - start) / 1000000)) $peak $(awk -v u="$user" -v s="$system" 'BEGIN { print int((u + s) * 1000) }')"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

printf '%-16s %5s' design size
for label in "${labels[@]}"; do printf ' %14s %12s %10s' "$label ms" "$label cpu ms" "$label MB"; done
echo
for design in "${designs[@]}"; do
    name=$(basename "$design")
    for size in 40 128 256 512 1024; do
        printf '%-16s %5s' "$name" "$size"
        declare -A times=() cpus=() peaks=() cut=()
        for ((r = 0; r < runs; r++)); do
            for i in "${!programs[@]}"; do
                [ -n "${cut[$i]:-}" ] && continue
                result=$(run_once "${programs[$i]}" "$size" "$design" \
                    "$out/${name%.*}-$size-${labels[$i]}.png")
                if [ "$result" = cut ]; then cut[$i]=1; continue; fi
                read -r ms peak cpu <<<"$result"
                times[$i]+="$ms "
                cpus[$i]+="$cpu "
                [ "$peak" -gt "${peaks[$i]:-0}" ] && peaks[$i]=$peak
            done
        done
        for i in "${!programs[@]}"; do
            if [ -n "${cut[$i]:-}" ]; then
                printf ' %14s %12s %10s' ">${timeout_s}000" - -
            else
                ms=$(tr ' ' '\n' <<<"${times[$i]}" | grep . | median)
                cpu=$(tr ' ' '\n' <<<"${cpus[$i]}" | grep . | median)
                printf ' %14s %12s %10s' "$ms" "$cpu" "$((peaks[$i] / 1024))"
            fi
        done
        echo
        unset times cpus peaks cut
    done
done
echo "PNGs: $out"
