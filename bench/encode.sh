#!/bin/sh
# Times the Linux encode pipeline, in one run:
#   1. one 60-second 720x480 29.97 frame/s AVI (MPEG-4 and MP3) through the program's
#      own job script against HandBrakeCLI converting it to the same settings,
#   2. the same job script against one direct ffmpeg command with those settings,
#   3. four 15-second clips in one queue against two queues,
#   4. a 10-minute source: the share of the splits and muxes in its whole job,
#   5. the phone device (H.264) on a 60-second 1920x1080 clip against HandBrakeCLI's
#      Fast 1080p30 preset scaled to 1280x720 at the same rate factor and sound.
# The two sides of a comparison take turns, ROUNDS times each (default 3), and each
# keeps its best wall time, so that a burst of other work on this shared machine
# does not decide a ratio; the load average is printed beside every result.
# Usage: bench/encode.sh [build folder]   (default: build/linux)
# PARTS=phone runs only the phone's comparison (default: all).
# CODEC=xvid times the Xvid preset instead of MPEG-4 through lavc; HandBrakeCLI has
# no Xvid encoder, so its comparison then uses its own MPEG-4 encoder all the same.
set -eu

build=$(cd "${1:-build/linux}" && pwd)
for tool in bin/mencoder bin/mp4creator clipvane-cli; do
  [ -x "$build/$tool" ] || { echo "no $build/$tool: build the linux preset first" >&2; exit 1; }
done
if ldd "$build/bin/mencoder" 2> /dev/null | grep -q libavformat; then
  echo "note: these stand-ins load Debian's shared FFmpeg libraries, slower to start than the README's build;" \
    "configure with -DCLIPVANE_LIBAV=\$(scripts/linux-libav.sh | tail -n 1) to time that one" >&2
fi
if ! command -v HandBrakeCLI > /dev/null; then
  echo "installing Debian's handbrake-cli, the peer of this comparison..."
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends handbrake-cli > /dev/null
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/clipvane-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
# make_app <folder>: a program folder of its own, with its own settings and list.
make_app() {
  mkdir -p "$1/bin"
  cp "$build/bin/mencoder" "$build/bin/mp4creator" "$1/bin/"
  cp "$build/clipvane-cli" "$1/"
}
app="$work/app/"
make_app "$app"
cli="$app/clipvane-cli"
rounds=${ROUNDS:-3}
parts=${PARTS:-all}

codec=${CODEC:-lavc}
if [ "$codec" = xvid ]; then
  quality=0  # Xvid at 900 kbit/s on touch/iPhone
  bitrate=900
  direct_video="-c:v libxvid -b:v 900k -bf 0"
  direct_filters="hqdn3d,"
  scaler=spline
else
  quality=1  # MPEG-4 through lavc at 700 kbit/s
  bitrate=700
  direct_video="-c:v mpeg4 -b:v 700k -bf 0 -g 250"
  direct_filters=""
  scaler=bicubic
fi

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { print b - a }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
load() { cut -d' ' -f1 /proc/loadavg; }

# measure <name> <command...>: runs the command once and keeps, in $work/best.<name>,
# the wall time, CPU time and peak memory of its fastest run so far, and the load
# average at its start.
measure() {
  name=$1
  shift
  at_load=$(load)
  start=$(now)
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -f "%U %S %M" -o "$work/usage" "$@" > /dev/null 2>&1 || { echo "$name failed" >&2; exit 1; }
  else
    "$@" > /dev/null 2>&1 || { echo "$name failed" >&2; exit 1; }
    echo "0 0 0" > "$work/usage"
  fi
  wall=$(elapsed "$start" "$(now)")
  read -r user system memory < "$work/usage"
  best="$work/best.$name"
  if [ ! -f "$best" ] || awk -v a="$wall" -v b="$(cut -d' ' -f1 "$best")" 'BEGIN { exit !(a < b) }'; then
    echo "$wall $(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }') $memory $at_load" > "$best"
  fi
}
field() { cut -d' ' -f"$2" "$work/best.$1"; }
summary() {
  ffprobe -v error -show_entries stream=codec_name,profile,level,width,height,avg_frame_rate,sample_rate,bit_rate \
    -of default=noprint_wrappers=1:nokey=1 "$1" | tr '\n' ' '
}
describe() {
  printf '  %-34s %6.2f s wall  %6.2f s CPU  %4d MB  (load %s)\n' "$2" "$(field "$1" 1)" "$(field "$1" 2)" \
    "$(($(field "$1" 3) / 1024))" "$(field "$1" 4)"
}

# make_source <file> <seconds>: MPEG-4 picture and MP3 sound in an AVI, as in the issue.
make_source() {
  ffmpeg -v error -nostdin -y -f lavfi -i "testsrc2=size=720x480:rate=30000/1001:duration=$2" \
    -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=$2" -ac 2 -shortest \
    -c:v mpeg4 -q:v 4 -c:a libmp3lame -b:a 160k "$1"
}

if [ "$parts" = all ]; then
# The job scripts are the program's own: the listed videos' scripts as clipvane-cli
# writes them (720x480 fills the 480x320 touch/iPhone frame).
"$cli" settings qulity=$quality platform=0 display=0 needsubtitle=0 > /dev/null
echo "making a 60-second and a 10-minute 720x480 source and four 15-second clips..."
make_source "$work/long.avi" 60
make_source "$work/film.avi" 600
for n in 1 2 3 4; do make_source "$work/clip$n.avi" 15; done
"$cli" add "$work/long.avi" "$work/film.avi" "$work/clip1.avi" "$work/clip2.avi" "$work/clip3.avi" \
  "$work/clip4.avi" > /dev/null
"$cli" make-scripts > /dev/null 2>&1
echo "codec: $codec, best of $rounds alternated runs each, $(nproc) cores"

# 1 and 2: one video, three ways in turn.
for round in $(seq "$rounds"); do
  measure job sh "$app/batch/long.sh"
  measure handbrake HandBrakeCLI -i "$work/long.avi" -o "$work/handbrake.mp4" -e mpeg4 -b "$bitrate" -r 25 --cfr \
    -w 480 -l 320 --crop 0:0:0:0 -E av_aac -B 192 -R 48
  measure direct ffmpeg -v error -nostdin -y -i "$work/long.avi" -map 0:v:0 -map 0:a:0 \
    -vf "fps=25,crop=720:480,scale=480:320:flags=$scaler,${direct_filters}setsar=1" $direct_video -fps_mode cfr \
    -threads 2 -c:a aac -profile:a aac_low -b:a 192000 -ar 48000 -af "aresample=async=1,dynaudnorm" "$work/direct.mp4"
done
[ -s "$app/incoming/long.mp4" ] || { echo "the job script wrote no MP4" >&2; exit 1; }
echo "one 60-second video:"
describe job "job script (clipvane-cli, sh)"
describe handbrake "HandBrakeCLI"
describe direct "direct ffmpeg command"
echo "  outputs: ours $(summary "$app/incoming/long.mp4")"
echo "           HandBrakeCLI $(summary "$work/handbrake.mp4")"
printf 'ours / HandBrakeCLI:     %s (goal at most 0.85)\n' "$(ratio "$(field job 1)" "$(field handbrake 1)")"
printf 'ours / direct ffmpeg:    %s (goal at most 1.00)\n' "$(ratio "$(field job 1)" "$(field direct 1)")"

# 3: four clips, one queue against two.
for round in $(seq "$rounds"); do
  measure one_queue sh -c "for n in 1 2 3 4; do sh '$app/batch/clip'\$n.sh; done"
  measure two_queues sh -c "(sh '$app/batch/clip1.sh'; sh '$app/batch/clip2.sh') & \
    (sh '$app/batch/clip3.sh'; sh '$app/batch/clip4.sh') & wait"
done
for n in 1 2 3 4; do
  [ -s "$app/incoming/clip$n.mp4" ] || { echo "clip$n.mp4 is missing" >&2; exit 1; }
done
echo "four 15-second clips:"
describe one_queue "one queue"
describe two_queues "two queues"
printf 'two queues / one queue:  %s (goal at most 0.60)\n' "$(ratio "$(field two_queues 1)" "$(field one_queue 1)")"

# 4: the 10-minute source's job, step by step: the splits and muxes, and the check
# that places the MP4, against the whole job, in wall time and, as other work on the
# machine stretches short steps more than long ones, in CPU time too. Only the steps
# a job that goes well runs are timed: the lines of its failure handler are passed
# over. As with the comparisons, the best round counts: a burst of other work lands
# on one round, not on the steps themselves.
echo "a 10-minute source, its job step by step:"
best_share=100
best_check=100
for round in $(seq "$rounds"); do
  at_load=$(load)
  fixed=0
  check=0
  total=0
  fixed_cpu=0
  total_cpu=0
  handler=0
  while IFS= read -r line; do
    if [ "$line" = "failed() {" ] || [ "$handler" = 1 ]; then
      handler=1
      [ "$line" != "}" ] || handler=0
      continue
    fi
    start=$(now)
    if [ -x /usr/bin/time ]; then
      /usr/bin/time -f "%U %S" -o "$work/usage" sh -c "$line" > /dev/null 2>&1 || true
    else
      sh -c "$line" > /dev/null 2>&1 || true
      echo "0 0" > "$work/usage"
    fi
    took=$(elapsed "$start" "$(now)")
    cpu=$(awk '{ print $1 + $2 }' "$work/usage")
    total=$(awk -v a="$total" -v b="$took" 'BEGIN { print a + b }')
    total_cpu=$(awk -v a="$total_cpu" -v b="$cpu" 'BEGIN { print a + b }')
    case "$line" in
      *"/mp4creator' -check "*)
        check=$(awk -v a="$check" -v b="$took" 'BEGIN { print a + b }')
        ;;
      *"-of rawvideo"* | *"-of rawaudio"* | *"/mp4creator' -c "*)
        fixed=$(awk -v a="$fixed" -v b="$took" 'BEGIN { print a + b }')
        fixed_cpu=$(awk -v a="$fixed_cpu" -v b="$cpu" 'BEGIN { print a + b }')
        ;;
    esac
  done < "$app/batch/film.sh"
  [ -s "$app/incoming/film.mp4" ] || { echo "the 10-minute job wrote no MP4" >&2; exit 1; }
  share=$(awk -v a="$fixed" -v b="$total" 'BEGIN { printf "%.2f", 100 * a / b }')
  check_share=$(awk -v a="$check" -v b="$total" 'BEGIN { printf "%.2f", 100 * a / b }')
  cpu_share=$(awk -v a="$fixed_cpu" -v b="$total_cpu" 'BEGIN { printf "%.2f", (b > 0 ? 100 * a / b : 0) }')
  printf '  run %d: whole job %6.2f s, splits and muxes %5.2f s: %s%% (CPU %.2f of %.2f s: %s%%), check %5.2f s: %s%%  (load %s)\n' \
    "$round" "$total" "$fixed" "$share" "$fixed_cpu" "$total_cpu" "$cpu_share" "$check" "$check_share" "$at_load"
  best_share=$(awk -v a="$best_share" -v b="$share" 'BEGIN { print (b < a ? b : a) }')
  best_check=$(awk -v a="$best_check" -v b="$check_share" 'BEGIN { print (b < a ? b : a) }')
done
printf 'splits and muxes, share of the wall time in the best round: %s%% (goal under 2%%)\n' "$best_share"
printf 'the check that places the MP4, its share in the best round: %s%%\n' "$best_check"
fi

# 5: the phone device on a 60-second 1920x1080 clip as a phone or camera writes it,
# against HandBrakeCLI's Fast 1080p30 preset scaled to 1280x720, with the same x264
# preset, profile, level and rate factor (normal quality: 23, fast) and the same
# sound (AAC at 160 kbit/s, 48 kHz), fast start both.
phone="$work/phone/"
make_app "$phone"
"$phone/clipvane-cli" settings qulity=1 platform=2 needsubtitle=0 > /dev/null
echo "making a 60-second 1920x1080 source..."
ffmpeg -v error -nostdin -y -f lavfi -i "testsrc2=size=1920x1080:rate=30:duration=60" \
  -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=60" -ac 2 -shortest \
  -c:v libx264 -preset veryfast -crf 20 -c:a aac -b:a 192k "$work/hd.mp4"
"$phone/clipvane-cli" add "$work/hd.mp4" > /dev/null
"$phone/clipvane-cli" make-scripts > /dev/null 2>&1
for round in $(seq "$rounds"); do
  measure phone_job sh "$phone/batch/hd.sh"
  measure phone_handbrake HandBrakeCLI -i "$work/hd.mp4" -o "$work/handbrake-hd.mp4" -Z "Fast 1080p30" \
    -w 1280 -l 720 --crop 0:0:0:0 -e x264 --encoder-preset fast --encoder-profile high --encoder-level 4.0 -q 23 \
    -E av_aac -B 160 -R 48 -6 stereo --optimize
done
[ -s "$phone/incoming/hd.mp4" ] || { echo "the phone's job script wrote no MP4" >&2; exit 1; }
echo "the phone device, one 60-second 1920x1080 video:"
describe phone_job "job script (clipvane-cli, sh)"
describe phone_handbrake "HandBrakeCLI (Fast 1080p30 at 720p)"
echo "  outputs: ours $(summary "$phone/incoming/hd.mp4")"
echo "           HandBrakeCLI $(summary "$work/handbrake-hd.mp4")"
printf 'ours / HandBrakeCLI:     %s (goal at most 1.00)\n' "$(ratio "$(field phone_job 1)" "$(field phone_handbrake 1)")"
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
