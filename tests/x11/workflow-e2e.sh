#!/bin/sh
# The whole workflow with the real program, driven only by real input in the X server of
# run-in-xvfb.sh: xdotool for mouse and keys, xclip for the clipboard. It starts from a
# prepared lq.ini, confirms the options dialog, pastes a picture, measures three segments in
# each cursor shape at 100 % and at 150 %, saves every result with auto-numbered comments
# through the real save dialog, takes the last row back, and compares the data file byte for
# byte with the rows worked out below.
# Usage: workflow-e2e.sh LINEALIS_BINARY SCREENSHOT_DIR
set -eu
. "$(dirname "$0")/real-program.sh"

BINARY="$1"
SHOTS="$2"
mkdir -p "$SHOTS"

WORK="$(mktemp -d)"
PID=""
XCLIP=""
cleanup() {
    for p in "$PID" "$XCLIP"; do
        if [ -n "$p" ] && kill -0 "$p" 2>/dev/null; then
            kill "$p" 2>/dev/null || true
        fi
    done
    rm -rf "$WORK"
}
trap cleanup EXIT INT TERM

fail() {
    echo "FAIL: $*" >&2
    /usr/bin/import -window root "$SHOTS/e2e-failure.png" 2>/dev/null || true
    exit 1
}

# Waits until no visible window matches $1.
wait_gone() {
    tries=0
    while xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; do
        tries=$((tries + 1))
        [ "$tries" -lt 100 ] || fail "the window '$1' did not close"
        sleep 0.1
    done
}

# The picture: white, with a red 3 x 3 mark at its top-left corner (found on the screen to
# know where the picture is shown) and the segments' end points as small dots.
GRID=""
for v in 25 50 75 100 125 150 175 200 225 250 275 300 325 350 375; do
    GRID="$GRID -draw 'line $v,0 $v,299'"
    [ "$v" -lt 300 ] && GRID="$GRID -draw 'line 0,$v 399,$v'"
done
eval /usr/bin/convert -size 400x300 xc:white -stroke "'#d8e0ea'" $GRID \
    -stroke "'#607080'" -draw "'line 20,10 20,290'" -draw "'line 10,280 390,280'" \
    -stroke "'#c05a20'" -strokewidth 2 -fill none \
    -draw "'bezier 20,260 120,20 220,300 380,40'" \
    "$WORK/graph.png"
/usr/bin/convert "$WORK/graph.png" -stroke none -fill '#ff0000' -draw 'rectangle 0,0 2,2' \
    -fill '#204080' -draw 'circle 50,50 52,50' -draw 'circle 350,50 352,50' \
    -draw 'circle 60,40 62,40' -draw 'circle 60,280 62,280' -draw 'circle 280,220 282,220' \
    "$WORK/picture.png"

mkdir -p "$WORK/config/linealis" "$WORK/state" "$WORK/data"
printf '[options]\r\nMagRate=2\r\nPenWidth=1\r\nSloped=0\r\ndelimiter=1\r\nUseSourceApp=0\r\ndatapath=%s\r\n' \
    "$WORK/data" >"$WORK/config/linealis/lq.ini"

XDG_CONFIG_HOME="$WORK/config" XDG_STATE_HOME="$WORK/state" QT_QPA_PLATFORM=xcb \
    "$BINARY" >"$WORK/out.log" 2>&1 &
PID=$!

confirm_startup_options
sleep 0.5

xclip -selection clipboard -t image/png -i "$WORK/picture.png" &
XCLIP=$!
sleep 0.5
xdotool windowactivate --sync "$MAIN" >/dev/null 2>&1 || true
xdotool key ctrl+v
sleep 0.8

# OX, OY: where the picture's top-left pixel is on the screen, found by its red mark with
# the pointer away from the picture.
find_picture() {
    eval "$(xdotool getwindowgeometry --shell "$MAIN")"
    xdotool mousemove $((X + 10)) $((Y + 5))
    sleep 0.3
    /usr/bin/import -window root "$WORK/screen.png"
    at="$(/usr/bin/convert "$WORK/screen.png" txt:- | grep -m 1 -i '#FF0000' | cut -d: -f1)" ||
        fail "the pasted picture is not on the screen"
    OX="${at%,*}"
    OY="${at#*,}"
}

# MAG: the magnification in per cent; picture pixels times MAG/100 are screen pixels.
MAG=100
screen_x() { echo $((OX + $1 * MAG / 100)); }
screen_y() { echo $((OY + $1 * MAG / 100)); }

click_at() {
    xdotool mousemove "$(screen_x "$1")" "$(screen_y "$2")"
    sleep 0.15
    xdotool click 1
    sleep 0.15
}

# Measures from picture point ($1,$2) to ($3,$4): a click at the start, a double click at
# the end. In the free-angle shape a click at ($5,$6) first locks the slope. On a machine so
# busy that the two clicks arrive further apart than the double-click time, the program
# rightly cancels the end point; the measurement is then made once more.
measure() {
    if ! measure_once "$@"; then
        echo "the double click came too slowly; measuring again" >&2
        measure_once "$@" || fail "after measuring the caption reads '$title'"
    fi
}

measure_once() {
    # A result still shown is cleared by a click first.
    if [ "$(xdotool getwindowname "$MAIN")" = "LQ クリックでクリア" ]; then
        click_at "$1" "$2"
    fi
    if [ "$#" -eq 6 ]; then
        click_at "$5" "$6"
    fi
    click_at "$1" "$2"
    xdotool mousemove "$(screen_x $((($1 + $3) / 2)))" "$(screen_y $((($2 + $4) / 2)))"
    sleep 0.15
    if [ "${SHOT_WHILE_MEASURING:-}" = 1 ]; then
        /usr/bin/import -window root "$SHOTS/e2e-measuring.png"
    fi
    xdotool mousemove "$(screen_x "$3")" "$(screen_y "$4")"
    sleep 0.15
    xdotool click --repeat 2 --delay 80 1
    sleep 0.4
    title="$(xdotool getwindowname "$MAIN")"
    [ "$title" = "LQ クリックでクリア" ]
}

# Saves the result: Enter in the comment box, which has the focus after a measurement. The
# first save of the run asks for the data file.
SAVED=0
save() {
    xdotool key Return
    if [ "$SAVED" -eq 0 ]; then
        dialog="$(wait_window '^データファイルの作成$' 100)" || fail "the save dialog did not appear"
        sleep 0.4
        xdotool windowactivate --sync "$dialog" >/dev/null 2>&1 || true
        xdotool type --delay 20 "$WORK/data/workflow"
        xdotool key Return
        wait_gone '^データファイルの作成$'
    fi
    SAVED=$((SAVED + 1))
    tries=0
    while [ "$(grep -c '' "$WORK/data/workflow.txt" 2>/dev/null || echo 0)" -lt $((SAVED + 1)) ]; do
        tries=$((tries + 1))
        [ "$tries" -lt 50 ] || fail "save $SAVED wrote no row"
        sleep 0.1
    done
}

# Runs the options dialog from the Edit menu and clicks the controls given as x,y points of
# the dialog, then "&OK".
set_options() {
    xdotool windowactivate --sync "$MAIN" >/dev/null 2>&1 || true
    xdotool key alt+e
    sleep 0.3
    xdotool key o
    dialog="$(wait_window '^Options$' 100)" || fail "the options dialog did not open"
    sleep 0.4
    [ -s "$SHOTS/e2e-options.png" ] || /usr/bin/import -window root "$SHOTS/e2e-options.png"
    for point in "$@"; do
        xdotool mousemove --window "$dialog" "${point%,*}" "${point#*,}" click 1
        sleep 0.2
    done
    xdotool mousemove --window "$dialog" 214 449 click 1 # &OK
    wait_gone '^Options$'
    sleep 0.6
}
VERTICAL=31,268
FREE_ANGLE=31,292
SMALL=31,316
MAG_UP=405,281

# The same three segments in the shapes with axis-parallel results, and three along and
# across a cross locked at slope 3/4 (80 right and 60 down of the centre (200,150)).
axis_segments() {
    measure 50 50 350 50
    save
    measure 60 40 60 280
    save
    measure 40 40 280 220
    save
}
free_angle_segments() {
    measure 60 60 220 180 280 210  # along the locked line: 200 pixels
    save
    measure 300 40 210 160 280 210 # across it: 150 pixels
    save
    measure 100 50 150 150 280 210 # 100 along, 50 across
    save
}

find_picture
[ "$OX" -gt 0 ] && [ "$OY" -gt 0 ] || fail "the picture is at $OX,$OY"

# Auto-numbered comments from P1 on.
xdotool key alt+a
SHOT_WHILE_MEASURING=1 measure 50 50 350 50
/usr/bin/import -window root "$SHOTS/e2e-result.png"
/usr/bin/import -window "$MAIN" "$SHOTS/e2e-window.png"
SHOT_WHILE_MEASURING=0
xdotool type --delay 30 "P1"
save
measure 60 40 60 280
save
measure 40 40 280 220
save

set_options "$FREE_ANGLE"
free_angle_segments
set_options "$SMALL"
axis_segments

set_options "$VERTICAL" "$MAG_UP"
MAG=150
find_picture
axis_segments
set_options "$FREE_ANGLE"
free_angle_segments
set_options "$SMALL"
axis_segments

xdotool key ctrl+z
sleep 0.5

# The rows worked out by hand: distance, dX, dY right-aligned in ten characters, a blank and
# the comment in ten, in twips of the picture at 100 % (15 to the pixel). The free-angle
# segments are 200 pixels along (3000), 150 across (2250), and 100 along with 50 across
# (1500, 750, distance 1677).
row() { printf '%10s%10s%10s %-10s\r\n' "$1" "$2" "$3" "$4"; }
{
    printf 'distance   dX        dY        comment   \r\n'
    n=1
    for pass in 1 2; do
        row 4500 4500 0 "P$n"; n=$((n + 1))
        row 3600 0 3600 "P$n"; n=$((n + 1))
        row 4500 3600 2700 "P$n"; n=$((n + 1))
        row 3000 3000 0 "P$n"; n=$((n + 1))
        row 2250 0 2250 "P$n"; n=$((n + 1))
        row 1677 1500 750 "P$n"; n=$((n + 1))
        row 4500 4500 0 "P$n"; n=$((n + 1))
        row 3600 0 3600 "P$n"; n=$((n + 1))
        if [ "$pass" -eq 1 ]; then
            row 4500 3600 2700 "P$n"; n=$((n + 1))
        fi
    done
} >"$WORK/expected.txt"

if ! cmp -s "$WORK/expected.txt" "$WORK/data/workflow.txt"; then
    echo "expected:" >&2
    od -c "$WORK/expected.txt" | head -40 >&2
    echo "written:" >&2
    od -c "$WORK/data/workflow.txt" | head -40 >&2
    diff "$WORK/expected.txt" "$WORK/data/workflow.txt" >&2 || true
    fail "the data file differs from the rows worked out by hand"
fi

# File > Exit ends the program.
choose_exit
wait_program_end
echo "workflow checked: 18 rows saved, the last taken back; screenshots in $SHOTS"
