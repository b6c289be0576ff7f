#!/usr/bin/env bash
# The tray program on Xfce (its window manager, and its panel's status-notifier tray) on a
# virtual X display, as a person meets it when the panel comes after the program (login) and
# restarts:
#   1. started before the panel, with no tray yet, the program shows its window: an ordinary one
#      that the window manager manages (of the normal type, kept above nothing, transient for
#      nothing, listed, with no frame of the desktop's above its own header), which a drag on its
#      header moves and another window raised over it covers; when the panel comes, the icon
#      appears in its tray, and when the panel restarts, it comes back;
#   2. the icon reads on the seven tray colours (contrast measured from screenshots);
#   3. a click on the icon opens the panel against the icon, inside the screen, off the bar;
#      the next click closes it.
# Prints the figures it measures (late tray, click to panel mapped and drawn); screenshots land in OUTPUT_DIR
# and OUTPUT_DIR/tray. Exits 77 (skipped) without Xvfb, Xfce's window manager or its panel.
#   xfce_e2e.sh BOBBINLARK OUTPUT_DIR PANEL_DRAWN
set -euo pipefail

# shellcheck source=/dev/null
source "$(dirname "$0")/support/second_attempt.sh"

program=$1 output=$2 panel_drawn=$3
# shellcheck source=/dev/null
source "$(dirname "$0")/support/background.sh"
# shellcheck source=/dev/null
source "$(dirname "$0")/support/ordinary_window.sh"
require Xvfb xfwm4 xfce4-panel xfconf-query xdotool xprop xwininfo import convert dbus-daemon gdbus python3
use_own_session
mkdir -p "$output/tray" "$work/config/xfce4/xfconf/xfce-perchannel-xml"
shot() { import -window root "$output/xfce-$1.png"; }

bar_height=28
# A panel along the top with its tray at the right end, in Debian's dark grey.
cat >"$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="$bar_height"/>
      <property name="background-style" type="uint" value="1"/>
      <property name="background-rgba" type="array">
        <value type="double" value="0.207843"/><value type="double" value="0.207843"/>
        <value type="double" value="0.207843"/><value type="double" value="1"/>
      </property>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/><value type="int" value="2"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="separator">
      <property name="expand" type="bool" value="true"/>
      <property name="style" type="uint" value="0"/>
    </property>
    <property name="plugin-2" type="string" value="systray"/>
  </property>
</channel>
XML

start_display
bus_services=(org.xfce.Xfconf) # the panel's settings, started on the bus as a desktop does
start_session_bus
screen_width=$(xdotool getdisplaygeometry | cut -d' ' -f1)

bar_colour=353535
# "x y width height" of the icon in the bar: what is not the bar's colour.
icon_box() {
    import -window root "$work/bar.png" 2>/dev/null || return 1
    tray_pixels box "$work/bar.png" "${screen_width}x$bar_height+0+0" "$bar_colour"
}
has_icon() { [ -n "$(icon_box)" ] && has_notifier_item; }
start_panel() {
    xfce4-panel --disable-wm-check >>"$work/panel.log" 2>&1 </dev/null &
    panel_pid=$!
    pids+=($panel_pid)
}

# 1. The window manager and the program first, the panel later. Until the panel comes there is
#    no tray: the window is the only way in, an ordinary one.
xfwm4 --sm-client-disable >>"$work/wm.log" 2>&1 </dev/null &
pids+=($!)
wm_runs() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }
wait_for 15 wm_runs || fail "Xfce's window manager did not start"
start_program
wait_for 15 has_panel || fail "without a tray the window did not show at launch"
behaves_as_an_ordinary_window xfce 0-no-tray
started=$(now_ms)
start_panel
wait_for 15 has_icon || fail "the icon did not appear when the panel came"
echo "FIGURE xfce late tray: icon $(($(now_ms) - started)) ms after the panel was started"
shot 1-late-panel
# The panel restarts (an update, a crash): the icon comes back.
xfce4-panel --quit >/dev/null 2>&1 || kill "$panel_pid"
gone() { ! kill -0 "$panel_pid" 2>/dev/null; }
wait_for 10 gone || fail "the panel did not quit"
started=$(now_ms)
start_panel
wait_for 15 has_icon || fail "the icon did not come back when the panel restarted"
echo "FIGURE xfce panel restart: icon $(($(now_ms) - started)) ms after the panel was started"

# 2. The icon on each tray colour.
for colour in "${tray_colours[@]}"; do
    rgba=()
    for i in 0 2 4; do rgba+=(-t double -s "$(awk -v c=$((16#${colour:i:2})) 'BEGIN { printf "%.6f", c / 255 }')"); done
    xfconf-query -c xfce4-panel -p /panels/panel-1/background-rgba "${rgba[@]}" -t double -s 1
    bar_colour=$colour
    # The icon and the bar's colour in one screenshot, which is the one measured.
    box=""
    settled() { box=$(icon_box) && [ -n "$box" ] && [ "$(convert "$work/bar.png" -format '%[hex:p{2,2}]' info:)" = "${colour^^}" ]; }
    wait_for 10 settled || fail "the bar did not take the colour #$colour"
    icon_contrast xfce "$work/bar.png" "$box" "$screen_width" "$bar_height" "$colour"
done

# 3. Clicks: the open window closes, the next click opens the panel against the icon.
read -r x y w h <<<"$(icon_box)"
click_x=$((x + w / 2)) click_y=$((y + h / 2))
xdotool mousemove "$click_x" "$click_y" click 1
wait_for 5 no_panel || fail "a click on the icon did not close the open window"
watch_panel x11
time_clicks xfce true "xdotool click 1" "xdotool click 1"
started=$(now_ms)
xdotool getmouselocation >/dev/null
echo "FIGURE xfce: starting xdotool, which those figures include, takes $(($(now_ms) - started)) ms"
shot 2-open
panel_by_icon xfce "$screen_width" "$bar_height" "$x" "$y" "$w" "$h"
xdotool mousemove "$click_x" "$click_y" click 1
wait_for 5 no_panel || fail "a second click did not close the panel"
echo "PASS: screenshots in $output and $output/tray"
