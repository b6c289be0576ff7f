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

# Starts a session bus of our own and exports its address. Programs it starts for the run (a
# panel's settings daemon) see the environment as it is now: export what they need first.
# Arguments run the bus through a command (as another user, say).
start_session_bus() {
    "$@" dbus-daemon --session --nofork --nosyslog --print-address=3 3>"$work/bus" \
        >"$work/bus.log" 2>&1 </dev/null &
    pids+=($!)
    wait_for 10 test -s "$work/bus" || fail "the session bus did not start"
    DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/bus")
    export DBUS_SESSION_BUS_ADDRESS
}

# The status-notifier items the watcher on the session bus holds, one line. Arguments run the
# query through a command (as the bus's user, say).
notifier_items() {
    "$@" gdbus call --session --dest org.kde.StatusNotifierWatcher \
        --object-path /StatusNotifierWatcher --method org.freedesktop.DBus.Properties.Get \
        org.kde.StatusNotifierWatcher RegisteredStatusNotifierItems 2>/dev/null
}

# tray_pixels COMMAND IMAGE CROP TRAY_COLOUR [COLOUR]: runs tray_pixels.py on a crop ("WxH+X+Y") of IMAGE.
tray_pixels() {
    local size=${3%%+*}
    convert "$2" -crop "$3" +repage -depth 8 rgb:- |
        python3 "$(dirname "${BASH_SOURCE[0]}")/tray_pixels.py" "$1" "${size%x*}" "${size#*x}" "${@:4}"
}

# icon_contrast TRAY SHOT BOX SCREEN_WIDTH BAR_HEIGHT COLOUR: the contrast of the icon at BOX
# ("x y w h") in the screenshot SHOT against a bar of COLOUR across the screen's top, measured
# with a few pixels of bar either side. Prints a FIGURE line, keeps a close-up in
# $output/tray/TRAY-COLOUR.png, and fails under 3:1.
icon_contrast() {
    local tray=$1 shot=$2 screen_width=$4 bar_height=$5 colour=$6 x y w h left right crop ratio
    read -r x y w h <<<"$3"
    left=$((x > 4 ? x - 4 : 0)) right=$((x + w + 4 < screen_width ? x + w + 4 : screen_width))
    crop="$((right - left))x$bar_height+$left+0"
    ratio=$(tray_pixels contrast "$shot" "$crop" "$colour")
    mkdir -p "$output/tray"
    convert "$shot" -crop "$crop" +repage -scale 400% "$output/tray/$tray-$colour.png"
    echo "FIGURE $tray icon on #$colour: contrast $ratio:1 (icon ${w}x$h)"
    awk -v r="$ratio" 'BEGIN { exit !(r >= 3) }' ||
        fail "the icon's contrast on #$colour is $ratio:1, under 3:1"
}

# gap X Y W H X Y W H: pixels between two rectangles (0 when they touch or overlap).
gap() {
    local dx=0 dy=0
    [ "$1" -gt $(($5 + $7)) ] && dx=$(($1 - $5 - $7))
    [ "$5" -gt $(($1 + $3)) ] && dx=$(($5 - $1 - $3))
    [ "$2" -gt $(($6 + $8)) ] && dy=$(($2 - $6 - $8))
    [ "$6" -gt $(($2 + $4)) ] && dy=$(($6 - $2 - $4))
    echo $((dx > dy ? dx : dy))
}

# The seven trays an icon must read on.
tray_colours=(000000 202020 353535 808080 c0c0c0 f0f0f0 ffffff)

# Seconds since the epoch with milliseconds, for figures measured from outside.
now_ms() { date +%s%3N; }

# median N...: the middle of the numbers given.
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# How many times the desktop tests time a click on the icon until the panel is mapped (measured
# from outside); `make bench-click` asks for more than one.
click_rounds=${BOBBINLARK_CLICK_ROUNDS:-1}

# watch_maps [COMMAND...]: from now on, each window mapped on $DISPLAY's root is a line
# "MILLISECONDS WINDOW" in $work/maps, stamped as the X server's notice arrives (polling the
# window list costs a tenth of a second a look on a loaded machine). Arguments run the watcher
# through a command (as the display's user, say).
watch_maps() {
    : >"$work/maps"
    "$@" stdbuf -oL xev -root -event substructure 2>/dev/null | while IFS= read -r line; do
        case $line in
        MapNotify*) read -r line && echo "$(now_ms) $(sed -n 's/.*window \(0x[0-9a-f]*\).*/\1/p' <<<"$line")" ;;
        esac
    done >>"$work/maps" &
    pids+=($!)
    sleep 0.5 # listening before anything is clicked
}

# mapped_after MILLISECONDS: when the first window mapped after that time was, or nothing.
mapped_after() { awk -v t="$1" '$1 >= t { print $1; exit }' "$work/maps"; }
