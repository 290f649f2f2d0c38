#!/bin/bash
# assemble.sh FOLDER REPO NAME=LIBRARY_FOLDER...
# Puts together, from the libraries' folders, the folder the program's build uses:
#
#   bin/ffmpeg.exe bin/ffprobe.exe bin/*.dll         FFmpeg's programs and DLLs for bin\, and
#                                                    MediaInfo.dll for beside clipvane.exe
#   lib/*.dll.a include/ lib/pkgconfig/              FFmpeg's import libraries and headers, for
#                                                    using its DLLs in-process
#   lib/cmake/ClipvaneDeps/ClipvaneDepsConfig.cmake  the same as imported targets
#   licenses/ SOURCES.txt sources/ recipe/           licences, what was built from what,
#                                                    Debian's source files, this recipe
#
# The folder is made beside FOLDER and renamed into place last, marker included, so
# a folder under that name is always complete. Refuses when a program or DLL imports
# one that is neither Windows' own nor FFmpeg's beside it.
set -Eeuo pipefail
final=$1 repo=$2
shift 2
host=x86_64-w64-mingw32
# Windows' own libraries, which the built programs and DLLs may import (and FFmpeg's
# DLLs, beside them).
system_dlls="kernel32 msvcrt user32 gdi32 advapi32 shell32 ole32 oleaut32 ws2_32 bcrypt
  secur32 psapi shlwapi version winmm comdlg32 comctl32 crypt32 ntdll"
say() { echo "assemble: $*" >&2; }
die() { say "$*"; exit 1; }

declare -A folder
names=()
for pair in "$@"; do
  folder[${pair%%=*}]=${pair#*=}
  names+=("${pair%%=*}")
done
for name in zlib ffmpeg mediainfolib; do
  [ -n "${folder[$name]:-}" ] || die "no folder for $name"
done

work="$(dirname "$final")/.$(basename "$final").work"
rm -rf "$work"
mkdir -p "$work/bin" "$work/lib/pkgconfig" "$work/lib/cmake/ClipvaneDeps" "$work/include" \
  "$work/licenses" "$work/sources" "$work/recipe"
trap 'rm -rf "$work"' EXIT

ffmpeg=${folder[ffmpeg]}
cp "$ffmpeg/bin/ffmpeg.exe" "$ffmpeg/bin/ffprobe.exe" "$ffmpeg"/bin/*.dll "$work/bin/"
cp "${folder[mediainfolib]}/bin/MediaInfo.dll" "$work/bin/"
ffmpeg_dlls=$(cd "$ffmpeg/bin" && ls -- *.dll)

# Every library's licence and Debian source files. The others are linked into
# FFmpeg's DLLs, so only FFmpeg's import libraries, headers and pkg-config files are
# needed to use it.
for name in "${names[@]}"; do
  from=${folder[$name]}
  cp "$from"/licenses/*.txt "$work/licenses/"
  [ ! -d "$from/source" ] || cp "$from"/source/* "$work/sources/"
done
cp -r "$ffmpeg/include/." "$work/include/"
cp "$ffmpeg"/lib/*.dll.a "$work/lib/"
for pc in "$ffmpeg"/lib/pkgconfig/*.pc; do
  # Paths relative to the file itself, so the folder works wherever it is.
  sed "s|^prefix=.*|prefix=\${pcfiledir}/../..|;s|$ffmpeg|\${prefix}|g" "$pc" >"$work/lib/pkgconfig/$(basename "$pc")"
done
cp /usr/share/doc/mingw-w64-x86-64-dev/copyright "$work/licenses/mingw-w64-runtime.txt"
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$work/licenses/GCC-runtime.txt"
cp -r "$repo/cmake/windows-deps" "$work/recipe/"
cp "$repo/cmake/mingw-w64.cmake" "$repo/scripts/windows-deps.sh" "$work/recipe/"

# ---------------------------------------------------------------------------
# FFmpeg's libraries as CMake imported targets, ClipvaneDeps::<library> (avformat,
# avcodec, avutil, ...), each a DLL with its import library and linking the ones its
# pkg-config file requires; ClipvaneDeps_DLLS lists the DLLs that go beside a program
# that uses them.
field() { sed -n "s/^$2:[[:space:]]*//p" "$1" | head -n 1; }
config="$work/lib/cmake/ClipvaneDeps/ClipvaneDepsConfig.cmake"
dlls=""
{
  echo "# FFmpeg's DLLs with their import libraries and headers, as imported targets (made by assemble.sh)."
  echo "# Link ClipvaneDeps::avformat (it brings avcodec and avutil); the DLLs of ClipvaneDeps_DLLS go beside the program."
  echo 'get_filename_component(_clipvane_deps "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)'
  for pc in "$work"/lib/pkgconfig/*.pc; do
    library=$(basename "$pc" .pc)
    library=${library#lib}
    dll=$(cd "$work/bin" && ls "$library"-[0-9]*.dll 2>/dev/null) || die "$library has no DLL in bin/"
    [ "$(wc -w <<<"$dll")" = 1 ] || die "$library has more than one DLL in bin/: $dll"
    [ -f "$work/lib/lib$library.dll.a" ] || die "$library's import library lib$library.dll.a is missing"
    dlls="$dlls;\${_clipvane_deps}/bin/$dll"
    links=""
    for required in $(field "$pc" Requires; echo; field "$pc" Requires.private); do
      case $required in lib*) links="$links;ClipvaneDeps::${required#lib}" ;; esac
    done
    echo "if(NOT TARGET ClipvaneDeps::$library)"
    echo "  add_library(ClipvaneDeps::$library SHARED IMPORTED)"
    echo "  set_target_properties(ClipvaneDeps::$library PROPERTIES"
    echo "    IMPORTED_LOCATION \"\${_clipvane_deps}/bin/$dll\""
    echo "    IMPORTED_IMPLIB \"\${_clipvane_deps}/lib/lib$library.dll.a\""
    echo "    INTERFACE_INCLUDE_DIRECTORIES \"\${_clipvane_deps}/include\""
    echo "    INTERFACE_LINK_LIBRARIES \"${links#;}\")"
    echo "endif()"
  done
  echo "set(ClipvaneDeps_DLLS \"${dlls#;}\")"
  echo "unset(_clipvane_deps)"
} >"$config"

# ---------------------------------------------------------------------------
# Checks: each program and DLL imports Windows' own libraries and FFmpeg's DLLs
# only (no MinGW runtime, zlib or C++ library DLL to ship), and MediaInfo.dll, which
# goes elsewhere, Windows' own alone; MediaInfo.dll exports the calls the probe makes.
for program in "$work"/bin/*; do
  beside=$(tr 'A-Z' 'a-z' <<<"$ffmpeg_dlls")
  [ "$(basename "$program")" != MediaInfo.dll ] || beside=""
  for dll in $($host-objdump -p "$program" | awk '/DLL Name:/ { print tolower($3) }'); do
    case " $(echo $system_dlls $beside) " in
      *" ${dll%.dll} "* | *" $dll "*) ;;
      *) die "$(basename "$program") imports $dll, which is neither Windows' own nor FFmpeg's" ;;
    esac
  done
done
# The table is read whole first: grep -q would stop objdump short, which pipefail
# counts as a failure.
exports=$($host-objdump -p "$work/bin/MediaInfo.dll")
for call in MediaInfo_New MediaInfo_Open MediaInfo_Option MediaInfo_Inform MediaInfo_Close MediaInfo_Delete; do
  grep -qw "$call" <<<"$exports" || die "MediaInfo.dll does not export $call"
done

# ---------------------------------------------------------------------------
# What was built from what: source-packages.txt lists it (the release's SOURCES.txt
# includes it), SOURCES.txt says it for this folder.
configuration=$(sed -n 's/^#define FFMPEG_CONFIGURATION "\(.*\)"$/\1/p' "${folder[ffmpeg]}/share/ffmpeg/config.h")
{
  echo "Debian source packages (each unpacked with dpkg-source -x unless said otherwise):"
  for name in "${names[@]}"; do sed 's/^/  /' "${folder[$name]}/provenance.txt"; done
  echo
  echo "The toolchain, used as Debian installs it:"
  dpkg-query -W -f='  ${Package} ${Version}\n' gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix \
    mingw-w64-x86-64-dev binutils-mingw-w64-x86-64 nasm meson ninja-build
  echo
  echo "FFmpeg's configure options:"
  echo "$configuration" | sed -e 's/ --/\n  --/g' -e 's/^/  /' -e "s|$(dirname "$final")/\([a-z0-9]*\)-[0-9a-f]\{16\}|<\1>|g"
  echo
  echo "Recipe revision $(basename "$final"), made of:"
  for name in "${names[@]}"; do echo "  $(basename "${folder[$name]}")"; done
} >"$work/source-packages.txt"
{
  cat <<EOF
The programs in bin/ were built from Debian 12's source packages with the mingw-w64
cross compiler, by the recipe in recipe/ (one CMake external project per library,
recipe/windows-deps/<library>.cmake). Each source package was fetched with apt
("apt-get source --download-only NAME=VERSION") and unpacked with dpkg-source -x;
its files are in sources/ (unpack one with "dpkg-source -x sources/NAME_VERSION.dsc").

  bin/ffmpeg.exe, bin/ffprobe.exe   FFmpeg: the programs and the DLLs they use, with
  bin/<FFmpeg's DLLs>               x264, dav1d, libass, FreeType, FriBidi, HarfBuzz,
                                    zimg and zlib linked into the DLLs; GNU General
                                    Public License version 2 or later
                                    (licenses/FFmpeg.txt, licenses/x264.txt)
  bin/MediaInfo.dll                 MediaInfoLib with ZenLib and zlib; BSD-style
                                    licences (licenses/MediaInfoLib.txt, ZenLib.txt)

FFmpeg's DLLs: $(paste -sd ' ' <<<"$ffmpeg_dlls" | fold -s -w 64 | sed -e 's/ *$//' -e '2,$s/^/  /')
lib/ and include/ hold their import libraries and headers, for programs that use them.

EOF
  cat "$work/source-packages.txt"
} >"$work/SOURCES.txt"

echo "built $(date -u +%Y-%m-%dT%H:%M:%SZ)" >"$work/COMPLETE"
rm -rf "$final"
mv "$work" "$final"
trap - EXIT
say "$final"
