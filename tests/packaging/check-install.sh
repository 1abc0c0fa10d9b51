#!/bin/sh
# Installs the built program into a scratch prefix and makes its Debian package, and checks
# that both hold the program, its desktop entry, icon, metainfo and help pages in the
# standard places, and that the installed program starts.
# Usage: check-install.sh BUILD_DIR
set -eu

BUILD="$1"
WORK="$(mktemp -d)"
PID=""
cleanup() {
    if [ -n "$PID" ]; then
        kill "$PID" 2>/dev/null || true
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT INT TERM

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Every file a desktop looks for, relative to the prefix.
check_layout() {
    root="$1"
    [ -x "$root/bin/linealis" ] || fail "no program in $root/bin"
    for f in share/applications/org.linealis.Linealis.desktop \
             share/icons/hicolor/scalable/apps/org.linealis.Linealis.svg \
             share/metainfo/org.linealis.Linealis.metainfo.xml; do
        [ -s "$root/$f" ] || fail "$f is missing under $root"
    done
    if [ -f "$(dirname "$0")/../../help/index.html" ]; then
        [ -s "$root/share/linealis/help/index.html" ] || fail "the help pages are missing under $root"
    fi
}

cmake --install "$BUILD" --prefix "$WORK/usr" >"$WORK/install.log" 2>&1 ||
    { cat "$WORK/install.log" >&2; fail "cmake --install failed"; }
check_layout "$WORK/usr"

# The installed program starts and stays up (its start-up options dialog waits for the user).
XDG_CONFIG_HOME="$WORK/config" XDG_STATE_HOME="$WORK/state" QT_QPA_PLATFORM=offscreen \
    "$WORK/usr/bin/linealis" >"$WORK/run.log" 2>&1 &
PID=$!
sleep 2
kill -0 "$PID" 2>/dev/null || { cat "$WORK/run.log" >&2; fail "the installed program did not stay up"; }
kill "$PID"
wait "$PID" 2>/dev/null || true
PID=""

# The Debian package: its control fields and its files.
(cd "$BUILD" && cpack -G DEB -B "$WORK/package" >"$WORK/cpack.log" 2>&1) ||
    { cat "$WORK/cpack.log" >&2; fail "cpack failed"; }
DEB="$(ls "$WORK"/package/*.deb)"
dpkg-deb -f "$DEB" Package | grep -qx linealis || fail "the package is not named linealis"
dpkg-deb -f "$DEB" Depends | grep -q libqt6widgets6 || fail "the package does not depend on Qt: $(dpkg-deb -f "$DEB" Depends)"
mkdir "$WORK/unpacked"
dpkg-deb -x "$DEB" "$WORK/unpacked"
check_layout "$WORK/unpacked/usr"
echo "installed layout and $(basename "$DEB") checked"
