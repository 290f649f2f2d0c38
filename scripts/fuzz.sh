#!/bin/sh
# Builds the fuzzers with clang, libFuzzer and the address and undefined-behaviour
# sanitizers, and runs each from its seed folder in tests/fuzz/seeds, sharing about a
# minute between them. A crash, a leak or undefined behaviour fails the script; the
# input that caused it is kept in the build folder.
set -eu
cd "$(dirname "$0")/.."
build=${CLIPVANE_FUZZ_BUILD_DIR:-build/fuzz}
seconds=${CLIPVANE_FUZZ_SECONDS:-60}
targets="sami_to_ssa srt_to_ssa ini list_log mediainfo_report mencoder_options"
cmake -S tests/fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2
count=$(echo $targets | wc -w)
each=$(( (seconds + count - 1) / count ))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in $targets; do
  echo "== fuzzing $target for $each seconds"
  # New inputs go to the first folder, a temporary one, so the seeds are never changed.
  mkdir -p "$work/$target"
  "$build/${target}_fuzzer" -max_total_time="$each" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$build/${target}-" -print_final_stats=1 "$work/$target" "tests/fuzz/seeds/$target"
done
echo "fuzz: nothing found in $seconds seconds"
