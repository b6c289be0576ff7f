#!/usr/bin/env bash
# The tray program on sway with waybar's tray (status notifier), headless, as a person on a
# wlroots desktop meets it:
#   1. started before the bar, with no tray yet, the program shows its panel as an ordinary
#      window that sway manages (floating, as its size is fixed, with no frame of sway's above
#      its own header); when the bar comes (login), the icon appears in its tray, and again when
#      the bar restarts;
#   2. the icon reads on the seven tray colours (contrast measured from screenshots);
#   3. a click on the icon opens the panel against the icon (through XWayland, where the tray
#      passes the click's place), off the bar; it hears the keyboard; a click closes it;
#   4. natively on Wayland, where no program places its windows, a click opens one window with
#      one title, which hears the keyboard, and the next click closes it.
# Sway refuses to run as root: the compositor, the bar, the bus and the program run as `nobody`
# with a runtime folder of their own. Headless sway has no pointer; clicks go through sway's
# own virtual-pointer client. Prints the figures it measures; screenshots land in OUTPUT_DIR and
# OUTPUT_DIR/tray. Exits 77 (skipped) without sway and its helpers.
#   sway_e2e.sh BOBBINLARK OUTPUT_DIR VIRTUAL_POINTER PANEL_DRAWN
set -euo pipefail

# shellcheck source=/dev/null
source "$(dirname "$0")/support/second_attempt.sh"

program=$1 output=$2 virtual_pointer=$3 panel_drawn=$4
# shellcheck source=/dev/null
source "$(dirname "$0")/support/background.sh"
[ -x "$virtual_pointer" ] || skip "the virtual pointer was not built (no wayland-client)"
require sway swaymsg waybar grim wtype Xwayland xdotool xev convert dbus-daemon gdbus python3 setpriv
id nobody >/dev/null 2>&1 || skip "no user nobody to run sway as"
chmod 755 "$work"
home=$work/home
install -d -o nobody -m 700 "$home" "$home/run" "$home/config" "$home/shots" "$home/bin"
# Copies nobody can run, wherever the build tree lies (a home folder it may not enter).
install -m 755 "$program" "$home/bin/bobbinlark"
install -m 755 "$virtual_pointer" "$home/bin/virtual_pointer"
install -m 755 "$panel_drawn" "$home/bin/panel_drawn"
program=$home/bin/bobbinlark virtual_pointer=$home/bin/virtual_pointer panel_drawn=$home/bin/panel_drawn
# A command word list, not a function: a function started in the background would be a subshell
# whose end leaves the program running.
nobody=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
export HOME=$home XDG_RUNTIME_DIR=$home/run XDG_CONFIG_HOME=$home/config
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM SWAYSOCK
export WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman

fail() {
    echo "FAIL: $*"
    [ -z "${WAYLAND_DISPLAY:-}" ] || "${nobody[@]}" grim "$home/shots/failure.png" 2>/dev/null &&
        cp "$home/shots/failure.png" "$output/sway-failure.png" 2>/dev/null || true
    for log in program sway bar; do
        echo "--- $log output"; cat "$work/$log.log" 2>/dev/null || true
    done
    exit 1
}
mkdir -p "$output/tray"

width=1280 height=800 bar_height=28
cat >"$work/sway.conf" <<CONF
output HEADLESS-1 resolution ${width}x$height
xwayland enable
CONF
cat >"$work/bar.json" <<JSON
{"position": "top", "height": $bar_height, "modules-right": ["tray"],
 "tray": {"icon-size": 20, "spacing": 4}}
JSON
chmod 644 "$work/sway.conf" "$work/bar.json"

start_session_bus "${nobody[@]}"
"${nobody[@]}" sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 </dev/null &
pids+=($!)
wait_for 15 compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock" >/dev/null || fail "sway did not start"
SWAYSOCK=$(compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock" | head -1)
export SWAYSOCK WAYLAND_DISPLAY=wayland-1
wait_for 10 test -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" || fail "sway opened no Wayland socket"
sway() { "${nobody[@]}" swaymsg "$@" >/dev/null || fail "swaymsg $* failed"; }
# XWayland's display, as sway hands it to the programs it starts.
sway exec "echo \$DISPLAY >$home/display"
wait_for 10 test -s "$home/display" || fail "sway told no X display"
x_display=$(cat "$home/display")

bar_colour=353535
start_bar() {
    printf '* { border: none; border-radius: 0; min-height: 0; }\nwindow#waybar { background: #%s; }\n' \
        "$bar_colour" >"$work/bar.css"
    chmod 644 "$work/bar.css"
    "${nobody[@]}" waybar -c "$work/bar.json" -s "$work/bar.css" >>"$work/bar.log" 2>&1 </dev/null &
    bar_pid=$!
    pids+=($bar_pid)
}
shot() { # shot NAME: the whole screen, into the output folder and $work/NAME.png
    "${nobody[@]}" grim "$home/shots/$1.png" && cp "$home/shots/$1.png" "$work/$1.png"
}
icon_box() {
    shot bar 2>/dev/null || return 1
    tray_pixels box "$work/bar.png" "${width}x$bar_height+0+0" "$bar_colour"
}
has_icon() { [ -n "$(icon_box)" ] && has_notifier_item "${nobody[@]}"; }
why_no_icon() { echo "box: $(icon_box)"; notifier_items "${nobody[@]}"; "${nobody[@]}" gdbus call --session --dest org.freedesktop.DBus --object-path / --method org.freedesktop.DBus.ListNames; }
# The program's panel as XWayland has it (for has_panel and no_panel too): "id width height x
# y", or nothing. Sway runs a compositor, so the floating panel's window holds it inside a margin
# for its shadow (16 px at the sides, 12 above, 20 below): the panel's own place is given. The
# ordinary window (no tray) is the panel alone.
panel() {
    local id
    # XWayland lets in only the user it runs as.
    for id in $("${nobody[@]}" env DISPLAY="$x_display" xdotool search --onlyvisible --class bobbinlark 2>/dev/null); do
        eval "$("${nobody[@]}" env DISPLAY="$x_display" xdotool getwindowgeometry --shell "$id")"
        [ "$WIDTH" = 392 ] && [ "$HEIGHT" = 552 ] && echo "$id 360 520 $((X + 16)) $((Y + 12))" && return
        [ "$WIDTH" = 360 ] && [ "$HEIGHT" = 520 ] && echo "$id 360 520 $X $Y" && return
    done
}
start_pointer "${nobody[@]}"
click() { pointer click "$1" "$2"; }
# press KEY: a key typed on a keyboard that sway has had a moment to hand to the focused window
# (a new keyboard's keys sent at once can come before the window hears of the keyboard).
press() {
    "${nobody[@]}" env WAYLAND_DISPLAY="$WAYLAND_DISPLAY" wtype -s 700 -k "$1" ||
        fail "could not type $1 on sway"
}
run_program() { # run_program [ENV...]: the program as a person starts it from sway
    "${nobody[@]}" env DISPLAY="$x_display" "$@" "$program" >>"$work/program.log" 2>&1 </dev/null &
    program_pid=$!
    pids+=($program_pid)
}

# sway_window FIELD...: those fields of the program's window in sway's tree, one a line, or
# nothing while sway manages no window of that name.
sway_window() {
    "${nobody[@]}" swaymsg -t get_tree >"$work/tree.json" || return 1
    python3 - "$work/tree.json" "$@" <<'PY'
import json, sys
def walk(node):
    yield node
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        yield from walk(child)
for node in walk(json.load(open(sys.argv[1]))):
    if node.get("name") == "Bobbinlark" and node.get("type") in ("con", "floating_con"):
        for field in sys.argv[2:]:
            print(node.get(field))
        break
PY
}

# 1. The program before the bar: no tray, so its panel shows at once as an ordinary window, which
#    sway manages: floating (its size is fixed), with no frame of sway's above its header.
run_program
wait_for 15 has_panel || fail "without a tray the panel did not show at launch"
read -r _ _ _ panel_x panel_y <<<"$(panel)"
shot sway-1-no-tray && cp "$work/sway-1-no-tray.png" "$output/"
echo "FIGURE sway without a tray: window at $panel_x,$panel_y"
[ "$(sway_window shell type border | tr '\n' ' ')" = "xwayland floating_con csd " ] ||
    fail "without a tray sway does not manage the window as an ordinary floating one:" \
        "$(sway_window shell type border | tr '\n' ' ')"
started=$(now_ms)
start_bar
wait_for 15 has_icon || fail "the icon did not appear when the bar came: $(why_no_icon 2>&1)"
echo "FIGURE sway late bar: icon $(($(now_ms) - started)) ms after the bar was started"
# A click on the new icon closes the open panel (its shadow would fall on the bar's pictures).
read -r x y w h <<<"$(icon_box)"
click $((x + w / 2)) $((y + h / 2))
wait_for 5 no_panel || fail "a click on the icon did not close the open panel"
stop "$bar_pid"
started=$(now_ms)
start_bar
wait_for 15 has_icon || fail "the icon did not come back when the bar restarted"
echo "FIGURE sway bar restart: icon $(($(now_ms) - started)) ms after the bar was started"

# 2. The icon on each tray colour: the bar restarted in it, the pointer out of the way.
pointer move 0 $((height - 1))
for colour in "${tray_colours[@]}"; do
    stop "$bar_pid"
    bar_colour=$colour
    start_bar
    wait_for 15 has_icon || fail "the icon did not show on the #$colour bar"
    # A bar still settling can draw a frame without it: look again until it is there.
    box=""
    icon_seen() { box=$(icon_box); [ -n "$box" ]; }
    wait_for 5 icon_seen || fail "the icon left the #$colour bar"
    icon_contrast sway "$work/bar.png" "$box" "$width" "$bar_height" "$colour"
done

# 3. A click through XWayland opens the panel by the icon.
read -r x y w h <<<"$(icon_box)"
click_x=$((x + w / 2)) click_y=$((y + h / 2))
click_icon() { click "$click_x" "$click_y"; }
watch_panel grim "${nobody[@]}" env DISPLAY="$x_display"
time_clicks "sway (XWayland)" true click_icon click_icon
shot sway-2-open && cp "$work/sway-2-open.png" "$output/"
panel_by_icon "sway (XWayland)" "$width" "$bar_height" "$x" "$y" "$w" "$h"
# The keyboard reaches the panel that placed itself, as soon as it opens: Escape closes it.
press Escape
wait_for 5 no_panel || fail "the panel on XWayland hears no keys: Escape left it open"
sleep 0.5 # a person's pace: not a double click
click "$click_x" "$click_y"
wait_for 5 has_panel || fail "a click on the icon did not open the panel again"
# Another X11 program that takes the focus gets the keys, open panel or not.
sleep 0.5 # the panel has the keyboard by now
"${nobody[@]}" env DISPLAY="$x_display" xev -event keyboard >"$work/xev.log" 2>&1 </dev/null &
xev_pid=$!
pids+=($xev_pid)
sleep 1 # mapped and focused
press a
wait_for 3 grep -q KeyPress "$work/xev.log" || fail "the open panel kept the keys from another program"
kill "$xev_pid"
sleep 0.5
click "$click_x" "$click_y"
wait_for 5 no_panel || fail "a second click did not close the panel"
stop "$program_pid"

# 4. Natively on Wayland: one window, one title, toggled by the icon.
windows_named() { "${nobody[@]}" swaymsg -t get_tree | grep -c '"name": "Bobbinlark"' || true; }
run_program QT_QPA_PLATFORM=wayland
wait_for 15 has_icon || fail "the native program's icon did not appear"
read -r x y w h <<<"$(icon_box)"
click $((x + w / 2)) $((y + h / 2))
opened() { [ "$(windows_named)" -ge 1 ]; }
wait_for 5 opened || fail "a click on the native program's icon opened no window"
sleep 0.5 # the first frame
shot sway-3-native && cp "$work/sway-3-native.png" "$output/"
"${nobody[@]}" swaymsg -t get_tree >"$work/tree.json"
echo "FIGURE sway native: $(python3 - "$work/tree.json" <<'PY'
import json, sys
def walk(node):
    yield node
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        yield from walk(child)
for node in walk(json.load(open(sys.argv[1]))):
    if node.get("name") == "Bobbinlark":
        r = node["rect"]
        print("window at {},{} {}x{}, border {}, {}".format(
            r["x"], r["y"], r["width"], r["height"], node["border"], node["type"]))
PY
)"
# One title: the panel's own header, with no title bar of sway's above it.
grep -q '"border": "csd"' "$work/tree.json" || fail "sway drew its own frame round the native window"
closed() { [ "$(windows_named)" -eq 0 ]; }
press Escape
wait_for 5 closed || fail "the native window hears no keys: Escape left it open"
click $((x + w / 2)) $((y + h / 2))
wait_for 5 opened || fail "a click on the native program's icon did not open it again"
sleep 0.5
click $((x + w / 2)) $((y + h / 2))
wait_for 5 closed || fail "a second click did not close the native window"
echo "PASS: screenshots in $output and $output/tray"
