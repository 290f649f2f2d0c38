#!/bin/sh
# Set-up, then every test of both builds: Linux natively, Windows under Wine.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
for preset in linux windows; do
  echo "== $preset build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  echo "== $preset tests"
  ctest --preset "$preset"
done
echo "== fuzzing the subtitle conversion"
scripts/fuzz.sh
