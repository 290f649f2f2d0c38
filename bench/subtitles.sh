#!/bin/sh
# SAMI to SSA speed: our conversion (Google Benchmark, file to file) against
# `ffmpeg -i file.smi out.ass`, on the same generated 5 MB file in the same run.
# Prints both throughputs and the ratio of the times, ours over FFmpeg's (lower is better).
# FFmpeg's time includes starting its process; ours is measured inside one process.
set -eu
cd "$(dirname "$0")/.."
build=${CLIPVANE_BUILD_DIR:-build/linux}
runs=${CLIPVANE_BENCH_RUNS:-5}
cmake --preset linux -B "$build" >/dev/null
cmake --build "$build" --target clipvane_subtitles_bench >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/clipvane_subtitles_bench" --write-sami="$work/bench.smi"
size=$(wc -c < "$work/bench.smi")
echo "input: $size bytes of SAMI"

"$build/clipvane_subtitles_bench" --sami="$work/bench.smi" --benchmark_repetitions="$runs" \
  --benchmark_report_aggregates_only=true --benchmark_out="$work/ours.json" --benchmark_out_format=json

# FFmpeg: the median of the wall times of a few runs. It reports each blank "&nbsp;"
# subtitle as a decoding error and converts the rest, so only fatal errors are shown.
i=0
: > "$work/ffmpeg.times"
while [ "$i" -lt "$runs" ]; do
  start=$(date +%s.%N)
  ffmpeg -nostdin -hide_banner -loglevel fatal -y -i "$work/bench.smi" "$work/out.ass"
  end=$(date +%s.%N)
  echo "$start $end" | awk '{ printf "%.6f\n", $2 - $1 }' >> "$work/ffmpeg.times"
  i=$((i + 1))
done

python3 - "$work/ours.json" "$work/ffmpeg.times" "$size" <<'PY'
import json, statistics, sys
ours_json, ffmpeg_times, size = sys.argv[1], sys.argv[2], int(sys.argv[3])
runs = json.load(open(ours_json))["benchmarks"]
median = next(b for b in runs
              if b["name"].startswith("BM_ConvertSamiFile") and b.get("aggregate_name") == "median")
ours = median["real_time"] / 1000.0  # milliseconds to seconds
ffmpeg = statistics.median(float(line) for line in open(ffmpeg_times) if line.strip())
mb = size / 1e6
print(f"ours:   {ours * 1000:8.1f} ms  {mb / ours:8.1f} MB/s")
print(f"FFmpeg: {ffmpeg * 1000:8.1f} ms  {mb / ffmpeg:8.1f} MB/s")
print(f"ratio ours/FFmpeg: {ours / ffmpeg:.3f} (lower is better)")
PY
