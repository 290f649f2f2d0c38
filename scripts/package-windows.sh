#!/bin/sh
# Makes the Windows release from a windows build folder (default build/windows)
# configured with CLIPVANE_WINDOWS_DEPS, through the install() rules of
# cmake/WindowsInstall.cmake and CPack:
#
#   <build>/release/Clipvane/                          the program folder as users get it
#   <build>/release/Clipvane-<version>-windows.zip     that folder, to unpack anywhere
#   <build>/release/Clipvane-<version>-setup.exe       the installer (NSIS)
#   <build>/release/Clipvane-<version>-source.tar.gz   the complete corresponding source
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
# FFmpeg's DLLs, which the stand-ins and FFmpeg's programs need to start.
for library in avformat avcodec avutil; do
  dll=$(cd "$build/bin" 2>/dev/null && ls -- "$library"-*.dll 2>/dev/null | head -n 1) || true
  need_program "bin/${dll:-$library-NN.dll}" "$deps_advice"
done
need_program MediaInfo.dll "$deps_advice"
if [ -z "$deps" ]; then
  missing "licences and sources" "CLIPVANE_WINDOWS_DEPS is not set ($deps_advice)"
elif [ ! -d "$deps/licenses" ] || [ ! -d "$deps/sources" ] || [ ! -f "$deps/source-packages.txt" ]; then
  missing "licences and sources" "$deps has no licenses/, sources/ and source-packages.txt ($deps_advice)"
fi
[ -f "$build/CPackConfig.cmake" ] || missing CPackConfig.cmake "not in $build (configure the windows preset again)"
command -v makensis >/dev/null || missing makensis "Debian's nsis package is not installed (scripts/setup.sh installs it)"
if [ -n "$problems" ]; then
  echo "package-windows: no release, because of:$problems" >&2
  exit 1
fi

release="$build/release"
packages="$release/.cpack"
rm -rf "$release"
mkdir -p "$packages"
# Stripped, as CPack strips what it packs (CPACK_STRIP_FILES).
cmake --install "$build" --prefix "$release/Clipvane" --strip >/dev/null
cpack --config "$build/CPackConfig.cmake" -B "$packages" >&2
cpack --config "$build/CPackSourceConfig.cmake" -B "$packages" >&2
mv "$packages/Clipvane.zip" "$release/Clipvane-$version-windows.zip"
mv "$packages/Clipvane-$version-setup.exe" "$packages/Clipvane-$version-source.tar.gz" "$release/"
rm -rf "$packages"

for file in "$release/Clipvane" "$release"/Clipvane-*; do
  echo "package-windows: $file ($(du -sh "$file" | cut -f1))"
done
