#!/usr/bin/env bash
# End to end: `bobbinlark-tool scan` on a real interface, inside network namespaces of our own.
#
#   scan_namespaces.sh TOOL FAKE_MACHINE            the test (exit 0 pass, 1 fail, 77 skipped)
#   scan_namespaces.sh TOOL FAKE_MACHINE --bench N [OTHER_TOOL]
#                                                   N timed runs of each measured case, each run
#                                                   also of OTHER_TOOL when given (another build)
#
# Two namespaces joined by a veth pair: the scanning side has eth0 = 10.213.7.1/24; the other
# side holds every other address of that /24, with fake machines on port 443 of a few of them.
# The rest refuse at once. Then, as on a quiet home network, the other side keeps only the
# machines' addresses, so every other address fails at ARP. Nothing here reaches any network
# outside these namespaces: the range exists only inside them, and both are removed on exit.
set -euo pipefail

tool=${1:?usage: scan_namespaces.sh TOOL FAKE_MACHINE [--bench N [OTHER_TOOL]]}
fake=${2:?usage: scan_namespaces.sh TOOL FAKE_MACHINE [--bench N [OTHER_TOOL]]}
bench_runs=0
other_tool=
if [ "${3:-}" = --bench ]; then
    bench_runs=${4:-5}
    other_tool=${5:-}
fi

# shellcheck source=/dev/null
source "$(dirname "$0")/support/background.sh"
[ "$(id -u)" -eq 0 ] || skip "needs root to make network namespaces"
command -v ip >/dev/null || skip "needs iproute2 (ip)"

prefix=10.213.7
machines=(20 77 200)
suffix="$$-$RANDOM"
scan_ns="bl-scan-$suffix"
hosts_ns="bl-hosts-$suffix"
make_namespaces "$scan_ns" "$hosts_ns" "$prefix"
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
    pids+=($!)
done

# Runs the scan on the scanning side; stdout and stderr go to files named after $1.
scan() {
    local name=$1
    shift
    ip netns exec "$scan_ns" env QT_QPA_PLATFORM=offscreen "$tool" scan "$@" \
        >"$work/$name.out" 2>"$work/$name.err"
}

# Seconds from the start of the tool ($1, default the one tested) to each machine and to its
# end, taken from outside.
timed_scan() {
    local scanner=${1:-$tool} start line now found="" first=""
    start=$(date +%s.%N)
    while IFS= read -r line; do
        now=$(date +%s.%N)
        [ -n "$first" ] || first=$now
        found+=" $(sed -n 's/.*"host":"\([^"]*\)".*/\1/p' <<<"$line")@$now"
    done < <(ip netns exec "$scan_ns" env QT_QPA_PLATFORM=offscreen "$scanner" scan 2>"$work/timed.err")
    local end
    end=$(date +%s.%N)
    awk -v s="$start" -v f="${first:-$end}" -v e="$end" -v found="$found" -v who="$scanner" 'BEGIN {
        printf "%s: first machine %.3f s, whole scan %.3f s; each:", who, f - s, e - s
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
for host in "${machines[@]}"; do
    wait_for 10 grep -qs listening "$work/fake-$host.out" || fail "fake machine at $prefix.$host did not start"
done

# Leaves the other side only the machines' addresses: every other address fails at ARP.
quiet_network() {
    {
        for host in $(seq 2 254); do
            is_machine "$host" || echo "addr del $prefix.$host/24 dev peer0"
        done
    } | ip -n "$hosts_ns" -batch -
}

# Each tool that is measured, one after the other in every run.
scanners() {
    echo "$tool"
    [ -z "$other_tool" ] || echo "$other_tool"
}

# bench_case TITLE [cached]: each tool timed $bench_runs times from an empty ARP cache, or
# with "cached", one holding only the machine at .200.
bench_case() {
    echo "$1"
    for _ in $(seq "$bench_runs"); do
        for scanner in $(scanners); do
            ip -n "$scan_ns" neigh flush all
            [ -z "${2:-}" ] ||
                ip -n "$scan_ns" neigh replace "$prefix.200" lladdr "$mac" dev eth0 nud reachable
            timed_scan "$scanner"
        done
    done
}

if [ "$bench_runs" -gt 0 ]; then
    mac=$(ip -n "$hosts_ns" -br link show peer0 | awk '{ print $3 }')
    bench_case "Full /24, every other address refusing, empty ARP cache (tool start to end):"
    bench_case "Machine $prefix.200 alone in the ARP cache (tool start to first machine):" cached
    # A quiet network: nobody answers ARP for the other addresses, so each of their probes
    # waits until the connection fails (about 3 s without an ARP answer).
    quiet_network
    bench_case "Quiet network, empty ARP cache (the machines at .20, .77 and .200 to be found):"
    bench_case "Quiet network, $prefix.200 alone in the ARP cache:" cached
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

# 4. A quiet network with an empty ARP cache: the devices that answer the kernel's question
#    before the probes are probed first, wherever their addresses lie; the rest still are.
quiet_network
ip -n "$scan_ns" neigh flush all
scan quiet || fail "scan of the quiet network exited with $?"
[ "$(wc -l <"$work/quiet.out")" -eq "${#machines[@]}" ] || fail "quiet: expected ${#machines[@]} machines"
grep -q "^probed 253 candidates in " "$work/quiet.err" || fail "quiet: not every address probed"
for host in "${machines[@]}"; do
    probe=$(sed -n "s/^answered: $prefix\.$host, probe \([0-9]*\)$/\1/p" "$work/quiet.err")
    [ -n "$probe" ] && [ "$probe" -le "${#machines[@]}" ] ||
        fail "quiet: $prefix.$host was probe ${probe:-none}, not among the first"
done

echo "PASS: found ${#machines[@]} machines among 253 addresses; $(tail -n 1 "$work/full.err")"
echo "PASS: on a quiet network the machines were the first probes; $(tail -n 1 "$work/quiet.err")"
