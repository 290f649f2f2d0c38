#!/bin/sh
# Lays out the Windows program as users get it, from a windows build folder
# (default build/windows) configured with CLIPVANE_WINDOWS_DEPS:
#
#   <build>/release/Clipvane/                the program folder
#     clipvane.exe  MediaInfo.dll
#     bin/mencoder.exe  bin/mp4creator.exe  bin/ffmpeg.exe  bin/ffprobe.exe
#     licenses/  (licence texts, SOURCES.txt with the source offer, the recipe)
#   <build>/release/Clipvane-<version>-windows.zip   runs from any writable folder
#   <build>/release/Clipvane-<version>-setup.exe     installer (NSIS)
#
# Refuses, naming what is missing, unless every program is there as a real Windows
# executable: a release without its tools would convert nothing.
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$repo/build/windows}" && pwd)
cache="$build/CMakeCache.txt"
[ -f "$cache" ] || { echo "package-windows: $build is no configured build folder" >&2; exit 1; }

cached() { sed -n "s/^$1:[A-Z]*=//p" "$cache" | head -n 1; }
version=$(cached CMAKE_PROJECT_VERSION)
deps=$(cached CLIPVANE_WINDOWS_DEPS)

# Each part of the program folder: where it comes from, where it goes, and what to
# do when it is missing.
problems=""
missing() { problems="$problems
  $1: $2"; }
is_windows_program() {
  x86_64-w64-mingw32-objdump -f "$1" 2>/dev/null | grep -q 'file format pei-x86-64'
}
need_program() {  # relative path in the build folder, advice
  if [ ! -f "$build/$1" ]; then
    missing "$1" "not in $build ($2)"
  elif ! is_windows_program "$build/$1"; then
    missing "$1" "is not a 64-bit Windows program"
  fi
}
tools_advice="the windows build makes no stand-in tools yet"
deps_advice="build them with scripts/windows-deps.sh and configure with -DCLIPVANE_WINDOWS_DEPS=<the folder it prints>"
need_program clipvane.exe "build the windows preset first"
need_program bin/mencoder.exe "$tools_advice"
need_program bin/mp4creator.exe "$tools_advice"
need_program bin/ffmpeg.exe "$deps_advice"
need_program bin/ffprobe.exe "$deps_advice"
need_program MediaInfo.dll "$deps_advice"
if [ -z "$deps" ]; then
  missing "licences and source offer" "CLIPVANE_WINDOWS_DEPS is not set ($deps_advice)"
elif [ ! -f "$deps/SOURCES.txt" ] || [ ! -d "$deps/licenses" ]; then
  missing "licences and source offer" "$deps has no SOURCES.txt and licenses/ ($deps_advice)"
fi
command -v makensis >/dev/null || missing makensis "Debian's nsis package is not installed (scripts/setup.sh installs it)"
command -v zip >/dev/null || missing zip "Debian's zip package is not installed (scripts/setup.sh installs it)"
if [ -n "$problems" ]; then
  echo "package-windows: no release, because of:$problems" >&2
  exit 1
fi

release="$build/release"
folder="$release/Clipvane"
zip_file="$release/Clipvane-$version-windows.zip"
setup_file="$release/Clipvane-$version-setup.exe"
rm -rf "$release"
mkdir -p "$folder/bin" "$folder/licenses"
cp "$build/clipvane.exe" "$build/MediaInfo.dll" "$folder/"
for tool in mencoder mp4creator ffmpeg ffprobe; do cp "$build/bin/$tool.exe" "$folder/bin/"; done
cp -r "$deps/licenses/." "$folder/licenses/"
cp "$deps/SOURCES.txt" "$folder/licenses/"
cp -r "$deps/recipe" "$folder/licenses/recipe"

(cd "$release" && zip -q -r -X "$zip_file" Clipvane)

# The installer's file lists, made from the folder itself so that the uninstaller
# removes exactly what the installer put there and nothing of the user's.
lists=$(mktemp -d)
trap 'rm -rf "$lists"' EXIT
# A path inside NSIS text: "$" is written "$$"; the relative ones in Windows form.
nsis_text() { printf '%s' "$1" | sed 's/\$/$$/g'; }
windows_path() { nsis_text "$1" | tr '/' '\\'; }
(
  cd "$folder"
  find . -type d | sort | while read -r dir; do
    rel=${dir#./}
    [ "$rel" = . ] && rel=""
    out='$INSTDIR'${rel:+\\$(windows_path "$rel")}
    printf 'SetOutPath "%s"\n' "$out"
    find "$dir" -maxdepth 1 -type f | sort | while read -r file; do
      printf 'File "%s"\n' "$(nsis_text "$folder/${file#./}")"
    done
  done >"$lists/install.nsh"
  find . -type f | sort | while read -r file; do
    printf 'Delete "$INSTDIR\\%s"\n' "$(windows_path "${file#./}")"
  done >"$lists/uninstall.nsh"
  # Deepest folders first; RMDir without /r leaves a folder that still holds anything.
  find . -mindepth 1 -type d | sort -r | while read -r dir; do
    printf 'RMDir "$INSTDIR\\%s"\n' "$(windows_path "${dir#./}")"
  done >>"$lists/uninstall.nsh"
)
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DOUT_FILE="$setup_file" -DLISTS="$lists" \
  "$repo/packaging/windows/clipvane.nsi" >&2

echo "package-windows: $folder"
echo "package-windows: $zip_file ($(du -h "$zip_file" | cut -f1))"
echo "package-windows: $setup_file ($(du -h "$setup_file" | cut -f1))"
