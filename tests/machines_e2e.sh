#!/usr/bin/env bash
# The first run of the tray program as a person meets it, on a virtual X display with trayer as
# the tray: settings of its own and no machine; the icon opens the panel; the settings menu leads
# to the machines list; "Add by Address…" opens the form, where the machine's address and port
# are typed, Return in the address field tests the connection, and "Add Machine" saves it under
# the name the machine reported (which only a successful test supplies); back on the main
# screen, a design dragged from another program (as from a file manager) and dropped on the drop
# zone reaches that machine. Screenshots go to the output folder. Exits 77 (skipped) without Xvfb
# and its helpers.
#   machines_e2e.sh BOBBINLARK FAKE_MACHINE OUTPUT_DIR DRAG_SOURCE
set -euo pipefail

# shellcheck source=/dev/null
source "$(dirname "$0")/support/second_attempt.sh"

program=$1 fake=$2 output=$3 drag_source=$4
# shellcheck source=/dev/null
source "$(dirname "$0")/support/background.sh"
require Xvfb trayer xdotool import xdpyinfo
use_own_session
mkdir -p "$output"
shot() { import -window root "$output/machines-e2e-$1.png"; }

start_display
start_tray
start_fake_machine

# Clicks at a point of the panel, given in the panel's own coordinates.
click_panel() { xdotool mousemove "$((panel_x + $1))" "$((panel_y + $2))" click 1; }
# The keyboard goes to the panel (there is no window manager to give it on a click).
focus_panel() { xdotool windowfocus --sync "$panel_id"; }

# The first run: no machine saved, nothing in the settings.
[ ! -e "$settings" ] || fail "the settings are not fresh"
start_program
wait_for 15 has_tray_icon || fail "the icon did not appear in the tray"
sleep 1 # the icon's geometry settles after it is embedded
read -r icon_id _ <<<"$(tray_icon)"
xdotool mousemove --window "$icon_id" 8 8 click 1
wait_for 5 has_panel || fail "a click on the icon did not open the panel"
read -r panel_id _ _ panel_x panel_y <<<"$(panel)"
sleep 0.5
shot 1-first-run

# The settings menu (the gear, left of the close button in the header), then "Machines…".
click_panel 300 20
wait_for 5 has_menu || fail "the settings menu did not open"
shot 2-settings-menu
xdotool key Down Return
wait_for 5 no_menu || fail "the settings menu did not close"
sleep 0.5
shot 3-machines-list

# "Add by Address…", at the right end of the bottom bar.
click_panel 320 496
sleep 0.5
shot 4-add-form

# The address and the port, typed; Return in the address field tests the connection.
click_panel 220 71
focus_panel
xdotool type --delay 30 "127.0.0.1"
click_panel 220 101
focus_panel
xdotool key --clearmodifiers ctrl+a BackSpace
xdotool type --delay 30 "$port"
click_panel 220 71
focus_panel
xdotool key Return
sleep 1.5
shot 5-tested

# "Add Machine", the prominent button at the right end of the bottom bar. The name was left
# empty: the machine is saved under the name the successful test reported.
click_panel 300 496
saved() { grep -q 'E2E Machine' "$settings" 2>/dev/null && grep -q "$port" "$settings"; }
wait_for 10 saved || fail "the machine was not saved under the name its test reported"
grep -q 'selectedMachine' "$settings" || fail "the new machine is not the selected one"
sleep 0.5
shot 6-added

# Back to the main screen (the editor returned to the list; Escape goes back once more).
focus_panel
xdotool key Escape
sleep 0.5
shot 7-main-screen

# A real drag from another program (XDND) onto the drop zone: the design goes to the new machine.
printf '#PES0001 e2e design' >"$work/flower.pes"
start_drag_source "$work/flower.pes"
drag_from_source $((panel_x + 180)) $((panel_y + 190))
wait_for 10 grep -q "drop action" "$work/drag.log" || fail "the drag did not end"
wait_for 15 grep -q "Received flower.pes" "$work/machine.log" || fail "the design did not reach the machine"
cmp -s "$work/flower.pes" "$work/received/flower.pes" || fail "the machine received other bytes"
sleep 0.5
shot 8-sent
echo "PASS: screenshots in $output"
