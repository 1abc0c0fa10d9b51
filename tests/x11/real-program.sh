# Steps shared by the tests that drive the real program in the X server of run-in-xvfb.sh.
# Sourced by them; they define fail() and keep the program's process id in PID.

# Waits up to $2 tenths of a second for a visible window whose title matches $1; prints its id.
wait_window() {
    tries=0
    while [ "$tries" -lt "$2" ]; do
        id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)"
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
        tries=$((tries + 1))
    done
    return 1
}

# Confirms the start-up options dialog with Enter ("&OK" is its default button) and sets MAIN
# to the main window showing the start prompt. The dialog may be mapped before it takes
# input, so Enter is tried again until the main window appears.
confirm_startup_options() {
    MAIN=""
    for attempt in 1 2 3; do
        options="$(wait_window '^Options$' 150)" || fail "the start-up options dialog did not appear"
        xdotool windowactivate --sync "$options" >/dev/null 2>&1 || true
        xdotool key Return 2>/dev/null || true
        if MAIN="$(wait_window '^LQ 始点をクリック$' 50)"; then
            return 0
        fi
    done
    fail "the main window with the start prompt did not appear"
}

# Chooses File > Exit in the main window.
choose_exit() {
    xdotool windowactivate --sync "$MAIN" >/dev/null 2>&1 || true
    xdotool key alt+f
    sleep 0.3
    xdotool key Up Return
}

# Waits until the program has ended, and checks that it ended well.
wait_program_end() {
    tries=0
    while kill -0 "$PID" 2>/dev/null; do
        tries=$((tries + 1))
        [ "$tries" -lt 100 ] || fail "the program did not end after File > Exit"
        sleep 0.1
    done
    wait "$PID" || fail "the program ended with status $?"
    PID=""
}
