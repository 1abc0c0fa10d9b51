#!/bin/sh
# Builds the libFuzzer programs with clang (in ./build-fuzz) and runs fuzz targets one after
# another, each for a fixed time, starting from the seed corpus in fuzz/corpus/<target>/.
#
# Usage: scripts/fuzz.sh [SECONDS [TARGET...]]
#   SECONDS  how long each target runs (default 600)
#   TARGET   ini_file, key_notation, comment_rules, image_loading (default: all four)
#
# The corpus grown by a run is kept in the build folder (corpus/<target>/); inputs that
# crash or time out are written to artifacts/<target>/ and belong, once fixed, in
# tests/fuzz-regressions/<target>/. LINEALIS_FUZZ_BUILD_DIR chooses another build folder,
# LINEALIS_JOBS the number of compile jobs.
set -eu
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/install-deps.sh"
BUILD_DIR="${LINEALIS_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}"
SECONDS_EACH="${1:-600}"
[ "$#" -eq 0 ] || shift
TARGETS="${*:-ini_file key_notation comment_rules image_loading}"

CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLINEALIS_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
for target in $TARGETS; do
    cmake --build "$BUILD_DIR" -j"${LINEALIS_JOBS:-$(nproc)}" --target "fuzz_$target"
done

# Scratch files of the targets (settings files, images) in memory when possible.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    TMPDIR=/dev/shm
    export TMPDIR
fi
# Qt is built without frame pointers, so every allocation made through it records a stack of
# its own that ASan keeps for ever: the fuzzer slows down and its memory grows until the limit.
# Without allocation stacks it runs several times faster; a crash input replayed by hand shows
# them again.
ASAN_OPTIONS="${ASAN_OPTIONS:-malloc_context_size=0}"
export ASAN_OPTIONS
# Qt's allocation limit is the program's own defence; the fuzzer's limits stop only what gets
# past it.
for target in $TARGETS; do
    corpus="$BUILD_DIR/corpus/$target"
    artifacts="$BUILD_DIR/artifacts/$target"
    mkdir -p "$corpus" "$artifacts"
    # Seeds: the target's own, the inputs kept after earlier findings, and for images the
    # hostile files of the test suite.
    seeds="$ROOT/fuzz/corpus/$target"
    for extra in "$ROOT/tests/fuzz-regressions/$target" \
        "$([ "$target" = image_loading ] && echo "$ROOT/tests/hostile/images")"; do
        [ -z "$extra" ] || [ ! -d "$extra" ] || seeds="$seeds $extra"
    done
    echo "== fuzz_$target for $SECONDS_EACH s"
    (
        cd "$BUILD_DIR"
        rm -f fuzz-0.log
        status=0
        # shellcheck disable=SC2086
        "./fuzz/fuzz_$target" "$corpus" $seeds \
            -max_total_time="$SECONDS_EACH" -rss_limit_mb=2048 -timeout=10 \
            -jobs=1 -workers=1 -print_final_stats=1 \
            -artifact_prefix="$artifacts/" >/dev/null 2>&1 || status=$?
        tail -n 25 fuzz-0.log
        cp fuzz-0.log "$BUILD_DIR/fuzz_$target.log"
        exit "$status"
    )
done
