#!/bin/sh
# Screenshots of the Linux window in the middle of a run, of its context menu and of
# the options dialog, on a private Xvfb display with the Nanum fonts.
# Usage: screenshots.sh BUILD_DIR [PICTURE_FOLDER]   (the pictures default to docs/)
set -eu
build_dir=$(cd "${1:?build folder}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
out=${2:-$here/../../docs}
mkdir -p "$out"
number=90
while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do number=$((number + 1)); done
Xvfb ":$number" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
# Only the server this script started is stopped.
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
tries=0
while [ ! -e "/tmp/.X11-unix/X$number" ] && [ $tries -lt 50 ]; do sleep 0.1; tries=$((tries + 1)); done
for state in main menu options; do
  DISPLAY=":$number" QT_QPA_PLATFORM=xcb "$build_dir/clipvane_qt_showcase" "$state" "$out/linux-$state.png"
  echo "$out/linux-$state.png"
done
