#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program on a virtual X server with a window manager, driven by
# real key presses and mouse clicks (xdotool, through XTest): what only real
# input reaches, the way a user's hand reaches it.
#   realinput.sh PROGRAM EXAMPLES CASE
# Exit status 0 passed, 1 failed, 77 skipped (no X server could start).
set -euo pipefail

program=$1 examples=$2 case=$3
data=$(cd "$(dirname "$0")/../data" && pwd)
# Generous: the machine may be slow and shared; every wait polls.
timeout_s=${QUORVIN_REALINPUT_TIMEOUT:-60}

fail() {
    echo "FAILED ($case): $*" >&2
    # Also from inside $(...): the mark outlives the subshell.
    if [ -n "${work:-}" ] && [ ! -e "$work/keep" ]; then
        touch "$work/keep"
        import -window root "$work/failed.png" 2>/dev/null || true
        echo "The screen, the program's output and the X logs: $work (kept)" >&2
    fi
    exit 1
}

for tool in Xvfb openbox xdotool xprop xwininfo xclip; do
    command -v "$tool" >/dev/null || fail "$tool is missing (debian-packages.txt lists it)"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quorvin-realinput.XXXXXX")
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    [ -e "$work/keep" ] || rm -rf "$work"
}
trap cleanup EXIT

# A display of its own, whichever number is free.
exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq $((timeout_s * 10))); do
    [ -s "$work/display" ] && break
    kill -0 "${pids[0]}" 2>/dev/null || break
    sleep 0.1
done
if [ ! -s "$work/display" ]; then
    echo "SKIPPED ($case): no X server could start; Xvfb said:" >&2
    cat "$work/xvfb.log" >&2
    exit 77
fi
export DISPLAY=":$(head -n1 "$work/display")"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM QT_SCALE_FACTOR

# Polls a command until it succeeds.
until_true() {
    local what=$1
    shift
    for _ in $(seq $((timeout_s * 10))); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    fail "timed out waiting for $what"
}
# The server may name its display before it takes connections, and a busy
# machine widens that gap: the window manager starts once a client gets in.
until_true "the X server" xdpyinfo
# Now and then openbox still fails to open the display: started again.
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
for _ in 1 2 3 4 5; do
    openbox >> "$work/openbox.log" 2>&1 &
    wm=$!
    for _ in $(seq 50); do
        wm_running && break 2
        kill -0 "$wm" 2>/dev/null || break
        sleep 0.1
    done
    kill "$wm" 2>/dev/null || true
    wait "$wm" 2>/dev/null || true
    sleep 0.5
done
pids+=("$wm")
# Only once it manages windows: a window mapped while it starts may be lost.
until_true "the window manager" bash -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'"

start() {
    "$program" "$@" > "$work/program.log" 2>&1 &
    pids+=($!)
    main=$(window "^Quorvin$")
}

# The program's message after a command, a window apart from the main one
# with the same title: answered with Enter.
message_ok() {
    until_true "the program's message" bash -c \
        "xdotool search --onlyvisible --name '^Quorvin\$' | grep -vx '$main'"
    local box
    box=$(xdotool search --onlyvisible --name '^Quorvin$' | grep -vx "$main" | head -n1)
    xdotool windowactivate --sync "$box" >/dev/null 2>&1 || true
    xdotool key Return
    until_true "the message to close" bash -c "! xdotool search --onlyvisible --name '^Quorvin\$' | grep -vx '$main'"
}

# The visible window whose title matches, once it is there and has the keyboard.
window() {
    local id=""
    for _ in $(seq $((timeout_s * 10))); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
        [ -n "$id" ] && break
        sleep 0.1
    done
    [ -n "$id" ] || fail "no window \"$1\" appeared"
    until_true "window \"$1\" to have the keyboard" activated "$id"
    echo "$id"
}

# Asks the window manager to activate the window, again at each call: a
# request made while the window is being mapped may be dropped.
activated() {
    timeout 2 xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
    [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]
}

gone() {
    until_true "window \"$1\" to close" bash -c "! xdotool search --onlyvisible --name '$1'"
}

# A popup menu of the program shows: a window that the window manager does
# not frame, two items high at least, so that a tooltip does not count.
menu_open() {
    local id height
    for id in $(xdotool search --onlyvisible --classname '^quorvin$' 2>/dev/null); do
        xwininfo -id "$id" 2>/dev/null | grep -q 'Override Redirect State: yes' || continue
        height=$(xwininfo -id "$id" 2>/dev/null | sed -n 's/^ *Height: *//p')
        [ "${height:-0}" -ge 40 ] && return 0
    done
    return 1
}

# A point of a window, at fractions of its width and height.
point() {
    local x y w h
    eval "$(xdotool getwindowgeometry --shell "$1")"
    x=$X y=$Y w=$WIDTH h=$HEIGHT
    echo "$((x + w * $2 / 100)) $((y + h * $3 / 100))"
}

# Types a path into the file dialog of that title and accepts it, then
# answers the message that the program shows after saving.
save_through_dialog() {
    window "$1" >/dev/null
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 20 "$2"
    xdotool key Return
    gone "$1"
}

# A PNG's first eight bytes.
is_png() {
    [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
        fail "$(basename "$1") is not a PNG"
}

# A right click on a window's graph, at fractions of its width and height:
# the menu, Save image as... by its access key, and the PNG written.
right_click_saves_png() {
    xdotool mousemove $(point "$1" "$2" "$3") click 3
    until_true "the graph's menu" menu_open
    xdotool key s
    save_through_dialog "Save image" "$work/$4"
    message_ok
    until_true "the PNG" test -s "$work/$4"
    is_png "$work/$4"
}

# Opens a file through the open dialog of that title: the same keys.
open_through_dialog() { save_through_dialog "$@"; }

# The electrokinetic models, from the main window's Analysis menu: the
# mobility graph fills the window above its table; the button under the
# table, by its key, puts Henry's function over Ka in its place.
case_ModelsGraphsRightClickSaveImages() {
    command -v import >/dev/null || fail "import (ImageMagick) is missing"
    start
    xdotool key alt+a e
    local models
    models=$(window "^Electrokinetic models$")
    right_click_saves_png "$models" 40 30 mobility.png
    xdotool windowactivate --sync "$models"
    import -window "$models" "$work/before.png"
    xdotool key alt+h
    # The right click must reach the new graph: once the window shows it.
    until_true "the other graph" bash -c \
        "import -window '$models' '$work/after.png' && ! cmp -s '$work/before.png' '$work/after.png'"
    right_click_saves_png "$models" 40 30 henry.png
    cmp -s "$work/mobility.png" "$work/henry.png" && fail "the same graph twice"
    return 0
}

# The charge of a sequence: the curve against pH on the right.
case_ChargeGraphRightClickSavesImage() {
    start
    xdotool key alt+a c
    local charge
    charge=$(window "^Charge from the sequence$")
    xdotool key alt+o
    open_through_dialog "Open sequence" "$data/charge_proteins.fasta"
    window "^Charge from the sequence$" >/dev/null
    right_click_saves_png "$charge" 75 50 charge.png
}

# Sigma from a profile: the scan and its fitted curve at the top right.
case_SigmaProfileGraphRightClickSavesImage() {
    start
    xdotool key alt+a s
    local sigma
    sigma=$(window "^Sigma from a profile$")
    xdotool key alt+o
    open_through_dialog "Open scans" "$data/scans/radial-1.txt"
    window "^Sigma from a profile$" >/dev/null
    right_click_saves_png "$sigma" 75 30 profile.png
}

# The uncertainty window's histogram, after a u typed for the first input
# started the Monte Carlo run.
case_UncertaintyHistogramRightClickSavesImage() {
    start
    xdotool key alt+a u
    local unc
    unc=$(window "^Uncertainty of z$")
    xdotool mousemove $(point "$unc" 45 11) click 1
    window "Enter" >/dev/null
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 20 "0.5"
    xdotool key Return
    window "^Uncertainty of z$" >/dev/null
    right_click_saves_png "$unc" 75 75 histogram.png
}

# The series table's Delete, Select all and Cut keys, each read in the file
# saved after it; Delete inside a cell's editor deletes a character only.
case_SeriesCutDeleteSelectAllKeys() {
    cp "$examples/salt-series.csv" "$work/salt.csv"
    start "$work/salt.csv"
    local series
    series=$(window "salt.csv - Series")
    eval "$(xdotool getwindowgeometry --shell "$series")"
    # A click in the table, Ctrl+Home to its first cell: Delete clears it,
    # the row stays.
    xdotool mousemove $((X + 60)) $((Y + 45)) click 1
    xdotool key ctrl+Home Delete ctrl+s
    until_true "the cleared cell saved" grep -q '^,0\.010,25,3\.5,1\.80' "$work/salt.csv"
    [ "$(grep -c 'BSA in NaCl' "$work/salt.csv")" = 4 ] || fail "Delete did more than clear the cell"
    # Typed into the cell, Delete in its editor takes the character after
    # the cursor.
    xdotool type --delay 20 "Typed"
    xdotool key Home Delete Return ctrl+s
    until_true "the edited cell saved" grep -q '^yped,0\.010' "$work/salt.csv"
    # Ctrl+A and Ctrl+X: every row on the clipboard, every input cleared.
    xdotool key ctrl+a ctrl+x
    until_true "the cut rows" bash -c "xclip -o -selection clipboard | grep -q 'BSA in NaCl 0.150 M'"
    [ "$(xclip -o -selection clipboard | grep -c '[0-9]')" = 5 ] || fail "Ctrl+A did not select every row"
    xdotool key ctrl+s
    until_true "the cleared series saved" bash -c "! grep -q 'BSA in NaCl' '$work/salt.csv'"
    # One Ctrl+Z brings every cell back.
    xdotool key ctrl+z ctrl+s
    until_true "the series back" test "$(grep -c 'BSA in NaCl' "$work/salt.csv")" = 4
    grep -q '^yped,0\.010' "$work/salt.csv" || fail "Ctrl+Z did not bring back the cut cells"
}

# A typed cell, Ctrl+Z, the desktop's Redo and Save keys, read in the file.
case_SeriesUndoRedoSaveKeys() {
    cp "$examples/salt-series.csv" "$work/salt.csv"
    start "$work/salt.csv"
    local series
    series=$(window "salt.csv - Series")
    # A click on the first Sample cell; typing replaces it.
    eval "$(xdotool getwindowgeometry --shell "$series")"
    xdotool mousemove $((X + 60)) $((Y + 45)) click 1
    xdotool type --delay 20 "Typed sample"
    xdotool key Return
    xdotool key ctrl+z
    xdotool key ctrl+s
    # Undone, the series is as it was: no save, and the file as it was.
    cmp -s "$examples/salt-series.csv" "$work/salt.csv" || fail "Ctrl+Z did not undo the typed cell"
    xdotool key ctrl+y
    xdotool key ctrl+s
    until_true "the redone cell saved" grep -q "Typed sample" "$work/salt.csv"
    xdotool key ctrl+z ctrl+shift+z ctrl+z ctrl+s
    until_true "the undone cell saved" bash -c "! grep -q 'Typed sample' '$work/salt.csv'"
}

# The real right click on the series plot, its menu's Save image as... by
# its access key, and the PNG written.
case_SeriesPlotRightClickSavesImage() {
    cp "$examples/salt-series.csv" "$work/salt.csv"
    start "$work/salt.csv"
    local series
    series=$(window "salt.csv - Series")
    # The plot fills the window's right part.
    right_click_saves_png "$series" 85 60 figure.png
}

# Shift+F10 on the main window's graph, after a click there gave it the
# keyboard, opens its menu.
case_MainGraphShiftF10() {
    start
    xdotool mousemove $(point "$main" 75 70) click 1
    xdotool key shift+F10
    until_true "the graph's menu" menu_open
    xdotool key s
    save_through_dialog "Save image" "$work/graph.svg"
    message_ok
    until_true "the SVG" grep -q "<svg" "$work/graph.svg"
}

# The focus comes back to the field a dialog was opened from: Space opens it
# again; and File > Save sample as... by its access keys writes the sample.
case_FocusAfterDialog() {
    start
    xdotool key space  # the Sigma field has the focus at start
    window "Mobility calculator" >/dev/null
    xdotool key Escape
    gone "Mobility calculator"
    xdotool key space
    window "Mobility calculator" >/dev/null
    xdotool key Escape
    gone "Mobility calculator"
    xdotool key alt+f m
    save_through_dialog "Save sample" "$work/sample.csv"
    until_true "the sample file" grep -q "22" "$work/sample.csv"
}

# A drag over the table selects a block, which Ctrl+C copies as text.
case_TableDragSelectsBlock() {
    cp "$examples/salt-series.csv" "$work/salt.csv"
    start "$work/salt.csv"
    local series x y w h
    series=$(window "salt.csv - Series")
    eval "$(xdotool getwindowgeometry --shell "$series")"
    x=$X y=$Y
    # From a Sample cell down and one column across.
    xdotool mousemove $((x + 60)) $((y + 45)) mousedown 1
    for step in 1 2 3 4 5 6; do
        xdotool mousemove $((x + 60 + step * 25)) $((y + 45 + step * 7))
    done
    xdotool mouseup 1
    xdotool key ctrl+c
    until_true "the copied block" bash -c "xclip -o -selection clipboard | grep -q 'BSA in NaCl'"
    local copied
    copied=$(xclip -o -selection clipboard)
    # Rows of two cells each: Sample and IonicStrength.
    [ "$(grep -c $'^BSA in NaCl [0-9.]* M\t0\.[0-9]*$' <<<"$copied")" -ge 2 ] ||
        fail "the drag did not select a block of two columns and rows: $copied"
}

# Escape closes a modeless analysis window opened from the main window's menu.
case_EscapeClosesAnalysisWindow() {
    start
    xdotool key alt+a u
    window "Uncertainty of z" >/dev/null
    xdotool key Escape
    gone "Uncertainty of z"
}

# A window's inside on the screen: x, y, width and height. From xwininfo, as
# xdotool counts the frame's title bar twice under openbox.
inside() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
        /Width:/ {w = $2} /Height:/ {h = $2} END {print x, y, w, h}'
}

# At twice the scale on the 1600 x 1000 screen, the uncertainty window, larger
# than the screen, opens whole on it and leaves the main window's menu bar
# free to click; its contents scroll to its Close button, which a click
# reaches.
case_AnalysisWindowFitsTheScreen() {
    QT_SCALE_FACTOR=2 start
    xdotool key alt+a u
    local id X Y WIDTH HEIGHT mx my
    id=$(window "Uncertainty of z")
    read -r X Y WIDTH HEIGHT <<<"$(inside "$id")"
    [ "$X" -ge 0 ] && [ "$Y" -ge 0 ] && [ $((X + WIDTH)) -le 1600 ] && [ $((Y + HEIGHT)) -le 1000 ] ||
        fail "the window is not whole on the screen: ${WIDTH}x${HEIGHT} at $X,$Y"
    read -r mx my _ <<<"$(inside "$main")"
    xdotool mousemove $((mx + 150)) $((my + 20)) click 1
    until_true "the main window's Analysis menu to open" menu_open
    xdotool key Escape
    until_true "the menu to close" eval '! menu_open'
    xdotool windowactivate --sync "$id" >/dev/null 2>&1 || true
    xdotool mousemove $((X + WIDTH / 3)) $((Y + HEIGHT / 2))
    xdotool click --repeat 30 5 click --repeat 30 7
    # Close is 46 x 21 scaled pixels from the client's corner, which stands at
    # the view's corner inside the scroll bars once scrolled to the end.
    xdotool mousemove $((X + WIDTH - 30 - 92)) $((Y + HEIGHT - 30 - 42)) click 1
    gone "Uncertainty of z"
}

"case_$case"
echo "PASSED ($case)"
