#!/bin/bash
# assemble.sh FOLDER REPO NAME=LIBRARY_FOLDER...
# Puts together, from the libraries' folders, the folder the program's build uses:
#
#   bin/ffmpeg.exe bin/ffprobe.exe bin/MediaInfo.dll   the programs for bin\ and beside clipvane.exe
#   lib/*.a include/ lib/pkgconfig/                     FFmpeg's static libraries and what they
#                                                       link, for linking FFmpeg in-process
#   lib/cmake/ClipvaneDeps/ClipvaneDepsConfig.cmake     the same as imported targets
#   licenses/ SOURCES.txt sources/ recipe/              licences, what was built from what,
#                                                       Debian's source files, this recipe
#
# The folder is made beside FOLDER and renamed into place last, marker included, so
# a folder under that name is always complete. Refuses when a program imports a DLL
# that Windows does not have.
set -Eeuo pipefail
final=$1 repo=$2
shift 2
host=x86_64-w64-mingw32
# What the built programs may import: Windows' own libraries only.
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

cp "${folder[ffmpeg]}/bin/ffmpeg.exe" "${folder[ffmpeg]}/bin/ffprobe.exe" "$work/bin/"
cp "${folder[mediainfolib]}/bin/MediaInfo.dll" "$work/bin/"

# Every library's licence and Debian source files; the static libraries, headers and
# pkg-config files of FFmpeg and all it links (not MediaInfoLib's, which is a DLL).
for name in "${names[@]}"; do
  from=${folder[$name]}
  cp "$from"/licenses/*.txt "$work/licenses/"
  [ ! -d "$from/source" ] || cp "$from"/source/* "$work/sources/"
  case $name in zenlib | mediainfolib) continue ;; esac
  [ ! -d "$from/include" ] || cp -r "$from/include/." "$work/include/"
  cp "$from"/lib/*.a "$work/lib/"
  for pc in "$from"/lib/pkgconfig/*.pc; do
    [ -f "$pc" ] || continue
    # Paths relative to the file itself, so the folder works wherever it is.
    script='s|^prefix=.*|prefix=${pcfiledir}/../..|'
    for other in "${names[@]}"; do script="$script;s|${folder[$other]}|\${prefix}|g"; done
    sed "$script" "$pc" >"$work/lib/pkgconfig/$(basename "$pc")"
  done
done
cp /usr/share/doc/mingw-w64-x86-64-dev/copyright "$work/licenses/mingw-w64-runtime.txt"
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$work/licenses/GCC-runtime.txt"
cp -r "$repo/cmake/windows-deps" "$work/recipe/"
cp "$repo/cmake/mingw-w64.cmake" "$repo/scripts/windows-deps.sh" "$work/recipe/"

# ---------------------------------------------------------------------------
# The static libraries as CMake imported targets, ClipvaneDeps::<library>, each
# linking what its pkg-config file says it needs: the libraries of this folder as
# targets, Windows' own by name.
field() { sed -n "s/^$2:[[:space:]]*//p" "$1" | head -n 1; }
declare -A library_of_module
for pc in "$work"/lib/pkgconfig/*.pc; do
  library=$(field "$pc" Libs | tr ' ' '\n' | sed -n 's/^-l//p' | head -n 1)
  library_of_module[$(basename "$pc" .pc)]=$library
done
target_of() { [ "$1" = z ] && echo ClipvaneDeps::zlib || echo "ClipvaneDeps::$1"; }
config="$work/lib/cmake/ClipvaneDeps/ClipvaneDepsConfig.cmake"
{
  echo "# FFmpeg's static libraries and what they link, as imported targets (made by assemble.sh)."
  echo "# Link ClipvaneDeps::avformat (it brings avcodec, avutil, x264, dav1d, zlib and so on)."
  echo 'get_filename_component(_clipvane_deps "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)'
  for pc in "$work"/lib/pkgconfig/*.pc; do
    module=$(basename "$pc" .pc)
    library=${library_of_module[$module]}
    [ -f "$work/lib/lib$library.a" ] || die "$module's library lib$library.a is missing"
    links=""
    for required in $(field "$pc" Requires; echo; field "$pc" Requires.private); do
      required=${required%,}
      [ -n "${library_of_module[$required]:-}" ] || continue
      links="$links;$(target_of "${library_of_module[$required]}")"
    done
    # A static FFmpeg names what it links in Libs, the others in Libs.private.
    for token in $(field "$pc" Libs; echo; field "$pc" Libs.private); do
      case $token in -l*) ;; *) continue ;; esac
      token=${token#-l}
      [ "$token" != "$library" ] || continue
      if [ -f "$work/lib/lib$token.a" ]; then links="$links;$(target_of "$token")"; else links="$links;$token"; fi
    done
    includes=$(PKG_CONFIG_LIBDIR="$work/lib/pkgconfig" pkg-config --cflags-only-I "$module" |
      tr ' ' '\n' | sed -n "s|^-I$work/lib/pkgconfig/../..|\${_clipvane_deps}|p" | sort -u | tr '\n' ';')
    target=$(target_of "$library")
    echo "if(NOT TARGET $target)"
    echo "  add_library($target STATIC IMPORTED)"
    echo "  set_target_properties($target PROPERTIES"
    echo "    IMPORTED_LOCATION \"\${_clipvane_deps}/lib/lib$library.a\""
    echo "    INTERFACE_INCLUDE_DIRECTORIES \"${includes%;}\""
    echo "    INTERFACE_LINK_LIBRARIES \"${links#;}\")"
    echo "endif()"
  done
  echo "unset(_clipvane_deps)"
} >"$config"

# ---------------------------------------------------------------------------
# Checks: each program imports Windows' own libraries only (no MinGW runtime, zlib
# or C++ library DLL to ship), and the DLL exports the calls the probe makes.
for program in "$work"/bin/*; do
  for dll in $($host-objdump -p "$program" | awk '/DLL Name:/ { print tolower($3) }'); do
    case " $(echo $system_dlls) " in *" ${dll%.dll} "*) ;; *) die "$(basename "$program") imports $dll, which Windows does not have" ;; esac
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

  bin/ffmpeg.exe, bin/ffprobe.exe   FFmpeg, linked statically with x264, dav1d,
                                    libass, FreeType, FriBidi, HarfBuzz and zlib;
                                    GNU General Public License version 2 or later
                                    (licenses/FFmpeg.txt, licenses/x264.txt)
  bin/MediaInfo.dll                 MediaInfoLib with ZenLib and zlib; BSD-style
                                    licences (licenses/MediaInfoLib.txt, ZenLib.txt)

lib/ and include/ hold FFmpeg's static libraries and the ones they link, built the
same way.

EOF
  cat "$work/source-packages.txt"
} >"$work/SOURCES.txt"

echo "built $(date -u +%Y-%m-%dT%H:%M:%SZ)" >"$work/COMPLETE"
rm -rf "$final"
mv "$work" "$final"
trap - EXIT
say "$final"
