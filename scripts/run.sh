#!/bin/sh
# Set-up, build, then the main job. The Linux build folder is a complete AppDir.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux
appdir=build/linux
echo "AppDir: $(cd "$appdir" && pwd)"
# The conversion front end comes with clipvane-cli; until then the program shows
# what it does without a window.
"$appdir/clipvane" || true
