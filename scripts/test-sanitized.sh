#!/bin/sh
# Builds Linealis with AddressSanitizer and UndefinedBehaviorSanitizer in ./build-sanitized and
# runs every test there: logic, window (offscreen) and X11 (Xvfb) layers. Any memory error,
# leak or undefined behaviour fails the test that met it.
#
# LINEALIS_SANITIZED_BUILD_DIR chooses another build folder, LINEALIS_JOBS the number of
# compile and test jobs (default: the number of cores). Arguments go to ctest.
set -eu
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/install-deps.sh"
BUILD_DIR="${LINEALIS_SANITIZED_BUILD_DIR:-$ROOT/build-sanitized}"
JOBS="${LINEALIS_JOBS:-$(nproc)}"

# The first undefined behaviour stops the program (-fno-sanitize-recover) with its stack.
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# Leaks are checked at every exit, test discovery at build time included; only leaks inside
# system libraries are suppressed (the X11 tests name the same file).
ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1"
LSAN_OPTIONS="suppressions=$ROOT/tests/x11/lsan-suppressions.txt:print_suppressions=0"
export UBSAN_OPTIONS ASAN_OPTIONS LSAN_OPTIONS

cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLINEALIS_SANITIZE=ON
cmake --build "$BUILD_DIR" -j"$JOBS"
cd "$BUILD_DIR"
ctest --output-on-failure -j"$JOBS" "$@"
