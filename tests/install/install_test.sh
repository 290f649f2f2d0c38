#!/bin/sh
# Installs the build under a temporary prefix, checks the layout and the desktop entry,
# and converts a video with the installed clipvane-cli as the user "nobody", who cannot
# write the program folder: settings, list, scripts and the MP4 must then land in that
# user's XDG data folder, and the job scripts must run the tools of the program folder.
# Usage: install_test.sh BUILD_DIR
set -eu
build_dir=${1:?build folder}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
fail() { echo "install test: $*" >&2; exit 1; }

cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
program="$work/prefix/lib/clipvane"
for file in "$program/clipvane" "$program/clipvane-cli" "$program/bin/mencoder" "$program/bin/mp4creator" \
  "$work/prefix/share/icons/hicolor/scalable/apps/clipvane.svg"; do
  [ -f "$file" ] || fail "missing $file"
done
[ "$(readlink -f "$work/prefix/bin/clipvane")" = "$program/clipvane" ] || fail "bin/clipvane does not lead to the program"
entry="$work/prefix/share/applications/clipvane.desktop"
grep -qx "Exec=\"$program/clipvane\" %F" "$entry" || fail "desktop entry's Exec"
grep -q '^MimeType=.*video/x-msvideo;.*video/x-matroska;' "$entry" || fail "desktop entry's MimeType"

mkdir "$work/home" "$work/videos"
chown nobody "$work/home"
ffmpeg -loglevel error -y -f lavfi -i testsrc=size=160x120:rate=25 -f lavfi -i sine=frequency=500 -t 1 \
  -c:v mpeg4 -c:a mp3 -shortest "$work/videos/clip one.avi"
chmod -R a+rX "$work/videos"
as_nobody() {
  setpriv --reuid=nobody --regid=nogroup --clear-groups env -i PATH="$PATH" HOME="$work/home" "$@"
}
as_nobody "$work/prefix/bin/clipvane-cli" add "$work/videos/clip one.avi" >/dev/null
as_nobody "$work/prefix/bin/clipvane-cli" encode 1 --wait >/dev/null 2>&1 || fail "the encode as nobody failed"
data="$work/home/.local/share/clipvane"
[ -s "$data/incoming/clip one.mp4" ] || fail "no MP4 in $data/incoming"
[ -f "$data/list.log" ] || fail "no list.log in $data"
grep -qF "'$program/bin/mencoder'" "$data/batch/clip one.sh" || fail "the job script does not run the program folder's tools"
[ -z "$(find "$program" -newer "$work/prefix/bin/clipvane" -type f)" ] || fail "something was written into the program folder"
streams=$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$data/incoming/clip one.mp4" | tr '\n' ' ')
[ "$streams" = "mpeg4 aac " ] || fail "the MP4 holds: $streams"

# One file handed over, as a file manager does: the window opens with it listed. Its
# stop signal makes it close as the user would, saving the list, once it has set up
# its handler for that (SIGTERM's bit in SigCgt).
cp "$work/videos/clip one.avi" "$work/videos/handed.avi"
setpriv --reuid=nobody --regid=nogroup --clear-groups env -i PATH="$PATH" HOME="$work/home" QT_QPA_PLATFORM=offscreen \
  "$work/prefix/bin/clipvane" "$work/videos/handed.avi" 2>/dev/null &
window=$!
tries=0
while mask=$(sed -n 's/^SigCgt:[[:space:]]*//p' "/proc/$window/status" 2>/dev/null) &&
  [ $(( 0x${mask#"${mask%????}"} >> 14 & 1 )) = 0 ]; do
  tries=$((tries + 1))
  [ $tries -lt 600 ] || { kill -KILL $window; fail "the window did not open"; }
  sleep 0.1
done
kill -TERM $window
wait $window || fail "the window with a file handed over ended with $?"
grep -qF "$work/videos/handed.avi" "$data/list.log" || fail "the file handed over is not listed"
echo "install test: the installed program keeps its data in $data"
