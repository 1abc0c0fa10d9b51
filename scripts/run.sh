#!/bin/sh
# Builds Linealis and starts it.
set -eu
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/build.sh"
exec "${LINEALIS_BUILD_DIR:-$ROOT/build}/linealis" "$@"
