#!/bin/bash
# Builds what the Windows program needs beside clipvane.exe and the stand-ins:
# ffmpeg.exe and ffprobe.exe (static, subtitles drawn with libass) and MediaInfo.dll,
# from Debian's source packages, with this project's mingw-w64 toolchain. The result
# goes to a cache folder outside the checkout, named after the source versions and
# this recipe, and is reused while it is complete:
#
#   ${CLIPVANE_DEPS_CACHE:-/var/cache/clipvane}/windows-deps-<key>/
#     bin/ffmpeg.exe  bin/ffprobe.exe  bin/MediaInfo.dll
#     licenses/  SOURCES.txt (what was built from what, and the source offer)
#     recipe/windows-deps.sh (this script, as it built the folder)
#
# The folder's path is the last line of stdout; progress goes to stderr.
# The whole script is one block, read before it runs, so that editing the file
# during a build cannot change the running build.
{
set -Eeuo pipefail
trap 'echo "windows-deps: stopped by a failing command at line $LINENO" >&2' ERR

# Raise this when the recipe changes in a way that the lists below do not show.
recipe=1
jobs=2

# What FFmpeg is built with. One list per kind of component; the stand-in tools use
# every filter, bitstream filter, muxer and demuxer named here, the decoders cover
# the videos users bring, and the encoders are the ones the jobs ask for.
ffmpeg_decoders="h264 hevc mpeg1video mpeg2video mpeg4 msmpeg4v1 msmpeg4v2 msmpeg4v3
  wmv1 wmv2 wmv3 vc1 h263 flv
  mp3 mp3float mp2 mp2float ac3 eac3 aac aac_latm wmav1 wmav2 vorbis
  pcm_s16le pcm_s16be pcm_u8 pcm_s24le pcm_s32le pcm_f32le pcm_alaw pcm_mulaw pcm_dvd
  pcm_bluray adpcm_ms adpcm_ima_wav
  rawvideo sami ass"
ffmpeg_encoders="mpeg4 aac rawvideo pcm_s16le wrapped_avframe"
ffmpeg_demuxers="avi mov matroska asf mpegps mpegts flv m4v aac mp3 ac3 eac3 h264 hevc
  mpegvideo wav nut sami ass"
ffmpeg_muxers="avi m4v adts mp4 nut matroska null"
ffmpeg_parsers="h264 hevc mpeg4video mpegvideo mpegaudio ac3 aac aac_latm vc1 h263 vorbis"
ffmpeg_bsfs="setts aac_adtstoasc mpeg4_unpack_bframes extract_extradata h264_mp4toannexb
  hevc_mp4toannexb"
ffmpeg_protocols="file pipe"
ffmpeg_filters="ass subtitles fps crop scale pad transpose hqdn3d setsar aresample
  dynaudnorm format aformat null anull trim atrim setpts asetpts
  testsrc sine anullsrc color"
ffmpeg_indevs="lavfi"
# libxvid joins the encoders when Debian's xvidcore source can be fetched and built;
# without it the jobs' Xvid route has only FFmpeg's own MPEG-4 Part 2 encoder.
ffmpeg_optional_encoders="libxvid"

# Source package, and a binary package of it that the local package index knows, so
# that a cached build is found without fetching anything.
source_packages="ffmpeg:ffmpeg libass:libass-dev harfbuzz:libharfbuzz-dev
  freetype:libfreetype-dev fribidi:libfribidi-dev xvidcore:libxvidcore-dev
  libmediainfo:libmediainfo-dev libzen:libzen-dev"
# Packages used as they are installed: the toolchain, the assembler, and zlib.
installed_packages="gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  binutils-mingw-w64-x86-64 nasm libz-mingw-w64-dev"

host=x86_64-w64-mingw32
cc=$host-gcc-posix
cxx=$host-g++-posix
sysroot=/usr/$host
# What the built programs may import: Windows' own libraries only.
system_dlls="kernel32 msvcrt user32 gdi32 advapi32 shell32 ole32 oleaut32 ws2_32 bcrypt
  secur32 psapi shlwapi version winmm comdlg32 comctl32 crypt32 ntdll"

repo=$(cd "$(dirname "$0")/.." && pwd)
cache_root=${CLIPVANE_DEPS_CACHE:-/var/cache/clipvane}

say() { echo "windows-deps: $*" >&2; }
die() { say "$*"; exit 1; }

words() { echo $*; }  # one line, single blanks

# The versions of the source packages that the package index offers now, each
# read through one of its binary packages (a binary built from a differing version
# names it), in one look-up: "binary version" lines.
offered_versions() {
  apt-cache show --no-all-versions "$@" 2>/dev/null | awk '
    /^Package:/ { package = $2 }
    /^Version:/ { version[package] = $2 }
    /^Source:/ && $3 ~ /^\(/ { source = $3; gsub(/[()]/, "", source); from[package] = source }
    END { for (p in version) print p, ((p in from) ? from[p] : version[p]) }'
}

declare -A version
missing_versions=""
read_versions() {
  local entry binary found
  declare -A offered=() installed=()
  while read -r binary found; do offered[$binary]=$found; done < <(
    offered_versions $(for entry in $source_packages; do echo "${entry#*:}"; done))
  while read -r binary found; do installed[$binary]=$found; done < <(
    dpkg-query -W -f='${Package} ${Version}\n' $installed_packages 2>/dev/null || true)
  missing_versions=""
  for entry in $source_packages; do
    version[${entry%%:*}]=${offered[${entry#*:}]:-}
    [ -n "${version[${entry%%:*}]}" ] || missing_versions="$missing_versions ${entry#*:}"
  done
  for entry in $installed_packages; do
    version[$entry]=${installed[$entry]:-}
    [ -n "${version[$entry]}" ] || missing_versions="$missing_versions $entry"
  done
  [ -z "$missing_versions" ]
}

key_text() {
  local entry
  echo "recipe $recipe"
  for entry in $source_packages; do echo "source ${entry%%:*} ${version[${entry%%:*}]}"; done
  for entry in $installed_packages; do echo "installed $entry ${version[$entry]}"; done
  for list in decoders encoders demuxers muxers parsers bsfs protocols filters indevs optional_encoders; do
    local name="ffmpeg_$list"
    echo "ffmpeg $list: $(words ${!name})"
  done
}

complete() {
  [ -f "$1/COMPLETE" ] && [ -f "$1/bin/ffmpeg.exe" ] && [ -f "$1/bin/ffprobe.exe" ] &&
    [ -f "$1/bin/MediaInfo.dll" ] && [ -f "$1/SOURCES.txt" ]
}

# ---------------------------------------------------------------------------
# Which folder: found from the local package index alone, so a cached run needs
# no network.
if ! read_versions; then
  say "the package index knows nothing of$missing_versions; updating it"
  apt-get update -qq >&2
  read_versions || die "no version found for$missing_versions (are scripts/setup.sh's packages installed?)"
fi
key=r$recipe-$(key_text | sha256sum | cut -c1-16)
final="$cache_root/windows-deps-$key"

if complete "$final"; then
  say "reusing $final"
  echo "$final"
  exit 0
fi

mkdir -p "$cache_root"
# One build at a time: a second run waits, then finds the folder the first one made.
exec 9>"$cache_root/.windows-deps.lock"
flock 9
if complete "$final"; then
  echo "$final"
  exit 0
fi
# With the lock held nothing else builds here: any work folder left is from a run
# that was interrupted, and a folder without its marker was never finished.
# The last failed build's folder goes too.
failed="$cache_root/windows-deps-failed"
rm -rf "$cache_root"/.windows-deps-*.work "$failed" "$final"

work="$cache_root/.windows-deps-$key.work"
log="$work/build.log"
mkdir -p "$work"
# A failed build keeps its folder (log, sources, build trees) for a look, until the
# next run; a finished one leaves only the result.
finish() {
  local status=$?
  [ -d "$work" ] || return 0
  if [ $status -eq 0 ]; then
    rm -rf "$work"
  else
    mv "$work" "$failed"
    say "the failed build is kept in $failed until the next run"
  fi
}
trap finish EXIT
trap 'exit 1' INT TERM HUP
: >"$log"
started=$(date +%s)

# Runs one step with its output in the log; on failure shows the log's end.
step() {
  local name=$1
  shift
  echo "== $name" >>"$log"
  if ! "$@" >>"$log" 2>&1; then
    tail -n 40 "$log" >&2
    die "$name failed; the whole log is $failed/build.log"
  fi
}

elapsed() { echo "$(( ($(date +%s) - started) / 60 ))m$(( ($(date +%s) - started) % 60 ))s"; }

# ---------------------------------------------------------------------------
# Fetching the sources. apt reads a private configuration from the work folder:
# the system's Debian entries turned into deb-src ones, with their own package
# lists, so nothing of the system's apt set-up changes, and the entries go with the
# work folder whatever happens.
apt_dir="$work/apt"
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
apt_opts=(-o "Dir::Etc::sourcelist=$apt_dir/sources.list" -o "Dir::Etc::sourceparts=$apt_dir/sources.list.d"
          -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
          -o "APT::Sandbox::User=root" -o "Acquire::Retries=3")

write_source_entries() {
  local codename
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [ -n "$codename" ] || die "cannot tell the Debian release from /etc/os-release"
  # One-line entries: deb [options] URI SUITE COMPONENTS...
  { cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null || true; } |
    awk -v release="$codename" '
      $1 == "deb" { suite = ($2 ~ /^\[/) ? "" : $3
                    for (i = 2; i <= NF; i++) if ($i ~ /\]$/) { suite = $(i + 2); break }
                    if (index(suite, release) == 1) { $1 = "deb-src"; print } }' >"$apt_dir/sources.list"
  # deb822 stanzas.
  local file
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    awk -v release="$codename" 'BEGIN { RS = ""; ORS = "\n\n" }
      /(^|\n)Types:[^\n]*deb([ \t]|\n|$)/ && /(^|\n)Suites:[ \t]*[^\n]*/ && !/(^|\n)Enabled:[ \t]*no/ {
        if (match($0, /(^|\n)Suites:[^\n]*/) && index(substr($0, RSTART, RLENGTH), release) > 0) {
          gsub(/(^|\n)Types:[^\n]*/, "\nTypes: deb-src"); sub(/^\n/, ""); print } }' "$file" \
      >"$apt_dir/sources.list.d/$(basename "$file")"
  done
  grep -qs . "$apt_dir/sources.list" "$apt_dir"/sources.list.d/*.sources ||
    die "found no Debian $codename entry in the system's apt sources to fetch sources from"
}

declare -A provenance  # source package -> how it was obtained, for SOURCES.txt

# Unpacks a source package as dpkg-source would: the upstream tarball, Debian's
# folder over it, then Debian's patches in order. Files come from apt, which checks
# them against the signed index. Another revision of the same upstream version
# provides the upstream tarball when the archive serves it only there (as for
# security updates). Without Debian's part the upstream tarball is used as it is,
# and SOURCES.txt says so. Returns 1 when there is no upstream tarball at all.
fetch_source() {
  local name=$1 target=$2 wanted=${version[$1]}
  local upstream=${wanted#*:}
  upstream=${upstream%-*}
  local plain=${wanted#*:} pool="$work/pool/$name" candidate other
  mkdir -p "$pool"
  for candidate in "$wanted" $(apt-cache "${apt_opts[@]}" showsrc "$name" 2>/dev/null | awk '/^Version:/ { print $2 }'); do
    other=${candidate#*:}
    [ "${other%-*}" = "$upstream" ] || continue
    (cd "$pool" && apt-get "${apt_opts[@]}" source --download-only -q "$name=$candidate") >>"$log" 2>&1 || true
    ls "$pool/${name}_${plain}".debian.tar.* >/dev/null 2>&1 &&
      ls "$pool/${name}_${upstream}".orig.tar.* >/dev/null 2>&1 && break
  done
  local orig debian
  orig=$(ls "$pool/${name}_${upstream}".orig.tar.* 2>/dev/null | grep -v '\.asc$' | head -n 1 || true)
  debian=$(ls "$pool/${name}_${plain}".debian.tar.* 2>/dev/null | head -n 1 || true)
  [ -n "$orig" ] || return 1
  rm -rf "$target"
  mkdir -p "$target"
  tar -xf "$orig" -C "$target" --strip-components=1
  # Further upstream tarballs (name.orig-part.tar.*) go into a folder of that part.
  local part part_name
  for part in "$pool/${name}_${upstream}".orig-*.tar.*; do
    case $part in *.asc | *'*'*) continue ;; esac
    part_name=${part##*.orig-}
    part_name=${part_name%%.tar.*}
    mkdir -p "$target/$part_name"
    tar -xf "$part" -C "$target/$part_name" --strip-components=1
  done
  if [ -z "$debian" ]; then
    provenance[$name]="$name $wanted: the upstream tarball $(basename "$orig") only (the archive did not serve Debian's changes)"
    return 0
  fi
  rm -rf "$target/debian"
  tar -xf "$debian" -C "$target"
  local series="$target/debian/patches/series" patch level
  if [ -f "$series" ]; then
    while read -r patch level; do
      case $patch in '' | '#'*) continue ;; esac
      case $level in -p*) ;; *) level=-p1 ;; esac
      patch -d "$target" -s -f -N "$level" <"$target/debian/patches/$patch" >>"$log" 2>&1 ||
        die "Debian's patch $patch does not apply to $name $wanted"
    done <"$series"
  fi
  provenance[$name]="$name $wanted"
  return 0
}

src="$work/src"
build="$work/build"
prefix="$work/prefix"
result="$work/result"
mkdir -p "$src" "$build" "$prefix/lib/pkgconfig" "$result/bin" "$result/licenses" "$result/recipe"

say "fetching Debian's sources into $work"
write_source_entries
step "source index" apt-get "${apt_opts[@]}" update -q
for name in ffmpeg libass harfbuzz freetype fribidi libmediainfo; do
  fetch_source "$name" "$src/$name" || die "could not fetch the source of $name ${version[$name]}"
done
# MediaInfoLib's build finds ZenLib beside its own folder.
fetch_source libzen "$src/ZenLib" || die "could not fetch the source of libzen ${version[libzen]}"
with_xvid=1
if ! fetch_source xvidcore "$src/xvidcore"; then
  say "xvidcore's source could not be fetched; FFmpeg is built without libxvid"
  with_xvid=0
fi

# ---------------------------------------------------------------------------
# Building. Every library is static and lands in one private prefix; pkg-config
# looks only there and at the toolchain's own (zlib).
export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig:$sysroot/lib/pkgconfig"
export PKG_CONFIG_PATH=""
cmake_common=(-DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release
              -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib -DBUILD_SHARED_LIBS=OFF)
autotools_common=(--host=$host --prefix="$prefix" --enable-static --disable-shared
                  CC=$cc CXX=$cxx "CFLAGS=-O2" "CPPFLAGS=-I$prefix/include" "LDFLAGS=-L$prefix/lib")

cmake_build() {
  local name=$1
  shift
  step "$name: configure" cmake -S "$src/$name" -B "$build/$name" "${cmake_common[@]}" "$@"
  step "$name: build" cmake --build "$build/$name" -j "$jobs"
  step "$name: install" cmake --install "$build/$name"
}

autotools_build() {
  local name=$1
  shift
  mkdir -p "$build/$name"
  step "$name: configure" sh -c 'cd "$1" && shift && "$@"' _ "$build/$name" "$src/$name/configure" "${autotools_common[@]}" "$@"
  step "$name: build" make -C "$build/$name" -j "$jobs"
  step "$name: install" make -C "$build/$name" install
}

say "building MediaInfo.dll ($(elapsed))"
# -static and a static end of the link line: the C++ runtime, libgcc and the thread
# library go into the DLL instead of being imported from MinGW's DLLs.
# GNU ld reads the .def file's ordinals with a leading zero (@08) as octal numbers.
sed -E -i 's/@0+([1-9])/@\1/' "$src/libmediainfo/Source/MediaInfoDLL/MediaInfoDLL.def"
step "mediainfo: configure" cmake -S "$src/libmediainfo/Project/CMake" -B "$build/mediainfo" "${cmake_common[@]}" \
  -DBUILD_SHARED_LIBS=ON -DBUILD_ZENLIB=ON -DBUILD_ZLIB=OFF \
  -DZLIB_LIBRARY="$sysroot/lib/libz.a" -DZLIB_INCLUDE_DIR="$sysroot/include" \
  -DCMAKE_LINK_SEARCH_END_STATIC=ON -DCMAKE_SHARED_LINKER_FLAGS="-static -s"
step "mediainfo: build" cmake --build "$build/mediainfo" -j "$jobs" --target mediainfo
cp "$build/mediainfo/libmediainfo.dll" "$result/bin/MediaInfo.dll"

say "building freetype ($(elapsed))"
# With the system's zlib: FreeType's own copy clashes with it in FFmpeg's link.
cmake_build freetype -DFT_REQUIRE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
  -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
say "building fribidi ($(elapsed))"
autotools_build fribidi --disable-deprecated
say "building harfbuzz ($(elapsed))"
cmake_build harfbuzz -DHB_BUILD_SUBSET=OFF -DHB_HAVE_FREETYPE=OFF -DHB_HAVE_GLIB=OFF -DHB_HAVE_ICU=OFF
say "building libass ($(elapsed))"
autotools_build libass --disable-fontconfig --enable-directwrite --disable-libunibreak

if [ $with_xvid = 1 ]; then
  say "building xvidcore ($(elapsed))"
  # Optional: when it does not build, FFmpeg is built without it.
  if (cd "$src/xvidcore/build/generic" && ./configure "${autotools_common[@]}" && make -j "$jobs" && make install) >>"$log" 2>&1 &&
     ls "$prefix"/lib/*xvidcore.a >/dev/null 2>&1; then
    # The static library under the name the linker looks for; the DLL is not shipped.
    [ -f "$prefix/lib/libxvidcore.a" ] || cp "$prefix/lib/xvidcore.a" "$prefix/lib/libxvidcore.a"
    rm -f "$prefix"/lib/xvidcore.dll* "$prefix"/bin/xvidcore.dll
  else
    say "xvidcore did not build; FFmpeg is built without libxvid"
    with_xvid=0
  fi
fi
[ $with_xvid = 1 ] || provenance[xvidcore]="xvidcore ${version[xvidcore]}: not used (its source could not be fetched or built); FFmpeg has no libxvid"

say "building FFmpeg ($(elapsed))"
encoders=$ffmpeg_encoders
ffmpeg_libs=(--enable-libass)
if [ $with_xvid = 1 ]; then
  encoders="$encoders $ffmpeg_optional_encoders"
  ffmpeg_libs+=(--enable-libxvid)
fi
comma() { words "$@" | tr ' ' ','; }
ffmpeg_options=(
  --enable-cross-compile --target-os=mingw32 --arch=x86_64 --cross-prefix=$host-
  --cc=$cc --cxx=$cxx --pkg-config=pkg-config --pkg-config-flags=--static
  --extra-cflags="-I$prefix/include" --extra-ldflags="-L$prefix/lib -static" --extra-libs=-lstdc++
  --enable-gpl --disable-autodetect --enable-w32threads --enable-zlib "${ffmpeg_libs[@]}"
  --disable-everything --disable-doc --disable-debug --disable-network --disable-postproc
  --disable-ffplay --enable-ffmpeg --enable-ffprobe
  --enable-decoder="$(comma $ffmpeg_decoders)" --enable-encoder="$(comma $encoders)"
  --enable-demuxer="$(comma $ffmpeg_demuxers)" --enable-muxer="$(comma $ffmpeg_muxers)"
  --enable-parser="$(comma $ffmpeg_parsers)" --enable-bsf="$(comma $ffmpeg_bsfs)"
  --enable-protocol="$(comma $ffmpeg_protocols)" --enable-filter="$(comma $ffmpeg_filters)"
  --enable-indev="$(comma $ffmpeg_indevs)"
)
mkdir -p "$build/ffmpeg"
step "ffmpeg: configure" sh -c 'cd "$1" && shift && "$@"' _ "$build/ffmpeg" "$src/ffmpeg/configure" "${ffmpeg_options[@]}"
# A misspelt or unavailable component is switched off silently by configure: every
# one asked for must be on.
check_components() {
  local kind=$1 suffix=$2 name missing=""
  shift 2
  for name in "$@"; do
    grep -q "^#define CONFIG_$(echo "${name}_$suffix" | tr '[:lower:]' '[:upper:]') 1" "$build/ffmpeg/config_components.h" ||
      missing="$missing $name"
  done
  [ -z "$missing" ] || die "FFmpeg's configure left out these $kind:$missing"
}
check_components decoders DECODER $ffmpeg_decoders
check_components encoders ENCODER $encoders
check_components demuxers DEMUXER $ffmpeg_demuxers
check_components muxers MUXER $ffmpeg_muxers
check_components parsers PARSER $ffmpeg_parsers
check_components "bitstream filters" BSF $ffmpeg_bsfs
check_components protocols PROTOCOL $ffmpeg_protocols
check_components filters FILTER $ffmpeg_filters
check_components "input devices" INDEV $ffmpeg_indevs
step "ffmpeg: build" make -C "$build/ffmpeg" -j "$jobs" ffmpeg.exe ffprobe.exe
cp "$build/ffmpeg/ffmpeg.exe" "$build/ffmpeg/ffprobe.exe" "$result/bin/"


# ---------------------------------------------------------------------------
# Checks: each program imports Windows' own libraries only (no MinGW runtime, zlib
# or C++ library DLL to ship), and the DLL exports the calls the probe makes.
for program in "$result"/bin/*; do
  imports=$($host-objdump -p "$program" | awk '/DLL Name:/ { print tolower($3) }')
  for dll in $imports; do
    case " $(words $system_dlls) " in *" ${dll%.dll} "*) ;; *) die "$(basename "$program") imports $dll, which Windows does not have" ;; esac
  done
done
# The table is read whole first: grep -q would stop objdump short, which pipefail
# counts as a failure.
exports=$($host-objdump -p "$result/bin/MediaInfo.dll")
for call in MediaInfo_New MediaInfo_Open MediaInfo_Option MediaInfo_Inform MediaInfo_Close MediaInfo_Delete; do
  grep -qw "$call" <<<"$exports" || die "MediaInfo.dll does not export $call"
done

# ---------------------------------------------------------------------------
# Licences and the source offer.
licence() {  # name, then the texts that make up its licence
  local name=$1 file
  shift
  for file in "$@"; do
    [ -f "$file" ] || die "licence text $file is missing"
    printf '==> %s <==\n\n' "${file#"$work"/}"
    cat "$file"
    printf '\n\n'
  done >"$result/licenses/$name.txt"
}
licence FFmpeg "$src/ffmpeg/LICENSE.md" "$src/ffmpeg/COPYING.GPLv2" "$src/ffmpeg/debian/copyright"
licence libass "$src/libass/COPYING" "$src/libass/debian/copyright"
licence FreeType "$src/freetype/docs/FTL.TXT" "$src/freetype/debian/copyright"
licence FriBidi "$src/fribidi/COPYING" "$src/fribidi/debian/copyright"
licence HarfBuzz "$src/harfbuzz/COPYING" "$src/harfbuzz/debian/copyright"
[ $with_xvid = 0 ] || licence xvidcore "$src/xvidcore/LICENSE" "$src/xvidcore/debian/copyright"
licence MediaInfoLib "$src/libmediainfo/LICENSE" "$src/libmediainfo/debian/copyright"
licence ZenLib "$src/ZenLib/License.txt"
licence zlib /usr/share/doc/libz-mingw-w64-dev/copyright
licence mingw-w64-runtime /usr/share/doc/mingw-w64-x86-64-dev/copyright
licence GCC-runtime /usr/share/doc/gcc-mingw-w64-base/copyright
cp "$0" "$result/recipe/windows-deps.sh"
cp "$repo/cmake/mingw-w64.cmake" "$result/recipe/"

{
  cat <<EOF
The programs in bin/ were built from Debian 12 ("apt-get source NAME=VERSION") with
the recipe in recipe/windows-deps.sh (revision $recipe) and the mingw-w64 cross
compiler. ffmpeg.exe and ffprobe.exe are FFmpeg, linked statically with libass,
FreeType, FriBidi and HarfBuzz$([ $with_xvid = 0 ] || echo " and xvidcore"), and are distributed under the GNU
General Public License version 2 or later (licenses/FFmpeg.txt). MediaInfo.dll is
MediaInfoLib with ZenLib and zlib (BSD-style licences, licenses/).

Source offer: the complete source code of these programs is the Debian source
packages below together with the recipe. For at least three years from the day we
distribute these programs we will give anyone who asks for it a copy of that source
code, on a medium customarily used for software interchange, for no more than the
cost of physically performing the distribution.

Source packages:
EOF
  for entry in $source_packages; do
    name=${entry%%:*}
    echo "  ${provenance[$name]:-$name ${version[$name]}}"
  done
  echo
  echo "Used as installed (Debian packages):"
  for entry in $installed_packages; do echo "  $entry ${version[$entry]}"; done
  echo
  echo "FFmpeg configure options:"
  for option in "${ffmpeg_options[@]}"; do echo "  ${option//$work/<build>}"; done
  echo
  echo "Cache key $key, from:"
  key_text | sed 's/^/  /'
} >"$result/SOURCES.txt"

# The marker last, then the folder into place in one rename: a folder under the
# final name is always complete.
echo "built $(date -u +%Y-%m-%dT%H:%M:%SZ) in $(elapsed)" >"$result/COMPLETE"
mv "$result" "$final"
say "done in $(elapsed): $final"
echo "$final"
exit
}
