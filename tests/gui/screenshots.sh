#!/bin/sh
# Screenshots of the main window with a few rows, of its context menu and of the
# options dialog, under Xvfb with the Korean font substitutes of the test prefix.
# Usage: screenshots.sh BUILD_DIR   (the pictures land in BUILD_DIR/screenshots)
set -eu
build_dir=$(cd "${1:?build folder}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
export CLIPVANE_BUILD_DIR="$build_dir"
mkdir -p "$build_dir/screenshots"
"$here/display.sh" start
trap '"$here/display.sh" stop' EXIT
display=$(cat "$build_dir/gui-display/display")
for state in main menu options; do
  # Without a window manager the windows show without title bars.
  "$here/display.sh" run "$build_dir/clipvane_gui_showcase.exe" "$state" \
    >/dev/null 2>&1 &
  sleep 6
  DISPLAY="$display" import -window root "$build_dir/screenshots/$state.png"
  # Ends this prefix's Wine session, the showcase with it.
  WINEPREFIX="$build_dir/gui-wineprefix" wineserver -k 2>/dev/null || true
  wait || true
  echo "$build_dir/screenshots/$state.png"
done
