#!/bin/sh
# Set-up, then every test of both builds: Linux natively, Windows under Wine with
# FFmpeg and MediaInfo.dll built for it, and the Windows release (zip and installer)
# tested under Wine.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
echo "== Windows dependencies (FFmpeg, MediaInfo.dll; cached in ${CLIPVANE_DEPS_CACHE:-/var/cache/clipvane}/windows-deps)"
deps=$(scripts/windows-deps.sh)
deps=$(printf '%s\n' "$deps" | tail -n 1)
echo "== the Linux stand-ins' FFmpeg libraries (cached in ${CLIPVANE_DEPS_CACHE:-/var/cache/clipvane}/linux-libav)"
libav=$(scripts/linux-libav.sh | tail -n 1)
for preset in linux windows; do
  echo "== $preset build"
  if [ "$preset" = windows ]; then
    cmake --preset windows -DCLIPVANE_WINDOWS_DEPS="$deps" >/dev/null
  else
    cmake --preset "$preset" -DCLIPVANE_LIBAV="$libav" >/dev/null
  fi
  cmake --build --preset "$preset"
  echo "== $preset tests"
  ctest --preset "$preset"
done
echo "== Windows release (zip and installer)"
scripts/package-windows.sh build/windows
tests/packaging/release_test.sh build/windows
echo "== fuzzing the subtitle conversion"
scripts/fuzz.sh
