#!/bin/bash
# Builds the FFmpeg libraries that the Linux stand-ins link (libavformat, libavcodec,
# libavutil): static, from Debian's source of the installed libavformat-dev, with
# just the containers, parsers, decoders and bitstream filters that the splits and
# muxes use. Debian's shared libraries bring some 130 others with them, and loading
# those costs every start of a tool about 85 ms: more than the split itself.
#
#   ${CLIPVANE_DEPS_CACHE:-/var/cache/clipvane}/linux-libav/
#     libav-<key>/   lib/, include/, COMPLETE; the key comes from the configure
#                    options below, the source's version and the compiler's
#     sources/, apt/ Debian's source package as fetched (cmake/windows-deps/fetch-source.sh)
#
# The folder's path is the last line of stdout; progress goes to stderr.
{
set -Eeuo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
root="${CLIPVANE_DEPS_CACHE:-/var/cache/clipvane}/linux-libav"
say() { echo "linux-libav: $*" >&2; }

version=$(dpkg-query -W -f='${source:Version}' libavformat-dev 2>/dev/null) ||
  { say "libavformat-dev is not installed (scripts/setup.sh installs it)"; exit 1; }
# No asm: the parsers and muxers gain nothing from it, and the build needs no nasm.
options=(--prefix=/ --enable-static --disable-shared --enable-pic
  --disable-autodetect --disable-programs --disable-doc --disable-debug --disable-network
  --disable-x86asm --disable-avdevice --disable-swscale --disable-swresample --disable-avfilter
  --disable-postproc --disable-everything
  --enable-demuxer=avi,mov,m4v,h264,aac --enable-muxer=mp4,mov,m4v,h264,adts
  --enable-parser=mpeg4video,h264,aac --enable-decoder=mpeg4,h264,aac
  --enable-bsf=aac_adtstoasc,h264_mp4toannexb,extract_extradata,mpeg4_unpack_bframes
  --enable-protocol=file)
key=$( { echo "${options[*]}"; echo "$version"; gcc --version | head -n 1; } | sha256sum | cut -c1-16)
final="$root/libav-$key"
. "$repo/scripts/cache-folder.sh"
use_or_lock_cache "$root" "$final"
say "building FFmpeg's libraries $version for the stand-ins (once; $final)"
work=$(mktemp -d "$root/.build-XXXXXX")
trap 'rm -rf "$work"' EXIT
"$repo/cmake/windows-deps/fetch-source.sh" ffmpeg "$version" "$root" "$work/source" >&2
mkdir -p "$work/build"
cd "$work/build"
log="$work/build.log"
if ! { "$work/source/configure" "${options[@]}" &&
       make -j2 && make install DESTDIR="$work/stage"; } >"$log" 2>&1; then
  tail -n 30 "$log" >&2
  say "the build failed"
  exit 1
fi
touch "$work/stage/COMPLETE"
rm -rf "$final"
mv "$work/stage" "$final"
echo "$final"
}
