# Sourced by the desktop tests after background.sh, where a window manager runs on $DISPLAY:
# whether a window of the program is an ordinary top-level window that the desktop manages, as
# seen from outside the program (its X11 properties, the window manager's lists, a drag).

# atoms_of ID PROPERTY: the atoms of a window's property, one a line (nothing when it is unset).
atoms_of() {
    "${on_display[@]}" xprop -id "$1" "$2" | sed -n 's/^[^=]*= //p' | tr -d ' ' | tr ',' '\n'
}

# top_level ID: the child of the root window that holds the window: the frame a window manager
# put it in, or the window itself.
top_level() {
    local window parent root
    window=$(printf '0x%x' "$1")
    while :; do
        read -r root parent <<<"$("${on_display[@]}" xwininfo -children -id "$window" |
            sed -n 's/^ *\(Root\|Parent\) window id: \(0x[0-9a-f]*\).*/\2/p' | tr '\n' ' ')"
        [ -n "${parent:-}" ] && [ "$parent" != 0x0 ] && [ "$parent" != "$root" ] || break
        window=$parent
    done
    echo "$window"
}

# window_size ID: "WIDTHxHEIGHT" of the window (ID decimal or hexadecimal).
window_size() {
    "${on_display[@]}" xwininfo -id "$(printf '0x%x' "$1")" |
        awk '/^ *Width:/ { w = $2 } /^ *Height:/ { h = $2 } END { print w "x" h }'
}

# stacking_index ID: where the window lies among the root window's children, from the bottom
# (xwininfo lists them from the top).
stacking_index() {
    "${on_display[@]}" xwininfo -root -children | sed -n 's/^ *\(0x[0-9a-f]*\) .*/\1/p' | tac |
        grep -nx "$(top_level "$1")" | cut -d: -f1
}

# ordinary_window ID: fails unless the window with ID (decimal, as xdotool gives it) is one the
# window manager manages as it does any other: of the normal type (the first type of the standard
# that it names, as window managers read it), transient for no window, kept above nothing and left
# out of neither the taskbar nor the pager, and listed among the window manager's clients. It has
# no frame of the desktop's around it (no title bar above its header, its only title), and the
# window manager lets it be moved.
ordinary_window() {
    local id=$1 types type state flag extents actions
    types=$(atoms_of "$id" _NET_WM_WINDOW_TYPE)
    type=$(grep -m1 '^_NET_WM_WINDOW_TYPE_' <<<"$types" || true)
    [ "$type" = _NET_WM_WINDOW_TYPE_NORMAL ] ||
        fail "the window is of the type ${type:-none}, not an ordinary window" \
            "(types: ${types//$'\n'/ })"
    "${on_display[@]}" xprop -id "$id" WM_TRANSIENT_FOR | grep -q 'not found' ||
        fail "the window is transient for another:" \
            "$("${on_display[@]}" xprop -id "$id" WM_TRANSIENT_FOR)"
    state=$(atoms_of "$id" _NET_WM_STATE)
    for flag in ABOVE STAYS_ON_TOP SKIP_TASKBAR SKIP_PAGER MODAL; do
        ! grep -qx "_NET_WM_STATE_$flag" <<<"$state" ||
            fail "the window's state has _NET_WM_STATE_$flag (${state//$'\n'/ })"
    done
    "${on_display[@]}" xprop -root _NET_CLIENT_LIST | sed -n 's/^[^#]*# //p' | tr -d ' ' |
        tr ',' '\n' | grep -qx "$(printf '0x%x' "$id")" ||
        fail "the window manager does not list the window among its clients"
    # No frame: none that the window manager reports, and none that holds the window.
    extents=$("${on_display[@]}" xprop -id "$id" _NET_FRAME_EXTENTS | sed -n 's/^[^=]*= //p')
    [ -z "$extents" ] || [ "$extents" = "0, 0, 0, 0" ] ||
        fail "the desktop drew a frame round the window (extents $extents): a second title"
    [ "$(window_size "$(top_level "$id")")" = "$(window_size "$id")" ] ||
        fail "the window lies in a frame of $(window_size "$(top_level "$id")"), larger than its" \
            "$(window_size "$id"): a second title"
    actions=$(atoms_of "$id" _NET_WM_ALLOWED_ACTIONS)
    [ -z "$actions" ] || grep -qx _NET_WM_ACTION_MOVE <<<"$actions" ||
        fail "the window manager does not let the window be moved (${actions//$'\n'/ })"
}

# moves_by_its_header ID TO_X TO_Y: a drag on the window's header, clear of its buttons, moves
# the window to about TO_X, TO_Y (a place clear of the screen's edges, where a window manager
# may snap it); prints where it went as a FIGURE line.
moves_by_its_header() {
    local id=$1 to_x=$2 to_y=$3 before_x before_y x y dx dy step
    eval "$("${on_display[@]}" xdotool getwindowgeometry --shell "$id")"
    before_x=$X before_y=$Y dx=$((to_x - X)) dy=$((to_y - Y))
    # Between the name at the left and the buttons at the right.
    x=$((X + 200)) y=$((Y + 20))
    "${on_display[@]}" xdotool mousemove "$x" "$y"
    sleep 0.3
    "${on_display[@]}" xdotool mousedown 1
    sleep 0.3
    for step in $(seq 1 10); do
        "${on_display[@]}" xdotool mousemove $((x + dx * step / 10)) $((y + dy * step / 10))
        sleep 0.05
    done
    sleep 0.3
    "${on_display[@]}" xdotool mouseup 1
    moved() {
        eval "$("${on_display[@]}" xdotool getwindowgeometry --shell "$id")"
        [ $((X - to_x)) -ge -8 ] && [ $((X - to_x)) -le 8 ] &&
            [ $((Y - to_y)) -ge -8 ] && [ $((Y - to_y)) -le 8 ]
    }
    wait_for 3 moved || fail "a drag on the header from $before_x,$before_y towards $to_x,$to_y" \
        "left the window at $X,$Y"
    echo "FIGURE a drag on the header moved the window from $before_x,$before_y to $X,$Y"
}

# stays_under_a_raised_window ID: another program's window, opened over this one and raised,
# stays over it (a window kept above would cover it again).
stays_under_a_raised_window() {
    local id=$1 cover cover_pid
    eval "$("${on_display[@]}" xdotool getwindowgeometry --shell "$id")"
    "${on_display[@]}" xev -name bl-cover -geometry "300x300+$((X + 30))+$((Y + 30))" \
        >/dev/null 2>&1 </dev/null &
    cover_pid=$!
    pids+=("$cover_pid")
    cover_window() {
        cover=$("${on_display[@]}" xdotool search --onlyvisible --name '^bl-cover$' | head -1)
        [ -n "$cover" ]
    }
    wait_for 10 cover_window || fail "the other window did not show"
    "${on_display[@]}" xdotool windowactivate --sync "$cover" windowraise "$cover"
    sleep 0.5
    [ "$(stacking_index "$cover")" -gt "$(stacking_index "$id")" ] ||
        fail "a window raised over the panel's window stays under it"
    stop "$cover_pid"
    wait_for 5 eval '! cover_window' || fail "the other window stayed after its program ended"
}

# behaves_as_an_ordinary_window DESKTOP SHOT: the panel's window, shown where there is no tray,
# is an ordinary window that its header moves and that another window covers; prints where the
# desktop put it and keeps a screenshot named SHOT.
behaves_as_an_ordinary_window() {
    local desktop=$1 id x y to=400
    read -r id _ _ x y <<<"$(panel)"
    echo "FIGURE $desktop without a tray: the window was put at $x,$y"
    ordinary_window "$id"
    # Somewhere else, well inside the screen.
    ((x > 200)) && to=60
    moves_by_its_header "$id" "$to" 150
    shot "$2"
    stays_under_a_raised_window "$id"
}
