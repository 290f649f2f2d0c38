#!/bin/sh
# Runs a Windows program of this build under Wine, as a Korean Windows would:
# LC_ALL selects the ANSI code page 949 (LANG alone leaves Wine at 1252).
# The Wine prefix lives under the build folder, never in the user's home.
set -eu
build_dir=${CLIPVANE_BUILD_DIR:-$(pwd)}
export WINEPREFIX="${WINEPREFIX:-$build_dir/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko prompts, and no menu entries in the user's desktop for the
# shortcuts an installer makes in the prefix.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe=}"
export LC_ALL=ko_KR.UTF-8
unset DISPLAY 2>/dev/null || true
[ -n "${CLIPVANE_DISPLAY:-}" ] && export DISPLAY="$CLIPVANE_DISPLAY"

case "${1:-}" in
  --start-server)
    mkdir -p "$WINEPREFIX"
    # A server that stays up for the whole run; one already up is fine as well.
    wineserver -p 2>/dev/null || true
    # The first start of a new prefix builds it; later runs find it ready.
    wineboot --init >/dev/null 2>&1 || true
    wineserver -p 2>/dev/null || true
    # A Korean Windows has fonts with Hangul; the prefix gets the Nanum fonts instead.
    fonts="$WINEPREFIX/drive_c/windows/Fonts"
    if [ -d "$fonts" ]; then
      for font in /usr/share/fonts/truetype/nanum/NanumGothic.ttf /usr/share/fonts/truetype/nanum/NanumMyeongjo.ttf; do
        [ -f "$font" ] && [ ! -f "$fonts/$(basename "$font")" ] && cp "$font" "$fonts/"
      done
    fi
    exit 0 ;;
  --stop-server)
    # Only this prefix's server: WINEPREFIX names it.
    wineserver -k 2>/dev/null || true
    exit 0 ;;
esac
exec wine "$@"
