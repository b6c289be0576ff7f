# Sourced by the end-to-end scripts: `work` is a scratch folder and `pids` the programs started
# (append with `pids+=($!)`); both are cleaned up on exit, with the network namespaces that
# make_namespaces made. A script may define its own `fail` after sourcing this.
work=$(mktemp -d)
pids=() namespaces=()
cleanup() {
    local ns pid
    # Every process a namespace holds was started by this run; they go before the namespaces.
    for ns in "${namespaces[@]}"; do
        for pid in $(ip netns pids "$ns" 2>/dev/null); do kill "$pid" 2>/dev/null || true; done
    done
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    for ns in "${namespaces[@]}"; do
        wait_for 2 test -z "$(ip netns pids "$ns" 2>/dev/null)" || true
        ip netns del "$ns" 2>/dev/null || true
    done
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

# stop PID: ends a program this run started.
stop() {
    kill "$1"
    wait "$1" 2>/dev/null || true
}

# skip REASON: this run cannot be made here; 77 tells ctest so.
skip() {
    echo "SKIP: $*"
    exit 77
}

# require COMMAND...: skips the run unless every command is installed.
require() {
    local needed
    for needed in "$@"; do
        command -v "$needed" >/dev/null || skip "$needed is not installed (make deps installs it)"
    done
}

# fail MESSAGE: a check failed: a screenshot (the script's `shot failure`), then the run's logs
# ($work/*.log) and the program's settings, and the run ends.
fail() {
    echo "FAIL: $*"
    shot failure 2>/dev/null || true
    local log
    for log in "$work"/*.log ${settings:+"$settings"}; do
        [ -f "$log" ] && echo "--- ${log##*/}" && cat "$log"
    done
    exit 1
}

# Nothing of the user's: settings, runtime folder and session bus are this run's own, and the
# program draws through X11. `settings` is its settings file.
use_own_session() {
    mkdir -p "$work/config" "$work/run" "$work/received"
    chmod 700 "$work/run"
    export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=xcb
    unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY SESSION_MANAGER
    settings=$XDG_CONFIG_HOME/Bobbinlark/Bobbinlark.conf
}

# make_namespaces NEAR FAR PREFIX: two network namespaces joined by a veth pair: NEAR has eth0
# = PREFIX.1/24 and loopback; FAR has loopback and the pair's other end, peer0, still down and
# without addresses. Skips the run where they cannot be made.
make_namespaces() {
    ip netns add "$1" 2>/dev/null || skip "cannot make network namespaces here"
    namespaces+=("$1")
    ip netns add "$2" || skip "cannot make a second network namespace"
    namespaces+=("$2")
    trap "exit 1" TERM INT HUP # so that the namespaces go on these too
    ip -n "$1" link add eth0 type veth peer name peer0 netns "$2" || skip "cannot make a veth pair"
    ip -n "$1" link set lo up
    ip -n "$1" addr add "$3.1/24" dev eth0
    ip -n "$1" link set eth0 up
    ip -n "$2" link set lo up
}

# Commands on the display run through this (in a network namespace, say); empty by default.
on_display=()

# Starts a virtual display of our own and exports DISPLAY.
start_display() {
    # -noreset: without it the server resets when its last client leaves (the readiness check
    # below), refusing whoever connects during the reset.
    "${on_display[@]}" Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
        3>"$work/display" 2>"$work/xvfb.log" &
    pids+=($!)
    wait_for 10 test -s "$work/display" || fail "Xvfb did not start"
    export DISPLAY=:$(cat "$work/display")
    # The display number can be announced before clients get through; start nothing until they do.
    wait_for 10 "${on_display[@]}" xdpyinfo >/dev/null 2>&1 || fail "Xvfb took no clients on $DISPLAY"
}

# start_tray [TRAYER OPTION...]: trayer along the top at the right, light grey unless the options
# say otherwise; `trayer_pid` is it.
start_tray() {
    local look=(--transparent false --tint 0xdddddd)
    [ "$#" -eq 0 ] || look=("$@")
    "${on_display[@]}" trayer --edge top --align right --widthtype request --height 24 \
        --SetDockType true --expand true "${look[@]}" >>"$work/trayer.log" 2>&1 </dev/null &
    trayer_pid=$!
    pids+=("$trayer_pid")
    wait_for 10 tray_shown || fail "trayer did not show"
}
tray_shown() { "${on_display[@]}" xdotool search --onlyvisible --class trayer >/dev/null 2>&1; }

# start_program [ARGUMENT...]: the program ($program); `program_pid` is it.
start_program() {
    "${on_display[@]}" "$program" "$@" >>"$work/program.log" 2>&1 </dev/null &
    program_pid=$!
    pids+=("$program_pid")
}

# The program's windows that are mapped, as "id width height x y" lines; of them, its panel
# (360 x 520; under a compositor 392 x 552 with its shadow, given as the panel inside), its tray
# icon (64 square at most) and its menu (any other).
windows() {
    local id
    for id in $("${on_display[@]}" xdotool search --onlyvisible --class bobbinlark 2>/dev/null); do
        eval "$("${on_display[@]}" xdotool getwindowgeometry --shell "$id")"
        echo "$id $WIDTH $HEIGHT $X $Y"
    done
}
panel() {
    windows | awk '$2 == 360 && $3 == 520 { print; exit }
        $2 == 392 && $3 == 552 { print $1, 360, 520, $4 + 16, $5 + 12; exit }'
}
has_panel() { [ -n "$(panel)" ]; }
no_panel() { [ -z "$(panel)" ]; }
tray_icon() { windows | awk '$2 <= 64 && $3 <= 64' | head -1; }
has_tray_icon() { [ -n "$(tray_icon)" ]; }
no_tray_icon() { [ -z "$(tray_icon)" ]; }
menu() { windows | awk '!($2 == 360 && $3 == 520) && !($2 == 392 && $3 == 552) && !($2 <= 64 && $3 <= 64)' | head -1; }
has_menu() { [ -n "$(menu)" ]; }
no_menu() { [ -z "$(menu)" ]; }

# start_drag_source FILE...: another program ($drag_source) standing in for a file manager: a
# press on its window starts a real drag (XDND) of the files, and it writes "drop action N" to
# $work/drag.log when the drag ends. `drag_pid` is it.
start_drag_source() {
    "${on_display[@]}" "$drag_source" "$@" >"$work/drag.log" 2>&1 </dev/null &
    drag_pid=$!
    pids+=("$drag_pid")
    wait_for 10 grep -q ready "$work/drag.log" || fail "the drag source did not start"
    wait_for 10 has_source_window || fail "the drag source shows no window"
}
source_window() { "${on_display[@]}" xdotool search --onlyvisible --name '^drag-source$' 2>/dev/null | head -1; }
# Looked up afresh on every try, so that a wait really waits for the window.
has_source_window() { [ -n "$(source_window)" ]; }

# drag_to FROM_X FROM_Y TO_X TO_Y [SHOT]: press, move in steps (the target learns of the drag
# from the motion), release, as a hand does; with SHOT, a screenshot of that name just before
# the release.
drag_to() {
    local step
    "${on_display[@]}" xdotool mousemove "$1" "$2"
    sleep 0.3
    "${on_display[@]}" xdotool mousedown 1
    for step in $(seq 1 12); do
        "${on_display[@]}" xdotool mousemove $(($1 + ($3 - $1) * step / 12)) $(($2 + ($4 - $2) * step / 12))
        sleep 0.05
    done
    sleep 0.4
    [ -z "${5:-}" ] || shot "$5"
    "${on_display[@]}" xdotool mouseup 1
}
# drag_from_source TO_X TO_Y [SHOT]: drag_to from the middle of the drag source's window.
drag_from_source() {
    eval "$("${on_display[@]}" xdotool getwindowgeometry --shell "$(source_window)")"
    drag_to $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) "$@"
}

# Starts the fake machine program ($fake) on loopback, keeping what it receives in
# $work/received; sets `port` to the port it listens on.
start_fake_machine() {
    "$fake" --address 127.0.0.1 --port 0 --name "E2E Machine" --save-to "$work/received" \
        >"$work/machine.log" 2>&1 </dev/null &
    pids+=($!)
    wait_for 10 grep -qs "listening at" "$work/machine.log" || fail "the fake machine did not start"
    port=$(sed -n 's/.*listening at 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/machine.log")
}

# bus_services: names of D-Bus services installed on the machine (org.xfce.Xfconf, say) that
# the run's buses may start; none unless a script names them before start_session_bus.
bus_services=()

# bus_config: writes $work/bus.conf, the tests' service-less session-bus.conf with a folder of
# the services in `bus_services` only, so whatever else the machine has installed (a portal, a
# notification server, a file manager) neither answers nor takes a name the run fakes.
bus_config() {
    local name
    mkdir -p "$work/bus-services"
    for name in "${bus_services[@]}"; do
        cp "/usr/share/dbus-1/services/$name.service" "$work/bus-services/" ||
            fail "the D-Bus service $name is not installed"
    done
    sed "s|</busconfig>|  <servicedir>$work/bus-services</servicedir>\n</busconfig>|" \
        "$(dirname "${BASH_SOURCE[0]}")/session-bus.conf" >"$work/bus.conf"
    chmod -R go+rX "$work/bus.conf" "$work/bus-services" # a bus run as another user reads them
}

# Starts a session bus of our own (bus_config's) and exports its address. Programs it starts
# for the run (a panel's settings daemon) see the environment as it is now: export what they
# need first. Arguments run the bus through a command (as another user, say).
start_session_bus() {
    bus_config
    "$@" dbus-daemon --config-file="$work/bus.conf" --nofork --nosyslog --print-address=3 \
        3>"$work/bus" >"$work/bus.log" 2>&1 </dev/null &
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

# has_notifier_item [COMMAND...]: whether the watcher holds an item (arguments as notifier_items').
has_notifier_item() { notifier_items "$@" | grep -q StatusNotifierItem; }

# holds SECONDS COMMAND...: whether the command stays true, asked every half second for SECONDS.
holds() {
    local _
    for _ in $(seq $(($1 * 2))); do
        sleep 0.5
        "${@:2}" || return 1
    done
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

# panel_by_icon DESKTOP SCREEN_WIDTH BAR_HEIGHT X Y W H: the open panel lies against the icon
# at X,Y (W x H), inside the screen and off the bar; prints where, as a FIGURE line.
panel_by_icon() {
    local panel_x panel_y distance
    read -r _ _ _ panel_x panel_y <<<"$(panel)"
    distance=$(gap "$panel_x" "$panel_y" 360 520 "$4" "$5" "$6" "$7")
    echo "FIGURE $1 panel at $panel_x,$panel_y; icon at $4,$5 ${6}x$7; nearest edge $distance px away"
    [ "$distance" -le 48 ] || fail "the panel opened $distance px from the icon"
    [ "$panel_y" -ge "$3" ] || fail "the panel at y=$panel_y covers the bar"
    [ "$panel_x" -ge 0 ] && [ $((panel_x + 360)) -le "$2" ] || fail "the panel is off screen at x=$panel_x"
}

# start_pointer [COMMAND...]: the virtual pointer ($virtual_pointer) on $WAYLAND_DISPLAY, one
# device for the whole run, fed through a pipe held open on descriptor 7. Arguments run it
# through a command (as the compositor's user, say).
start_pointer() {
    mkfifo "$work/pointer.in"
    "$@" env WAYLAND_DISPLAY="$WAYLAND_DISPLAY" "$virtual_pointer" <"$work/pointer.in" \
        >"$work/pointer.log" 2>&1 &
    pids+=($!)
    exec 7>"$work/pointer.in"
    wait_for 10 grep -q ready "$work/pointer.log" || fail "the virtual pointer did not start: $(cat "$work/pointer.log")"
}
# pointer COMMAND X Y: "click", "right" (click) or "move" there; pointer key CODE: that key.
pointer() {
    local done_before
    done_before=$(grep -c '^ok' "$work/pointer.log" || true)
    echo "$*" >&7
    pointer_done() { [ "$(grep -c '^ok' "$work/pointer.log" || true)" -gt "$done_before" ]; }
    wait_for 5 pointer_done || fail "the virtual pointer did not $*: $(cat "$work/pointer.log")"
}

# The seven trays an icon must read on.
tray_colours=(000000 202020 353535 808080 c0c0c0 f0f0f0 ffffff)

# Seconds since the epoch with milliseconds, for figures measured from outside.
now_ms() { date +%s%3N; }

# median N...: the middle of the numbers given.
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# How many times the desktop tests time a click on the icon until the panel is on the screen
# (measured from outside); `make bench-click` asks for more than one.
click_rounds=${BOBBINLARK_CLICK_ROUNDS:-1}

# watch_panel SOURCE [COMMAND...]: starts panel_drawn ($panel_drawn), which tells when the panel
# is mapped and drawn on the screen as read from SOURCE (x11, kwin or grim); fed through a pipe
# held open on descriptor 8. Arguments run it through a command (as the display's user, say).
watch_panel() {
    local source=$1
    shift
    mkfifo "$work/drawn.in"
    "$@" "$panel_drawn" "$source" <"$work/drawn.in" >"$work/drawn.log" 2>&1 &
    pids+=($!)
    exec 8>"$work/drawn.in"
    wait_for 10 grep -q ready "$work/drawn.log" || fail "panel_drawn did not start: $(cat "$work/drawn.log")"
}

# time_clicks DESKTOP READY OPEN CLOSE: `click_rounds` times, the command READY readies a click
# (`true` for none), OPEN clicks so that the panel opens and CLOSE closes it (not after the last
# round: the panel stays open). Prints the medians from just before the click until the panel's
# window was mapped and until the panel was drawn on the screen.
time_clicks() {
    local round lines clicked result mapped_at drawn_at read_every mapped=() drawn=() every=()
    for round in $(seq "$click_rounds"); do
        if [ "$round" -gt 1 ]; then
            sleep 0.5 # a person's pace: not a double click
            $4
            wait_for 5 no_panel || fail "the panel did not close"
            sleep 0.5
        fi
        $2
        lines=$(wc -l <"$work/drawn.log")
        echo watch >&8
        wait_for 5 eval '[ "$(sed -n "$((lines + 1))p" "$work/drawn.log")" = watching ]' ||
            fail "panel_drawn did not start watching: $(cat "$work/drawn.log")"
        clicked=$(now_ms)
        $3
        wait_for 5 has_panel || fail "the click did not open the panel"
        wait_for 10 eval '[ -n "$(sed -n "$((lines + 2))p" "$work/drawn.log")" ]' ||
            fail "the panel's drawing went unseen"
        read -r result mapped_at _ drawn_at _ read_every <<<"$(sed -n "$((lines + 2))p" "$work/drawn.log")"
        [ "$result" = mapped ] || fail "the panel's drawing went unseen: $(tail -1 "$work/drawn.log")"
        [ "$drawn_at" -ge "$clicked" ] || fail "the panel was on the screen before the click"
        mapped+=($((mapped_at - clicked))) drawn+=($((drawn_at - clicked))) every+=("$read_every")
    done
    echo "FIGURE $1 click to panel mapped: median $(median "${mapped[@]}") ms of ${mapped[*]};" \
        "drawn on the screen: median $(median "${drawn[@]}") ms of ${drawn[*]}" \
        "(the screen read every $(median "${every[@]}") ms)"
}
