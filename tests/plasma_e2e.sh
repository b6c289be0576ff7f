#!/usr/bin/env bash
# The tray program on KDE Plasma 5.27, its panel moved to the top: on X11 (kwin_x11 and
# plasmashell on a virtual display) or on Wayland (kwin_wayland's virtual output; the program
# through XWayland, clicks and keys through KWin's fake input, screenshots through KWin's own):
#   1. started before Plasma's shell, the program shows its window; when the shell comes, the
#      icon appears in its system tray, and stays;
#   2. the icon reads on the bar, and its tooltip names the program once;
#   3. a click opens the panel against the icon, off the bar, and Escape closes it, as does the
#      next click;
#   4. a right click shows Plasma's own drawing of the menu the program exports, under the
#      bar and clear of the icon.
# Prints the figures it measures; screenshots land in OUTPUT_DIR. Exits 77 (skipped) without
# Plasma, which CI installs (see the README).
#   plasma_e2e.sh x11|wayland BOBBINLARK OUTPUT_DIR PANEL_DRAWN VIRTUAL_POINTER
set -euo pipefail

# shellcheck source=/dev/null
source "$(dirname "$0")/support/second_attempt.sh"

session=$1 program=$2 output=$3 panel_drawn=$4 virtual_pointer=$5
# shellcheck source=/dev/null
source "$(dirname "$0")/support/background.sh"
command -v plasmashell >/dev/null && command -v kwin_x11 >/dev/null && command -v kwin_wayland >/dev/null &&
    [ -d /usr/share/plasma/shells/org.kde.plasma.desktop ] &&
    [ -d /usr/lib/x86_64-linux-gnu/qt5/plugins/wayland-shell-integration ] ||
    skip "needs plasma-desktop, plasma-workspace, kwin-x11 and plasma-workspace-wayland" \
        "(CI installs them: make deps-desktops)"
[ "$session" = x11 ] || [ -x "$virtual_pointer" ] || skip "the virtual pointer was not built"
require Xvfb Xwayland kded5 xdotool import convert dbus-daemon gdbus dbus-update-activation-environment
use_own_session
export XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache XDG_SESSION_TYPE=$session \
    XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true KDE_SESSION_VERSION=5
mkdir -p "$output/tray"
screen_width=1024 screen_height=768 bar_height=32
# Plasma's shell loads only with its activity manager, started on the bus as a desktop does.
bus_services=(org.kde.ActivityManager)
start_session_bus
# Plasma's windows and its menus as KWin's scripting sees them (print() goes to KWin's log).
export QT_LOGGING_RULES=js.debug=true
# No screen locker coming on while the run idles.
printf '[Daemon]\nAutolock=false\nLockOnResume=false\n' >"$XDG_CONFIG_HOME/kscreenlockerrc"

# screen FILE: a screenshot; click X Y, right_click X Y, escape: a person's clicks and key.
if [ "$session" = x11 ]; then
    start_display
    # KWin composites, as by default, in software here: with its animations, as with a GPU.
    KWIN_EFFECTS_FORCE_ANIMATIONS=1 kwin_x11 --replace >"$work/kwin.log" 2>&1 </dev/null &
    pids+=($!)
    screen() { import -window root "$1"; }
    click() { xdotool mousemove "$1" "$2" click 1; }
    right_click() { xdotool mousemove "$1" "$2" click 3; }
    escape() { xdotool key Escape; }
    watch_panel x11
    shell_platform=xcb
else
    # kwin_wayland carries a file capability that an unprivileged run may not take: a copy
    # without it. Its platform plugin loads only in a program of that name.
    mkdir -p "$work/bin"
    cp /usr/bin/kwin_wayland "$work/bin/kwin_wayland"
    # The session KWin starts once XWayland is up tells XWayland's display.
    printf '#!/bin/sh\necho "$DISPLAY" >%s/display\nexec sleep infinity\n' "$work" >"$work/session"
    chmod +x "$work/session"
    # It takes screenshots and fake input from anyone.
    KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_EFFECTS_FORCE_ANIMATIONS=1 \
        "$work/bin/kwin_wayland" --virtual --xwayland --socket "wayland-bobbinlark-$$" \
        --width "$screen_width" --height "$screen_height" --exit-with-session "$work/session" \
        >"$work/kwin.log" 2>&1 </dev/null &
    pids+=($!)
    wait_for 30 test -s "$work/display" || fail "KWin started no XWayland"
    export DISPLAY WAYLAND_DISPLAY=wayland-bobbinlark-$$
    DISPLAY=$(cat "$work/display")
    screen() {
        /usr/bin/python3 "$(dirname "$0")/support/kwin_screenshot.py" "$screen_width" "$screen_height" |
            convert -size "${screen_width}x$screen_height" -depth 8 bgra:- -alpha off "$1"
    }
    start_pointer
    click() { pointer click "$1" "$2"; }
    right_click() { pointer right "$1" "$2"; }
    escape() { pointer key 1; } # KEY_ESC
    watch_panel kwin
    shell_platform=wayland # the shell natively, the program through XWayland
fi
shot() { screen "$output/plasma-$session-$1.png"; }
# What the bus starts for Plasma (its settings and tray services) needs the display.
dbus-update-activation-environment DISPLAY XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME \
    XDG_RUNTIME_DIR XDG_CURRENT_DESKTOP KDE_FULL_SESSION KDE_SESSION_VERSION XDG_SESSION_TYPE \
    ${WAYLAND_DISPLAY:+WAYLAND_DISPLAY}

# plasma_windows: Plasma's windows but its desktop, "width height x y" lines, as KWin lists them
# and, on X11 where KWin leaves menus alone, as the X server has them.
plasma_windows() {
    local id token=$RANDOM$RANDOM
    printf 'workspace.clientList().forEach(w => { if (/plasmashell/.test(w.resourceClass)) {
        const g = w.frameGeometry; print("%s " + [g.width, g.height, g.x, g.y].join(" ")); } });' \
        "$token" >"$work/windows.js"
    gdbus call --session --dest org.kde.KWin --object-path /Scripting \
        --method org.kde.kwin.Scripting.loadScript "$work/windows.js" "$token" >/dev/null &&
        gdbus call --session --dest org.kde.KWin --object-path /Scripting \
            --method org.kde.kwin.Scripting.start >/dev/null || return 1
    sleep 0.3
    gdbus call --session --dest org.kde.KWin --object-path /Scripting \
        --method org.kde.kwin.Scripting.unloadScript "$token" >/dev/null
    { sed -n "s/.*js: $token //p" "$work/kwin.log"
      [ "$session" = wayland ] || for id in $(xdotool search --onlyvisible --class plasmashell 2>/dev/null); do
          eval "$(xdotool getwindowgeometry --shell "$id")"
          echo "$WIDTH $HEIGHT $X $Y"
      done; } | awk -v h="$screen_height" '$2 < h' | sort -u
}
has_plasma_panel() { [ -n "$(plasma_windows)" ]; }
top_bar() { plasma_windows | grep -qx "$screen_width $bar_height 0 0"; }

# 1. The program first; then Plasma's shell and the services' daemon: the tray comes late.
start_program
wait_for 15 has_panel || fail "without a tray the window did not show at launch"
read -r _ _ _ panel_x panel_y <<<"$(panel)"
started=$(now_ms)
kded5 >"$work/kded.log" 2>&1 </dev/null &
pids+=($!)
QT_QPA_PLATFORM=$shell_platform QT_QUICK_BACKEND=software plasmashell >"$work/plasma.log" 2>&1 </dev/null &
pids+=($!)
wait_for 60 has_plasma_panel || fail "Plasma showed no panel"
# Its panel along the top, as the other desktops' here.
gdbus call --session --dest org.kde.plasmashell --object-path /PlasmaShell \
    --method org.kde.PlasmaShell.evaluateScript \
    "var p = panels()[0]; p.location = 'top'; p.height = $bar_height;" >/dev/null
wait_for 10 top_bar || fail "Plasma's panel did not move to the top: $(plasma_windows)"
wait_for 15 has_notifier_item || fail "the tray did not take the icon"
echo "FIGURE plasma $session late tray: icon registered $(($(now_ms) - started)) ms after Plasma was started"
holds 4 has_notifier_item || fail "the icon was taken, then went"
# A person closes the window: a click in it, then Escape.
click $((panel_x + 180)) $((panel_y + 400))
escape
wait_for 5 no_panel || fail "Escape did not close the window"

# 2. Where the icon is: what changes in the bar when the program goes and comes back (the tray
#    puts ours first; the items after it move, the clock may tick: the first run of changed
#    columns is ours).
sleep 2 # the tray laid out and painted
stop "$program_pid"
wait_for 10 eval '! has_notifier_item' || fail "the icon stayed after the program ended"
sleep 2
screen "$work/without.png"
start_program
wait_for 15 has_notifier_item || fail "the icon did not come back"
sleep 2
screen "$work/with.png"
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
icon_contrast "plasma-$session" "$work/with.png" "$((x + bx)) $by $bw $bh" "$screen_width" "$bar_height" "${bar_colour,,}"
x=$((x + bx)) y=$by w=$bw h=$bh
shot 1-icon
service=$(notifier_items | grep -o "org.kde.StatusNotifierItem-[0-9-]*" | head -1)
tip=$(gdbus call --session --dest "$service" --object-path /StatusNotifierItem \
    --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem ToolTip)
[ "$(grep -o Bobbinlark <<<"$tip" | wc -l)" -eq 1 ] || fail "the tooltip does not name the program once: $tip"
echo "FIGURE plasma $session tooltip: $tip"

# 3. Clicks open and close the panel against the icon.
click_icon() { click $((x + w / 2)) $((y + h / 2)); }
time_clicks "plasma $session" true click_icon click_icon
shot 2-open
panel_by_icon "plasma $session" "$screen_width" "$bar_height" "$x" "$y" "$w" "$h"
# The keyboard reaches the panel as soon as it opens: Escape closes it.
escape
wait_for 5 no_panel || fail "the panel hears no keys: Escape left it open"
sleep 0.5
click_icon
wait_for 5 has_panel || fail "a click on the icon did not open the panel again"
sleep 0.5
click_icon
wait_for 5 no_panel || fail "a second click did not close the panel"

# 4. A right click: Plasma's own menu, under the bar, clear of the icon.
plasma_menu() { plasma_windows | awk -v h="$bar_height" '$2 != h' | head -1; }
has_plasma_menu() { [ -n "$(plasma_menu)" ]; }
sleep 0.5
right_click $((x + w / 2)) $((y + h / 2))
wait_for 5 has_plasma_menu || fail "a right click on the icon showed no menu of Plasma's"
no_menu || fail "the program drew a menu of its own as well"
shot 3-menu
read -r menu_w menu_h menu_x menu_y <<<"$(plasma_menu)"
echo "FIGURE plasma $session menu ${menu_w}x$menu_h at $menu_x,$menu_y; icon at $x,$y ${w}x$h"
# Plasma tucks its menus a few pixels into the panel's lower edge, its own way; the icon and
# the bar's middle stay clear.
[ "$menu_y" -ge $((bar_height / 2)) ] || fail "the menu at y=$menu_y covers the bar"
[ "$menu_y" -ge $((y + h)) ] || fail "the menu covers the icon (its bottom at y=$((y + h)))"
escape
echo "PASS: screenshots in $output"
