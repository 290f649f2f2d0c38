#!/bin/sh
# Builds the SAMI-to-SSA fuzzer with clang, libFuzzer and the address and
# undefined-behaviour sanitizers, and runs it for about a minute from the seed files in
# tests/fuzz/seeds. A crash, a leak or undefined behaviour fails the script; the input
# that caused it is kept in the build folder.
set -eu
cd "$(dirname "$0")/.."
build=${CLIPVANE_FUZZ_BUILD_DIR:-build/fuzz}
seconds=${CLIPVANE_FUZZ_SECONDS:-60}
cmake -S tests/fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# New inputs go to the first folder, a temporary one, so the seeds are never changed.
"$build/sami_to_ssa_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$build/" -print_final_stats=1 "$work" tests/fuzz/seeds
echo "fuzz: nothing found in $seconds seconds"
