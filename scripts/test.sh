#!/bin/sh
# Builds Linealis and runs every test: logic, window (offscreen) and X11 (Xvfb) layers.
set -eu
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/build.sh"
cd "${LINEALIS_BUILD_DIR:-$ROOT/build}"
ctest --output-on-failure -j"$(nproc)" "$@"
