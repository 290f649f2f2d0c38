#!/bin/sh
# Times the Linux encode pipeline: one 60-second 720x480 video through a job script
# (mencoder and mp4creator stand-ins: encode to AVI, split, mux) against one direct
# ffmpeg command with the same codec settings, and four clips in one queue against
# two queues. Usage: bench/encode.sh [build folder]   (default: build/linux)
# CODEC=xvid times the Xvid preset instead of MPEG-4 through lavc; ROUNDS=n repeats the
# single-video comparison n times (default 2) and keeps the best of each.
set -eu

build=$(cd "${1:-build/linux}" && pwd)
for tool in bin/mencoder bin/mp4creator clipvane-cli; do
  [ -x "$build/$tool" ] || { echo "no $build/$tool: build the linux preset first" >&2; exit 1; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/clipvane-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
app="$work/app/"
mkdir -p "$app/bin"
cp "$build/bin/mencoder" "$build/bin/mp4creator" "$app/bin/"
cp "$build/clipvane-cli" "$app"
cli="$app/clipvane-cli"
# The sources are MP4 files, which the list takes only when told so.
printf '[default]\r\nvideofileext=mp4\r\n' > "$app/MP4.ini"

codec=${CODEC:-lavc}
if [ "$codec" = xvid ]; then
  quality=0  # Xvid at 900 kbit/s on touch/iPhone
  direct_video="-c:v libxvid -b:v 900k -bf 0"
  direct_filters="hqdn3d,"
  scaler=spline
else
  quality=1  # MPEG-4 through lavc at 700 kbit/s
  direct_video="-c:v mpeg4 -b:v 700k -bf 0 -g 250"
  direct_filters=""
  scaler=bicubic
fi

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { print b - a }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { print a / b }'; }

# make_source <file> <seconds>
make_source() {
  ffmpeg -v error -nostdin -y -f lavfi -i "testsrc2=size=720x480:rate=25:duration=$2" \
    -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=$2" -shortest \
    -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac "$1"
}

# The job scripts are the program's own: the listed videos' scripts as clipvane-cli
# writes them (720x480 at 25 frame/s fills the 480x320 touch/iPhone frame).
"$cli" settings qulity=$quality platform=0 display=0 needsubtitle=0 > /dev/null

echo "making a 60-second 720x480 source and four 15-second clips..."
make_source "$work/long.mp4" 60
for n in 1 2 3 4; do make_source "$work/clip$n.mp4" 15; done

"$cli" add "$work/long.mp4" "$work/clip1.mp4" "$work/clip2.mp4" "$work/clip3.mp4" "$work/clip4.mp4" > /dev/null
"$cli" make-scripts > /dev/null 2>&1
# Alternate the two ways and keep each one's best time, so that a burst of other
# work on the machine does not decide the ratio.
job_time=999999
direct_time=999999
for round in $(seq "${ROUNDS:-2}"); do
  start=$(now)
  sh "$app/batch/long.sh" > /dev/null
  job_time=$(awk -v a="$job_time" -v b="$(elapsed "$start" "$(now)")" 'BEGIN { print (b < a ? b : a) }')
  [ -s "$app/incoming/long.mp4" ] || { echo "the job script wrote no MP4" >&2; exit 1; }

  start=$(now)
  ffmpeg -v error -nostdin -y -i "$work/long.mp4" -map 0:v:0 -map 0:a:0 \
    -vf "fps=25,crop=720:480,scale=480:320:flags=$scaler,${direct_filters}setsar=1" $direct_video -fps_mode cfr \
    -threads 2 -c:a aac -profile:a aac_low -b:a 192000 -ar 48000 -af "aresample=async=1,dynaudnorm" "$work/direct.mp4"
  direct_time=$(awk -v a="$direct_time" -v b="$(elapsed "$start" "$(now)")" 'BEGIN { print (b < a ? b : a) }')
done

echo "codec: $codec"
printf 'job script: %6.2f s   direct ffmpeg: %6.2f s   ratio: %.3f (target at most 1.10)\n' \
  "$job_time" "$direct_time" "$(ratio "$job_time" "$direct_time")"

start=$(now)
for n in 1 2 3 4; do sh "$app/batch/clip$n.sh"; done > /dev/null
one_queue=$(elapsed "$start" "$(now)")

start=$(now)
(sh "$app/batch/clip1.sh"; sh "$app/batch/clip2.sh") > /dev/null &
first=$!
(sh "$app/batch/clip3.sh"; sh "$app/batch/clip4.sh") > /dev/null &
second=$!
wait "$first" "$second"
two_queues=$(elapsed "$start" "$(now)")
for n in 1 2 3 4; do
  [ -s "$app/incoming/clip$n.mp4" ] || { echo "clip$n.mp4 is missing" >&2; exit 1; }
done
printf 'four clips, one queue: %6.2f s   two queues: %6.2f s   ratio: %.3f\n' \
  "$one_queue" "$two_queues" "$(ratio "$two_queues" "$one_queue")"
