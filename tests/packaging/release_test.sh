#!/bin/sh
# The Windows release under Wine, as a user gets it: the zip's program folder works
# where it is unpacked; the installer installs silently with a Start-menu entry; its
# uninstaller removes what was installed and leaves the user's incoming folder,
# settings and list. Run after scripts/package-windows.sh:
#   tests/packaging/release_test.sh [build-folder]
# Everything happens under <build>/release-test and in the build's Wine prefix.
set -eu
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$repo/build/windows}" && pwd)
export CLIPVANE_BUILD_DIR="$build"
prefix="${WINEPREFIX:-$build/wineprefix}"
wine_run="$repo/cmake/wine-run.sh"
zip_file=$(ls "$build"/release/Clipvane-*-windows.zip)
setup_file=$(ls "$build"/release/Clipvane-*-setup.exe)
scratch="$build/release-test"
rm -rf "$scratch"
mkdir -p "$scratch"

passed=0
failed=0
check() {  # what is checked, then a command that succeeds when it holds
  what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $what" >&2
  fi
}

windows_path() { printf 'Z:%s' "$1" | tr '/' '\\'; }

program_files="clipvane.exe MediaInfo.dll bin/mencoder.exe bin/mp4creator.exe bin/ffmpeg.exe
  bin/ffprobe.exe licenses/SOURCES.txt licenses/FFmpeg.txt licenses/MediaInfoLib.txt"
has_program_files() {
  for file in $program_files; do
    [ -f "$1/$file" ] || { echo "no $file in $1" >&2; return 1; }
  done
}
has_no_program_files() {
  for file in $program_files; do
    [ ! -e "$1/$file" ] || { echo "$file is still in $1" >&2; return 1; }
  done
}

# A video for the folder's own ffprobe.exe, made by the Linux ffmpeg.
sample="$scratch/견본 영상.avi"
ffmpeg -nostdin -loglevel error -f lavfi -i testsrc=size=176x144:rate=25:duration=1 -c:v mpeg4 "$sample"
probes_sample() {
  size=$("$wine_run" "$(windows_path "$1/bin/ffprobe.exe")" -v error -select_streams v:0 \
    -show_entries stream=width,height -of csv=p=0 "$(windows_path "$sample")" | tr -d '\r')
  [ "$size" = "176,144" ] || { echo "ffprobe.exe in $1 said '$size'" >&2; return 1; }
}

start_menu_entry() { find "$prefix/drive_c/users" -path '*/Start Menu/Programs/Clipvane/Clipvane.lnk' | grep -q .; }
no_start_menu_entry() { ! start_menu_entry; }
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Clipvane'
registered() { "$wine_run" reg query "$uninstall_key" >/dev/null 2>&1; }
not_registered() { ! registered; }

# The zip, unpacked into a folder whose name has blanks and Korean in it.
unpacked="$scratch/내 프로그램 (zip)"
mkdir -p "$unpacked"
unzip -q "$zip_file" -d "$unpacked"
check "the zip holds the program folder" has_program_files "$unpacked/Clipvane"
check "the zip's ffprobe.exe runs where it was unpacked" probes_sample "$unpacked/Clipvane"

# The installer, silently, into a folder of the test's. /D= takes the rest of the
# command line as it is, and Wine quotes an argument that has a blank in it, so
# this folder's name has none.
installed="$scratch/설치된_Clipvane"
"$wine_run" "$setup_file" /S "/D=$(windows_path "$installed")"
check "the installer lays out the program folder" has_program_files "$installed"
check "the installer writes its uninstaller" test -f "$installed/uninstall.exe"
check "the installed ffprobe.exe runs" probes_sample "$installed"
check "the installer makes a Start-menu entry" start_menu_entry
check "the installer registers the uninstaller" registered

# What the user made in the program folder meanwhile.
mkdir -p "$installed/incoming"
printf 'mp4' >"$installed/incoming/휴가.mp4"
printf '[default]\r\nqulity=1\r\n' >"$installed/MP4.ini"
printf 'D:\\Videos\\holiday.avi\r\n' >"$installed/list.log"

# _?= runs the uninstaller in place, so that Wine returns when it is done.
"$wine_run" "$(windows_path "$installed/uninstall.exe")" /S "_?=$(windows_path "$installed")"
check "the uninstaller removes the program's files" has_no_program_files "$installed"
check "the uninstaller removes the licences folder" test ! -e "$installed/licenses"
check "the uninstaller leaves the converted videos" test -f "$installed/incoming/휴가.mp4"
check "the uninstaller leaves the settings" test -f "$installed/MP4.ini"
check "the uninstaller leaves the video list" test -f "$installed/list.log"
check "the uninstaller removes the Start-menu entry" no_start_menu_entry
check "the uninstaller removes its registration" not_registered

"$wine_run" --stop-server
echo "release test: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
