#!/bin/bash
# Builds what the Windows program needs beside clipvane.exe and the stand-ins:
# FFmpeg as DLLs (subtitles drawn with libass, H.264 with x264, AV1 with dav1d, HDR
# tone-mapped with zimg, all linked into them) with ffmpeg.exe and ffprobe.exe and the
# import libraries through which the stand-ins use the same DLLs, and MediaInfo.dll,
# from Debian's source packages, with this project's mingw-w64 toolchain. The recipe
# is a CMake superbuild in cmake/windows-deps/, one external project per library,
# each cached in its own folder under its own key:
#
#   ${CLIPVANE_DEPS_CACHE:-/var/cache/clipvane}/windows-deps/
#     deps-<key>/        the folder the program's build uses (bin/, lib/, include/,
#                        licenses/, sources/, SOURCES.txt, recipe/)
#     <library>-<key>/   each library, reused while its recipe, source and toolchain
#                        and those of what it depends on stay the same
#
# The folder's path is the last line of stdout; progress goes to stderr, the build's
# output to windows-deps/build/superbuild.log (and a log per step of each library),
# which becomes windows-deps/last-build.log when the build succeeds.
# The whole script is one block, read before it runs, so that editing the file
# during a build cannot change the running build.
{
set -Eeuo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
recipes="$repo/cmake/windows-deps"
root="${CLIPVANE_DEPS_CACHE:-/var/cache/clipvane}/windows-deps"
jobs=2
say() { echo "windows-deps: $*" >&2; }

# The folders and whether each is there, from the local package index alone, so a
# cached run needs no network. An index that knows nothing of a package is updated
# once.
keys() { cmake -DCLIPVANE_DEPS_ROOT="$root" -P "$recipes/keys.cmake" 2>&1; }
if ! listing=$(keys); then
  case $listing in
    *"the package index knows nothing of"*)
      say "updating the package index"
      apt-get update -qq >&2
      listing=$(keys) || { echo "$listing" >&2; exit 1; } ;;
    *) echo "$listing" >&2; exit 1 ;;
  esac
fi
final=$(tail -n 1 <<<"$listing")
[ ! -f "$final/COMPLETE" ] || say "reusing $final"
. "$repo/scripts/cache-folder.sh"
use_or_lock_cache "$root" "$final"
sed -n 's/ to build$//p' <<<"$(keys)" | while read -r name folder; do say "to build: $name ($folder)"; done

# The superbuild's tree keeps each library's stamps and build folder. After a
# failure it stays for a look, and the next run goes on from the step that failed;
# after a success it goes, and only the folders remain.
build="$root/build"
log="$build/superbuild.log"
mkdir -p "$build"
started=$(date +%s)
if ! cmake -S "$recipes" -B "$build" -DCLIPVANE_DEPS_ROOT="$root" >"$log" 2>&1; then
  tail -n 30 "$log" >&2
  say "configuring the superbuild failed; the whole log is $log"
  exit 1
fi
# make's job server shares the jobs among the libraries that build side by side.
if ! cmake --build "$build" -j "$jobs" >>"$log" 2>&1; then
  grep -E '^(CMake Error|FAILED|make.*Error)|Log output is|\.log$' "$log" | tail -n 20 >&2 || true
  tail -n 40 "$log" >&2
  say "the build failed; the whole log is $log, each step's log is in $build/<library>-<key>/stamp/"
  exit 1
fi
[ -f "$final/COMPLETE" ] || { say "the build ended without $final"; exit 1; }
# What the last build did (which libraries' steps ran) stays for a look.
mv "$log" "$root/last-build.log"
rm -rf "$build"
say "done in $(( ($(date +%s) - started) / 60 ))m$(( ($(date +%s) - started) % 60 ))s: $final"
echo "$final"
exit
}
