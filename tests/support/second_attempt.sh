# Sourced first by the end-to-end scripts. A virtual display, tray or compositor on a loaded
# machine now and then misses an event. One more attempt tells that apart from a real fault,
# which fails both times; the first failure stays in the log.
if [ -z "${BOBBINLARK_E2E_ATTEMPT:-}" ]; then
    status=0
    BOBBINLARK_E2E_ATTEMPT=1 "$0" "$@" || status=$?
    [ "$status" -eq 0 ] || [ "$status" -eq 77 ] && exit "$status"
    echo "first attempt failed (exit $status); trying once more"
    BOBBINLARK_E2E_ATTEMPT=2 exec "$0" "$@"
fi
