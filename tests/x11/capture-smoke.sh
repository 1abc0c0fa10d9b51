#!/bin/sh
# Captures through a source application with the real program in the X server of
# run-in-xvfb.sh, as a user would: Linealis starts the fakecapture helper after the start-up
# options dialog; Ctrl+A (held like a person holds it) brings it to the front, types Alt+P
# into it and pastes the picture it copies. Then the helper is killed, and the next Ctrl+A
# shows the restart message, starts it again and captures through it. Exit reminds the user
# to close the source application. Screenshots go to SCREENSHOT_DIR.
# Usage: capture-smoke.sh LINEALIS_BINARY FAKECAPTURE_BINARY SCREENSHOT_DIR
set -eu
. "$(dirname "$0")/real-program.sh"

BINARY="$1"
FAKECAPTURE="$2"
SHOTS="$3"
mkdir -p "$SHOTS"

WORK="$(mktemp -d)"
PID=""
cleanup() {
    if [ -n "$PID" ] && kill -0 "$PID" 2>/dev/null; then
        kill "$PID" 2>/dev/null || true
    fi
    # The helpers this test started (their windows name their process).
    for w in $(xdotool search --name '^fakecapture$' 2>/dev/null || true); do
        p="$(xdotool getwindowpid "$w" 2>/dev/null || true)"
        [ -z "$p" ] || kill "$p" 2>/dev/null || true
    done
    rm -rf "$WORK"
}
trap cleanup EXIT INT TERM

fail() {
    echo "FAIL: $*" >&2
    /usr/bin/import -window root "$SHOTS/capture-smoke-failure.png" 2>/dev/null || true
    echo "--- fakecapture log:" >&2
    cat "$WORK/fakecapture.log" >&2 2>/dev/null || true
    echo "--- program output:" >&2
    cat "$WORK/out.log" >&2 2>/dev/null || true
    exit 1
}

# Waits up to $2 tenths of a second until the helper's log has $1 lines "copied ...".
wait_copies() {
    tries=0
    while [ "$(grep -c '^copied' "$WORK/fakecapture.log" 2>/dev/null || true)" -lt "$1" ]; do
        tries=$((tries + 1))
        [ "$tries" -lt "$2" ] || return 1
        sleep 0.1
    done
}

# Ctrl+A the way a person types it: Ctrl goes down first and comes up a while after A.
press_ctrl_a() {
    xdotool windowactivate --sync "$MAIN" >/dev/null 2>&1 || true
    xdotool keydown ctrl
    sleep 0.05
    xdotool key a
    sleep 0.3
    xdotool keyup ctrl
}

# The colour of the picture's pixel (30, 30) as the main window shows it: "#RRGGBB".
shown_colour() {
    /usr/bin/import -window "$MAIN" "$WORK/main.png"
    # The picture box starts 4 pixels in from the left and 60 below the client area's top.
    /usr/bin/convert "$WORK/main.png" -crop 1x1+34+90 -depth 8 txt:- |
        sed -n 's/.*\(#[0-9A-Fa-f]\{6\}\).*/\1/p' | head -n 1
}

mkdir -p "$WORK/config/linealis" "$WORK/state"
# Settings values are read up to 49 bytes: the helper is given a short path of its own.
ln -s "$FAKECAPTURE" "$WORK/fakecapture"
printf '[options]\r\nMagRate=2\r\nUseSourceApp=1\r\n[source app]\r\napp=%s\r\nkey=%%p\r\nnotwait=0\r\nnotwaitms=0\r\n' \
    "$WORK/fakecapture" >"$WORK/config/linealis/lq.ini"

FAKECAPTURE_LOG="$WORK/fakecapture.log" XDG_CONFIG_HOME="$WORK/config" \
    XDG_STATE_HOME="$WORK/state" QT_QPA_PLATFORM=xcb "$BINARY" >"$WORK/out.log" 2>&1 &
PID=$!

confirm_startup_options
wait_window '^fakecapture$' 100 >/dev/null || fail "the source application was not started"
sleep 0.5

# Two captures: the second picture (green) replaces the first (red).
press_ctrl_a
wait_copies 1 50 || fail "the first Ctrl+A made the source application copy nothing"
sleep 0.5
[ "$(shown_colour)" = "#C83C3C" ] || fail "after the first capture the picture shows $(shown_colour)"
press_ctrl_a
wait_copies 2 50 || fail "the second Ctrl+A made the source application copy nothing"
sleep 0.5
[ "$(shown_colour)" = "#3CA050" ] || fail "after the second capture the picture shows $(shown_colour)"
/usr/bin/import -window root "$SHOTS/capture-smoke-pasted.png"
grep -q '^key Alt+P$' "$WORK/fakecapture.log" || fail "the source application did not get Alt+P"
if grep '^key ' "$WORK/fakecapture.log" | grep -qv '^key Alt+P$'; then
    fail "the source application got other keys: $(grep '^key ' "$WORK/fakecapture.log" | tr '\n' ' ')"
fi

# Closed by hand: the next capture says so, starts it again and captures through it.
HELPER="$(wait_window '^fakecapture$' 10)"
kill "$(xdotool getwindowpid "$HELPER")"
sleep 0.5
: >"$WORK/fakecapture.log"
press_ctrl_a
BOX="$(wait_window '^Linealis$' 100)" || fail "no message after the source application was closed"
sleep 0.3
/usr/bin/import -window root "$SHOTS/capture-smoke-restart.png"
xdotool windowactivate --sync "$BOX" >/dev/null 2>&1 || true
xdotool key Return
wait_copies 1 100 || fail "the restarted source application copied nothing"
sleep 0.5
[ "$(shown_colour)" = "#C83C3C" ] || fail "after the restart the picture shows $(shown_colour)"
/usr/bin/import -window root "$SHOTS/capture-smoke-restarted.png"

# Exit reminds the user to close the source application, then ends.
choose_exit
BOX="$(wait_window '^Linealis$' 50)" || fail "no reminder to close the source application"
xdotool windowactivate --sync "$BOX" >/dev/null 2>&1 || true
xdotool key Return
wait_program_end
echo "screenshots in $SHOTS"
