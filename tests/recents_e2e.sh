#!/usr/bin/env bash
# The recent sends as a person meets them, on a virtual X display: a design sent once is listed
# with its thumbnail when the panel opens, and dragging its card onto the drop zone with the
# pointer sends the file to the machine a second time. Then, where this run may mount (as root):
# "Quit Bobbinlark" with a design's read hanging on a share that never answers ends the program,
# and a settings folder that is read-only or full makes the tool say so and exit 1. Screenshots
# go to the output folder. Exits 77 (skipped) without Xvfb and its helpers.
#   recents_e2e.sh BOBBINLARK BOBBINLARK_TOOL FAKE_MACHINE DESIGN OUTPUT_DIR
set -euo pipefail

# shellcheck source=/dev/null
source "$(dirname "$0")/support/second_attempt.sh"

# The mounts of this run are its own, and go with it.
if [ -z "${BOBBINLARK_OWN_MOUNTS:-}" ] && [ "$(id -u)" -eq 0 ] && command -v unshare >/dev/null; then
    BOBBINLARK_OWN_MOUNTS=1 exec unshare --mount --propagation private "$0" "$@"
fi

program=$1 tool=$2 fake=$3 design=$4 output=$5
# shellcheck source=/dev/null
source "$(dirname "$0")/support/background.sh"
require Xvfb xdotool import convert xdpyinfo
use_own_session
mkdir -p "$output"
shot() { import -window root "$output/recents-e2e-$1.png"; }

start_display

start_fake_machine
"$tool" add-machine "E2E Machine" 127.0.0.1 "$port" >/dev/null || fail "could not save the machine"

# The first send, recorded in the recent sends as the program would.
cp "$design" "$work/rose-garden.pes"
"$tool" send "$work/rose-garden.pes" >/dev/null || fail "the first send failed"
received() { grep -c "Received rose-garden.pes" "$work/machine.log" || true; }
[ "$(received)" -eq 1 ] || fail "the machine did not receive the first send"

# No tray: the panel is an ordinary window, shown at launch.
start_program
wait_for 15 has_panel || fail "the panel did not show"
read -r panel_id _ _ panel_x panel_y <<<"$(panel)"

# Where things are in the 360 x 520 panel: the header (40) and its divider, the machine bar
# (44, 10 above and below), the drop zone (170), then 12 above the list's header and its
# first card, 56 high, inset 12 on each side; the thumbnail sits 10 in and 8 down in the card.
drop_x=$((panel_x + 180)) drop_y=$((panel_y + 41 + 10 + 44 + 10 + 85))
card_top=$((panel_y + 41 + 64 + 170 + 12 + 21))
card_x=$((panel_x + 180)) card_y=$((card_top + 28))
thumb_x=$((panel_x + 12 + 10)) thumb_y=$((card_top + 8))

# The card shows the design's stitches: many colours in the thumbnail's square, where a tile
# still loading or showing only its file type has a few.
thumbnail_colours() {
    import -window root "$work/screen.png" 2>/dev/null || return 1
    convert "$work/screen.png" -crop "40x40+$thumb_x+$thumb_y" +repage -format %k info:
}
drawn() { [ "$(thumbnail_colours)" -ge 12 ]; }
wait_for 10 drawn || fail "the card shows no thumbnail ($(thumbnail_colours) colours)"
shot 1-card

# Drag the card onto the drop zone.
drag_to "$card_x" "$card_y" "$card_x" "$drop_y" 2-dragging

twice() { [ "$(received)" -eq 2 ]; }
wait_for 15 twice || fail "the drop did not send the design again ($(received) received)"
cmp -s "$work/rose-garden.pes" "$work/received/rose-garden.pes" || fail "the machine received other bytes"
sleep 0.5
shot 3-sent-again
if [ "${BOBBINLARK_OWN_MOUNTS:-}" != 1 ] || [ ! -c /dev/fuse ] || ! command -v python3 >/dev/null; then
    echo "PASS: screenshots in $output (not tried: mounts of its own, which need root and FUSE)"
    exit 0
fi

# A design on a share that never answers: its read hangs for as long as the program lives.
mkdir "$work/share"
python3 "$(dirname "$0")/support/stuck_mount.py" "$work/share" stuck.pes "$(stat -c %s "$design")" \
    >"$work/share.log" 2>&1 &
pids+=($!)
wait_for 10 grep -qs mounted "$work/share.log" || fail "the share did not mount"
"$program" "$work/share/stuck.pes" >>"$work/program.log" 2>&1 </dev/null || fail "no hand-off"
wait_for 10 grep -q "read pending" "$work/share.log" || fail "the program did not read the design"
shot 4-stuck
xdotool windowfocus --sync "$panel_id" key ctrl+q
ended() { case $(ps -o stat= -p "$program_pid") in "" | Z*) return 0 ;; *) return 1 ;; esac; }
wait_for 20 ended || fail "Quit Bobbinlark left the program running with a read pending"
wait "$program_pid" || fail "the program exited with $?"
umount "$work/share"

# A settings folder that takes no write, as a read-only or full disk: nothing is said to be
# saved that was not. The machine still receives the send; its record is what fails.
settings=$XDG_CONFIG_HOME/Bobbinlark
cp "$settings/Bobbinlark.conf" "$work/kept.conf"
refused() {
    local command
    for command in "add-machine Attic 10.0.0.3" "send $work/rose-garden.pes"; do
        # shellcheck disable=SC2086
        "$tool" $command >"$work/tool.log" 2>&1 && fail "$command reported success ($1)"
        grep -q "Couldn't save your settings" "$work/tool.log" ||
            fail "$command on $1 said: $(cat "$work/tool.log")"
    done
    cmp -s "$settings/Bobbinlark.conf" "$work/kept.conf" || fail "the settings changed ($1)"
}
mount --bind "$settings" "$settings" && mount -o remount,bind,ro "$settings" ||
    fail "could not make the settings folder read-only"
refused "a read-only folder"
umount "$settings"
mount --bind "$settings/Bobbinlark.conf" "$settings/Bobbinlark.conf" &&
    mount -o remount,bind,ro "$settings/Bobbinlark.conf" || fail "could not make the file read-only"
refused "a read-only file"
umount "$settings/Bobbinlark.conf"
mount -t tmpfs -o size=64k tmpfs "$settings" || fail "could not mount a small disk"
cp "$work/kept.conf" "$settings/Bobbinlark.conf"
dd if=/dev/zero of="$settings/filler" bs=4k 2>/dev/null || true # until the disk is full
refused "a full disk"
umount "$settings"
cmp -s "$settings/Bobbinlark.conf" "$work/kept.conf" || fail "the settings file changed"
echo "PASS: screenshots in $output"
