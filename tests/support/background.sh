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
