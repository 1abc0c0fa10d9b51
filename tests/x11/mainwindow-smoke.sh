#!/bin/sh
# Starts the real program in the X server of run-in-xvfb.sh as a user would: confirms the
# start-up options dialog, checks that the main window sits at the top right of the screen
# with its Japanese start prompt, measures on a pasted picture, saves the result through the
# real save dialog and takes it back, opens the picture's pop-up menu, takes screenshots,
# and ends the program with File > Exit.
# Usage: mainwindow-smoke.sh LINEALIS_BINARY SCREENSHOT_DIR
set -eu
. "$(dirname "$0")/real-program.sh"

BINARY="$1"
SHOTS="$2"
mkdir -p "$SHOTS"

WORK="$(mktemp -d)"
PID=""
cleanup() {
    if [ -n "$PID" ] && kill -0 "$PID" 2>/dev/null; then
        kill "$PID" 2>/dev/null || true
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT INT TERM

fail() {
    echo "FAIL: $*" >&2
    /usr/bin/import -window root "$SHOTS/failure.png" 2>/dev/null || true
    exit 1
}

mkdir -p "$WORK/config/linealis" "$WORK/state"
printf '[options]\r\nMagRate=2\r\nPenWidth=1\r\nSloped=0\r\ndelimiter=0\r\nUseSourceApp=0\r\n' \
    >"$WORK/config/linealis/lq.ini"

XDG_CONFIG_HOME="$WORK/config" XDG_STATE_HOME="$WORK/state" QT_QPA_PLATFORM=xcb \
    "$BINARY" >"$WORK/out.log" 2>&1 &
PID=$!

# Confirm the start-up options dialog with Enter ("&OK" is its default button). The dialog
# may be mapped before it takes input, so try again until the main window appears.
confirm_startup_options
sleep 0.5

# The main window's frame touches the right edge of the screen and the top.
SCREEN_WIDTH="$(xdotool getdisplaygeometry | cut -d' ' -f1)"
eval "$(xdotool getwindowgeometry --shell "$MAIN")"
RIGHT=$((X + WIDTH))
# X and Y are the client area; the frame adds a few pixels around it.
[ $((SCREEN_WIDTH - RIGHT)) -le 12 ] || fail "main window right edge at $RIGHT, screen width $SCREEN_WIDTH"
[ "$Y" -le 40 ] || fail "main window top at $Y"

/usr/bin/import -window root "$SHOTS/mainwindow.png"

# Paste a picture from the real clipboard with Ctrl+V and measure on it: a click at the
# start point, a double click at the end point 300 pixels right and 400 down (5 x 15 twips
# a pixel: dX=4500, dY=6000, Dist.=7500 at 100 %).
/usr/bin/convert -size 600x480 xc:'#f4f0e8' -fill none -stroke '#3060a0' \
    -draw 'line 0,240 600,240' -draw 'line 300,0 300,480' -draw 'circle 300,240 300,60' \
    "$WORK/graph.png"
xclip -selection clipboard -t image/png -i "$WORK/graph.png" &
XCLIP=$!
sleep 0.5
xdotool windowactivate --sync "$MAIN" >/dev/null 2>&1 || true
xdotool key ctrl+v
sleep 0.8
eval "$(xdotool getwindowgeometry --shell "$MAIN")"
# The picture box starts 4 pixels in from the left and below the comment strip.
PX=$((X + 4 + 50))
PY=$((Y + 60 + 40))
xdotool mousemove "$PX" "$PY" click 1
sleep 0.2
xdotool mousemove $((PX + 150)) $((PY + 100))
sleep 0.3
/usr/bin/import -window root "$SHOTS/measuring.png"
xdotool mousemove $((PX + 300)) $((PY + 400)) click --repeat 2 --delay 80 1
sleep 0.5
/usr/bin/import -window root "$SHOTS/result.png"
TITLE="$(xdotool getwindowname "$MAIN")"
[ "$TITLE" = "LQ クリックでクリア" ] || fail "after the double click the caption reads '$TITLE'"
kill "$XCLIP" 2>/dev/null || true

# Save the result: the comment box has the focus; a comment and Enter ask for the data
# file in the real save dialog, where the path is typed.
xdotool type --delay 40 "A1"
xdotool key Return
DIALOG="$(wait_window '^データファイルの作成$' 100)" || fail "the save dialog did not appear"
sleep 0.5
/usr/bin/import -window root "$SHOTS/savedialog.png"
xdotool windowactivate --sync "$DIALOG" >/dev/null 2>&1 || true
xdotool type --delay 20 "$WORK/my data"
xdotool key Return
tries=0
while [ ! -s "$WORK/my data.txt" ]; do
    tries=$((tries + 1))
    [ "$tries" -lt 50 ] || fail "no data file was written"
    sleep 0.1
done
sleep 0.3
EXPECTED="$(printf 'Disttance\tdX\tdY\tcomment\r\n7500\t4500\t6000\tA1\r\n' | od -c)"
[ "$(od -c <"$WORK/my data.txt")" = "$EXPECTED" ] || fail "the data file reads: $(od -c <"$WORK/my data.txt")"

# Ctrl+Z takes the row back.
xdotool windowactivate --sync "$MAIN" >/dev/null 2>&1 || true
xdotool key ctrl+z
sleep 0.5
EXPECTED="$(printf 'Disttance\tdX\tdY\tcomment\r\n' | od -c)"
[ "$(od -c <"$WORK/my data.txt")" = "$EXPECTED" ] || fail "after undo the data file reads: $(od -c <"$WORK/my data.txt")"

# A right click over the picture opens the pop-up menu.
xdotool mousemove --window "$MAIN" 200 250 click 3
sleep 0.5
/usr/bin/import -window root "$SHOTS/popup.png"
xdotool key Escape
sleep 0.2

# File > Exit ends the program.
choose_exit
wait_program_end
echo "screenshots in $SHOTS"
