#!/usr/bin/env bash
# The tray program on GNOME Shell 43 (X11, on a virtual display), as a person meets it:
#   1. without the AppIndicator extension there is no tray: the panel opens at start, and a
#      second launch opens it again;
#   2. the extension turned on later (a tray that comes after the program): the icon appears;
#   3. started with the extension on, the icon shows and stays, and reads on the bar;
#   4. a left click shows the menu (the extension's way with an item that has one), whose
#      "Open Bobbinlark" opens the panel against the icon, off the bar; a double click
#      activates the item, which closes and opens the panel;
#   5. a right click shows the menu, drawn by the shell from what the program exports;
#   6. the shell restarts: the icon comes back.
# Prints the figures it measures; screenshots land in OUTPUT_DIR. Exits 77 (skipped) without
# GNOME Shell and the extension, which CI installs (see the README).
#   gnome_e2e.sh BOBBINLARK OUTPUT_DIR PROBE_EXTENSION_DIR
set -euo pipefail

# shellcheck source=/dev/null
source "$(dirname "$0")/support/second_attempt.sh"

program=$1 output=$2 probe=$3
# shellcheck source=/dev/null
source "$(dirname "$0")/support/background.sh"
extensions=/usr/share/gnome-shell/extensions
appindicator=ubuntu-appindicators@ubuntu.com
[ -d "$extensions/$appindicator" ] && command -v gnome-shell >/dev/null ||
    skip "needs gnome-shell and gnome-shell-extension-appindicator (CI installs them: make deps-desktops)"
require Xvfb xdotool xev stdbuf import convert dbus-daemon gdbus gsettings python3
use_own_session
export XDG_DATA_HOME=$work/data XDG_SESSION_TYPE=x11 XDG_CURRENT_DESKTOP=GNOME
mkdir -p "$output/tray" "$XDG_DATA_HOME/gnome-shell/extensions"
# Our probe lets the run ask the shell where its icon and menu are (org.gnome.Shell.Eval).
probe_id=$(python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))["uuid"])' "$probe/metadata.json")
cp -r "$probe" "$XDG_DATA_HOME/gnome-shell/extensions/$probe_id"
shot() { import -window root "$output/gnome-$1.png"; }

start_display
# GNOME Shell wants a system bus: one of the run's own.
dbus-daemon --session --nofork --nosyslog --print-address=3 3>"$work/system-bus" \
    >"$work/system-bus.log" 2>&1 </dev/null &
pids+=($!)
wait_for 10 test -s "$work/system-bus" || fail "the system bus did not start"
DBUS_SYSTEM_BUS_ADDRESS=$(head -1 "$work/system-bus")
export DBUS_SYSTEM_BUS_ADDRESS
start_session_bus
screen_width=$(xdotool getdisplaygeometry | cut -d' ' -f1)

enable_extensions() {
    local list="'$probe_id'" id
    for id in "$@"; do list+=", '$id'"; done
    gsettings set org.gnome.shell enabled-extensions "[$list]"
}
# shell_eval JS: the value of JS in the shell, a string, printed bare. (gdbus reads an argument
# that parses as a value's text, such as "a", as that value: start JS otherwise.)
shell_eval() {
    gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
        --method org.gnome.Shell.Eval "$1" 2>/dev/null | sed -n "s/^(true, '\(.*\)')$/\1/p" |
        sed 's/^"\(.*\)"$/\1/'
}
shell_ready() { [ "$(shell_eval 'String(!Main.layoutManager._startingUp)')" = true ]; }
out_of_overview() { [ "$(shell_eval 'Main.overview.hide(); String(Main.overview.visible)')" = false ]; }
start_shell() {
    gnome-shell --x11 --replace --sm-disable >>"$work/shell.log" 2>&1 </dev/null &
    shell_pid=$!
    pids+=("$shell_pid")
    wait_for 60 shell_ready || fail "GNOME Shell did not start"
    # Out of the overview it starts in, and no banners over the bar.
    shell_eval 'Main.messageTray.bannerBlocked = true' >/dev/null
    wait_for 10 out_of_overview || fail "GNOME Shell stayed in its overview"
}
# The extension's item of ours, as JS.
indicator='Object.entries(Main.panel.statusArea).filter(([k]) => k.startsWith("appindicator-")).map(([, v]) => v)[0]'
# "x y w h" of the icon in the bar while it is shown, else nothing.
icon_place() {
    shell_eval "(() => { const i = $indicator; if (!i || !i.visible || !i.mapped) return \"\";
        const [x, y] = i.get_transformed_position(); const [w, h] = i.get_transformed_size();
        return [x, y, w, h].map(Math.round).join(\" \"); })()"
}
has_icon() { [ -n "$(icon_place)" ] && notifier_items | grep -q StatusNotifierItem; }
no_icon() { [ -z "$(icon_place)" ]; }
# The shell's menu of the icon: "open|label|label...", or "closed".
menu_state() {
    shell_eval "(() => { const m = $indicator.menu; if (!m.isOpen) return \"closed\";
        return [\"open\", ...m._getMenuItems().map(i => (i.label && i.label.text) || \"-\")].join(\"|\"); })()"
}
# "x y" of the middle of the menu's first entry.
first_entry() {
    shell_eval "(() => { const e = $indicator.menu._getMenuItems()[0];
        const [x, y] = e.get_transformed_position(); const [w, h] = e.get_transformed_size();
        return [x + w / 2, y + h / 2].map(Math.round).join(\" \"); })()"
}
menu_opened() { [[ $(menu_state) == open* ]]; }
menu_closed() { [ "$(menu_state)" = closed ]; }

# 1. GNOME as it comes: no tray. The panel opens at start; a second launch opens it again.
enable_extensions
start_shell
start_program
wait_for 15 has_panel || fail "without a tray the panel did not open at start"
shot 1-no-tray
read -r panel_id _ <<<"$(panel)"
xdotool windowactivate --sync "$panel_id" key Escape
wait_for 5 no_panel || fail "Escape did not close the panel"
timeout 10 "$program" || fail "the second launch did not hand over and exit 0"
wait_for 5 has_panel || fail "a second launch did not open the panel again"

# 2. The extension comes after the program: the icon follows.
started=$(now_ms)
enable_extensions "$appindicator"
wait_for 15 has_icon || fail "the icon did not appear when the extension was turned on"
echo "FIGURE gnome late tray: icon $(($(now_ms) - started)) ms after the extension was turned on"
shot 2-late-tray

# 3. Started with the tray there: the icon shows and stays; the panel stays closed.
stop "$program_pid"
wait_for 10 no_icon || fail "the icon stayed after the program ended"
start_program
started=$(now_ms)
wait_for 15 has_icon || fail "the icon did not show at start"
echo "FIGURE gnome icon shown $(($(now_ms) - started)) ms after start"
for _ in $(seq 16); do
    sleep 0.5
    has_icon || fail "the icon was shown, then went ($(($(now_ms) - started)) ms after start)"
done
no_panel || fail "the panel opened at start although the icon is in the tray"
read -r x y w h <<<"$(icon_place)"
import -window root "$work/bar.png"
bar_height=$((y + h))
bar_colour=$(convert "$work/bar.png" -format "%[hex:p{$x,$((y + 1))}]" info:)
box=$(tray_pixels box "$work/bar.png" "${w}x$h+$x+$y" "$bar_colour")
[ -n "$box" ] || fail "nothing is drawn where the shell puts the icon"
read -r bx by bw bh <<<"$box"
icon_contrast gnome "$work/bar.png" "$((x + bx)) $((y + by)) $bw $bh" "$screen_width" "$bar_height" \
    "${bar_colour,,}"
shot 3-icon

# 4. A left click: the menu; its first entry opens the panel against the icon.
click_x=$((x + w / 2)) click_y=$((y + h / 2))
watch_maps
times=()
for round in $(seq "$click_rounds"); do
    xdotool mousemove "$click_x" "$click_y" click 1
    wait_for 5 menu_opened || fail "a left click on the icon showed no menu"
    [ "$(menu_state | cut -d'|' -f2)" = "Open Bobbinlark" ] ||
        fail "the menu does not begin with Open Bobbinlark: $(menu_state)"
    [ "$round" -gt 1 ] || shot 4-left-click-menu
    read -r entry_x entry_y <<<"$(first_entry)"
    xdotool mousemove "$entry_x" "$entry_y"
    sleep 0.3 # the entry takes the hover before the click, as under a hand
    clicked=$(now_ms)
    xdotool click 1
    wait_for 5 has_panel || fail "Open Bobbinlark did not open the panel"
    wait_for 2 test -n "$(mapped_after "$clicked")" || fail "the panel's mapping went unseen"
    times+=($(($(mapped_after "$clicked") - clicked)))
    [ "$round" -gt 1 ] || { shot 5-open; panel_by_icon gnome "$screen_width" "$bar_height" "$x" "$y" "$w" "$h"; }
    read -r panel_id _ <<<"$(panel)"
    xdotool windowactivate --sync "$panel_id" key Escape
    wait_for 5 no_panel || fail "Escape did not close the panel"
done
echo "FIGURE gnome menu entry click to panel mapped: median $(median "${times[@]}") ms of ${times[*]}"
# A double click activates the item: the panel opens against the icon, and the next closes it.
xdotool mousemove "$click_x" "$click_y" click --repeat 2 --delay 80 1
wait_for 5 has_panel || fail "a double click on the icon did not open the panel"
panel_by_icon gnome-activate "$screen_width" "$bar_height" "$x" "$y" "$w" "$h"
menu_closed || xdotool key Escape
sleep 0.6 # not one double click with the next
xdotool mousemove "$click_x" "$click_y" click --repeat 2 --delay 80 1
wait_for 5 no_panel || fail "a second double click did not close the panel"
menu_closed || xdotool key Escape

# 5. A right click: the menu as the program exports it.
wait_for 5 menu_closed || fail "the menu stayed open"
xdotool mousemove "$click_x" "$click_y" click 3
wait_for 5 menu_opened || fail "a right click on the icon showed no menu"
[ "$(menu_state)" = "open|Open Bobbinlark|About Bobbinlark|-|Quit Bobbinlark" ] ||
    fail "the menu is not the program's: $(menu_state)"
shot 6-right-click-menu
xdotool key Escape
wait_for 5 menu_closed || fail "Escape did not close the menu"

# 6. The shell restarts (an update, a crash): the icon comes back.
stop "$shell_pid"
started=$(now_ms)
start_shell
wait_for 15 has_icon || fail "the icon did not come back when the shell restarted"
echo "FIGURE gnome shell restart: icon $(($(now_ms) - started)) ms after the shell was started"
kill -0 "$program_pid" || fail "the program ended with the shell"
echo "PASS: screenshots in $output"
