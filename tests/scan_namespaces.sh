#!/usr/bin/env bash
# End to end: `bobbinlark-tool scan` on a real interface, inside network namespaces of our own.
#
#   scan_namespaces.sh TOOL FAKE_MACHINE            the test (exit 0 pass, 1 fail, 77 skipped)
#   scan_namespaces.sh TOOL FAKE_MACHINE --bench N  N timed runs of each measured case
#
# Two namespaces joined by a veth pair: the scanning side has eth0 = 10.213.7.1/24; the other
# side holds every other address of that /24, with fake machines on port 443 of a few of them.
# The rest refuse at once. Nothing here reaches any network outside these namespaces: the range
# exists only inside them, and both are removed on exit.
set -euo pipefail

tool=${1:?usage: scan_namespaces.sh TOOL FAKE_MACHINE [--bench N]}
fake=${2:?usage: scan_namespaces.sh TOOL FAKE_MACHINE [--bench N]}
bench_runs=0
if [ "${3:-}" = --bench ]; then
    bench_runs=${4:-5}
fi

skip() {
    echo "SKIP: $*" >&2
    exit 77
}

[ "$(id -u)" -eq 0 ] || skip "needs root to make network namespaces"
command -v ip >/dev/null || skip "needs iproute2 (ip)"

prefix=10.213.7
machines=(20 77 200)
suffix="$$-$RANDOM"
scan_ns="bl-scan-$suffix"
hosts_ns="bl-hosts-$suffix"
work=$(mktemp -d)
fake_pids=()

cleanup() {
    for pid in "${fake_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    ip netns del "$scan_ns" 2>/dev/null || true
    ip netns del "$hosts_ns" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

ip netns add "$scan_ns" 2>/dev/null || skip "cannot make network namespaces here"
ip netns add "$hosts_ns" || skip "cannot make a second network namespace"
ip -n "$scan_ns" link add eth0 type veth peer name peer0 netns "$hosts_ns" ||
    skip "cannot make a veth pair"

ip -n "$scan_ns" link set lo up
ip -n "$scan_ns" addr add "$prefix.1/24" dev eth0
ip -n "$scan_ns" link set eth0 up
ip -n "$hosts_ns" link set lo up
is_machine() {
    local host
    for host in "${machines[@]}"; do
        [ "$host" = "$1" ] && return 0
    done
    return 1
}
# The machines' addresses first: the first is the primary, so the rest can be removed alone.
{
    for host in "${machines[@]}"; do
        echo "addr add $prefix.$host/24 dev peer0"
    done
    for host in $(seq 2 254); do
        is_machine "$host" || echo "addr add $prefix.$host/24 dev peer0"
    done
} | ip -n "$hosts_ns" -batch -
ip -n "$hosts_ns" link set peer0 up

for host in "${machines[@]}"; do
    ip netns exec "$hosts_ns" "$fake" --address "$prefix.$host" --port 443 \
        --machine-id "M-$host" --name "Machine $host" --serial "S-$host" \
        </dev/null >"$work/fake-$host.out" 2>&1 &
    fake_pids+=($!)
done
for host in "${machines[@]}"; do
    for _ in $(seq 100); do
        grep -q "listening" "$work/fake-$host.out" 2>/dev/null && break
        sleep 0.05
    done
    grep -q "listening" "$work/fake-$host.out" || {
        cat "$work/fake-$host.out" >&2
        echo "FAIL: fake machine at $prefix.$host did not start" >&2
        exit 1
    }
done

# Runs the scan on the scanning side; stdout and stderr go to files named after $1.
scan() {
    local name=$1
    shift
    ip netns exec "$scan_ns" env QT_QPA_PLATFORM=offscreen "$tool" scan "$@" \
        >"$work/$name.out" 2>"$work/$name.err"
}

# Seconds from the start of the tool to each machine and to its end, taken from outside.
timed_scan() {
    local start line now found="" first=""
    start=$(date +%s.%N)
    while IFS= read -r line; do
        now=$(date +%s.%N)
        [ -n "$first" ] || first=$now
        found+=" $(sed -n 's/.*"host":"\([^"]*\)".*/\1/p' <<<"$line")@$now"
    done < <(ip netns exec "$scan_ns" env QT_QPA_PLATFORM=offscreen "$tool" scan 2>"$work/timed.err")
    local end
    end=$(date +%s.%N)
    awk -v s="$start" -v f="${first:-$end}" -v e="$end" -v found="$found" 'BEGIN {
        printf "first machine %.3f s, whole scan %.3f s; each:", f - s, e - s
        n = split(found, items, " ")
        for (i = 1; i <= n; i++) { split(items[i], p, "@"); printf " %s %.3f", p[1], p[2] - s }
        printf "\n"
    }'
}

fail() {
    echo "FAIL: $*" >&2
    for f in "$work"/*.out "$work"/*.err; do
        [ -f "$f" ] && { echo "--- $f" >&2; cat "$f" >&2; }
    done
    exit 1
}

if [ "$bench_runs" -gt 0 ]; then
    echo "Full /24, every other address refusing, empty ARP cache (tool start to end):"
    for _ in $(seq "$bench_runs"); do
        ip -n "$scan_ns" neigh flush all
        timed_scan
        tail -n 1 "$work/timed.err"
    done
    mac=$(ip -n "$hosts_ns" -br link show peer0 | awk '{ print $3 }')
    echo "Machine $prefix.200 alone in the ARP cache (tool start to first machine):"
    for _ in $(seq "$bench_runs"); do
        ip -n "$scan_ns" neigh flush all
        ip -n "$scan_ns" neigh replace "$prefix.200" lladdr "$mac" dev eth0 nud reachable
        timed_scan
    done
    # The bound: nobody answers ARP for the other addresses, so each of their probes waits until
    # the connection fails (about 3 s without an ARP answer).
    {
        for host in $(seq 2 254); do
            is_machine "$host" || echo "addr del $prefix.$host/24 dev peer0"
        done
    } | ip -n "$hosts_ns" -batch -
    echo "Every other address silent, $prefix.200 alone in the ARP cache:"
    ip -n "$scan_ns" neigh flush all
    ip -n "$scan_ns" neigh replace "$prefix.200" lladdr "$mac" dev eth0 nud reachable
    timed_scan
    tail -n 1 "$work/timed.err"
    echo "Every other address silent, empty ARP cache:"
    ip -n "$scan_ns" neigh flush all
    timed_scan
    tail -n 1 "$work/timed.err"
    exit 0
fi

# 1. Every machine found, each once, as the info command prints it; the whole /24 probed.
scan full || fail "scan exited with $?"
[ "$(wc -l <"$work/full.out")" -eq "${#machines[@]}" ] || fail "expected ${#machines[@]} machines"
for host in "${machines[@]}"; do
    grep -q "\"host\":\"$prefix.$host\"" "$work/full.out" || fail "no answer from $prefix.$host"
    grep "\"host\":\"$prefix.$host\"" "$work/full.out" | grep -q "\"machineID\":\"M-$host\"" ||
        fail "wrong identity for $prefix.$host"
done
grep -q "^probed 253 candidates in " "$work/full.err" || fail "summary does not report 253 probes"

# 2. The probe port follows --port: nothing listens on 8443, so nothing is found.
scan other_port --port 8443 || fail "scan --port 8443 exited with $?"
[ ! -s "$work/other_port.out" ] || fail "machines found on a port nobody listens on"

# 3. The other side has only an interface named peer0, which is not one the scan uses.
set +e
ip netns exec "$hosts_ns" env QT_QPA_PLATFORM=offscreen "$tool" scan \
    >"$work/none.out" 2>"$work/none.err"
status=$?
set -e
[ "$status" -eq 1 ] || fail "scan without a usable interface exited with $status"
grep -qx "Couldn't scan the network. Make sure you're connected to Wi-Fi or Ethernet." \
    "$work/none.err" || fail "no-network message missing"

echo "PASS: found ${#machines[@]} machines among 253 addresses; $(tail -n 1 "$work/full.err")"
