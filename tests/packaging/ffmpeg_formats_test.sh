#!/bin/bash
# The Windows build's ffmpeg.exe (from the dependency folder) under Wine decodes what
# people bring today, each kind made here by the Linux ffmpeg, 1 s long: every frame
# and the sound come out, and the encoders the jobs ask for are there.
#   tests/packaging/ffmpeg_formats_test.sh <windows build folder>
set -eu
build=$(cd "$1" && pwd)
export CLIPVANE_BUILD_DIR="$build"
wine_run="$(cd "$(dirname "$0")/../.." && pwd)/cmake/wine-run.sh"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
windows_path() { printf 'Z:%s' "$1" | tr '/' '\\'; }

video="-f lavfi -i testsrc2=size=320x240:rate=25:duration=1"
sound="-f lavfi -i sine=frequency=440:sample_rate=48000:duration=1"
# name | video and sound streams expected | Linux ffmpeg's arguments
samples="
vp9-opus.webm      | 1 1 | $video $sound -c:v libvpx-vp9 -deadline realtime -c:a libopus
vp8-vorbis.webm    | 1 1 | $video $sound -c:v libvpx -deadline realtime -c:a libvorbis
av1-opus.mkv       | 1 1 | $video $sound -c:v libaom-av1 -cpu-used 8 -c:a libopus
hevc10.mp4         | 1 1 | $video $sound -c:v libx265 -pix_fmt yuv420p10le -x265-params log-level=none -c:a aac
prores-pcm.mov     | 1 1 | $video $sound -c:v prores_ks -c:a pcm_s24le
prores-pcmbe.mov   | 1 1 | $video $sound -c:v prores -c:a pcm_s16be
mjpeg.avi          | 1 1 | $video $sound -c:v mjpeg -c:a pcm_s16le
dv.dv              | 1 1 | -f lavfi -i testsrc2=size=720x576:rate=25:duration=1 $sound -c:v dvvideo -pix_fmt yuv420p -ar 48000 -ac 2 -c:a pcm_s16le -f dv
sound.flac         | 0 1 | $sound -c:a flac
mpeg2-ac3.ts       | 1 1 | $video $sound -c:v mpeg2video -flags +ilme+ildct -c:a ac3
h264-eac3.m2ts     | 1 1 | $video $sound -c:v libx264 -c:a eac3 -mpegts_m2ts_mode 1 -f mpegts
mpeg2-mp2.vob      | 1 1 | $video $sound -c:v mpeg2video -c:a mp2 -f vob
h264-aac.flv       | 1 1 | $video $sound -c:v libx264 -c:a aac
h264-aac-rotated.3gp | 1 1 | $video $sound -c:v libx264 -c:a aac -metadata:s:v:0 rotate=90
"
passed=0
failed=0
while IFS='|' read -r name streams arguments; do
  name=$(echo $name)
  [ -n "$name" ] || continue
  # shellcheck disable=SC2086
  ffmpeg -nostdin -loglevel error -y $arguments -t 1 "$scratch/$name"
  # Decoded through the filters a job uses, rotation included.
  report=$("$wine_run" "$(windows_path "$build/bin/ffmpeg.exe")" -hide_banner -nostdin -i \
    "$(windows_path "$scratch/$name")" -vf scale=160:-2 -af aresample=48000 -f null - 2>&1 | tr -d '\r') || true
  set -- $streams
  frames=$(sed -n 's/.*frame= *\([0-9]*\).*/\1/p' <<<"$report" | tail -n 1)
  problems=""
  if [ "$1" = 1 ] && [ "${frames:-0}" -lt 24 ]; then problems="$problems decoded ${frames:-no} frames;"; fi
  if [ "$2" = 1 ] && ! grep -qE 'Stream #0:[0-9]+[^:]*: Audio' <<<"$report"; then problems="$problems no sound;"; fi
  if grep -qiE 'decoder .* not found|Error while decoding|Invalid data found|could not find codec' <<<"$report"; then
    problems="$problems $(grep -iE 'not found|Error|Invalid|could not' <<<"$report" | head -n 1);"
  fi
  if [ -z "$problems" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $name:$problems" >&2
  fi
done <<<"$samples"

encoders=$("$wine_run" "$(windows_path "$build/bin/ffmpeg.exe")" -hide_banner -encoders 2>&1 | tr -d '\r')
for encoder in libx264 mpeg4 aac; do
  if grep -qE "^ V?A?[.A-Z]* +$encoder " <<<"$encoders" || grep -qE " $encoder +" <<<"$encoders"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: ffmpeg.exe has no $encoder encoder" >&2
  fi
done
echo "ffmpeg.exe formats: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
