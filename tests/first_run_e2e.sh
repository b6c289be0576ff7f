#!/usr/bin/env bash
# A new user's first run, as a person goes through it, on a virtual X display with trayer as the
# tray, inside network namespaces of our own: the panel's side has eth0 on a /24 whose other
# addresses all live in a second namespace, where a fake machine named Studio answers.
#   1. fresh settings; the program starts, its icon appears in the tray, a click opens the panel;
#   2. the machine bar looks for the machine, then offers "Use This Machine" for Studio;
#   3. using it shows Studio, a green dot and " · Ready";
#   4. two designs dragged from another program arrive at the machine in order; the panel says
#      so and lists both with thumbnails;
#   5. a card dragged onto the drop zone sends its file again;
#   6. Studio moves to another address with a new certificate: the next opening of the panel
#      finds it there, the info screen warns about the certificate and trusting it clears that;
#   7. the machine refuses an upload: the panel shows the error and "OK" returns it to idle.
# Every click and key press goes through xdotool. What the panel says is read from its
# accessibility tree, as a screen reader reads it; what the machine got, from its folder. Every
# step leaves a screenshot, and all of them are put together on one contact sheet.
# Exits 77 (skipped) without root, namespaces, Xvfb or its helpers.
#   first_run_e2e.sh BOBBINLARK FAKE_MACHINE DRAG_SOURCE DESIGN_PES DESIGN_DST OUTPUT_DIR
set -euo pipefail

# shellcheck source=/dev/null
source "$(dirname "$0")/support/second_attempt.sh"

program=$1 fake=$2 drag_source=$3 design_pes=$4 design_dst=$5 output=$6
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=/dev/null
source "$here/support/background.sh"
[ "$(id -u)" -eq 0 ] || skip "needs root to make network namespaces"
require ip Xvfb trayer xdotool import montage convert xdpyinfo dbus-daemon
[ -x /usr/libexec/at-spi-bus-launcher ] || skip "at-spi2-core is not installed"
/usr/bin/python3 -c 'import dbus' 2>/dev/null || skip "python3-dbus is not installed"
shots=$output/first-run
rm -rf "$shots"
mkdir -p "$shots" "$work/designs"

prefix=10.213.9
first_host=150 moved_host=230
suffix="$$-$RANDOM"
panel_ns="bl-panel-$suffix" lan_ns="bl-lan-$suffix"
make_namespaces "$panel_ns" "$lan_ns" "$prefix"
# The lower half of the /24 is silent (nobody answers ARP, so each probe there waits until it
# fails), which keeps the first search on screen for a few seconds; the upper half is there and
# refuses at once, Studio's two addresses among it.
for host in $(seq 129 254); do echo "addr add $prefix.$host/24 dev peer0"; done |
    ip -n "$lan_ns" -batch -
ip -n "$lan_ns" link set peer0 up

# Runs a command on the panel's side of the network, where the display and the program are.
on_display=(ip netns exec "$panel_ns")
on_panel() { "${on_display[@]}" "$@"; }
shot_number=0
shot() {
    shot_number=$((shot_number + 1))
    on_panel import -window root "$shots/$(printf %02d "$shot_number")-$1.png"
}

# start_studio NAME HOST [OPTION...]: Studio, with a certificate of its own made at start, on
# port 443 of $prefix.HOST; its output goes to machine-NAME.log.
studio_pid=
start_studio() {
    local name=$1 host=$2
    shift 2
    ip netns exec "$lan_ns" "$fake" --address "$prefix.$host" --port 443 --name Studio \
        --machine-id "BL-STUDIO-0042" --serial "K4211907" --save-to "$work/received" "$@" \
        >"$work/machine-$name.log" 2>&1 </dev/null &
    studio_pid=$!
    pids+=("$studio_pid")
    wait_for 10 grep -q "listening at" "$work/machine-$name.log" ||
        fail "the fake machine did not start at $prefix.$host"
}
received() { cat "$work"/machine-*.log | sed -n 's/^Received \([^ ]*\) .*/\1/p'; }
received_count() { received | wc -l; }

# --- The desktop: display, session bus with accessibility, tray ---------------------------------

use_own_session
export PYTHONIOENCODING=utf-8
start_display
start_session_bus "${on_display[@]}"
# The accessibility bus, as a desktop with a screen reader runs it.
on_panel /usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/atspi.log" 2>&1 &
pids+=($!)
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

start_tray
click_icon() { on_panel xdotool mousemove --window "$icon_id" 8 8 click 1; }

# What the panel shows, as "role<TAB>name<TAB>x<TAB>y<TAB>width<TAB>height" lines (tree.log).
read_panel() { on_panel /usr/bin/python3 "$here/support/accessible_tree.py" >"$work/tree.log" 2>/dev/null; }
# box_of ROLE NAME: the box of the first showing object with that role and exact name.
box_of() {
    awk -F '\t' -v role="$1" -v name="$2" '$1 == role && $2 == name && $5 > 0 && $6 > 0 {
        print $3, $4, $5, $6; exit }' "$work/tree.log"
}
shows() { read_panel && [ -n "$(box_of "$@")" ]; }
gone() { read_panel && [ -z "$(box_of "$@")" ]; }
# click ROLE NAME: a click in the middle of that object.
click() {
    local x y w h
    read_panel
    read -r x y w h <<<"$(box_of "$1" "$2")"
    [ -n "${h:-}" ] || fail "nothing named \"$2\" ($1) to click"
    on_panel xdotool mousemove $((x + w / 2)) $((y + h / 2))
    sleep 0.2
    on_panel xdotool click 1
}

# --- 1. First start: the icon, and a click opens the panel -------------------------------------

[ ! -e "$settings" ] || fail "the settings are not fresh"
start_studio 1-first "$first_host"
start_program
wait_for 15 has_tray_icon || fail "the icon did not appear in the tray"
sleep 1 # the icon's geometry settles after it is embedded
no_panel || fail "the panel opened by itself"
shot icon-in-tray
read -r icon_id _ <<<"$(tray_icon)"
click_icon
wait_for 5 has_panel || fail "a click on the icon did not open the panel"
first_search=$SECONDS
read -r panel_id _ _ panel_x panel_y <<<"$(panel)"

# --- 2. Looking for the machine, then finding Studio -------------------------------------------

# Devices that answer ARP are probed first, so the search may find Studio before the panel is
# read: either state will do here.
looking_or_found() { shows label "Looking for your machine…" || shows label "Found Studio"; }
wait_for 10 looking_or_found || fail "the bar is not looking for the machine"
shot looking
wait_for 20 shows label "Found Studio" || fail "the bar did not find Studio"
shows label "$prefix.$first_host" || fail "the bar does not say where Studio is"
shows "push button" "Use This Machine" || fail "no Use This Machine button"
shot found

# --- 3. Using it ---------------------------------------------------------------------------------

click "push button" "Use This Machine"
wait_for 10 shows label "$prefix.$first_host · Ready" || fail "the bar does not show Studio ready"
shows label "Studio" || fail "the bar does not name Studio"
grep -q "BL-STUDIO-0042" "$settings" || fail "Studio is not saved"
shot ready
# The dot left of the name is green.
read -r name_x name_y _ _ <<<"$(box_of label Studio)"
green=$(on_panel import -window root -crop "24x30+$((name_x - 26))+$((name_y - 6))" +repage \
    png:- | convert png:- -fx '(g > 0.45 && g > r + 0.2 && g > b + 0.1) ? 1 : 0' \
    -format '%[fx:round(mean * w * h)]' info:)
[ "$green" -ge 12 ] || fail "the dot beside Studio is not green ($green green pixels)"

# --- 4. Two designs dragged in from another program ----------------------------------------------

cp "$design_pes" "$work/designs/rose-garden.pes"
cp "$design_dst" "$work/designs/oak-leaf.dst"
drop_box=$(box_of label "Drop designs to send to Studio")
[ -n "$drop_box" ] || fail "the drop zone does not offer to send to Studio"
read -r drop_x drop_y drop_w drop_h <<<"$drop_box"
drop_x=$((drop_x + drop_w / 2)) drop_y=$((drop_y + drop_h / 2))
start_drag_source "$work/designs/rose-garden.pes" "$work/designs/oak-leaf.dst"
drag_from_source "$drop_x" "$drop_y" dragging-two
wait_for 10 grep -q "drop action" "$work/drag.log" || fail "the drag did not end"
wait_for 15 shows label "Sent 2 designs to Studio" || fail "the panel does not say both were sent"
[ "$(received | tr '\n' ' ')" = "rose-garden.pes oak-leaf.dst " ] ||
    fail "the machine received $(received | tr '\n' ' ')instead of both designs in order"
cmp -s "$work/designs/rose-garden.pes" "$work/received/rose-garden.pes" &&
    cmp -s "$work/designs/oak-leaf.dst" "$work/received/oak-leaf.dst" ||
    fail "the machine received other bytes"
shot sent-two
# Two cards, each with its stitches drawn: a light tile with thread colours on it, where a tile
# still loading, or showing only its file type, is tinted with the accent colour.
# thumbnail_of NAME: the box of the 40-point tile on the card named NAME.
thumbnail_of() {
    awk -F '\t' -v name="$2" '$1 == "filler" && $5 == 40 && $6 == 40 { tile = $3 " " $4 }
        $1 == "label" && $2 == name { print tile; exit }' "$1"
}
# thumbnail_drawn NAME: the tile's top edge is light grey, and thread colours cover some of it
# (the badge at its lower right corner left out).
thumbnail_drawn() {
    local x y
    read -r x y <<<"$(thumbnail_of "$work/tree.log" "$1")"
    [ -n "${y:-}" ] || return 1
    on_panel import -window root -crop "40x40+$x+$y" +repage "$work/tile.png" || return 1
    convert "$work/tile.png" -format \
        '%[fx:p{20,3}.r > 0.93 && p{20,3}.g > 0.93 && p{20,3}.b > 0.93 && abs(p{20,3}.r - p{20,3}.b) < 0.03]' \
        info: | grep -qx 1 || return 1
    [ "$(convert "$work/tile.png" -crop 32x28+2+2 +repage \
        -fx '(max(max(r, g), b) - min(min(r, g), b)) > 0.2 ? 1 : 0' \
        -format '%[fx:round(mean * w * h)]' info:)" -ge 8 ]
}
both_drawn() { read_panel && thumbnail_drawn rose-garden.pes && thumbnail_drawn oak-leaf.dst; }
wait_for 10 both_drawn || fail "the cards do not show both designs' thumbnails"
shot two-cards

# --- 5. A card dragged onto the drop zone ---------------------------------------------------------

read_panel
read -r card_x card_y card_w card_h <<<"$(box_of label rose-garden.pes)"
drag_to $((card_x + card_w / 2)) $((card_y + card_h / 2)) "$drop_x" "$drop_y" dragging-card
three() { [ "$(received_count)" -eq 3 ]; }
wait_for 15 three || fail "the card's drop did not send it again ($(received_count) received)"
[ "$(received | tail -n 1)" = rose-garden.pes ] || fail "the machine got $(received | tail -n 1)"
cmp -s "$work/designs/rose-garden.pes" "$work/received/rose-garden (2).pes" ||
    fail "the resent design has other bytes"
wait_for 10 shows label "Sent rose-garden.pes to Studio" || fail "the panel does not say it was sent"
shot card-sent-again

# --- 6. Studio moves, with a new certificate ------------------------------------------------------

# The first search may still be probing the silent addresses after it found Studio (devices
# that answer ARP are probed first), and an opening of the panel during a search starts none of
# its own. A search ends within four waves of 3.5 s probes.
while [ $((SECONDS - first_search)) -lt 16 ]; do sleep 0.5; done
stop "$studio_pid"
start_studio 2-moved "$moved_host"
new_fingerprint=$(sed -n 's/^Certificate fingerprint //p' "$work/machine-2-moved.log" | tail -n 1)
old_fingerprint=$(sed -n 's/^Certificate fingerprint //p' "$work/machine-1-first.log" | tail -n 1)
[ "$new_fingerprint" != "$old_fingerprint" ] || fail "the fake machine kept its certificate"
click_icon
wait_for 5 no_panel || fail "a click on the icon did not close the panel"
click_icon
wait_for 5 has_panel || fail "a click on the icon did not open the panel again"
wait_for 30 shows label "$prefix.$moved_host · Found at a new address" ||
    fail "the bar did not find Studio at its new address"
shot found-at-new-address
grep -q "$prefix.$moved_host" "$settings" || fail "the new address is not saved"

click label Studio
wait_for 5 shows "button menu" "Actions for Studio" || fail "the machine bar did not open the machines list"
shot machines
click "button menu" "Actions for Studio"
# Menus are pop-ups, which the accessibility tree does not list: the menu is the program's one
# other window, and its first entry, Machine Info, is chosen with the keyboard.
wait_for 5 has_menu || fail "the row's actions menu did not open"
shot actions-menu
on_panel xdotool key Down Return
wait_for 10 shows "push button" "Trust New Certificate" || fail "the info screen shows no certificate warning"
shows label "The machine is now presenting a different certificate. That's expected after a firmware update or reset; otherwise another device may be using this address." ||
    fail "the certificate warning does not say what changed"
shot certificate-warning
grep -q "$old_fingerprint" "$settings" || fail "the pinned certificate changed by itself"
click "push button" "Trust New Certificate"
wait_for 5 gone "push button" "Trust New Certificate" || fail "trusting the certificate left the warning"
grep -q "$new_fingerprint" "$settings" || fail "the new certificate is not pinned"
shot certificate-trusted

# --- 7. The machine refuses an upload -------------------------------------------------------------

stop "$studio_pid"
start_studio 3-refusing "$moved_host" --upload-status 503
click "push button" Back
wait_for 5 shows "button menu" "Actions for Studio" || fail "Back did not return to the machines list"
click "push button" Back
wait_for 5 shows label "Drop designs to send to Studio" || fail "Back did not return to the main screen"
read_panel
read -r card_x card_y card_w card_h <<<"$(box_of label oak-leaf.dst)"
drag_to $((card_x + card_w / 2)) $((card_y + card_h / 2)) "$drop_x" "$drop_y"
refused="The machine refused the design (status 503). If it's full, retrieve the waiting designs on the machine, or turn it off and on to empty its wireless pocket."
wait_for 15 shows label "$refused" || fail "the panel does not show the machine's refusal"
shows "push button" OK || fail "the error has no OK button"
shot refused
click "push button" OK
wait_for 5 gone "push button" OK || fail "OK did not dismiss the error"
shows label "Drop designs to send to Studio" || fail "after OK the drop zone is not idle"
shot dismissed

# --- The contact sheet ----------------------------------------------------------------------------

# Each screenshot cut to the panel and the tray above it, labelled by its step.
left=$((panel_x - 24))
for image in "$shots"/[0-9]*.png; do
    name=$(basename "$image" .png)
    convert "$image" -crop "$((1024 - left))x$((panel_y + 520 + 24))+$left+0" +repage \
        -set label "$name" "$work/cut-$name.png"
done
montage "$work"/cut-*.png -tile 6x -geometry +6+6 -font DejaVu-Sans -pointsize 13 -background '#f4f4f4' \
    "$shots/contact-sheet.png"
echo "PASS: contact sheet at $shots/contact-sheet.png"
