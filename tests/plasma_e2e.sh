#!/usr/bin/env bash
# The tray program on KDE Plasma 5.27 (kwin_x11 and plasmashell on a virtual display), its
# panel moved to the top:
#   1. started before Plasma, the program shows its window; when Plasma comes, the icon appears
#      in its system tray;
#   2. the icon reads on the bar, and its tooltip names the program once;
#   3. a click opens the panel against the icon, off the bar; the next closes it;
#   4. a right click shows Plasma's own drawing of the menu the program exports, under the
#      bar and clear of the icon.
# Prints the figures it measures; screenshots land in OUTPUT_DIR. Exits 77 (skipped) without
# Plasma, which CI installs (see the README).
#   plasma_e2e.sh BOBBINLARK OUTPUT_DIR PANEL_DRAWN
set -euo pipefail

# shellcheck source=/dev/null
source "$(dirname "$0")/support/second_attempt.sh"

program=$1 output=$2 panel_drawn=$3
# shellcheck source=/dev/null
source "$(dirname "$0")/support/background.sh"
command -v plasmashell >/dev/null && command -v kwin_x11 >/dev/null && command -v kded5 >/dev/null &&
    [ -d /usr/share/plasma/shells/org.kde.plasma.desktop ] ||
    skip "needs plasma-desktop, plasma-workspace and kwin-x11 (CI installs them: make deps-desktops)"
require Xvfb xdotool import convert dbus-daemon gdbus dbus-update-activation-environment
use_own_session
export XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache XDG_SESSION_TYPE=x11 \
    XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true KDE_SESSION_VERSION=5
mkdir -p "$output/tray"
shot() { import -window root "$output/plasma-$1.png"; }

start_display
# Plasma's shell loads only with its activity manager, started on the bus as a desktop does.
bus_services=(org.kde.ActivityManager)
start_session_bus
# What the bus starts for Plasma (its settings and tray services) needs the display.
dbus-update-activation-environment DISPLAY XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME \
    XDG_RUNTIME_DIR XDG_CURRENT_DESKTOP KDE_FULL_SESSION KDE_SESSION_VERSION
screen_width=$(xdotool getdisplaygeometry | cut -d' ' -f1)
bar_height=32

# 1. The program first; then Plasma: window manager, the services' daemon, the shell.
start_program
wait_for 15 has_panel || fail "without a tray the window did not show at launch"
read -r panel_id _ <<<"$(panel)"
started=$(now_ms)
# Without compositing: Xvfb has no GPU, and screenshots should show what is drawn.
KWIN_COMPOSE=N kwin_x11 --replace >"$work/kwin.log" 2>&1 </dev/null &
pids+=($!)
kded5 >"$work/kded.log" 2>&1 </dev/null &
pids+=($!)
QT_QUICK_BACKEND=software plasmashell >"$work/plasma.log" 2>&1 </dev/null &
pids+=($!)
plasma_panel() { xdotool search --onlyvisible --class plasmashell 2>/dev/null | while read -r id; do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    [ "$HEIGHT" -ge 768 ] || echo "$id $WIDTH $HEIGHT $X $Y"
done | head -1; }
has_plasma_panel() { [ -n "$(plasma_panel)" ]; }
wait_for 60 has_plasma_panel || fail "Plasma showed no panel"
# Its panel along the top, as the other desktops' here.
gdbus call --session --dest org.kde.plasmashell --object-path /PlasmaShell \
    --method org.kde.PlasmaShell.evaluateScript \
    "var p = panels()[0]; p.location = 'top'; p.height = $bar_height;" >/dev/null
top_bar() { read -r _ w h _ y <<<"$(plasma_panel)" && [ "$y" -eq 0 ] && [ "$h" -eq "$bar_height" ]; }
wait_for 10 top_bar || fail "Plasma's panel did not move to the top"
wait_for 15 eval 'notifier_items | grep -q StatusNotifierItem' || fail "the tray did not take the icon"
echo "FIGURE plasma late tray: icon registered $(($(now_ms) - started)) ms after Plasma was started"
xdotool windowactivate --sync "$panel_id" key Escape
wait_for 5 no_panel || fail "Escape did not close the panel"

# 2. Where the icon is: what changes in the bar when the program goes and comes back (the tray
#    puts ours first; the items after it move, the clock may tick: the first run of changed
#    columns is ours).
sleep 2 # the tray laid out and painted
import -window root "$work/with.png"
stop "$program_pid"
wait_for 10 eval '! notifier_items | grep -q StatusNotifierItem' || fail "the icon stayed after the program ended"
sleep 2
import -window root "$work/without.png"
start_program
wait_for 15 eval 'notifier_items | grep -q StatusNotifierItem' || fail "the icon did not come back"
sleep 2
import -window root "$work/with.png"
read -r x w <<<"$(convert "$work/without.png" "$work/with.png" -crop "${screen_width}x$bar_height+0+0" +repage \
    -compose difference -composite -colorspace gray -threshold 8% -scale "${screen_width}x1!" \
    -threshold 0 txt:- | awk -F'[,:]' '/#FFFFFF/ { if (start == "") start = $1; else if ($1 != last + 1) exit;
        last = $1 } END { if (start != "") print start, last - start + 1 }')"
[ -n "${x:-}" ] || fail "nothing changed in the bar with the icon"
bar_colour=$(convert "$work/with.png" -format "%[hex:p{$((x > 2 ? x - 2 : 0)),2}]" info:)
# (Above the panel's edge line along its bottom.)
box=$(tray_pixels box "$work/with.png" "${w}x$((bar_height - 3))+$x+0" "$bar_colour")
[ -n "$box" ] || fail "nothing is drawn where the icon is"
read -r bx by bw bh <<<"$box"
icon_contrast plasma "$work/with.png" "$((x + bx)) $by $bw $bh" "$screen_width" "$bar_height" "${bar_colour,,}"
x=$((x + bx)) y=$by w=$bw h=$bh
shot 1-icon
service=$(notifier_items | grep -o "org.kde.StatusNotifierItem-[0-9-]*" | head -1)
tip=$(gdbus call --session --dest "$service" --object-path /StatusNotifierItem \
    --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem ToolTip)
[ "$(grep -o Bobbinlark <<<"$tip" | wc -l)" -eq 1 ] || fail "the tooltip does not name the program once: $tip"
echo "FIGURE plasma tooltip: $tip"

# 3. Clicks open and close the panel against the icon.
click_x=$((x + w / 2)) click_y=$((y + h / 2))
click_icon() { xdotool mousemove "$click_x" "$click_y" click 1; }
watch_panel x11
time_clicks plasma true click_icon click_icon
shot 2-open
panel_by_icon plasma "$screen_width" "$bar_height" "$x" "$y" "$w" "$h"
sleep 0.5
click_icon
wait_for 5 no_panel || fail "a second click did not close the panel"

# 4. A right click: Plasma's own menu, under the bar, clear of the icon.
plasma_menu() { xdotool search --onlyvisible --class plasmashell 2>/dev/null | while read -r id; do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    [ "$HEIGHT" -ge 768 ] || [ "$HEIGHT" -eq "$bar_height" ] || echo "$WIDTH $HEIGHT $X $Y"
done | head -1; }
has_plasma_menu() { [ -n "$(plasma_menu)" ]; }
sleep 0.5
xdotool mousemove "$click_x" "$click_y" click 3
wait_for 5 has_plasma_menu || fail "a right click on the icon showed no menu of Plasma's"
no_menu || fail "the program drew a menu of its own as well"
shot 3-menu
read -r menu_w menu_h menu_x menu_y <<<"$(plasma_menu)"
echo "FIGURE plasma menu ${menu_w}x$menu_h at $menu_x,$menu_y; icon at $x,$y ${w}x$h"
# Plasma tucks its menus a few pixels into the panel's lower edge, its own way; the icon and
# the bar's middle stay clear.
[ "$menu_y" -ge $((bar_height / 2)) ] || fail "the menu at y=$menu_y covers the bar"
[ "$menu_y" -ge $((y + h)) ] || fail "the menu covers the icon (its bottom at y=$((y + h)))"
xdotool key Escape
echo "PASS: screenshots in $output"
