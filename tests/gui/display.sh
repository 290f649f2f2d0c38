#!/bin/sh
# The X display of the GUI tests: a private Xvfb on a free display number, and the
# Korean font substitutes in the build's Wine prefix.
#   display.sh start   starts it, writing its number and pid under the build folder
#   display.sh stop    stops that Xvfb (by its pid) and nothing else
#   display.sh run ... runs a Windows program of the build on that display
set -eu
build_dir=${CLIPVANE_BUILD_DIR:?}
state="$build_dir/gui-display"
here=$(cd "$(dirname "$0")" && pwd)
wine_run="$here/../../cmake/wine-run.sh"
# A prefix of its own: the prefix's desktop process takes the display of the first
# program started in it, and the other Windows tests start theirs without one.
export WINEPREFIX="$build_dir/gui-wineprefix"

case "${1:-}" in
  start)
    mkdir -p "$state"
    # A server this folder started earlier and never stopped goes first.
    if [ -f "$state/pid" ]; then kill "$(cat "$state/pid")" 2>/dev/null || true; rm -f "$state/pid"; fi
    number=90
    while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do number=$((number + 1)); done
    Xvfb ":$number" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    echo $! >"$state/pid"
    echo ":$number" >"$state/display"
    # Wait for the server's socket, for at most five seconds.
    tries=0
    while [ ! -e "/tmp/.X11-unix/X$number" ] && [ $tries -lt 50 ]; do sleep 0.1; tries=$((tries + 1)); done
    CLIPVANE_DISPLAY=":$number" CLIPVANE_BUILD_DIR="$build_dir" "$wine_run" --start-server
    # Windows' Korean fonts by the names the windows ask for, in this prefix only.
    key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
    for pair in "굴림=NanumGothic" "굴림체=NanumGothicCoding" "Gulim=NanumGothic" "GulimChe=NanumGothicCoding"; do
      CLIPVANE_BUILD_DIR="$build_dir" "$wine_run" reg add "$key" /v "${pair%%=*}" /d "${pair#*=}" /f >/dev/null 2>&1 || true
    done
    exit 0 ;;
  stop)
    CLIPVANE_BUILD_DIR="$build_dir" "$wine_run" --stop-server
    if [ -f "$state/pid" ]; then kill "$(cat "$state/pid")" 2>/dev/null || true; rm -f "$state/pid"; fi
    exit 0 ;;
  run)
    shift
    CLIPVANE_DISPLAY=$(cat "$state/display") CLIPVANE_BUILD_DIR="$build_dir" exec "$wine_run" "$@" ;;
esac
echo "usage: display.sh start|stop|run program [arguments]" >&2
exit 2
