#!/usr/bin/env bash
# The tray program on GNOME Shell 43 (X11, on a virtual display): 1. without the AppIndicator
# extension, the panel opens at start, as an ordinary window that the shell manages (of the
# normal type, kept above nothing, transient for nothing, listed, with no frame of the shell's
# above its own header), which a drag on its header moves and another window raised over it
# covers, and it opens again at a second launch; 2. with the extension turned on
# later, the icon appears; 3. on a start with it, the icon shows, stays and reads on the bar;
# 4. a left click shows the menu, whose "Open Bobbinlark" opens the panel against the icon;
# 5. a right click shows the exported menu. Prints its figures; screenshots in OUTPUT_DIR.
# Exits 77 (skipped) without GNOME Shell and the extension, which CI installs (see the README).
#   gnome_e2e.sh BOBBINLARK OUTPUT_DIR PROBE_EXTENSION_DIR PANEL_DRAWN
set -euo pipefail

# shellcheck source=/dev/null
source "$(dirname "$0")/support/second_attempt.sh"

program=$1 output=$2 probe=$3 panel_drawn=$4
# shellcheck source=/dev/null
source "$(dirname "$0")/support/background.sh"
# shellcheck source=/dev/null
source "$(dirname "$0")/support/ordinary_window.sh"
appindicator=ubuntu-appindicators@ubuntu.com
[ -d "/usr/share/gnome-shell/extensions/$appindicator" ] && command -v gnome-shell >/dev/null ||
    skip "needs gnome-shell and gnome-shell-extension-appindicator (CI installs them: make deps-desktops)"
require Xvfb xdotool xprop xwininfo import convert dbus-daemon gdbus gsettings
use_own_session
export XDG_DATA_HOME=$work/data XDG_SESSION_TYPE=x11 XDG_CURRENT_DESKTOP=GNOME
mkdir -p "$output/tray" "$XDG_DATA_HOME/gnome-shell/extensions"
# Our probe turns on the shell's Eval, to ask where its icon and menu are.
probe_id=bobbinlark-probe@tests.bobbinlark.com
cp -r "$probe" "$XDG_DATA_HOME/gnome-shell/extensions/$probe_id"
shot() { import -window root "$output/gnome-$1.png"; }

start_display
# GNOME Shell wants a system bus: a second bus of the run's own stands in. Its settings go
# through dconf, started on the bus as a desktop does.
bus_services=(ca.desrt.dconf)
bus_config
dbus-daemon --config-file="$work/bus.conf" --nofork --nosyslog --print-address=3 3>"$work/system-bus" >/dev/null 2>&1 </dev/null &
pids+=($!)
wait_for 10 test -s "$work/system-bus" || fail "the system bus did not start"
DBUS_SYSTEM_BUS_ADDRESS=$(head -1 "$work/system-bus") && export DBUS_SYSTEM_BUS_ADDRESS
start_session_bus
screen_width=$(xdotool getdisplaygeometry | cut -d' ' -f1)

# shell_eval JS: its value in the shell, bare. (gdbus reads text like "a" as a value: avoid it.)
shell_eval() {
    gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
        --method org.gnome.Shell.Eval "$1" 2>/dev/null | sed -n "s/^(true, '\(.*\)')$/\1/p" |
        sed 's/^"\(.*\)"$/\1/'
}
shell_ready() { [ "$(shell_eval 'String(!Main.layoutManager._startingUp)')" = true ]; }
out_of_overview() { [ "$(shell_eval 'Main.overview.hide(); String(Main.overview.visible)')" = false ]; }
# Our item in the shell's bar, as JS; "x y w h" of its actor while shown; its menu's entries.
item='Object.entries(Main.panel.statusArea).filter(([k]) => k.startsWith("appindicator-")).map(([, v]) => v)[0]'
place='a => [...a.get_transformed_position(), ...a.get_transformed_size()].map(Math.round).join(" ")'
icon_place() { shell_eval "(() => { const i = $item; return i && i.mapped ? ($place)(i) : \"\"; })()"; }
has_icon() { [ -n "$(icon_place)" ] && has_notifier_item; }
menu_state() {
    shell_eval "(() => { const m = $item.menu; return m.isOpen ? m._getMenuItems()
        .map(i => (i.label && i.label.text) || \"-\").join(\"|\") : \"closed\"; })()"
}
menu_opened() { [ "$(menu_state)" != closed ]; }

# 1. GNOME as it comes: no tray. The panel opens at start; a second launch opens it again.
gsettings set org.gnome.shell enabled-extensions "['$probe_id']"
gnome-shell --x11 --replace --sm-disable >>"$work/shell.log" 2>&1 </dev/null &
pids+=($!)
wait_for 60 shell_ready || fail "GNOME Shell did not start"
shell_eval 'Main.messageTray.bannerBlocked = true' >/dev/null # no banners over the bar
wait_for 10 out_of_overview || fail "GNOME Shell stayed in its overview"
start_program
wait_for 15 has_panel || fail "without a tray the panel did not open at start"
behaves_as_an_ordinary_window gnome no-tray
close_panel() {
    xdotool windowactivate --sync "$(panel | cut -d' ' -f1)" key Escape
    wait_for 5 no_panel || fail "Escape did not close the panel"
}
close_panel
timeout 10 "$program" || fail "the second launch did not hand over and exit 0"
wait_for 5 has_panel || fail "a second launch did not open the panel again"

# 2. The extension comes after the program: the icon follows.
started=$(now_ms)
gsettings set org.gnome.shell enabled-extensions "['$probe_id', '$appindicator']"
wait_for 15 has_icon || fail "the icon did not appear when the extension was turned on"
echo "FIGURE gnome late tray: icon $(($(now_ms) - started)) ms after the extension was turned on"

# 3. Started with the tray there: the icon shows and stays; the panel stays closed.
stop "$program_pid"
wait_for 10 eval '[ -z "$(icon_place)" ]' || fail "the icon stayed after the program ended"
start_program
started=$(now_ms)
wait_for 15 has_icon || fail "the icon did not show at start"
echo "FIGURE gnome icon shown $(($(now_ms) - started)) ms after start"
holds 8 has_icon || fail "the icon was shown, then went ($(($(now_ms) - started)) ms after start)"
no_panel || fail "the panel opened at start although the icon is in the tray"
read -r x y w h <<<"$(icon_place)"
bar_height=$((y + h))
import -window root "$work/bar.png"
bar_colour=$(convert "$work/bar.png" -format "%[hex:p{$x,$((y + 1))}]" info:)
read -r bx by bw bh <<<"$(tray_pixels box "$work/bar.png" "${w}x$h+$x+$y" "$bar_colour")"
[ -n "${bh:-}" ] || fail "nothing is drawn where the shell puts the icon"
icon_contrast gnome "$work/bar.png" "$((x + bx)) $((y + by)) $bw $bh" "$screen_width" "$bar_height" \
    "${bar_colour,,}"

# 4. A left click: the menu; its first entry opens the panel against the icon.
open_menu() {
    xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
    wait_for 5 menu_opened || fail "a left click on the icon showed no menu"
    [ "$(menu_state | cut -d'|' -f1)" = "Open Bobbinlark" ] || fail "the menu is $(menu_state)"
    read -r entry_x entry_y entry_w entry_h <<<"$(shell_eval "($place)($item.menu._getMenuItems()[0])")"
    xdotool mousemove $((entry_x + entry_w / 2)) $((entry_y + entry_h / 2))
    sleep 0.3 # the entry takes the hover before the click, as under a hand
}
watch_panel x11
time_clicks "gnome menu entry" open_menu "xdotool click 1" close_panel
panel_by_icon gnome "$screen_width" "$bar_height" "$x" "$y" "$w" "$h"
close_panel

# 5. A right click: the menu as the program exports it.
xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 3
wait_for 5 menu_opened || fail "a right click on the icon showed no menu"
[ "$(menu_state)" = "Open Bobbinlark|About Bobbinlark|-|Quit Bobbinlark" ] ||
    fail "the menu is not the program's: $(menu_state)"
shot menu
echo "PASS: screenshots in $output"
