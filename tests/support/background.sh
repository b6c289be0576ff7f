# Sourced by scripts that start programs in the background: `work` is a scratch folder and
# `pids` the programs started (append with `pids+=($!)`); both are cleaned up on exit.
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# wait_for SECONDS COMMAND...: retries the command every 0.1 s.
wait_for() {
    local deadline=$((SECONDS + $1)); shift
    until "$@"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.1
    done
}

# Starts a virtual display of our own and exports DISPLAY; the sourcing script's `fail` reports
# a display that does not come up.
start_display() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" \
        2>"$work/xvfb.log" &
    pids+=($!)
    wait_for 10 test -s "$work/display" || fail "Xvfb did not start"
    export DISPLAY=:$(cat "$work/display")
    # The display number can be announced before clients get through; start nothing until they do.
    wait_for 10 xdpyinfo >/dev/null 2>&1 || fail "Xvfb took no clients on $DISPLAY"
}

# Starts the fake machine program ($fake) on loopback, keeping what it receives in
# $work/received; sets `port` to the port it listens on.
start_fake_machine() {
    "$fake" --address 127.0.0.1 --port 0 --name "E2E Machine" --save-to "$work/received" \
        >"$work/machine.log" 2>&1 </dev/null &
    pids+=($!)
    wait_for 10 grep -q "listening at" "$work/machine.log" || fail "the fake machine did not start"
    port=$(sed -n 's/.*listening at 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/machine.log")
}
