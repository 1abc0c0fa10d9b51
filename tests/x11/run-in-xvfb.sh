#!/bin/sh
# Runs a command inside a private X server: Xvfb on a free display with the openbox window
# manager, DISPLAY exported to the command. Returns the command's exit status; the X server
# and the window manager are stopped on every way out.
#
# Usage: run-in-xvfb.sh [--no-wm] COMMAND [ARGUMENT...]
#   --no-wm   start no window manager (for testing what happens without one)
#
# When no X server can be started (Xvfb or openbox missing or failing) it prints one line
# starting with "SKIPPED:" and exits with status 77, which the tests register as "skipped".
set -u

WITH_WM=1
if [ "${1:-}" = "--no-wm" ]; then
    WITH_WM=0
    shift
fi
if [ "$#" -eq 0 ]; then
    echo "usage: run-in-xvfb.sh [--no-wm] COMMAND [ARGUMENT...]" >&2
    exit 2
fi

WORK=""
XVFB_PID=""
WM_PID=""

# Stops a background process and waits (bounded) until it is gone.
stop() {
    [ -n "$1" ] || return 0
    kill "$1" 2>/dev/null || return 0
    tries=0
    while kill -0 "$1" 2>/dev/null && [ "$tries" -lt 50 ]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    kill -9 "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

cleanup() {
    stop "$WM_PID"
    stop "$XVFB_PID"
    [ -z "$WORK" ] || rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

skip() {
    echo "SKIPPED: no X server could be started ($*)"
    exit 77
}

command -v Xvfb >/dev/null 2>&1 || skip "Xvfb is not installed"
if [ "$WITH_WM" -eq 1 ]; then
    command -v openbox >/dev/null 2>&1 || skip "openbox is not installed"
    command -v xprop >/dev/null 2>&1 || skip "xprop (x11-utils) is not installed"
fi
WORK="$(mktemp -d)" || skip "no temporary folder"

# With -displayfd Xvfb picks a free display number itself and writes it to the descriptor
# once it accepts connections.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
    3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
tries=0
while ! grep -q '^[0-9][0-9]*$' "$WORK/display" 2>/dev/null; do
    kill -0 "$XVFB_PID" 2>/dev/null ||
        skip "Xvfb ended at once: $(tail -n 1 "$WORK/xvfb.log" 2>/dev/null)"
    tries=$((tries + 1))
    [ "$tries" -lt 150 ] || skip "Xvfb did not report a display within 15 s"
    sleep 0.1
done
DISPLAY=":$(head -n 1 "$WORK/display")"
export DISPLAY

if [ "$WITH_WM" -eq 1 ]; then
    openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
    WM_PID=$!
    # The window manager is ready once it has announced itself on the root window.
    tries=0
    while ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id #'; do
        kill -0 "$WM_PID" 2>/dev/null ||
            skip "openbox ended at once: $(tail -n 1 "$WORK/openbox.log" 2>/dev/null)"
        tries=$((tries + 1))
        [ "$tries" -lt 150 ] || skip "openbox did not take over the display within 15 s"
        sleep 0.1
    done
fi

"$@"
status=$?
exit "$status"
